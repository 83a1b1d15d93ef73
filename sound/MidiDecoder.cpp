#include "MidiDecoder.h"

#include "AudioOutput.h"
#include "MidiFile.h"
#include "MidiSynth.h"
#include "SoundLimits.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <fluidsynth.h>

std::unique_ptr<MidiDecoder> MidiDecoder::open(const QString &path, MidiSynth &synth)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > SoundLimits::maxMidiBytes)
        return nullptr;
    const QByteArray data = file.readAll();
    const std::optional<double> micros = MidiFile::durationMicroseconds(data);
    if (!micros || MidiFile::isMalformed(data))
        return nullptr;
    fluid_synth_t *fluid = synth.synth();
    if (!fluid)
        return nullptr;

    std::unique_ptr<MidiDecoder> d(new MidiDecoder);
    d->m_synth = fluid;
    d->m_frames = std::int64_t(std::llround(*micros * AudioOutput::rate / 1e6));
    fluid_synth_system_reset(fluid);
    d->m_player = new_fluid_player(fluid);
    if (!d->m_player)
        return nullptr;
    if (fluid_player_add_mem(d->m_player, data.constData(), std::size_t(data.size())) != FLUID_OK)
        return nullptr;
    if (fluid_player_play(d->m_player) != FLUID_OK)
        return nullptr;
    return d;
}

MidiDecoder::~MidiDecoder()
{
    if (m_player) {
        fluid_player_stop(m_player);
        delete_fluid_player(m_player);
    }
    if (m_synth)
        fluid_synth_system_reset(m_synth);
}

int MidiDecoder::sampleRate() const
{
    return AudioOutput::rate;
}

int MidiDecoder::read(float *out, int frames)
{
    frames = int(std::min<std::int64_t>(frames, m_frames - m_framesRead));
    if (frames <= 0)
        return 0;
    if (fluid_synth_write_float(m_synth, frames, out, 0, 2, out, 1, 2) != FLUID_OK)
        std::fill(out, out + 2 * frames, 0.0f);
    m_framesRead += frames;
    return frames;
}
