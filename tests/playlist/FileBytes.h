#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes exactly as they are on disk, for the list-file tests.
class FileBytes
{
public:
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static bool write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
};
