#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>

// Writes small Standard MIDI Files for tests: tracks of timed events, tempo changes included.
class MidiWriter
{
public:
    explicit MidiWriter(int format = 1, int division = 480) : m_format(format), m_division(division)
    {}

    // Starts a new track; events go to the last track started.
    void beginTrack() { m_tracks.append(QByteArray()); }
    void tempo(std::uint32_t delta, std::uint32_t microsPerQuarter);
    void noteOn(std::uint32_t delta, int channel, int key, int velocity);
    void noteOff(std::uint32_t delta, int channel, int key);
    void programChange(std::uint32_t delta, int channel, int program);
    void endOfTrack(std::uint32_t delta);
    // Any bytes after a delta time, for running status and odd cases.
    void raw(std::uint32_t delta, const QByteArray &bytes);

    QByteArray bytes() const;

    static QByteArray vlq(std::uint32_t value);

private:
    int m_format;
    int m_division;
    QList<QByteArray> m_tracks;
};
