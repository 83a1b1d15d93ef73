#pragma once

#include <QtGlobal>

// LZW decoder for a minimum code size of 9 to 11, which giflib refuses and no
// encoder writes but which browsers decode. Reads the data sub-blocks straight from memory.
class GifLzwDecoder
{
public:
    static constexpr int kMaxCodeSize = 11;

    // `pos` is the first sub-block after the code size byte.
    GifLzwDecoder(const uchar *data, qint64 size, qint64 pos, int codeSize);

    // Decodes up to `count` pixels into `out`; fewer at the end of the data or at a bad
    // code. Pixel values above 255 come out as 255.
    int read(uchar *out, int count);

private:
    bool nextCode(int &code);
    void reset();

    static constexpr int kTableSize = 4096;

    const uchar *m_data;
    qint64 m_size;
    qint64 m_pos;
    int m_blockLeft = 0;
    quint32 m_bits = 0;
    int m_bitCount = 0;
    int m_codeSize;
    int m_clear;
    int m_width = 0;
    int m_next = 0;
    int m_previous = -1;
    bool m_ended = false;
    quint16 m_prefix[kTableSize];
    quint16 m_suffix[kTableSize];
    quint16 m_first[kTableSize];
    quint16 m_stack[kTableSize + 1];
    int m_stackTop = 0;
};
