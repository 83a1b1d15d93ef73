#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// The play list as the viewer and the list commands read it. The list view FileList is the only
// store of its rows (FileListRows says what a row holds); this adds the row clicked last, which
// the double click shows. Row numbers count from 1 in display order.
class PlayList : public QObject
{
    Q_OBJECT

public:
    // Follows the clicks on `list`'s rows from now on.
    explicit PlayList(QTreeWidget *list, QObject *parent = nullptr);

    // The list view; nullptr once it is gone.
    QTreeWidget *view() const;
    int rowCount() const;
    // The full path of row `number`; empty outside 1 .. rowCount or once the view is gone.
    QString fullPath(int number) const;
    // The row clicked last, or nullptr when none was clicked or it has been removed.
    QTreeWidgetItem *clickedRow() const;
    // Its number now, or 0.
    int clickedRowNumber() const;

public slots:
    // Takes `item` as the row clicked last; rows of other lists are passed over.
    void setClickedRow(QTreeWidgetItem *item);

private:
    QPointer<QTreeWidget> m_list;
    QPersistentModelIndex m_clicked;
};
