#include "PlayList.h"

#include "FileListRows.h"

#include <QTreeWidget>

PlayList::PlayList(QTreeWidget *list, QObject *parent) : QObject(parent), m_list(list)
{
    if (list)
        connect(list, &QTreeWidget::itemClicked, this, &PlayList::setClickedRow);
}

QTreeWidget *PlayList::view() const
{
    return m_list;
}

int PlayList::rowCount() const
{
    return m_list ? FileListRows::rowCount(m_list) : 0;
}

QString PlayList::fullPath(int number) const
{
    const QTreeWidgetItem *row = m_list ? FileListRows::row(m_list, number) : nullptr;
    return row ? FileListRows::fullPath(row) : QString();
}

QTreeWidgetItem *PlayList::clickedRow() const
{
    return m_list && m_clicked.isValid() ? m_list->itemFromIndex(m_clicked) : nullptr;
}

int PlayList::clickedRowNumber() const
{
    return m_clicked.isValid() ? m_clicked.row() + 1 : 0;
}

void PlayList::setClickedRow(QTreeWidgetItem *item)
{
    if (!m_list || !item || item->treeWidget() != m_list)
        return;
    m_clicked = m_list->indexFromItem(item);
}
