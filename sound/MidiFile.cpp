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
    // Where its end-of-track event starts, or the length of its bytes when it has none.
    std::size_t end = 0;
    // Where the type byte of each of its tempo meta events lies.
    std::vector<std::size_t> tempoAt;
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
        t.end = r.pos();
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
            if (r.peek() == 0x51)
                t.tempoAt.push_back(r.pos());
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
                return t;
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
    t.end = r.pos();
    return t;
}

// The header and every track chunk; nothing when the data is not a Standard MIDI File with at
// least one track.
struct Scan
{
    std::uint32_t division = 0;
    std::vector<TrackTiming> tracks;
    QByteArray data; // the Standard MIDI File itself
    // Where each track's bytes lie in it, as far as the file holds them.
    std::vector<std::pair<qsizetype, qsizetype>> bodies;
};

// A RIFF MIDI file ("RIFF" ... "RMID") carries the Standard MIDI File in its "data" chunk.
QByteArray unwrapped(const QByteArray &data)
{
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "RMID")
        return data;
    Reader r(reinterpret_cast<const unsigned char *>(data.constData()), std::size_t(data.size()));
    r.skip(12);
    while (r.has(8)) {
        const QByteArray id = data.mid(qsizetype(r.pos()), 4);
        r.skip(4);
        std::uint32_t length = 0;
        for (int i = 0; i < 4; ++i)
            length |= std::uint32_t(r.byte()) << (8 * i);
        if (id == "data")
            return data.mid(qsizetype(r.pos()), qsizetype(std::min<std::size_t>(
                                                    length, std::size_t(data.size()) - r.pos())));
        r.skip(std::size_t(length) + (length & 1));
    }
    return {};
}

// Chunks of other kinds (karaoke or sequencer data) are passed over wherever they stand; a
// chunk length that runs past the end of the file takes what is there.
std::optional<Scan> scanFile(const QByteArray &file)
{
    Scan scan;
    scan.data = unwrapped(file);
    const QByteArray &data = scan.data;
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

    scan.division = division;
    while (scan.tracks.size() < trackCount && r.has(8)) {
        const bool isTrack = data.mid(qsizetype(r.pos()), 4) == "MTrk";
        r.skip(4);
        const std::uint32_t length = r.be(4);
        const std::size_t start = r.pos();
        const std::size_t bodyLength =
            std::min<std::size_t>(length, std::size_t(data.size()) - start);
        if (isTrack) {
            scan.tracks.push_back(scanTrack(Reader(
                reinterpret_cast<const unsigned char *>(data.constData()) + start, bodyLength)));
            scan.bodies.emplace_back(qsizetype(start), qsizetype(bodyLength));
        }
        r.skip(bodyLength);
    }
    if (scan.tracks.empty())
        return std::nullopt;
    return scan;
}

QByteArray be32(std::uint32_t v)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((v >> (8 * (3 - i))) & 0xff);
    return out;
}

} // namespace

bool MidiFile::isMalformed(const QByteArray &data)
{
    const std::optional<Scan> scan = scanFile(data);
    if (!scan)
        return false;
    if (scan->tracks.size() > std::size_t(maxTracks))
        return true;
    return std::any_of(scan->tracks.begin(), scan->tracks.end(),
                       [](const TrackTiming &t) { return t.malformed; });
}

// A six-byte header of format 1, a first track of our own that sets the tempo the file starts
// at, then the file's tracks with their true lengths. Every track ends long after any sound (its
// own end-of-track event, or its last byte, gives way to one far later): once all its tracks
// have ended the player resets the synth, which would cut notes still sounding at the end.
//
// The player knows no time code division (frames a second times ticks a frame), and plays
// nothing of such a file. It gets as many ticks a quarter as the file has ticks in a nominal
// second of frames instead, and a tempo of one such second a quarter (30 frames of 29.97 fps
// take a little longer); the file's own tempo events, which time code ignores, become text
// events of the same length.
QByteArray MidiFile::playableCopy(const QByteArray &data)
{
    const std::optional<Scan> scan = scanFile(data);
    if (!scan)
        return {};
    std::uint32_t division = scan->division;
    std::uint32_t tempo = 500000;
    const bool timeCode = division & 0x8000;
    if (timeCode) {
        const int fps = 256 - int(division >> 8);
        const int ticksPerFrame = int(division & 0xff);
        const int nominal = fps == 29 ? 30 : fps;
        if (fps <= 0 || ticksPerFrame == 0 || nominal * ticksPerFrame > 0x7fff)
            return {};
        division = std::uint32_t(nominal * ticksPerFrame);
        tempo = fps == 29 ? 1001001 : 1000000;
    }
    QByteArray first("\x00\xff\x51\x03", 4);
    first += char(tempo >> 16);
    first += char((tempo >> 8) & 0xff);
    first += char(tempo & 0xff);
    first += QByteArray("\xff\xff\xff\x7f\xff\x2f\x00", 7);
    const auto tracks = std::uint32_t(scan->tracks.size() + 1);
    QByteArray out = "MThd" + be32(6);
    out += char(0);
    out += char(1);
    out += char(tracks >> 8);
    out += char(tracks & 0xff);
    out += char(division >> 8);
    out += char(division & 0xff);
    out += "MTrk" + be32(std::uint32_t(first.size())) + first;
    const QByteArray farEnd("\xff\xff\xff\x7f\xff\x2f\x00", 7);
    for (std::size_t i = 0; i < scan->bodies.size(); ++i) {
        QByteArray body = scan->data.mid(scan->bodies[i].first, qsizetype(scan->tracks[i].end));
        if (timeCode)
            for (const std::size_t at : scan->tracks[i].tempoAt)
                if (qsizetype(at) < body.size())
                    body[qsizetype(at)] = char(0x01);
        body += farEnd;
        out += "MTrk" + be32(std::uint32_t(body.size())) + body;
    }
    return out;
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
