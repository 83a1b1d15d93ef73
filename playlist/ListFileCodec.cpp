#include "ListFileCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

QList<QByteArray> ListFileCodec::splitLines(QByteArrayView bytes)
{
    QList<QByteArray> lines;
    // A byte-order mark left by a text editor is not part of the first path.
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype size = bytes.size();
    while (start < size) {
        qsizetype cr = bytes.indexOf('\r', start);
        if (cr < 0)
            cr = size;
        if (cr > start)
            lines.append(bytes.sliced(start, cr - start).toByteArray());
        start = cr + 1;
        if (start < size && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

QByteArray ListFileCodec::joinLines(const QList<QByteArray> &lines)
{
    qsizetype total = 0;
    for (const QByteArray &line : lines)
        total += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(total);
    for (const QByteArray &line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

QString ListFileCodec::decodePath(QByteArrayView line)
{
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless |
                                                         QStringConverter::Flag::ConvertInitialBom);
    return decoder(line);
}

QByteArray ListFileCodec::encodePath(const QString &path)
{
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    return encoder(path);
}
