#include "SoundWatch.h"

#include "SoundOverflowError.h"
#include "mdlSound.h"

void SoundWatch::start(const QString &path)
{
    m_sound.SoundCloseAll();
    m_sound.SoundOpen(path);
    m_path = path;
    m_sound.SoundPlay();
    m_running = true;
}

std::optional<double> SoundWatch::markerLeft(std::int32_t length, std::int32_t position)
{
    if (length == 0)
        return std::nullopt;
    return (markerTrack / double(length)) * double(position) + markerRest;
}

// Moves the marker from one pair of reads; a second, fresh pair decides whether the sound is
// at its end (length equal to position); at the end the sound is closed and, with repeat on,
// opened and played again from the start.
//
// Two cases do not count as the end of a sound that can be replayed: an end test that cannot
// be read (a reply number out of range) is no proof of the end, so the sound plays on; and a
// sound of length 0 (a file that did not open, or holds no sound) has nothing to replay, so
// the watch stops instead of opening it again on every tick.
SoundWatch::Tick SoundWatch::tick(bool repeat)
{
    Tick t;
    try {
        const std::int32_t length = m_sound.SoundLength();
        t.markerLeft = markerLeft(length, m_sound.SoundPosition());
    } catch (const SoundOverflowError &) {
    }
    std::int32_t length = 0;
    try {
        length = m_sound.SoundLength();
        if (length != m_sound.SoundPosition())
            return t;
    } catch (const SoundOverflowError &) {
        return t;
    }
    t.atEnd = true;
    if (!repeat || length == 0) {
        m_running = false;
        t.stopTimer = true;
        m_sound.SoundCloseAll();
        return t;
    }
    m_sound.SoundCloseAll();
    m_sound.SoundOpen(m_path);
    m_sound.SoundPlay();
    t.restarted = true;
    return t;
}
