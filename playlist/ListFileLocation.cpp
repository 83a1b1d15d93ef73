#include "ListFileLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool canWriteListIn(const QString &folder)
{
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !folderInfo.isWritable())
        return false;
    const QFileInfo fileInfo(QDir(folder).filePath(QLatin1StringView(ListFileLocation::fileName)));
    return !fileInfo.exists() || (fileInfo.isFile() && fileInfo.isWritable());
}

} // namespace

ListFileLocation::ListFileLocation(const QString &programFolder, const QString &dataFolder)
{
    const QString besideProgram =
        QDir(programFolder).filePath(QLatin1StringView(ListFileLocation::fileName));
    if (canWriteListIn(programFolder)) {
        m_readPath = m_writePath = besideProgram;
        return;
    }
    m_writePath = QDir(dataFolder).filePath(QLatin1StringView(ListFileLocation::fileName));
    const bool seedOnly = !QFileInfo::exists(m_writePath) && QFileInfo::exists(besideProgram);
    m_readPath = seedOnly ? besideProgram : m_writePath;
}

ListFileLocation ListFileLocation::forThisProgram()
{
    return ListFileLocation(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
