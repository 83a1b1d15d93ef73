#pragma once

#include "GifFrameRecord.h"
#include "GifIndexCache.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>
#include <vector>

struct GifFileType;
class GifFastLzw;

// One open GIF: the mapped bytes, giflib's record reader over them, and the frame records of a
// structure scan. Decodes single frames on request, each from its own offset, so no decoder
// state is carried from one frame to the next.
class GifFile
{
public:
    enum class Status
    {
        Ok,
        Closed,
        CannotOpen,
        NotGif,
        EmptyCanvas,
        CanvasTooLarge,
        NoFrames
    };

    // Limits against hostile files.
    // A canvas is allocated zeroed and only the part in view is ever touched, so the cap is set by
    // a whole canvas being drawn (128 MB), not by the view: long and tall pictures (an 800 x
    // 40000 strip) open.
    static constexpr qint64 kMaxCanvasPixels = 32LL * 1024 * 1024;
    static constexpr int kMaxFrames = 32767;
    static constexpr qint64 kMaxDecodedPixelsPerFrame = 64LL * 1024 * 1024;
    // Of what frames read in place, about this much stays mapped; then it is handed back to
    // the page cache, so a long file costs the process no more than a short one. Mapping a page
    // in again costs far less than decoding a frame, so the share is small.
    static constexpr qint64 kResidentFileBytes = 128LL * 1024;
    // A file is mapped, but its bytes up to a frame of this size are read by copy: the kernel
    // may map a large page-cache folio (up to 2 MiB) whole on the first read of any part of it,
    // which costs more memory than the copy costs time. Larger frames are read in place.
    static constexpr qint64 kCopiedFrameBytes = 256LL * 1024;
    // Reads by copy (of small frames, and the scan at load) take at least this much at a time,
    // so the next bytes wanted are often at hand already.
    static constexpr qint64 kReadAheadBytes = 64LL * 1024;

    GifFile();
    ~GifFile();
    GifFile(const GifFile &) = delete;
    GifFile &operator=(const GifFile &) = delete;

    Status open(const QString &path);
    Status openData(const QByteArray &bytes);
    void close();
    bool isOpen() const { return m_gif != nullptr; }

    QSize canvasSize() const { return m_canvasSize; }
    // The NETSCAPE2.0 / ANIMEXTS1.0 loop count: -1 without that extension, 0 for endless,
    // otherwise the number as written.
    int loopCount() const { return m_loopCount; }
    const std::vector<GifFrameRecord> &frames() const { return m_frames; }

    // Decodes frame `index` and draws its opaque pixels over `canvas` (ARGB32 premultiplied,
    // canvas size), clipped to the canvas and to `area`. Returns false when the frame's data
    // broke off; everything decoded up to that pixel is drawn. Rows below `area` are not
    // decoded, and the indices over `area` are kept in the index cache while its budget lasts,
    // so drawing the frame again decodes nothing.
    bool drawFrame(int index, QImage &canvas, const QRect &area);
    bool drawFrame(int index, QImage &canvas) { return drawFrame(index, canvas, canvas.rect()); }
    // Budget of the index cache (0: none); what it keeps stays while it fits.
    void setIndexCacheBudget(qsizetype bytes) { m_indexCache.setBudget(bytes); }
    const GifIndexCache &indexCache() const { return m_indexCache; }
    // Frames whose data was decompressed since the file was opened.
    qint64 framesDecompressed() const { return m_framesDecompressed; }
    bool isCoveringFrame(int index) const
    {
        return m_frames[size_t(index)].coversCanvas && m_frames[size_t(index)].decodedWhole == 1;
    }

    // giflib appends a record to its SavedImages list for every image descriptor it reads;
    // we empty that list after each one. Exposed so tests can see it stays empty.
    int giflibSavedImageCount() const;
    qsizetype lineBufferBytes() const { return qsizetype(m_line.capacity()); }

    // The file's bytes as the scan and the frames up to kCopiedFrameBytes read them. Of a file
    // they are read by copy, a window at a time, so that those reads map none of it (see
    // kCopiedFrameBytes); bytes in memory are read in place.
    struct Source
    {
        const uchar *data = nullptr;
        qint64 size = 0;
        qint64 pos = 0;
        int fd = -1; // of a mapped file, kept open for reads by copy; owned by the GifFile
        std::vector<uchar> window;
        qint64 windowBase = 0;

        // `count` bytes from `offset`, which the caller has checked lie within `size`.
        const uchar *at(qint64 offset, qint64 count)
        {
            if (fd < 0)
                return data + offset;
            if (offset >= windowBase && offset + count <= windowBase + qint64(window.size()))
                return window.data() + (offset - windowBase);
            return fill(offset, count);
        }

    private:
        const uchar *fill(qint64 offset, qint64 count);
    };

private:
    Status openSource();
    void scan();
    bool scanImage(qint64 descriptorOffset);
    bool scanExtension();
    qint64 skipSubBlocks(qint64 pos, bool &truncated);
    void dropSavedImages();
    // `count` bytes of the file from `offset` on, read by copy (zeros where the file gives
    // fewer); for data not from a file, the data itself.
    struct Span
    {
        const uchar *data = nullptr;
        qint64 size = 0;
        qint64 base = 0; // the file offset of data[0]
    };
    Span readSpan(qint64 offset, qint64 count, std::vector<uchar> &buffer);
    Span frameSpan(int index);
    void buildPalette(const GifFrameRecord &record, const Span &frame);
    bool decodeRows(const GifFrameRecord &record, const Span &frame, const QRect &clip,
                    QImage &canvas, uchar *keep);
    int frameRow(const GifFrameRecord &record, int r) const;
    template <typename BatchFunction>
    qint64 decodeStream(const GifFrameRecord &record, const Span &frame, int rows,
                        const uchar *&stopped, BatchFunction batch);
    // The canvas's pixels, found once per frame rather than once per row.
    struct Target
    {
        explicit Target(QImage &canvas) : bits(canvas.bits()), stride(canvas.bytesPerLine()) {}
        quint32 *row(int y) const { return reinterpret_cast<quint32 *>(bits + y * stride); }
        uchar *bits;
        qsizetype stride;
    };
    void fillMissingRows(const GifFrameRecord &record, const Span &frame, const QRect &clip,
                         const Target &canvas, int received, int partial);
    void putRow(const Target &canvas, int y, const QRect &clip, int frameLeft, const uchar *line,
                int from, int to, uchar *keep) const;
    void blitRow(quint32 *row, int left, const uchar *indices, int count) const;
    void releasePages();
    void releaseRange(qint64 from, qint64 to);
    void noteTouched(int index);

    QByteArray m_bytes;
    Source m_source;
    GifFileType *m_gif = nullptr;
    QSize m_canvasSize;
    int m_loopCount = -1;
    std::vector<GifFrameRecord> m_frames;
    std::vector<uchar> m_line;
    GifIndexCache m_indexCache;
    std::unique_ptr<GifFastLzw> m_fastLzw;
    qint64 m_framesDecompressed = 0;
    quint32 m_palette[256] = {};
    bool m_paletteOpaque = false;
    qint64 m_paletteOffset = -1; // the colour table m_palette was built from; -1: none
    quint16 m_paletteSize = 0;
    qint16 m_paletteTransparent = -1;
    bool m_mapped = false;
    std::vector<uchar> m_paletteBytes;
    qint64 m_touched = 0; // bytes read in place since pages were last released
    // The graphic control extension waiting for the next image.
    quint8 m_gceDisposal = 0;
    quint16 m_gceDelay = 0;
    qint16 m_gceTransparent = -1;
};
