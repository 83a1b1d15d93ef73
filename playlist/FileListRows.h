#pragma once

#include "ListRow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

class QTreeWidget;
class QTreeWidgetItem;

// The list view FileList is the only store of the animation list. These are the operations on its
// rows; row numbers count from 1 in display order.
class FileListRows
{
public:
    enum Column
    {
        CaptionColumn = 0,
        SizeColumn = 1
    };
    // Data of column 0: the full path, and for rows read from the list file the line's bytes, so
    // that saving writes back exactly what was read even where it is not valid text.
    static constexpr int fullPathRole = Qt::UserRole;
    static constexpr int fileLineRole = Qt::UserRole + 1;

    // Columns "File Name" (300 px) and "Size" (180 px), cyan text on the frame's blue under a
    // dark blue header, several rows selectable, never sorted or edited, no frame. The font is
    // left to the window, which sets it once it is shown.
    static void applyLook(QTreeWidget *list);

    // Appends a row: the caption, the size text of the file's length (empty when the path names
    // no regular file) and the full path, which is also the caption's tooltip.
    static void addListRow(QTreeWidget *list, const QString &caption, const QString &fullPath);
    // Appends one row per line of the list file, in one go: caption from the path, the line's
    // bytes kept as they were.
    static void addFileLines(QTreeWidget *list, const QList<QByteArray> &lines);
    // A new row for one line of the list file, not yet in a list.
    static QTreeWidgetItem *fileLineRow(const QByteArray &line);
    // What the list file holds for the current rows.
    static QList<QByteArray> fileLines(const QTreeWidget *list);

    static int rowCount(const QTreeWidget *list);
    // The row with this number, or nullptr outside 1 .. rowCount.
    static QTreeWidgetItem *row(const QTreeWidget *list, int number);
    // The number of a row, or 0 when it is not (or no longer) in the list.
    static int rowNumber(const QTreeWidget *list, const QTreeWidgetItem *item);
    static ListRow rowData(const QTreeWidgetItem *item);
    static QString fullPath(const QTreeWidgetItem *item);
};
