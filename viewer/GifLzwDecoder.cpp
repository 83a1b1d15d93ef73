#include "GifLzwDecoder.h"

#include <algorithm>

GifLzwDecoder::GifLzwDecoder(const uchar *data, qint64 size, qint64 pos, int codeSize)
    : m_data(data), m_size(size), m_pos(pos), m_codeSize(codeSize), m_clear(1 << codeSize)
{
    m_ended = codeSize > kMaxCodeSize;
    for (int i = 0; i < m_clear && i < kTableSize; ++i) {
        m_suffix[i] = quint16(i);
        m_first[i] = quint16(i);
        m_prefix[i] = 0;
    }
    reset();
}

void GifLzwDecoder::reset()
{
    m_width = m_codeSize + 1;
    m_next = m_clear + 2;
    m_previous = -1;
}

// Codes are packed least significant bit first across the sub-blocks.
bool GifLzwDecoder::nextCode(int &code)
{
    while (m_bitCount < m_width) {
        if (m_blockLeft == 0) {
            if (m_pos >= m_size || m_data[m_pos] == 0)
                return false;
            m_blockLeft = m_data[m_pos++];
        }
        if (m_pos >= m_size)
            return false;
        m_bits |= quint32(m_data[m_pos++]) << m_bitCount;
        m_bitCount += 8;
        --m_blockLeft;
    }
    code = int(m_bits & ((1u << m_width) - 1));
    m_bits >>= m_width;
    m_bitCount -= m_width;
    return true;
}

int GifLzwDecoder::read(uchar *out, int count)
{
    int produced = 0;
    while (produced < count) {
        if (m_stackTop > 0) {
            out[produced++] = uchar(std::min<int>(m_stack[--m_stackTop], 255));
            continue;
        }
        int code = 0;
        if (m_ended || !nextCode(code)) {
            m_ended = true;
            break;
        }
        if (code == m_clear) {
            reset();
            continue;
        }
        if (code == m_clear + 1 || code > m_next || (m_previous < 0 && code >= m_clear)) {
            m_ended = true; // end of information, or a code not yet defined
            break;
        }
        int string = code;
        if (code == m_next) { // the code being defined: previous string + its first pixel
            m_stack[m_stackTop++] = m_first[m_previous];
            string = m_previous;
        }
        while (string >= m_clear) {
            m_stack[m_stackTop++] = m_suffix[string];
            string = m_prefix[string];
        }
        m_stack[m_stackTop++] = quint16(string);
        if (m_previous >= 0 && m_next < kTableSize) {
            m_prefix[m_next] = quint16(m_previous);
            m_suffix[m_next] = quint16(string);
            m_first[m_next] = m_first[m_previous];
            ++m_next;
            if (m_next == (1 << m_width) && m_width < 12)
                ++m_width;
        }
        m_previous = code;
    }
    return produced;
}
