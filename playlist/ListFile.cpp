#include "ListFile.h"

#include "ListFileCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <sys/stat.h>

Q_LOGGING_CATEGORY(lcListFile, "qx.playlist.file")

namespace {

ListFile::Stamp stampFrom(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

ListFile::Stamp stampOfOpen(const QFileDevice &file)
{
    struct stat info = {};
    return fstat(file.handle(), &info) == 0 ? stampFrom(info) : ListFile::Stamp{};
}

} // namespace

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
    contents.stamp = stampOfOpen(file);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcListFile) << "cannot read" << path << file.errorString();
        return contents;
    }
    contents.status = Status::Read;
    contents.lines = ListFileCodec::splitLines(bytes);
    return contents;
}

ListFile::Stamp ListFile::stampOf(const QString &path)
{
    struct stat info = {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? stampFrom(info) : Stamp{};
}

// QSaveFile writes a temporary file beside the target, syncs it and renames it over the target;
// when anything fails it removes the temporary file and the target is untouched.
bool ListFile::write(const QString &path, const QList<QByteArray> &lines, Stamp *written)
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
    // The stamp is taken before the file is renamed into place, so that it is this file's even
    // when another program replaces it straight after.
    const bool wrote = file.write(bytes) == bytes.size() && file.flush();
    const Stamp stamp = wrote ? stampOfOpen(file) : Stamp{};
    if (!wrote || !file.commit()) {
        qCWarning(lcListFile) << "cannot write" << path << file.errorString();
        return false;
    }
    if (written)
        *written = stamp;
    return true;
}
