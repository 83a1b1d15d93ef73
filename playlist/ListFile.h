#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Reading and writing the list file as a whole.
class ListFile
{
public:
    enum class Status
    {
        Read,       // the file was read completely
        Missing,    // there is no file yet: an empty list
        Unreadable, // it exists but could not be read completely: an empty list
    };

    struct Contents
    {
        Status status = Status::Missing;
        QList<QByteArray> lines;
    };

    // A list file larger than this is not a play list; it is treated as unreadable.
    static constexpr qint64 maxSize = qint64(256) << 20;

    static Contents read(const QString &path);

    // Replaces the file atomically (its folder is created if needed): on any failure the previous
    // file stays as it was and false is returned.
    static bool write(const QString &path, const QList<QByteArray> &lines);
};
