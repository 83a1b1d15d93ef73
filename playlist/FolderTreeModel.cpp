#include "FolderTreeModel.h"

#include <QAbstractFileIconProvider>
#include <QFont>

namespace {

// Qt's default provider asks the MIME database for every entry it lists, which reads the start of
// each file; files under /proc or FIFOs would block the dialog. This one looks at the type only.
class PlainIconProvider : public QAbstractFileIconProvider
{
public:
    using QAbstractFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override
    {
        return icon(info.isDir() ? QAbstractFileIconProvider::Folder
                                 : QAbstractFileIconProvider::File);
    }
    QString type(const QFileInfo &info) const override
    {
        return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
    }
};

// Shared and never freed: the model's gathering thread may use it until the model's base class
// has stopped that thread, after any member of a subclass is gone.
QAbstractFileIconProvider *plainIconProvider()
{
    static auto *const provider = new PlainIconProvider;
    return provider;
}

} // namespace

FolderTreeModel::FolderTreeModel(QObject *parent) : QFileSystemModel(parent)
{
    setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    setReadOnly(true);
    setResolveSymlinks(false);
    setIconProvider(plainIconProvider());
}

void FolderTreeModel::setOpenFolder(const QString &path)
{
    const QModelIndex previous = m_open;
    m_openPath = path;
    m_open = index(path);
    if (previous.isValid())
        emit dataChanged(previous, previous, {Qt::FontRole});
    if (m_open.isValid())
        emit dataChanged(m_open, m_open, {Qt::FontRole});
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::FontRole && index.isValid() && index.column() == 0 && index == m_open) {
        QFont font;
        font.setBold(true);
        return font;
    }
    return QFileSystemModel::data(index, role);
}
