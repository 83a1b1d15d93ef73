#include "MidiDecoder.h"

#include "AudioOutput.h"
#include "MidiFile.h"
#include "MidiSynth.h"
#include "SoundLimits.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <fluidsynth.h>
#include <iterator>

std::unique_ptr<MidiDecoder> MidiDecoder::open(const QString &path, MidiSynth &synth)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > SoundLimits::maxMidiBytes)
        return nullptr;
    const QByteArray data = file.readAll();
    const std::optional<double> micros = MidiFile::durationMicroseconds(data);
    if (!micros || MidiFile::isMalformed(data))
        return nullptr;
    const QByteArray playable = MidiFile::playableCopy(data);
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
    d->m_playable = playable;
    if (fluid_player_add_mem(d->m_player, playable.constData(), std::size_t(playable.size())) !=
        FLUID_OK)
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

// Renders the synth a block at a time. Unless a rewind is to follow, frames within fadeFrames
// of the end are scaled down to 0 on a line.
int MidiDecoder::read(float *out, int frames)
{
    frames = int(std::min<std::int64_t>(frames, m_frames - m_framesRead));
    const int fade = m_repeat && m_repeat->load() ? 0 : fadeFrames;
    for (int done = 0; done < frames;) {
        if (m_blockUsed == blockFrames) {
            if (fluid_synth_write_float(m_synth, blockFrames, m_block, 0, 2, m_block, 1, 2) !=
                FLUID_OK)
                std::fill(std::begin(m_block), std::end(m_block), 0.0f);
            m_blockUsed = 0;
        }
        const int n = std::min(frames - done, blockFrames - m_blockUsed);
        for (int i = 0; i < n; ++i) {
            const std::int64_t left = m_frames - m_framesRead - i;
            const float gain = left >= fade ? 1.0f : float(left) / float(fade);
            out[2 * (done + i)] = m_block[2 * (m_blockUsed + i)] * gain;
            out[2 * (done + i) + 1] = m_block[2 * (m_blockUsed + i) + 1] * gain;
        }
        done += n;
        m_blockUsed += n;
        m_framesRead += n;
    }
    return std::max(frames, 0);
}

// The next pass follows as a musician would play it again: the notes of the last one are let
// go (their release and the reverb run on under the new ones, as the last one was not faded)
// and a new player starts the file from its first tick at the next block. (A player sent back
// to its start does not play the tracks it has finished again.)
bool MidiDecoder::rewind()
{
    fluid_player_t *next = new_fluid_player(m_synth);
    if (!next)
        return false;
    if (fluid_player_add_mem(next, m_playable.constData(), std::size_t(m_playable.size())) !=
            FLUID_OK ||
        fluid_player_play(next) != FLUID_OK) {
        delete_fluid_player(next);
        return false;
    }
    fluid_player_stop(m_player);
    delete_fluid_player(m_player);
    fluid_synth_all_notes_off(m_synth, -1);
    m_player = next;
    m_framesRead = 0;
    return true;
}
