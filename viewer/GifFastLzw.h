#pragma once

#include <QtGlobal>
#include <functional>

// LZW decoding of well-formed GIF image data (code sizes 2 to 8), the common case, fast: each
// code's string is written straight into the row, back to front, from a table that knows the
// length of every string, instead of being pushed on a stack and popped a pixel at a time.
//
// Gives up, returning false, on anything a well-formed stream does not hold: a code not yet
// defined, an end-of-information code or the end of the data before the last row asked for, a
// sub-block cut short by the end of the data. The caller then decodes the image again with a
// decoder that knows how far such data goes; the rows handed over before giving up are exact.
class GifFastLzw
{
public:
    using RowSink = std::function<void(int row, const uchar *pixels)>;

    static bool accepts(int codeSize) { return codeSize >= 2 && codeSize <= 8; }

    // Decodes `rows` rows of `width` pixels from the data sub-blocks at `pos` (after the code
    // size byte) into `line` (`width` bytes) and hands each to `sink`, in stream order.
    bool decode(const uchar *data, qint64 size, qint64 pos, int codeSize, int width, int rows,
                uchar *line, const RowSink &sink);

private:
    static constexpr int kTableSize = 4096;

    bool fill();

    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    int m_blockLeft = 0;
    bool m_dataEnded = false;
    quint64 m_bits = 0;
    int m_bitCount = 0;

    quint16 m_prefix[kTableSize];
    quint16 m_length[kTableSize];
    uchar m_suffix[kTableSize];
    uchar m_first[kTableSize];
    uchar m_scratch[kTableSize];
};
