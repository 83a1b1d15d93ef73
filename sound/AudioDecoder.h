#pragma once

#include <atomic>
#include <cstdint>

// A sound file opened for decoding. Decoders are made on the caller's thread; read() then runs
// on the audio thread only.
class AudioDecoder
{
public:
    virtual ~AudioDecoder() = default;

    virtual int sampleRate() const = 0;
    // 1 to 8, in the WAV order of speakers (front left, right, centre, LFE, back, side); the
    // audio path mixes them down to stereo.
    virtual int channels() const = 0;
    // The exact length in frames at sampleRate().
    virtual std::int64_t lengthFrames() const = 0;
    // Writes up to `frames` interleaved float frames; returns how many, 0 at the end.
    virtual int read(float *out, int frames) = 0;
    // Goes back to the first frame, so that the sound can play again at once; runs on the audio
    // thread, between reads. False when the decoder cannot go back.
    virtual bool rewind() = 0;
    // Where to look, while decoding, whether a rewind will follow the end; the flag outlives
    // the decoder. Decoders that end differently when nothing follows use it.
    virtual void watchRepeat(const std::atomic<bool> *repeat) { (void)repeat; }
};
