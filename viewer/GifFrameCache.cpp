#include "GifFrameCache.h"

#include <algorithm>
#include <array>
#include <cstring>

qsizetype GifFrameCache::packedBytes(const QRect &area)
{
    return qsizetype(std::max(0, area.width())) * std::max(0, area.height()) + 256 * 4;
}

void GifFrameCache::keepShown(int frameCount, qsizetype budget)
{
    clear();
    m_budget = budget;
    m_keepShown = true;
    m_entries.resize(size_t(std::max(0, frameCount)));
}

void GifFrameCache::keepBases(std::vector<int> frames, qsizetype budget)
{
    clear();
    m_budget = budget;
    m_frames = std::move(frames);
    m_entries.resize(m_frames.size());
}

void GifFrameCache::clear()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_frames.clear();
    m_frames.shrink_to_fit();
    m_budget = 0;
    m_used = 0;
    m_keepShown = false;
}

int GifFrameCache::slotOf(Kind kind, int frame) const
{
    if (kind == Kind::Shown)
        return m_keepShown && frame >= 0 && size_t(frame) < m_entries.size() ? frame : -1;
    if (m_keepShown)
        return -1;
    const auto it = std::lower_bound(m_frames.begin(), m_frames.end(), frame);
    return it != m_frames.end() && *it == frame ? int(it - m_frames.begin()) : -1;
}

bool GifFrameCache::wants(Kind kind, int frame) const
{
    const int slot = slotOf(kind, frame);
    return slot >= 0 && m_entries[size_t(slot)].state == Entry::Empty;
}

bool GifFrameCache::has(Kind kind, int frame) const
{
    const int slot = slotOf(kind, frame);
    return slot >= 0 && m_entries[size_t(slot)].state == Entry::Kept;
}

// Indices into a table of the colours met so far, found through a small hash table; a run of
// one colour is looked up once.
bool GifFrameCache::pack(const QImage &canvas, const QRect &area, Entry &entry)
{
    constexpr unsigned kPlaces = 1024;
    std::array<quint32, kPlaces> keys;
    std::array<qint16, kPlaces> indices;
    indices.fill(-1);
    entry.colours.clear();
    entry.colours.reserve(256);
    entry.pixels.resize(size_t(area.width()) * size_t(area.height()));
    uchar *out = entry.pixels.data();
    quint32 last = 0;
    int lastIndex = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(canvas.constScanLine(y)) + area.left();
        for (int x = 0; x < area.width(); ++x) {
            const quint32 c = row[x];
            if (c != last || lastIndex < 0) {
                unsigned place = (c * 0x9e3779b1u) >> 22;
                while (indices[place] >= 0 && keys[place] != c)
                    place = (place + 1) & (kPlaces - 1);
                if (indices[place] < 0) {
                    if (entry.colours.size() == 256)
                        return false;
                    keys[place] = c;
                    indices[place] = qint16(entry.colours.size());
                    entry.colours.push_back(c);
                }
                last = c;
                lastIndex = indices[place];
            }
            *out++ = uchar(lastIndex);
        }
    }
    return true;
}

void GifFrameCache::store(Kind kind, int frame, const QImage &canvas, const QRect &area)
{
    if (!wants(kind, frame))
        return;
    Entry &entry = m_entries[size_t(slotOf(kind, frame))];
    entry.area = area.intersected(canvas.rect());
    if (!pack(canvas, entry.area, entry)) {
        entry.colours.clear();
        entry.colours.shrink_to_fit();
        const qsizetype rowBytes = qsizetype(entry.area.width()) * 4;
        entry.pixels.resize(size_t(rowBytes * entry.area.height()));
        for (int y = entry.area.top(); y <= entry.area.bottom(); ++y) {
            std::memcpy(entry.pixels.data() + (y - entry.area.top()) * rowBytes,
                        canvas.constScanLine(y) + entry.area.left() * 4, size_t(rowBytes));
        }
    }
    const qsizetype bytes =
        qsizetype(entry.pixels.capacity() + entry.colours.capacity() * sizeof(quint32));
    if (m_used + bytes > m_budget) {
        entry = Entry();
        entry.state = Entry::Refused;
        return;
    }
    entry.state = Entry::Kept;
    m_used += bytes;
}

bool GifFrameCache::restore(Kind kind, int frame, QImage &canvas, const QRect &area) const
{
    const int slot = slotOf(kind, frame);
    if (slot < 0 || m_entries[size_t(slot)].state != Entry::Kept)
        return false;
    const Entry &entry = m_entries[size_t(slot)];
    const QRect a = area.intersected(entry.area);
    for (int y = a.top(); y <= a.bottom(); ++y) {
        auto *out = reinterpret_cast<quint32 *>(canvas.scanLine(y)) + a.left();
        const qsizetype at =
            qsizetype(y - entry.area.top()) * entry.area.width() + (a.left() - entry.area.left());
        if (entry.colours.empty()) {
            std::memcpy(out, entry.pixels.data() + at * 4, size_t(a.width()) * 4);
            continue;
        }
        const uchar *in = entry.pixels.data() + at;
        for (int x = 0; x < a.width(); ++x)
            out[x] = entry.colours[in[x]];
    }
    return true;
}

int GifFrameCache::latestBase(int frame) const
{
    if (m_keepShown)
        return -1;
    for (auto it = std::upper_bound(m_frames.begin(), m_frames.end(), frame);
         it != m_frames.begin();) {
        --it;
        if (m_entries[size_t(it - m_frames.begin())].state == Entry::Kept)
            return *it;
    }
    return -1;
}
