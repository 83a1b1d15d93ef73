// qx-screen-copy PNG OUT: writes the picture in the layout the screen takes as it is, so that
// the program can show it straight from its own file without decoding it. OUT holds the width
// and the height, then the rows of 32-bit RGB pixels (0xffRRGGBB), top row first, every number
// 32 bits little-endian.
#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <QtEndian>
#include <cstdio>

static void appendNumber(QByteArray &out, quint32 value)
{
    const quint32 stored = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&stored), sizeof stored);
}

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qx-screen-copy PNG OUT\n");
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "qx-screen-copy: %s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    QByteArray out;
    out.reserve(8 + image.width() * image.height() * 4);
    appendNumber(out, image.width());
    appendNumber(out, image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            appendNumber(out, row[x]);
    }
    QSaveFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "qx-screen-copy: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
