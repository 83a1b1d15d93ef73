#pragma once

#include <QtGlobal>
#include <functional>

// LZW decoding of GIF image data (code sizes 0 to 8), fast: each code's string is written
// straight into the row, back to front, from a table that knows the length of every string,
// instead of being pushed on a stack and popped a pixel at a time.
//
// Data that is not well formed is decoded as browsers decode it: the pixels stop at an
// end-of-information code, at the end of the data (the last sub-block may be cut short by the
// end of the file: its bytes that are there count) and at a code above the next free one; what
// came before stands, and the rest of the image counts as not received.
class GifFastLzw
{
public:
    using RowSink = std::function<void(int row, const uchar *pixels)>;

    static bool accepts(int codeSize) { return codeSize >= 0 && codeSize <= 8; }

    // Decodes up to `rows` rows of `width` pixels from the data sub-blocks at `pos` (after the
    // code size byte) into `line` (`width` bytes) and hands each whole row to `sink`, in stream
    // order. Returns the number of pixels decoded: rows * width when the data holds them all;
    // otherwise `line` holds the first (result % width) pixels of the row where it stopped.
    qint64 decode(const uchar *data, qint64 size, qint64 pos, int codeSize, int width, int rows,
                  uchar *line, const RowSink &sink);

private:
    static constexpr int kTableSize = 4096;

    void fill();

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
