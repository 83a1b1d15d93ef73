// The GIF engine: load from memory, play every frame in order, then seek to a few frames
// (backwards and forwards, which replays from snapshots or from the start).
#include "GifDecoder.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    GifDecoder decoder;
    if (!decoder.loadData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        return 0;
    const int count = decoder.frameCount();
    volatile int sink = 0;
    for (int f = 0; f < count; ++f) {
        const QRect changed = decoder.showFrame(f);
        sink = sink + changed.width() + decoder.delayMs(f);
    }
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
