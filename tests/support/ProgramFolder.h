#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class XvfbServer;

// The real program copied into a temporary folder of the test's own, so that the list file it
// keeps beside itself belongs to the test alone.
class ProgramFolder
{
public:
    ProgramFolder();
    bool isValid() const { return m_valid; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString listFile() const { return filePath(QStringLiteral("filelist.inf")); }
    // Starts the copy on `server` with `arguments`, in the folder `workingFolder` (the copy's own
    // when empty); false when it does not start.
    bool start(QProcess &program, const XvfbServer &server, const QStringList &arguments = {},
               const QString &workingFolder = {}) const;

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};
