#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class AudioDecoder;
struct _SDL_AudioStream;

// One opened sound on its way to the audio device: the decoder, converted to the device's
// float stereo at the output rate. Made on the caller's thread; render() runs on the audio
// thread; the position and end are read from any thread.
//
// The position is the number of frames handed to the device, in milliseconds. It stays below
// the length until the last frame has been handed over, then equals the length; it never goes
// back.
class Playback
{
public:
    // Null when the decoder's format cannot be converted.
    static std::unique_ptr<Playback> create(std::unique_ptr<AudioDecoder> decoder);
    ~Playback();
    Playback(const Playback &) = delete;
    Playback &operator=(const Playback &) = delete;

    std::int32_t lengthMs() const { return m_lengthMs; }
    std::int32_t positionMs() const;
    bool playing() const { return m_playing.load(); }
    bool ended() const { return m_ended.load(); }
    std::int64_t framesHandedOut() const { return m_framesOut.load(); }

    void play() { m_playing.store(true); }

    // Fills `frames` stereo float frames at the output rate: sound while playing, then silence.
    void render(float *out, int frames);

private:
    Playback() = default;

    std::unique_ptr<AudioDecoder> m_decoder;
    _SDL_AudioStream *m_stream = nullptr;
    std::vector<float> m_decodeBuffer;
    int m_decoderChannels = 0;
    bool m_decoderDone = false;
    std::int32_t m_lengthMs = 0;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_ended{false};
    std::atomic<std::int64_t> m_framesOut{0};
};
