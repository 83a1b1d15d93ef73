// qx-peer-gifs OUTDIR: writes the animations the side-by-side benchmark plays, with giflib's
// encoder:
//   hd.gif    1920 x 1080, 60 frames, a palette of its own in every frame
//   mid.gif   480 x 320, 200 frames, the global palette
//   tiny.gif  32 x 32, 2,000 frames, the global palette
//   part.gif  480 x 320, 200 frames, the global palette, frames after the first partial
//   tinypart.gif  32 x 32, 2,000 frames, the same
// Every frame is a moving pattern over the whole canvas, 40 ms each, looping for ever; in the
// partial ones, every frame after the first is a quarter of the canvas that moves about, with
// transparent holes, kept on the canvas after it (as an optimiser writes an animation). The
// centre of every frame holds a block of two marker colours (left half, right half) that no
// other palette entry comes near, and partial frames leave it alone, so a screen watcher can
// tell when the animation is on screen, scaled or not, whichever frame a viewer shows first.
// Prints the marker colours as RRGGBB.
#include "GifWriter.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr QRgb kMarkerA = 0xff12e65c;
constexpr QRgb kMarkerB = 0xffe65c12;
constexpr int kMarkerIndexA = 254;
constexpr int kMarkerIndexB = 255;
constexpr int kPatternColours = 254;
constexpr int kTransparentIndex = kPatternColours - 1; // partial frames only
constexpr int kDelayCs = 4;

bool nearMarker(QRgb c)
{
    auto near = [c](QRgb m) {
        return std::abs(qRed(c) - qRed(m)) < 40 && std::abs(qGreen(c) - qGreen(m)) < 40 &&
               std::abs(qBlue(c) - qBlue(m)) < 40;
    };
    return near(kMarkerA) || near(kMarkerB);
}

QVector<QRgb> withMarkers(QVector<QRgb> palette)
{
    palette.resize(256);
    for (int i = 0; i < kPatternColours; ++i) {
        if (nearMarker(palette[i]))
            palette[i] = qRgb(128, 128, 128);
    }
    palette[kMarkerIndexA] = kMarkerA;
    palette[kMarkerIndexB] = kMarkerB;
    return palette;
}

QByteArray animation(QSize size, int count, bool paletteEach, bool partial)
{
    QVector<QRgb> global;
    for (int i = 0; i < 256; ++i)
        global.append(qRgb(i, 255 - i, (i * 7) & 0xff));
    GifWriter writer(size, withMarkers(global));
    writer.setLoopCount(0);
    const QRect marker(size.width() / 2 - std::min(120, size.width() / 4),
                       size.height() / 2 - std::min(60, size.height() / 4),
                       2 * std::min(120, size.width() / 4), 2 * std::min(60, size.height() / 4));
    for (int i = 0; i < count; ++i) {
        GifWriter::Frame f;
        f.rect = QRect(QPoint(0, 0), size);
        f.delayCs = kDelayCs;
        f.disposal = 1;
        const bool sprite = partial && i > 0;
        if (sprite) {
            // Bounces off the edges of the canvas.
            const QSize room = size / 2;
            auto bounce = [](int t, int span) {
                return span > 0 ? std::abs(t % (2 * span) - span) : 0;
            };
            f.rect =
                QRect(QPoint(bounce(i * 5, room.width()), bounce(i * 3, room.height())), size / 2);
            f.transparentIndex = kTransparentIndex;
        }
        if (paletteEach) {
            QVector<QRgb> local;
            for (int c = 0; c < 256; ++c)
                local.append(qRgb((c + i) & 0xff, c, (c * 3 + i) & 0xff));
            f.localPalette = withMarkers(local);
        }
        f.pixels.resize(size_t(f.rect.width()) * size_t(f.rect.height()));
        size_t p = 0;
        for (int y = f.rect.top(); y <= f.rect.bottom(); ++y) {
            for (int x = f.rect.left(); x <= f.rect.right(); ++x, ++p) {
                if (sprite && (marker.contains(x, y) || ((x / 4 + y / 4) & 1))) {
                    f.pixels[p] = kTransparentIndex;
                    continue;
                }
                if (marker.contains(x, y)) {
                    f.pixels[p] = x < marker.center().x() ? kMarkerIndexA : kMarkerIndexB;
                    continue;
                }
                f.pixels[p] = uchar(((x + i * 3) / 8 + (y / 8) * 5 + ((x ^ y) & 3)) %
                                    (sprite ? kTransparentIndex : kPatternColours));
            }
        }
        writer.addFrame(f);
    }
    return writer.finish();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const struct
    {
        const char *name;
        QSize size;
        int frames;
        bool paletteEach;
        bool partial;
    } files[] = {{"hd.gif", {1920, 1080}, 60, true, false},
                 {"mid.gif", {480, 320}, 200, false, false},
                 {"tiny.gif", {32, 32}, 2000, false, false},
                 {"part.gif", {480, 320}, 200, false, true},
                 {"tinypart.gif", {32, 32}, 2000, false, true}};
    for (const auto &file : files) {
        QFile out(dir.filePath(QString::fromLatin1(file.name)));
        const QByteArray bytes = animation(file.size, file.frames, file.paletteEach, file.partial);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
            return 1;
        }
    }
    std::printf("%06x %06x\n", kMarkerA & 0xffffff, kMarkerB & 0xffffff);
    return 0;
}
