#include "AnimationList.h"

#include "FileListRows.h"
#include "FolderImportDialog.h"
#include "ListMerge.h"
#include "PlayList.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSet>
#include <QTreeWidget>
#include <vector>

namespace {
// Another copy writes the list file in a few steps; the rows follow once it is done.
constexpr int kFollowDelayMs = 150;
} // namespace

AnimationList::AnimationList(const Controls &controls, const ListFileLocation &location,
                             QObject *parent)
    : QObject(parent), m_fileList(controls.playList ? controls.playList->view() : nullptr),
      m_lblAnim(controls.lblAnim), m_setDisplayVisible(controls.setDisplayVisible),
      m_letMessagesRun(controls.letMessagesRun), m_location(location), m_playList(controls.playList)
{
    m_followDelay.setSingleShot(true);
    m_followDelay.setInterval(kFollowDelayMs);
    connect(&m_followDelay, &QTimer::timeout, this, &AnimationList::followListFile);
}

void AnimationList::loadList()
{
    if (!m_fileList)
        return;
    const ListFile::Contents contents = ListFile::read(m_location.readPath());
    m_listFileUnreadable = contents.status == ListFile::Status::Unreadable;
    m_fileLines = contents.lines;
    // A list read from beside the program, to be saved elsewhere, is not the file written to.
    if (m_location.readPath() == m_location.writePath())
        m_fileStamp = contents.stamp;
    FileListRows::addFileLines(m_fileList, contents.lines);
}

bool AnimationList::saveList()
{
    return m_fileList && writeLines(takeInOtherCopies(FileListRows::fileLines(m_fileList)));
}

bool AnimationList::saveChangedList()
{
    if (!m_fileList)
        return true;
    const QList<QByteArray> lines = FileListRows::fileLines(m_fileList);
    if (lines == m_fileLines)
        return true;
    const QList<QByteArray> merged = takeInOtherCopies(lines);
    return merged == m_fileLines || writeLines(merged);
}

bool AnimationList::writeLines(const QList<QByteArray> &lines)
{
    if (m_listFileUnreadable && lines.isEmpty())
        return false;
    ListFile::Stamp written;
    if (!ListFile::write(m_location.writePath(), lines, &written))
        return false;
    m_listFileUnreadable = false;
    m_fileLines = lines;
    m_fileStamp = written;
    if (m_listWatch)
        watchListFile(); // the folder may have been made by this write
    return true;
}

std::optional<QList<QByteArray>> AnimationList::writtenElsewhere()
{
    const QString path = m_location.writePath();
    if (ListFile::stampOf(path) == m_fileStamp)
        return std::nullopt;
    ListFile::Contents contents = ListFile::read(path);
    if (contents.status != ListFile::Status::Read)
        return std::nullopt;
    m_fileStamp = contents.stamp;
    if (contents.lines == m_fileLines)
        return std::nullopt;
    return std::move(contents.lines);
}

QList<QByteArray> AnimationList::takeInOtherCopies(const QList<QByteArray> &lines)
{
    std::optional<QList<QByteArray>> theirs = writtenElsewhere();
    if (!theirs)
        return lines;
    const QList<QByteArray> merged = ListMerge::merge(m_fileLines, lines, *theirs);
    if (merged != lines)
        showLines(merged);
    m_fileLines = std::move(*theirs);
    m_listFileUnreadable = false;
    return merged;
}

// One pass, as in removeSelected: all rows are taken out and the new order put in. An old row is
// kept, in its order, for each line that it matches next; one whose line is no longer wanted
// further on is deleted; every other line gets a new row.
void AnimationList::showLines(const QList<QByteArray> &lines)
{
    QTreeWidget *list = m_fileList;
    QHash<QByteArray, int> wanted;
    for (const QByteArray &line : lines)
        ++wanted[line];
    QTreeWidgetItem *const oldCurrent = list->currentItem();
    QTreeWidgetItem *const oldTop = list->itemAt(0, 0);
    QTreeWidgetItem *const clicked = m_playList ? m_playList->clickedRow() : nullptr;
    const QList<QTreeWidgetItem *> selectedList = list->selectedItems();
    const QSet<QTreeWidgetItem *> selected(selectedList.cbegin(), selectedList.cend());
    const QList<QByteArray> oldLines = FileListRows::fileLines(list);

    const QList<QTreeWidgetItem *> old = list->invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(lines.size());
    QSet<QTreeWidgetItem *> kept;
    qsizetype next = 0;
    for (const QByteArray &line : lines) {
        while (next < old.size() && wanted.value(oldLines[next]) == 0)
            delete old[next++];
        if (next < old.size() && oldLines[next] == line) {
            kept.insert(old[next]);
            rows.append(old[next++]);
        } else {
            rows.append(FileListRows::fileLineRow(line));
        }
        --wanted[line];
    }
    while (next < old.size())
        delete old[next++];
    list->addTopLevelItems(rows);

    // Only kept rows are looked up among the old marks: a new row may sit where a deleted one was.
    QItemSelection selection;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        if (!selected.contains(rows[row]) || !kept.contains(rows[row]))
            continue;
        const QModelIndex index = list->indexFromItem(rows[row]);
        selection.merge(QItemSelection(index, index), QItemSelectionModel::Select);
    }
    list->selectionModel()->select(selection,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (kept.contains(clicked) && m_playList)
        m_playList->setClickedRow(clicked);
    if (kept.contains(oldCurrent))
        list->setCurrentItem(oldCurrent, 0, QItemSelectionModel::NoUpdate);
    if (kept.contains(oldTop))
        list->scrollToItem(oldTop, QAbstractItemView::PositionAtTop);
}

