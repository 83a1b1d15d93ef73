#pragma once

#include <QtGlobal>
#include <vector>

// LZW decoding of GIF image data (code sizes 0 to 8), fast, after the manner of Wuffs: the table
// keeps each string as a chain of 8-byte pieces (the last, partial piece of the string in the
// entry itself, the whole pieces before it in the entry its prefix names), so a string is
// written into the output 8 bytes at a time, back to front; the sub-blocks are gathered into one
// run of bytes, so the bit buffer is topped up 7 bytes at a time; and whole rows are handed on
// in batches, straight from the output.
//
// Data that is not well formed is decoded as browsers decode it: the pixels stop at an
// end-of-information code, at the end of the data (the last sub-block may be cut short by the
// end of the file: its bytes that are there count) and at a code above the next free one; what
// came before stands, and the rest of the image counts as not received.
class GifFastLzw
{
public:
    class Sink
    {
    public:
        // Rows `first` to `first + count - 1` (stream order), `width` bytes each, one after
        // the other from `pixels`.
        virtual void rows(int first, int count, const uchar *pixels) = 0;

    protected:
        ~Sink() = default;
    };

    GifFastLzw();

    static bool accepts(int codeSize) { return codeSize >= 0 && codeSize <= 8; }

    // Decodes up to `rows` rows of `width` pixels from the data sub-blocks at `pos` (after the
    // code size byte) and hands the whole rows to `sink`, in stream order. Returns the number
    // of pixels decoded: rows * width when the data holds them all; otherwise stoppedRow()
    // holds the first (result % width) pixels of the row where it stopped.
    qint64 decode(const uchar *data, qint64 size, qint64 pos, int codeSize, int width, int rows,
                  Sink &sink);
    const uchar *stoppedRow() const { return m_out.data(); }

private:
    static constexpr int kTableSize = 4096;
    static constexpr int kBatch = 32 * 1024; // output bytes between hand-overs, about
    static constexpr int kGather = 4096;     // input bytes gathered at a time, about

    void gather(const uchar *&in, const uchar *&end);

    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    bool m_dataEnded = false;

    std::vector<uchar> m_in;  // gathered sub-block bytes, then 8 zero bytes
    std::vector<uchar> m_out; // decoded pixels from the start of the first row not handed on
    alignas(8) uchar m_suffix[kTableSize][8];
    quint16 m_prefix[kTableSize];
    quint16 m_lm1[kTableSize]; // string length - 1
    quint32 m_literals = 0;    // the entries from 0 that hold their single byte
};
