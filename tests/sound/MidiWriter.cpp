#include "MidiWriter.h"

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

QByteArray be(std::uint32_t v, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char((v >> (8 * i)) & 0xff);
    return out;
}

} // namespace

QByteArray MidiWriter::vlq(std::uint32_t value)
{
    QByteArray out(1, char(value & 0x7f));
    while (value >>= 7)
        out.prepend(char(0x80 | (value & 0x7f)));
    return out;
}

void MidiWriter::raw(std::uint32_t delta, const QByteArray &bytes)
{
    m_tracks.last() += vlq(delta) + bytes;
}

void MidiWriter::tempo(std::uint32_t delta, std::uint32_t microsPerQuarter)
{
    raw(delta, QByteArray("\xff\x51\x03", 3) + be(microsPerQuarter, 3));
}

void MidiWriter::noteOn(std::uint32_t delta, int channel, int key, int velocity)
{
    raw(delta, bytesOf({0x90 | channel, key, velocity}));
}

void MidiWriter::noteOff(std::uint32_t delta, int channel, int key)
{
    raw(delta, bytesOf({0x80 | channel, key, 0}));
}

void MidiWriter::programChange(std::uint32_t delta, int channel, int program)
{
    raw(delta, bytesOf({0xc0 | channel, program}));
}

void MidiWriter::endOfTrack(std::uint32_t delta)
{
    raw(delta, QByteArray("\xff\x2f\x00", 3));
}

QByteArray MidiWriter::bytes() const
{
    QByteArray out = "MThd" + be(6, 4) + be(std::uint32_t(m_format), 2) +
                     be(std::uint32_t(m_tracks.size()), 2) + be(std::uint32_t(m_division), 2);
    for (const QByteArray &t : m_tracks)
        out += "MTrk" + be(std::uint32_t(t.size()), 4) + t;
    return out;
}
