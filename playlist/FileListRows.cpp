#include "FileListRows.h"

#include "DisplayName.h"
#include "FileListRow.h"
#include "ListFileCodec.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>

void FileListRows::applyLook(QTreeWidget *list)
{
    const QColor text(0, 255, 255);
    const QColor background(45, 62, 132);
    const QColor headerBackground(28, 40, 92);
    // Left to itself the header measures its font for the narrowest a column may be, which would
    // load the font database before the window is first shown.
    list->header()->setMinimumSectionSize(24);
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Size")});
    {
        // Nor does a hidden list lay its header out again for the widths set here (the header
        // would load its bold font to measure itself); it does when it first shows.
        const QSignalBlocker quiet(list->header());
        list->setColumnWidth(CaptionColumn, 300);
        list->setColumnWidth(SizeColumn, 180);
    }
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSortingEnabled(false);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setFrameShape(QFrame::NoFrame);
    QPalette palette = list->palette();
    for (auto role : {QPalette::Base, QPalette::Window, QPalette::AlternateBase})
        palette.setColor(role, background);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    list->setPalette(palette);
    // The column header in the deck's colours rather than the desktop's light grey.
    QPalette headerPalette = list->header()->palette();
    headerPalette.setColor(QPalette::Button, headerBackground);
    headerPalette.setColor(QPalette::Window, headerBackground);
    headerPalette.setColor(QPalette::ButtonText, text);
    list->header()->setPalette(headerPalette);
}

void FileListRows::addListRow(QTreeWidget *list, const QString &caption, const QString &fullPath)
{
    list->addTopLevelItem(new FileListRow(caption, fullPath));
}

void FileListRows::addFileLines(QTreeWidget *list, const QList<QByteArray> &lines)
{
    QList<QTreeWidgetItem *> items;
    items.reserve(lines.size());
    for (const QByteArray &line : lines)
        items.append(fileLineRow(line));
    list->addTopLevelItems(items);
}

QTreeWidgetItem *FileListRows::fileLineRow(const QByteArray &line)
{
    const QString path = ListFileCodec::decodePath(line);
    QTreeWidgetItem *item = new FileListRow(DisplayName::of(path), path);
    item->setData(CaptionColumn, fileLineRole, line);
    return item;
}

QList<QByteArray> FileListRows::fileLines(const QTreeWidget *list)
{
    QList<QByteArray> lines;
    const int count = list->topLevelItemCount();
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        const QVariant line = item->data(CaptionColumn, fileLineRole);
        lines.append(line.isValid() ? line.toByteArray()
                                    : ListFileCodec::encodePath(fullPath(item)));
    }
    return lines;
}

int FileListRows::rowCount(const QTreeWidget *list)
{
    return list->topLevelItemCount();
}

QTreeWidgetItem *FileListRows::row(const QTreeWidget *list, int number)
{
    return list->topLevelItem(number - 1);
}

int FileListRows::rowNumber(const QTreeWidget *list, const QTreeWidgetItem *item)
{
    return item ? list->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(item)) + 1 : 0;
}

ListRow FileListRows::rowData(const QTreeWidgetItem *item)
{
    return {item->text(CaptionColumn), item->text(SizeColumn), fullPath(item)};
}

QString FileListRows::fullPath(const QTreeWidgetItem *item)
{
    return item->data(CaptionColumn, fullPathRole).toString();
}
