#pragma once

#include <QFileSystemModel>
#include <QPersistentModelIndex>

// The folders (no files) of the file system, with the open folder in bold: a folder is opened by
// activating it, not by merely highlighting it.
class FolderTreeModel : public QFileSystemModel
{
    Q_OBJECT

public:
    explicit FolderTreeModel(QObject *parent = nullptr);

    void setOpenFolder(const QString &path);
    QString openFolder() const { return m_openPath; }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QString m_openPath;
    QPersistentModelIndex m_open;
};
