#include "GifFastLzw.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

inline quint64 load64(const uchar *p)
{
    return qFromLittleEndian<quint64>(p);
}

} // namespace

GifFastLzw::GifFastLzw() : m_in(size_t(kGather) + 256 + 8 + 8)
{
    std::memset(m_suffix, 0, sizeof m_suffix);
    std::memset(m_prefix, 0, sizeof m_prefix);
    std::memset(m_lm1, 0, sizeof m_lm1);
}

// Moves the bytes of m_in not read yet (fewer than 8) to its front and appends the bytes of
// whole sub-blocks after them, about kGather in all, then 8 zero bytes. The data ends at the
// terminator or at the end of the file, a sub-block cut short by it giving the bytes that
// are there.
void GifFastLzw::gather(const uchar *&in, const uchar *&end)
{
    size_t have = size_t(end - in);
    std::memmove(m_in.data(), in, have);
    while (have < size_t(kGather) && !m_dataEnded) {
        if (m_pos >= m_size) {
            m_dataEnded = true;
            break;
        }
        const qint64 block = m_data[m_pos++];
        const size_t count = size_t(std::min(block, m_size - m_pos));
        if (count == 0) {
            m_dataEnded = true;
            break;
        }
        std::memcpy(m_in.data() + have, m_data + m_pos, count);
        m_pos += qint64(count);
        have += count;
    }
    std::memset(m_in.data() + have, 0, 8);
    in = m_in.data();
    end = in + have;
}

qint64 GifFastLzw::decode(const uchar *data, qint64 size, qint64 pos, int codeSize, int width,
                          int rows, Sink &sink)
{
    if (!accepts(codeSize) || width <= 0 || rows <= 0)
        return 0;
    m_data = data;
    m_size = size;
    m_pos = pos;
    m_dataEnded = false;
    const uchar *in = m_in.data();
    const uchar *end = in;
    quint64 bits = 0; // bits above `count` are those of the bytes from `in` on, or zero
    quint32 count = 0;

    const quint32 clear = 1u << codeSize;
    const quint32 endOfInformation = clear + 1;
    // The entries of single bytes are never defined anew (the first entry defined is the one
    // after the clear code), so they stay from one image to the next; only those a smaller
    // code size left to longer strings are set up again.
    for (quint32 i = m_literals; i < clear; ++i) {
        m_lm1[i] = 0;
        m_prefix[i] = 0;
        m_suffix[i][0] = uchar(i);
    }
    m_literals = std::min(std::max(m_literals, clear), clear + 1);
    // After a clear code the next code has nothing before it; it defines the unused entry of
    // the end-of-information code, so that every code may define one.
    m_lm1[endOfInformation] = 0;
    quint32 save = endOfInformation; // the next entry to define
    quint32 previous = endOfInformation;
    quint32 codeWidth = quint32(codeSize) + 1;

    const qint64 span = std::max(kBatch, width);
    m_out.resize(size_t(span) + kTableSize + 16);
    uchar *const out = m_out.data();
    uchar *o = out;
    int handed = 0; // rows handed on
    uchar *limit = out + std::min<qint64>(span, qint64(rows) * width);
    for (;;) {
        if (count < codeWidth) {
            if (end - in < 8) {
                if (!m_dataEnded)
                    gather(in, end);
                if (end - in < 8) { // the last few bytes
                    const quint32 take = std::min(quint32(end - in), (63 - count) >> 3);
                    if (take > 0)
                        bits |= (load64(in) & ((quint64(1) << (8 * take)) - 1)) << count;
                    in += take;
                    count += 8 * take;
                    if (count < codeWidth)
                        break;
                }
            }
            if (count < codeWidth) {
                bits |= load64(in) << count;
                in += (63 - count) >> 3;
                count |= 56;
            }
        }
        const quint32 code = quint32(bits) & ((1u << codeWidth) - 1);
        bits >>= codeWidth;
        count -= codeWidth;
        uchar first;
        if (code < clear) {
            first = uchar(code);
            *o++ = first;
        } else if (code <= endOfInformation) {
            if (code == endOfInformation)
                break;
            save = endOfInformation;
            previous = endOfInformation;
            codeWidth = quint32(codeSize) + 1;
            m_lm1[endOfInformation] = 0;
            continue;
        } else if (code <= save) {
            // The string, back to front, 8 bytes at a time; the last piece may write up to 7
            // bytes past its end, which the next string overwrites.
            quint32 c = code == save ? previous : code;
            const quint32 lm1 = m_lm1[c];
            uchar *p = o + (lm1 & ~7u);
            for (quint32 steps = lm1 >> 3;; --steps) {
                std::memcpy(p, m_suffix[c], 8);
                if (steps == 0)
                    break;
                p -= 8;
                c = m_prefix[c];
            }
            first = m_suffix[c][0];
            o += lm1 + 1;
            if (code == save)
                *o++ = first;
        } else {
            break; // a code not defined yet
        }
        if (save < kTableSize) {
            // The new string: the previous one and the first byte of this one.
            const quint32 lm1 = (m_lm1[previous] + 1u) & (kTableSize - 1);
            m_lm1[save] = quint16(lm1);
            if (lm1 & 7) {
                m_prefix[save] = m_prefix[previous];
                std::memcpy(m_suffix[save], m_suffix[previous], 8);
                m_suffix[save][lm1 & 7] = first;
            } else {
                m_prefix[save] = quint16(previous);
                m_suffix[save][0] = first;
            }
            ++save;
            // One bit more once the next entry needs it; for code sizes 0 and 1 that happens
            // after the very first code.
            if (codeWidth < 12)
                codeWidth += (save >> codeWidth) & 1;
            previous = code;
        }
        if (o >= limit) {
            const qint64 produced = o - out;
            const int whole = int(std::min<qint64>(produced / width, rows - handed));
            sink.rows(handed, whole, out);
            handed += whole;
            if (handed == rows)
                return qint64(rows) * width;
            const qint64 rest = produced - qint64(whole) * width;
            std::memmove(out, out + qint64(whole) * width, size_t(rest));
            o = out + rest;
            limit = out + std::min<qint64>(span, qint64(rows - handed) * width);
        }
    }
    // Stopped early: the whole rows go on, the row it stopped in stays at the front of m_out.
    const qint64 produced = o - out;
    const int whole = int(produced / width);
    if (whole > 0)
        sink.rows(handed, whole, out);
    const qint64 rest = produced - qint64(whole) * width;
    std::memmove(out, out + qint64(whole) * width, size_t(rest));
    return qint64(handed + whole) * width + rest;
}
