#include "ListFile.h"

#include "ListFileCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcListFile, "qx.playlist.file")

ListFile::Contents ListFile::read(const QString &path)
{
    Contents contents;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return contents;

    contents.status = Status::Unreadable;
    if (!info.isFile()) {
        qCWarning(lcListFile) << "not a regular file:" << path;
        return contents;
    }
    if (info.size() > maxSize) {
        qCWarning(lcListFile) << "too large for a list:" << path << info.size() << "bytes";
        return contents;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcListFile) << "cannot open" << path << file.errorString();
        return contents;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcListFile) << "cannot read" << path << file.errorString();
        return contents;
    }
    contents.status = Status::Read;
    contents.lines = ListFileCodec::splitLines(bytes);
    return contents;
}

// QSaveFile writes a temporary file beside the target, syncs it and renames it over the target;
// when anything fails it removes the temporary file and the target is untouched.
bool ListFile::write(const QString &path, const QList<QByteArray> &lines)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcListFile) << "cannot create folder" << folder;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcListFile) << "cannot write" << path << file.errorString();
        return false;
    }
    const QByteArray bytes = ListFileCodec::joinLines(lines);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcListFile) << "cannot write" << path << file.errorString();
        return false;
    }
    return true;
}
