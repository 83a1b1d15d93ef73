#include "MidiFile.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

class Reader
{
public:
    Reader(const unsigned char *p, std::size_t n) : m_p(p), m_n(n) {}
    bool atEnd() const { return m_pos >= m_n; }
    bool has(std::size_t n) const { return m_n - m_pos >= n; }
    std::size_t pos() const { return m_pos; }
    unsigned peek() const { return m_p[m_pos]; }
    unsigned byte() { return m_p[m_pos++]; }
    void skip(std::size_t n) { m_pos = std::min(m_n, m_pos + n); }
    std::uint32_t be(int bytes)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | byte();
        return v;
    }
    // A variable-length quantity of at most four bytes; nothing when cut off or too long.
    std::optional<std::uint32_t> vlq()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            if (atEnd())
                return std::nullopt;
            const unsigned b = byte();
            v = (v << 7) | (b & 0x7f);
            if (!(b & 0x80))
                return v;
        }
        return std::nullopt;
    }

private:
    const unsigned char *m_p;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

struct TrackTiming
{
    std::uint64_t lastTick = 0;
    std::map<std::uint64_t, std::uint32_t> tempos; // tick -> microseconds per quarter note
    bool malformed = false;
};

int channelDataBytes(unsigned status)
{
    const unsigned kind = status & 0xf0;
    return (kind == 0xc0 || kind == 0xd0) ? 1 : 2;
}

// Walks one track's events, keeping the tick of its last event and its tempo changes. A track
// ends cleanly at its end-of-track event or exactly at the end of its bytes; anything else
// (an event cut off by the end, a data byte with no status of this track to run on, a status
// byte among data) marks it malformed, as other readers part ways with this one there.
TrackTiming scanTrack(Reader r)
{
    TrackTiming t;
    std::uint64_t tick = 0;
    unsigned running = 0;
    const auto malformed = [&t] {
        t.malformed = true;
        return t;
    };
    while (!r.atEnd()) {
        const auto delta = r.vlq();
        if (!delta || r.atEnd())
            return malformed();
        tick += *delta;
        unsigned status = r.peek();
        if (status & 0x80)
            r.byte();
        else if (running)
            status = running;
        else
            return malformed();
        if (status == 0xff) {
            if (r.atEnd())
                return malformed();
            const unsigned type = r.byte();
            const auto len = r.vlq();
            if (!len || !r.has(*len))
                return malformed();
            if (type == 0x51 && *len == 3) {
                const std::uint32_t tempo = r.be(3);
                if (tempo > 0)
                    t.tempos[tick] = tempo;
            } else {
                r.skip(*len);
            }
            t.lastTick = tick;
            if (type == 0x2f)
                break;
            running = 0;
        } else if (status == 0xf0 || status == 0xf7) {
            const auto len = r.vlq();
            if (!len || !r.has(*len))
                return malformed();
            r.skip(*len);
            t.lastTick = tick;
            running = 0;
        } else if (status >= 0xf0) {
            return malformed(); // system common or real-time messages do not belong in a file
        } else {
            const int n = channelDataBytes(status);
            if (!r.has(std::size_t(n)))
                return malformed();
            for (int i = 0; i < n; ++i)
                if (r.byte() & 0x80)
                    return malformed();
            t.lastTick = tick;
            running = status;
        }
    }
    return t;
}

// The header and every track chunk; nothing when the data is not a Standard MIDI File with at
// least one track.
struct Scan
{
    std::uint32_t division = 0;
    std::vector<TrackTiming> tracks;
    bool malformed = false;
};

std::optional<Scan> scanFile(const QByteArray &data)
{
    Reader r(reinterpret_cast<const unsigned char *>(data.constData()), std::size_t(data.size()));
    if (!r.has(14) || data.left(4) != "MThd")
        return std::nullopt;
    r.skip(4);
    const std::uint32_t headerLength = r.be(4);
    if (headerLength < 6 || !r.has(headerLength))
        return std::nullopt;
    const std::uint32_t format = r.be(2);
    const std::uint32_t trackCount = r.be(2);
    const std::uint32_t division = r.be(2);
    r.skip(headerLength - 6);
    if (format > 2 || trackCount == 0 || division == 0)
        return std::nullopt;

    Scan scan;
    scan.division = division;
    // FluidSynth's reader takes the header as 14 bytes, reads the high byte of the track count
    // as if it were worth 65536, loops without end on a chunk of another kind whose length
    // leads back into itself, and takes lengths from 2 GB up as negative.
    scan.malformed = headerLength != 6 || trackCount > 0xff;
    std::vector<TrackTiming> &tracks = scan.tracks;
    while (tracks.size() < trackCount && r.has(8)) {
        const bool isTrack = data.mid(qsizetype(r.pos()), 4) == "MTrk";
        r.skip(4);
        const std::uint32_t length = r.be(4);
        if (!isTrack || length >= 0x80000000u)
            scan.malformed = true;
        const std::size_t start = r.pos();
        const std::size_t available = std::size_t(data.size()) - start;
        const std::size_t bodyLength = std::min<std::size_t>(length, available);
        if (isTrack) {
            tracks.push_back(scanTrack(Reader(
                reinterpret_cast<const unsigned char *>(data.constData()) + start, bodyLength)));
            scan.malformed = scan.malformed || tracks.back().malformed;
        }
        r.skip(bodyLength);
    }
    if (tracks.empty())
        return std::nullopt;
    return scan;
}

} // namespace

bool MidiFile::isMalformed(const QByteArray &data)
{
    const std::optional<Scan> scan = scanFile(data);
    return scan && scan->malformed;
}

std::optional<double> MidiFile::durationMicroseconds(const QByteArray &data)
{
    const std::optional<Scan> scan = scanFile(data);
    if (!scan)
        return std::nullopt;
    const std::vector<TrackTiming> &tracks = scan->tracks;
    const std::uint32_t division = scan->division;

    std::uint64_t lastTick = 0;
    for (const TrackTiming &t : tracks)
        lastTick = std::max(lastTick, t.lastTick);

    if (division & 0x8000) {
        // Time code: frames per second times ticks per frame; no tempo.
        const int fps = 256 - int(division >> 8);
        const int ticksPerFrame = int(division & 0xff);
        if (fps <= 0 || ticksPerFrame == 0)
            return std::nullopt;
        return double(lastTick) * 1e6 / (double(fps == 29 ? 29.97 : fps) * ticksPerFrame);
    }

    // Tempo changes from every track apply to all of them; the file starts at 120 beats a minute.
    std::map<std::uint64_t, std::uint32_t> tempos;
    for (const TrackTiming &t : tracks)
        for (const auto &[tick, tempo] : t.tempos)
            tempos[tick] = tempo;
    const double ticksPerQuarter = double(division);
    double micros = 0;
    std::uint64_t tick = 0;
    double tempo = 500000;
    for (const auto &[at, value] : tempos) {
        if (at >= lastTick)
            break;
        micros += double(at - tick) * tempo / ticksPerQuarter;
        tick = at;
        tempo = value;
    }
    micros += double(lastTick - tick) * tempo / ticksPerQuarter;
    return micros;
}