// The folder is watched for the file being replaced, as each write does, and the file for being
// written in place. A replaced file is watched again once it has been followed.
void AnimationList::watchListFile()
{
    if (!m_fileList)
        return;
    if (!m_listWatch) {
        m_listWatch = new QFileSystemWatcher(this);
        for (auto changed :
             {&QFileSystemWatcher::directoryChanged, &QFileSystemWatcher::fileChanged})
            connect(m_listWatch, changed, &m_followDelay, qOverload<>(&QTimer::start));
    }
    const QString file = m_location.writePath();
    for (const QString &path : {QFileInfo(file).absolutePath(), file}) {
        if (!m_listWatch->files().contains(path) && !m_listWatch->directories().contains(path) &&
            QFileInfo::exists(path))
            m_listWatch->addPath(path);
    }
}

void AnimationList::followListFile()
{
    if (!m_fileList)
        return;
    watchListFile();
    takeInOtherCopies(FileListRows::fileLines(m_fileList));
}

bool AnimationList::isListShown() const
{
    return m_fileList && !m_fileList->isHidden();
}

void AnimationList::toggleList()
{
    if (!m_fileList)
        return;
    // Other handlers run while messages are let run; the list may be gone afterwards.
    if (m_fileList->isHidden()) {
        // Rows other copies of the program wrote are taken in before the list shows, and from
        // then on as they are written. A list never shown is never watched: until this copy
        // writes, which takes them in too, they make no difference.
        followListFile();
        setDisplayVisible(false);
        letMessagesRun();
        if (m_fileList)
            m_fileList->show();
    } else {
        m_fileList->hide();
        letMessagesRun();
        setDisplayVisible(true);
        letMessagesRun();
        saveList();
    }
}

void AnimationList::rowClicked(QTreeWidgetItem *item)
{
    if (!m_fileList || !item || item->treeWidget() != m_fileList)
        return;
    if (m_lblAnim)
        m_lblAnim->setText(QStringLiteral("anim: ") + FileListRows::rowData(item).caption);
}

// One pass: the selected rows are marked from the selection's ranges, then all rows are taken out
// of the view at once and the unselected ones put back in their order. Removing rows one by one
// would cost a shift of the rows behind each of them.
void AnimationList::removeSelected()
{
    if (!isListShown())
        return;
    QTreeWidget *list = m_fileList;
    const int count = list->topLevelItemCount();
    std::vector<bool> selected(static_cast<std::size_t>(count), false);
    bool anySelected = false;
    for (const QItemSelectionRange &range : list->selectionModel()->selection()) {
        // A row counts as selected when its first column is, as QTreeWidgetItem::isSelected says.
        if (range.parent().isValid() || range.left() > FileListRows::CaptionColumn)
            continue;
        for (int row = range.top(); row <= range.bottom() && row < count; ++row)
            selected[static_cast<std::size_t>(row)] = anySelected = true;
    }
    if (!anySelected)
        return;

    QTreeWidgetItem *const oldCurrent = list->currentItem();
    QTreeWidgetItem *const oldTop = list->itemAt(0, 0);
    QTreeWidgetItem *const clicked = m_playList ? m_playList->clickedRow() : nullptr;

    const QList<QTreeWidgetItem *> rows = list->invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem *> kept;
    kept.reserve(count);
    QTreeWidgetItem *newCurrent = nullptr;
    QTreeWidgetItem *newTop = nullptr;
    bool passedCurrent = false;
    bool passedTop = false;
    bool keptClicked = false;
    for (int row = 0; row < count; ++row) {
        QTreeWidgetItem *item = rows[row];
        passedCurrent = passedCurrent || item == oldCurrent;
        passedTop = passedTop || item == oldTop;
        if (selected[static_cast<std::size_t>(row)]) {
            delete item;
            continue;
        }
        kept.append(item);
        keptClicked = keptClicked || item == clicked;
        if (passedCurrent && !newCurrent)
            newCurrent = item;
        if (passedTop && !newTop)
            newTop = item;
    }
    list->addTopLevelItems(kept);

    if (keptClicked && m_playList)
        m_playList->setClickedRow(clicked);
    if (!newCurrent && oldCurrent && !kept.isEmpty())
        newCurrent = kept.last();
    if (newCurrent)
        list->setCurrentItem(newCurrent, 0, QItemSelectionModel::NoUpdate);
    if (newTop)
        list->scrollToItem(newTop, QAbstractItemView::PositionAtTop);
    saveChangedList();
}

void AnimationList::addFolder()
{
    if (!isListShown())
        return;
    {
        FolderImportDialog dialog([this](const QString &caption, const QString &fullPath) {
            if (m_fileList)
                FileListRows::addListRow(m_fileList, caption, fullPath);
        });
        if (m_runDialog)
            m_runDialog(dialog);
        else
            dialog.exec();
    }
    saveChangedList();
    emit folderDialogClosed();
}

void AnimationList::selectAll()
{
    if (!isListShown())
        return;
    QTreeWidget *list = m_fileList;
    list->setFocus(Qt::OtherFocusReason);
    const int count = list->topLevelItemCount();
    if (count == 0)
        return;
    const QModelIndex first = list->indexFromItem(list->topLevelItem(0));
    const QModelIndex last = list->indexFromItem(list->topLevelItem(count - 1));
    list->selectionModel()->select(QItemSelection(first, last),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void AnimationList::unselectAll()
{
    if (!isListShown())
        return;
    m_fileList->selectionModel()->clearSelection();
}

void AnimationList::letMessagesRun()
{
    if (m_letMessagesRun)
        m_letMessagesRun();
    else
        QCoreApplication::processEvents();
}

void AnimationList::setDisplayVisible(bool visible)
{
    if (m_setDisplayVisible)
        m_setDisplayVisible(visible);
}
