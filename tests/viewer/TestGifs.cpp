#include "TestGifs.h"

#include <QFile>
#include <QRandomGenerator>

namespace TestGifs {

QVector<QRgb> palette()
{
    return {qRgb(0, 0, 0),       qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 255),
            qRgb(255, 255, 255), qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)};
}

GifWriter::Frame frame(const QRect &rect, const QString &picture, int disposal,
                       int transparentIndex)
{
    GifWriter::Frame f;
    f.rect = rect;
    QString rows = picture;
    rows.replace('/', "");
    f.pixels = GifWriter::indices(rows, kKeys);
    f.disposal = disposal;
    f.transparentIndex = transparentIndex;
    return f;
}

QString picture(const QImage &canvas)
{
    const QVector<QRgb> colours = palette();
    QString out;
    for (int y = 0; y < canvas.height(); ++y) {
        if (y > 0)
            out += '/';
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb p = canvas.pixel(x, y);
            if (qAlpha(p) == 0) {
                out += '.';
                continue;
            }
            const int index = int(colours.indexOf(p));
            out += index >= 0 ? kKeys[index] : QChar('?');
        }
    }
    return out;
}

QByteArray mixedAnimation(QSize size, int count, quint32 seed, int coveringEvery, bool manyColours)
{
    QRandomGenerator random(seed);
    GifWriter writer(size, palette());
    writer.setLoopCount(0);
    for (int i = 0; i < count; ++i) {
        GifWriter::Frame f;
        const int w = 1 + int(random.bounded(size.width()));
        const int h = 1 + int(random.bounded(size.height()));
        // Now and then partly outside the canvas.
        const int x = int(random.bounded(size.width() + 4)) - (i % 7 == 3 ? 0 : w / 2);
        const int y = int(random.bounded(size.height() + 4)) - (i % 5 == 2 ? 0 : h / 2);
        f.rect = QRect(std::max(0, x), std::max(0, y), w, h);
        f.disposal = int(random.bounded(4));
        f.delayCs = int(random.bounded(6));
        f.transparentIndex = random.bounded(3) == 0 ? -1 : 7;
        f.interlaced = random.bounded(4) == 0;
        if (random.bounded(5) == 0)
            f.localPalette = {qRgb(0, 255, 255), qRgb(255, 255, 0), qRgb(255, 0, 0),
                              qRgb(255, 255, 255)};
        if (manyColours) {
            f.localPalette.clear();
            for (int c = 0; c < 256; ++c)
                f.localPalette.append(qRgb(c, (i * 41) & 0xff, (c * 7 + i) & 0xff));
        }
        if (coveringEvery > 0 && i % coveringEvery == coveringEvery - 1) {
            f.rect = QRect(QPoint(0, 0), size);
            f.transparentIndex = -1;
            f.disposal = int(random.bounded(3));
        }
        const int colours = f.localPalette.isEmpty() ? 8 : int(f.localPalette.size());
        f.pixels.resize(size_t(f.rect.width()) * size_t(f.rect.height()));
        for (auto &p : f.pixels)
            p = uchar(random.bounded(colours));
        writer.addFrame(f);
    }
    return writer.finish();
}

QByteArray plainAnimation(QSize size, int count, bool paletteEach, int delayCs)
{
    QVector<QRgb> global;
    for (int i = 0; i < 256; ++i)
        global.append(qRgb(i, 255 - i, (i * 7) & 0xff));
    GifWriter writer(size, global);
    writer.setLoopCount(0);
    for (int i = 0; i < count; ++i) {
        GifWriter::Frame f;
        f.rect = QRect(QPoint(0, 0), size);
        f.delayCs = delayCs;
        f.disposal = 1;
        if (paletteEach) {
            for (int c = 0; c < 256; ++c)
                f.localPalette.append(qRgb((c + i) & 0xff, c, (c * 3 + i) & 0xff));
        }
        f.pixels.resize(size_t(size.width()) * size_t(size.height()));
        size_t p = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                f.pixels[p++] = uchar(((x + i * 3) / 8 + (y / 8) * 5 + ((x ^ y) & 3)) & 0xff);
        }
        writer.addFrame(f);
    }
    return writer.finish();
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace TestGifs
