#pragma once

#include "FuzzFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The open-and-measure path every sound decoder shares: open the input as a file, take the
// format and length, decode a little.
template <typename Decoder> int fuzzDecoder(const std::uint8_t *data, std::size_t size)
{
    static FuzzFile file;
    const std::unique_ptr<Decoder> decoder = Decoder::open(file.write(data, size));
    if (!decoder)
        return 0;
    volatile std::int64_t frames = decoder->lengthFrames();
    volatile int format = decoder->sampleRate() * 4 + decoder->channels();
    volatile float sink = 0.0f;
    float out[8 * 512]; // room for the widest layout a decoder passes on
    for (int i = 0; i < 4 && decoder->read(out, 512) > 0; ++i)
        sink = out[0];
    (void)frames;
    (void)format;
    (void)sink;
    return 0;
}
