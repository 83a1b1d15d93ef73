#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

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

    // Which file a path names and how far it was written: a file replaced or written since
    // has another stamp.
    struct Stamp
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        bool operator==(const Stamp &) const = default;
    };

    struct Contents
    {
        Status status = Status::Missing;
        QList<QByteArray> lines;
        Stamp stamp; // of the file read
    };

    // A list file larger than this is not a play list; it is treated as unreadable.
    static constexpr qint64 maxSize = qint64(256) << 20;

    static Contents read(const QString &path);
    // The stamp of the file at `path`; an empty stamp when there is none.
    static Stamp stampOf(const QString &path);

    // Replaces the file atomically (its folder is created if needed): on any failure the previous
    // file stays as it was and false is returned. `written`, when given, receives the new file's
    // stamp.
    static bool write(const QString &path, const QList<QByteArray> &lines,
                      Stamp *written = nullptr);
};
