#include "GifFastLzw.h"

#include <algorithm>
#include <cstring>

// Tops the bit buffer up from the sub-blocks, a byte at a time, to at least 57 bits or until
// the data ends: at the terminator, or at the end of the file, a sub-block cut short by it
// giving the bytes that are there.
void GifFastLzw::fill()
{
    while (m_bitCount <= 56 && !m_dataEnded) {
        if (m_blockLeft == 0) {
            if (m_pos >= m_size) {
                m_dataEnded = true;
                break;
            }
            const int count = m_data[m_pos++];
            m_blockLeft = int(std::min<qint64>(count, m_size - m_pos));
            if (m_blockLeft == 0) {
                m_dataEnded = true;
                break;
            }
        }
        const int take = std::min(m_blockLeft, (64 - m_bitCount) / 8);
        for (int i = 0; i < take; ++i, m_bitCount += 8)
            m_bits |= quint64(m_data[m_pos++]) << m_bitCount;
        m_blockLeft -= take;
    }
}

qint64 GifFastLzw::decode(const uchar *data, qint64 size, qint64 pos, int codeSize, int width,
                          int rows, uchar *line, const RowSink &sink)
{
    if (!accepts(codeSize) || width <= 0 || rows <= 0)
        return 0;
    m_data = data;
    m_size = size;
    m_pos = pos;
    m_blockLeft = 0;
    m_dataEnded = false;
    m_bits = 0;
    m_bitCount = 0;
    const int clear = 1 << codeSize;
    const int endOfInformation = clear + 1;
    for (int i = 0; i < clear; ++i) {
        m_prefix[i] = 0;
        m_length[i] = 1;
        m_suffix[i] = uchar(i);
        m_first[i] = uchar(i);
    }
    int codeWidth = codeSize + 1;
    int next = clear + 2;
    int previous = -1;
    int x = 0;
    int row = 0;
    for (;;) {
        if (m_bitCount < codeWidth) {
            fill();
            if (m_bitCount < codeWidth)
                return qint64(row) * width + x;
        }
        const int code = int(m_bits & ((1u << codeWidth) - 1));
        m_bits >>= codeWidth;
        m_bitCount -= codeWidth;
        if (code == clear) {
            codeWidth = codeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == endOfInformation || code > next || (previous < 0 && code > clear))
            return qint64(row) * width + x;
        // The string of this code, written back to front over `length` bytes at `out`.
        const int length = code == next ? m_length[previous] + 1 : m_length[code];
        const bool fits = x + length <= width;
        uchar *out = fits ? line + x : m_scratch;
        uchar *p = out + length - 1;
        int c = code;
        if (code == next) {
            *p-- = m_first[previous];
            c = previous;
        }
        while (c >= clear) {
            *p-- = m_suffix[c];
            c = m_prefix[c];
        }
        *p = uchar(c);
        if (previous >= 0 && next < kTableSize) {
            m_prefix[next] = quint16(previous);
            m_suffix[next] = out[0];
            m_first[next] = m_first[previous];
            m_length[next] = quint16(m_length[previous] + 1);
            ++next;
        }
        // The width grows once the next free code needs another bit; for code sizes 0 and 1
        // that already happens after the first code.
        if (codeWidth < 12)
            codeWidth += (next >> codeWidth) & 1;
        previous = code;
        if (fits) {
            x += length;
            if (x == width) {
                sink(row, line);
                if (++row == rows)
                    return qint64(rows) * width;
                x = 0;
            }
            continue;
        }
        for (int done = 0; done < length;) {
            const int n = std::min(width - x, length - done);
            std::memcpy(line + x, m_scratch + done, size_t(n));
            x += n;
            done += n;
            if (x == width) {
                sink(row, line);
                if (++row == rows)
                    return qint64(rows) * width;
                x = 0;
            }
        }
    }
}
