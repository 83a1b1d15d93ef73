#include "FileListRow.h"

#include "FileListRows.h"
#include "ListRowText.h"

#include <QFileInfo>

FileListRow::FileListRow(const QString &caption, const QString &fullPath)
    : QTreeWidgetItem(QStringList{caption}, UserType)
{
    setData(FileListRows::CaptionColumn, FileListRows::fullPathRole, fullPath);
    setToolTip(FileListRows::CaptionColumn, fullPath);
}

// The size text of the file's length, empty when the path names no regular file.
QVariant FileListRow::data(int column, int role) const
{
    if (column != FileListRows::SizeColumn || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QTreeWidgetItem::data(column, role);
    if (!m_sizeRead) {
        m_sizeRead = true;
        const QFileInfo file(FileListRows::fullPath(this));
        if (file.isFile())
            m_sizeText = ListRowText::sizeText(file.size());
    }
    return m_sizeText;
}
