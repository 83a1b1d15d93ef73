#include "mdlRegion.h"

#include <array>

namespace mdlRegion {

namespace {

Colour fromRgb(QRgb rgb)
{
    return Colour(qRed(rgb)) | Colour(qGreen(rgb)) << 8 | Colour(qBlue(rgb)) << 16;
}

// Calls add(start, end, y) for each run of pixels whose isKey(x) is false on row y.
template <typename IsKey, typename Add> void scanRow(int width, int y, IsKey isKey, Add add)
{
    int x = 0;
    while (x < width) {
        while (x < width && isKey(x))
            ++x;
        if (x == width)
            break;
        const int start = x;
        while (x < width && !isKey(x))
            ++x;
        add(start, x, y);
    }
}

} // namespace

Colour GetPixel(const QImage &picture, int x, int y)
{
    if (!picture.valid(x, y))
        return InvalidColour;
    return fromRgb(picture.pixel(x, y));
}

// Scan each row left to right: skip key pixels, then cover the run of other pixels that
// follows; each run becomes one rectangle [start, end) x [y, y + 1). An indexed picture is
// scanned by its indices, so it is never converted.
QList<QRect> RegionRuns(const QImage &picture, Colour key)
{
    QList<QRect> runs;
    auto add = [&](int start, int end, int y) { runs.append(QRect(start, y, end - start, 1)); };
    if (picture.format() == QImage::Format_Indexed8) {
        std::array<bool, 256> keyIndex{};
        for (int i = 0; i < picture.colorCount(); ++i)
            keyIndex[i] = fromRgb(picture.color(i)) == key;
        for (int y = 0; y < picture.height(); ++y) {
            const uchar *row = picture.constScanLine(y);
            scanRow(
                picture.width(), y, [&](int x) { return keyIndex[row[x]]; }, add);
        }
        return runs;
    }
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        scanRow(
            image.width(), y, [&](int x) { return fromRgb(row[x]) == key; }, add);
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
