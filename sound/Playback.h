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
// The position is the number of frames of the current pass handed to the device, in
// milliseconds. It stays below the length until the last frame has been handed over, then
// equals the length; within a pass it never goes back.
//
// With repeat on, the next pass follows the last frame of this one at once: the decoder goes
// back to its start inside the audio thread and the stream runs on, so no close and open of a
// file, no wait for the watch and no device buffer lies between two passes. The end of each
// pass is counted instead; until the watch takes note of it, the position reads as the length,
// so the watch finds the end as if the sound had stopped there.
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

    // Whether the next pass follows at the end (any thread). Switched off while the end of a
    // pass waits to be noted, it ends the sound there: the next pass falls silent at once.
    void setRepeat(bool on);
    // A pass has ended in repeat and the next one plays, but passEndsNoted() has not been called
    // since: the position reads as the length meanwhile.
    bool passEndPending() const { return m_passEnds.load() != m_passEndsNoted; }
    // Notes every pass end so far; the position is that of the pass now playing from here on.
    // Called from one thread (the one that reads the position).
    void notePassEnds() { m_passEndsNoted = m_passEnds.load(); }

    // Lets the sound fall to silence over the next fadeOutFrames it renders and stay silent
    // (any thread), so that taking it away in the middle of a wave does not click.
    void fadeOut() { m_fadeRequested.store(true); }
    // Nothing more of it will be heard: faded out, ended, or never started.
    bool silent() const { return m_faded.load() || m_ended.load() || !m_playing.load(); }
    static constexpr int fadeOutFrames = 441; // 10 ms at the output rate

    // Fills `frames` stereo float frames at the output rate: sound while playing, then silence.
    void render(float *out, int frames);

private:
    Playback() = default;
    // Decodes one chunk into the stream; at the decoder's end with repeat on, pads a pass that
    // came out short to its full length and rewinds. Audio thread.
    void feed();

    std::unique_ptr<AudioDecoder> m_decoder;
    _SDL_AudioStream *m_stream = nullptr;
    std::vector<float> m_decodeBuffer;
    int m_decoderChannels = 0;
    bool m_decoderDone = false;
    std::int32_t m_lengthMs = 0;
    // One pass at the output rate, and what the decoder has given of the current pass (audio
    // thread), and how many rewinds lie in the stream ahead of the output.
    std::int64_t m_passFrames = 0;
    std::int64_t m_passDecoded = 0;
    int m_rewindsAhead = 0;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_fadeRequested{false};
    std::atomic<bool> m_faded{false};
    int m_fadeRendered = 0; // audio thread
    std::atomic<bool> m_ended{false};
    std::atomic<bool> m_repeat{false};
    std::atomic<std::int64_t> m_framesOut{0};
    std::atomic<std::int64_t> m_passFramesOut{0};
    std::atomic<std::uint32_t> m_passEnds{0};
    std::uint32_t m_passEndsNoted = 0;
};
