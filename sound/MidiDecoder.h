#pragma once

#include "AudioDecoder.h"

#include <QString>
#include <atomic>
#include <memory>
#include <vector>

class MidiSynth;
struct _fluid_player_t;
struct _fluid_synth_t;

// A Standard MIDI File played by FluidSynth's player on the shared synth, rendered at the
// output rate. Its length comes from the file's tempo map, and rendering stops exactly there
// (the player itself would run on for a while after the last event); unless the sound is to go
// on into its next pass, the last few milliseconds fade out, so that notes still sounding at the
// end do not stop with a click. Only one MIDI
// decoder may exist at a time, since they share the synth.
class MidiDecoder : public AudioDecoder
{
public:
    // Null when the file is not a MIDI file or no soundfont is available.
    static std::unique_ptr<MidiDecoder> open(const QString &path, MidiSynth &synth);
    ~MidiDecoder() override;

    int sampleRate() const override;
    int channels() const override { return 2; }
    std::int64_t lengthFrames() const override { return m_frames; }
    int read(float *out, int frames) override;
    bool rewind() override;
    void watchRepeat(const std::atomic<bool> *repeat) override { m_repeat = repeat; }

    // The fade at the end, in frames (5 ms).
    static constexpr int fadeFrames = 220;

private:
    // FluidSynth renders in blocks of this many frames.
    static constexpr int blockFrames = 64;

    MidiDecoder() = default;

    _fluid_synth_t *m_synth = nullptr;
    _fluid_player_t *m_player = nullptr;
    std::int64_t m_frames = 0;
    std::int64_t m_framesRead = 0;
    QByteArray m_playable; // what the player reads
    const std::atomic<bool> *m_repeat = nullptr;
    float m_block[2 * blockFrames] = {};
    int m_blockUsed = blockFrames;
};
