#pragma once

#include <QTreeWidgetItem>

// A row of the animation list. Its size is read from the file the first time it is asked for,
// which the view does only for the rows it draws: a long list loads, and shows, without a look at
// each of its files (on a disk just woken up, or a network share, that look can take long).
class FileListRow : public QTreeWidgetItem
{
public:
    FileListRow(const QString &caption, const QString &fullPath);

    QVariant data(int column, int role) const override;

private:
    mutable bool m_sizeRead = false;
    mutable QString m_sizeText;
};
