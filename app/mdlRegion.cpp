#include "mdlRegion.h"

namespace mdlRegion {

namespace {

Colour fromRgb(QRgb rgb)
{
    return Colour(qRed(rgb)) | Colour(qGreen(rgb)) << 8 | Colour(qBlue(rgb)) << 16;
}

// The picture as opaque 32-bit pixels, so that each row can be scanned as plain memory.
QImage scannable(const QImage &picture)
{
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

Colour GetPixel(const QImage &picture, int x, int y)
{
    if (!picture.valid(x, y))
        return InvalidColour;
    return fromRgb(picture.pixel(x, y));
}

// Scan each row left to right: skip key pixels, then cover the run of other pixels that
// follows; each run becomes one rectangle [start, end) x [y, y + 1).
QList<QRect> RegionRuns(const QImage &picture, Colour key)
{
    QList<QRect> runs;
    const QImage image = scannable(picture);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        auto isKey = [&](int x) { return fromRgb(row[x]) == key; };
        int x = 0;
        while (x < width) {
            while (x < width && isKey(x))
                ++x;
            if (x == width)
                break;
            const int start = x;
            while (x < width && !isKey(x))
                ++x;
            runs.append(QRect(start, y, x - start, 1));
        }
    }
    return runs;
}

// Rows with the same runs as the row above extend that row's rectangles downwards. The result
// is the banded form QRegion keeps internally, so it can be handed over in one call.
QRegion MakeRegion(const QImage &picture, Colour key)
{
    const QList<QRect> runs = RegionRuns(picture, key);
    QList<QRect> bands;
    qsizetype bandStart = 0; // first rectangle of the band being grown
    qsizetype i = 0;
    while (i < runs.size()) {
        qsizetype rowEnd = i;
        while (rowEnd < runs.size() && runs[rowEnd].y() == runs[i].y())
            ++rowEnd;
        const qsizetype rowCount = rowEnd - i;
        bool extends = bandStart < bands.size() && bands.size() - bandStart == rowCount &&
                       bands[bandStart].bottom() + 1 == runs[i].y();
        for (qsizetype k = 0; extends && k < rowCount; ++k)
            extends = bands[bandStart + k].left() == runs[i + k].left() &&
                      bands[bandStart + k].right() == runs[i + k].right();
        if (extends) {
            for (qsizetype k = 0; k < rowCount; ++k)
                bands[bandStart + k].setBottom(runs[i].y());
        } else {
            bandStart = bands.size();
            bands.append(runs.mid(i, rowCount));
        }
        i = rowEnd;
    }
    QRegion region;
    region.setRects(bands.constData(), int(bands.size()));
    return region;
}

} // namespace mdlRegion
