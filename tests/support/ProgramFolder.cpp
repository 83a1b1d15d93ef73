#include "ProgramFolder.h"

#include "XvfbServer.h"

#include <QFile>
#include <QFileInfo>

ProgramFolder::ProgramFolder()
{
    const QString from = QStringLiteral(QX_PROGRAM);
    const QString to = filePath(QFileInfo(from).fileName());
    m_valid = m_dir.isValid() && QFile::copy(from, to) &&
              QFile::setPermissions(to, QFile::permissions(from) | QFile::ExeOwner);
}

bool ProgramFolder::start(QProcess &program, const XvfbServer &server, const QStringList &arguments,
                          const QString &workingFolder) const
{
    program.setProcessEnvironment(server.environment());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.setWorkingDirectory(workingFolder.isEmpty() ? m_dir.path() : workingFolder);
    program.start(filePath(QFileInfo(QStringLiteral(QX_PROGRAM)).fileName()), arguments);
    return program.waitForStarted();
}
