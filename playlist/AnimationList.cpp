#include "AnimationList.h"

#include "FileListRows.h"
#include "FolderImportDialog.h"
#include "ListFile.h"
#include "PlayList.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTreeWidget>
#include <vector>

AnimationList::AnimationList(const Controls &controls, const ListFileLocation &location,
                             QObject *parent)
    : QObject(parent), m_fileList(controls.playList ? controls.playList->view() : nullptr),
      m_lblAnim(controls.lblAnim), m_setDisplayVisible(controls.setDisplayVisible),
      m_letMessagesRun(controls.letMessagesRun), m_location(location), m_playList(controls.playList)
{}

void AnimationList::loadList()
{
    if (!m_fileList)
        return;
    const ListFile::Contents contents = ListFile::read(m_location.readPath());
    m_listFileUnreadable = contents.status == ListFile::Status::Unreadable;
    m_fileLines = contents.lines;
    FileListRows::addFileLines(m_fileList, contents.lines);
}

bool AnimationList::saveList()
{
    return m_fileList && writeLines(FileListRows::fileLines(m_fileList));
}

bool AnimationList::saveChangedList()
{
    if (!m_fileList)
        return true;
    const QList<QByteArray> lines = FileListRows::fileLines(m_fileList);
    return lines == m_fileLines || writeLines(lines);
}

bool AnimationList::writeLines(const QList<QByteArray> &lines)
{
    if (m_listFileUnreadable && lines.isEmpty())
        return false;
    if (!ListFile::write(m_location.writePath(), lines))
        return false;
    m_listFileUnreadable = false;
    m_fileLines = lines;
    return true;
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
