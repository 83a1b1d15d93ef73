#pragma once

#include <cstdint>

// A sound file opened for decoding. Decoders are made on the caller's thread; read() then runs
// on the audio thread only.
class AudioDecoder
{
public:
    virtual ~AudioDecoder() = default;

    virtual int sampleRate() const = 0;
    // 1 or 2; decoders fold wider layouts to their first two channels.
    virtual int channels() const = 0;
    // The exact length in frames at sampleRate().
    virtual std::int64_t lengthFrames() const = 0;
    // Writes up to `frames` interleaved float frames; returns how many, 0 at the end.
    virtual int read(float *out, int frames) = 0;
};
