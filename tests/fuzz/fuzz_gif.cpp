// The GIF engine: load with a viewport taken from the input, play every frame in
// order, widen the viewport to the whole canvas (which composes the frame on show again), then
// seek to a few frames (backwards and forwards, which replays from snapshots or from the start).
//
// Decoding time is linear in the pixels decoded, and a 16-megapixel frame takes a good part of a
// second here; the run hunts crashes and runaway work, not that. So animations whose canvas and
// frames together cover more than kPlayPixels are only loaded (which decodes the first frame);
// the viewer tests and bench/hostile play the large ones. Every other input is loaded from a file
// rather than from memory, so that the file's own reading (mapped, or read by copy) is run too.
#include "GifDecoder.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr qint64 kPlayPixels = 1024 * 1024;
constexpr QRect kWholeCanvas{0, 0, 1 << 16, 1 << 16};

qint64 pixelsToPlay(const GifDecoder &decoder)
{
    const QRect canvas(QPoint(0, 0), decoder.canvasSize());
    qint64 pixels = qint64(canvas.width()) * canvas.height(); // a replay clears the canvas
    for (int f = 0; f < decoder.frameCount(); ++f) {
        const QRect clip = decoder.record(f).rect.intersected(canvas);
        pixels += qint64(clip.width()) * clip.height();
    }
    return pixels;
}

// Any rectangle, on or off the canvas, empty or not, from four bytes of the input.
QRect viewportFrom(const std::uint8_t *data, std::size_t size)
{
    if (size < 8)
        return kWholeCanvas;
    return QRect(data[size / 2] - 16, data[size / 3] - 16, data[size / 4], data[size / 5]);
}

// One in-memory file, rewritten for each input; empty when the system has no memfd.
QString fileHolding(const std::uint8_t *data, std::size_t size)
{
    static const int fd = memfd_create("fuzz.gif", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        return {};
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

bool load(GifDecoder &decoder, const std::uint8_t *data, std::size_t size)
{
    if (size % 2 == 1) {
        const QString path = fileHolding(data, size);
        if (!path.isEmpty())
            return decoder.loadFile(path);
    }
    return decoder.loadData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    GifDecoder decoder;
    decoder.setViewport(viewportFrom(data, size));
    if (!load(decoder, data, size))
        return 0;
    volatile int sink = int(decoder.canvas().pixel(0, 0));
    if (pixelsToPlay(decoder) > kPlayPixels)
        return 0;
    const int count = decoder.frameCount();
    for (int f = 0; f < count; ++f) {
        const QRect changed = decoder.showFrame(f);
        sink = sink + changed.width() + decoder.delayMs(f);
    }
    sink = sink + decoder.setViewport(kWholeCanvas).width();
    for (const int f : {count - 1, 0, count / 2, count / 3, count - 2, count, -1}) {
        decoder.showFrame(f);
        sink = sink + decoder.currentFrame();
    }
    const QImage &canvas = decoder.canvas();
    if (!canvas.isNull())
        sink = sink + int(canvas.pixel(0, 0));
    (void)decoder.stats();
    return 0;
}
