// The MP3 decoder's open-and-measure path: open, take the format and length, decode a little.
#include "FuzzFile.h"
#include "Mp3Decoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzFile file;
    const std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::open(file.write(data, size));
    if (!decoder)
        return 0;
    volatile std::int64_t frames = decoder->lengthFrames();
    volatile int format = decoder->sampleRate() * 4 + decoder->channels();
    volatile float sink = 0.0f;
    float out[2 * 512];
    for (int i = 0; i < 4 && decoder->read(out, 512) > 0; ++i)
        sink = out[0];
    return 0;
}
