#pragma once

#include "AudioDecoder.h"

#include <QString>
#include <memory>
#include <vector>

class MidiSynth;
struct _fluid_player_t;
struct _fluid_synth_t;

// A Standard MIDI File played by FluidSynth's player on the shared synth, rendered at the
// output rate. Its length comes from the file's tempo map, and rendering stops exactly there
// (the player itself would run on for a while after the last event). Only one MIDI decoder may
// exist at a time, since they share the synth.
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

private:
    MidiDecoder() = default;

    _fluid_synth_t *m_synth = nullptr;
    _fluid_player_t *m_player = nullptr;
    std::int64_t m_frames = 0;
    std::int64_t m_framesRead = 0;
};
