// qx-screen-copy PNG OUT: writes the picture in a layout the program can show straight from its
// own file without decoding it. Every number is 32 bits little-endian. OUT holds the width and
// the height, then the rows, top row first: of 32-bit RGB pixels (0xffRRGGBB), or, when OUT ends
// in .idx8 and the picture has a palette, the number of colours, the colours (0xAARRGGBB) and
// then rows of one-byte indices, each padded to whole 32-bit words.
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
    const QImage read = reader.read();
    if (read.isNull()) {
        std::fprintf(stderr, "qx-screen-copy: %s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    const bool indexed = QByteArray(argv[2]).endsWith(".idx8");
    if (indexed && read.format() != QImage::Format_Indexed8) {
        std::fprintf(stderr, "qx-screen-copy: %s has no palette\n", argv[1]);
        return 1;
    }
    QByteArray out;
    appendNumber(out, read.width());
    appendNumber(out, read.height());
    if (indexed) {
        appendNumber(out, read.colorCount());
        for (const QRgb colour : read.colorTable())
            appendNumber(out, colour);
        const int stride = (read.width() + 3) / 4 * 4;
        for (int y = 0; y < read.height(); ++y) {
            out.append(reinterpret_cast<const char *>(read.constScanLine(y)), read.width());
            out.append(stride - read.width(), '\0');
        }
    } else {
        const QImage image = read.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                appendNumber(out, row[x]);
        }
    }
    QSaveFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "qx-screen-copy: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
