#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The bytes of the list file: one full path per line in the locale's 8-bit encoding, no byte-order
// mark, no header. Every line written ends in CR LF; on reading, a line ends at CR LF, at a CR
// alone or at the end of the data, and a lone LF belongs to the line.
class ListFileCodec
{
public:
    // The lines in file order, without their line ends. Empty lines and a leading UTF-8 byte-order
    // mark are left out.
    static QList<QByteArray> splitLines(QByteArrayView bytes);
    // Every line followed by CR LF; no lines give no bytes.
    static QByteArray joinLines(const QList<QByteArray> &lines);

    // A path holding a CR cannot be kept in the file: it would end its line early, and the rest
    // would come back as a row of its own.
    static bool canKeep(const QString &path) { return !path.contains(u'\r'); }

    static QString decodePath(QByteArrayView line);
    static QByteArray encodePath(const QString &path);
};
