#include "GifFile.h"

#include "GifFastLzw.h"
#include "GifLzwDecoder.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gif_lib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int readSource(GifFileType *gif, GifByteType *buffer, int length)
{
    auto *source = static_cast<GifFile::Source *>(gif->UserData);
    if (length <= 0)
        return 0;
    const qint64 left = std::max<qint64>(0, source->size - source->pos);
    const int count = int(std::min<qint64>(length, left));
    if (count > 0)
        std::memcpy(buffer, source->at(source->pos, count), size_t(count));
    source->pos += count;
    return count;
}

// Reads `count` bytes of the file from `offset` on. Where the file gives fewer (it was cut short
// since it was opened, or cannot be read) the rest reads as zeros, which end any chain of
// sub-blocks: the mapping is never read in their place, as past the file's end it faults.
void readOrZero(int fd, uchar *into, qint64 count, qint64 offset)
{
    qint64 got = 0;
    while (got < count) {
        const ssize_t n = pread(fd, into + got, size_t(count - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    std::fill(into + got, into + count, uchar(0));
}

// Row of the frame that the r-th row of an interlaced stream fills: every 8th row from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1.
int interlacedRow(int r, int height)
{
    const int pass1 = (height + 7) / 8;
    if (r < pass1)
        return r * 8;
    r -= pass1;
    const int pass2 = (height + 3) / 8;
    if (r < pass2)
        return 4 + r * 8;
    r -= pass2;
    const int pass3 = (height + 1) / 4;
    if (r < pass3)
        return 2 + r * 4;
    r -= pass3;
    return 1 + r * 2;
}

} // namespace

GifFile::GifFile() : m_fastLzw(std::make_unique<GifFastLzw>()) {}

const uchar *GifFile::Source::fill(qint64 offset, qint64 count)
{
    const qint64 wanted = std::min(std::max(count, kReadAheadBytes), size - offset);
    window.resize(size_t(wanted));
    readOrZero(fd, window.data(), wanted, offset);
    windowBase = offset;
    return window.data();
}

GifFile::~GifFile()
{
    close();
}

// The file is mapped with plain system calls, so a file may be opened on any thread and the
// object handed on. Only regular files are read: a pipe or device would block or never end.
GifFile::Status GifFile::open(const QString &path)
{
    close();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Status::CannotOpen;
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Status::CannotOpen;
    }
    const qint64 size = info.st_size;
    void *data = size > 0 ? mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    if (data == MAP_FAILED) {
        ::close(fd);
        return size > 0 ? Status::CannotOpen : Status::NotGif;
    }
    m_source = Source{static_cast<const uchar *>(data), size, 0, fd, {}, 0};
    m_mapped = true;
    const Status status = openSource();
    if (status != Status::Ok)
        close();
    return status;
}

GifFile::Status GifFile::openData(const QByteArray &bytes)
{
    close();
    m_bytes = bytes;
    m_source =
        Source{reinterpret_cast<const uchar *>(m_bytes.constData()), m_bytes.size(), 0, -1, {}, 0};
    const Status status = openSource();
    if (status != Status::Ok)
        close();
    return status;
}

void GifFile::close()
{
    if (m_gif) {
        dropSavedImages();
        int error = 0;
        DGifCloseFile(m_gif, &error);
        m_gif = nullptr;
    }
    if (m_mapped)
        munmap(const_cast<uchar *>(m_source.data), size_t(m_source.size));
    if (m_source.fd >= 0)
        ::close(m_source.fd);
    m_bytes.clear();
    m_mapped = false;
    m_touched = 0;
    m_source = Source{};
    m_canvasSize = QSize();
    m_loopCount = -1;
    m_frames.clear();
    m_frames.shrink_to_fit();
    m_line.clear();
    m_line.shrink_to_fit();
    m_paletteOffset = -1;
    m_indexCache.reset(m_indexCache.budget());
    m_framesDecompressed = 0;
}

GifFile::Status GifFile::openSource()
{
    int error = 0;
    m_gif = DGifOpen(&m_source, readSource, &error);
    if (!m_gif)
        return Status::NotGif;
    m_canvasSize = QSize(m_gif->SWidth, m_gif->SHeight);
    if (m_canvasSize.isEmpty())
        return Status::EmptyCanvas;
    if (qint64(m_gif->SWidth) * m_gif->SHeight > kMaxCanvasPixels)
        return Status::CanvasTooLarge;
    scan();
    m_source.window = {};
    if (m_frames.empty())
        return Status::NoFrames;
    m_touched = 0;
    return Status::Ok;
}

// Walks the records with giflib's record-level calls. Image data is skipped by its sub-block
// lengths without decoding; each image leaves one GifFrameRecord. The scan stops at the
// trailer, at the end of the data, or at anything it cannot read; what was found stands.
void GifFile::scan()
{
    m_gceDisposal = 0;
    m_gceDelay = 0;
    m_gceTransparent = -1;
    bool previousBlank = true;
    while (int(m_frames.size()) < kMaxFrames) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(m_gif, &type) == GIF_ERROR)
            break;
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!scanExtension())
                break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            break;
        const bool more = scanImage(m_source.pos);
        if (m_frames.size() > 1) {
            // Whether the canvas is blank before this frame follows from the previous one.
            const GifFrameRecord &prev = m_frames[m_frames.size() - 2];
            const QRect canvas(QPoint(0, 0), m_canvasSize);
            if (prev.disposal == GifFrameRecord::RestoreBackground)
                previousBlank = previousBlank || prev.rect.contains(canvas);
            else if (prev.disposal != GifFrameRecord::RestorePrevious)
                previousBlank = false;
            m_frames.back().blankBase = previousBlank;
        } else if (!m_frames.empty()) {
            m_frames.back().blankBase = true;
        }
        if (!more)
            break;
    }
    dropSavedImages();
}

bool GifFile::scanImage(qint64 descriptorOffset)
{
    const int ok = DGifGetImageDesc(m_gif);
    dropSavedImages();
    const GifImageDesc &image = m_gif->Image;
    if (m_source.size < descriptorOffset + 9)
        return false;
    const uchar flags = *m_source.at(descriptorOffset + 8, 1);
    const qint64 paletteBytes = (flags & 0x80) ? 3LL << ((flags & 7) + 1) : 0;
    const qint64 dataOffset = descriptorOffset + 9 + paletteBytes + 1; // after the code size
    GifFrameRecord record;
    record.descriptorOffset = descriptorOffset;
    record.dataOffset = dataOffset;
    record.rect = QRect(image.Left, image.Top, image.Width, image.Height);
    record.interlaced = flags & 0x40;
    const bool complete = m_source.size >= dataOffset;
    // When giflib refused the image with everything present, the code size is above 8.
    record.codeSize = complete ? *m_source.at(dataOffset - 1, 1) : 0xff;
    if (ok == GIF_ERROR && complete && record.codeSize <= 8)
        return false;
    if (paletteBytes > 0) {
        if (complete) {
            record.paletteOffset = descriptorOffset + 9;
            record.paletteSize = quint16(paletteBytes / 3);
        }
    } else if (m_gif->SColorMap) {
        record.paletteOffset = 13;
        record.paletteSize = quint16(m_gif->SColorMap->ColorCount);
    }
    record.disposal =
        m_gceDisposal <= 3 ? GifFrameRecord::Disposal(m_gceDisposal) : GifFrameRecord::Unspecified;
    record.delayCs = m_gceDelay;
    record.transparentIndex = m_gceTransparent;
    if (record.codeSize <= 8) {
        const int literals = 1 << record.codeSize;
        record.coversCanvas =
            record.paletteSize >= literals &&
            (record.transparentIndex < 0 || record.transparentIndex >= literals) &&
            record.rect.contains(QRect(QPoint(0, 0), m_canvasSize)) &&
            record.disposal != GifFrameRecord::RestorePrevious;
    }
    m_gceDisposal = 0;
    m_gceDelay = 0;
    m_gceTransparent = -1;

    bool truncated = !complete;
    if (!truncated)
        m_source.pos = skipSubBlocks(dataOffset, truncated);
    record.truncated = truncated;
    m_frames.push_back(record);
    return !truncated;
}

bool GifFile::scanExtension()
{
    int code = 0;
    GifByteType *block = nullptr;
    if (DGifGetExtension(m_gif, &code, &block) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
            m_gceDisposal = quint8(gcb.DisposalMode);
            m_gceDelay = quint16(gcb.DelayTime);
            m_gceTransparent = qint16(gcb.TransparentColor);
        }
    }
    const bool loopApp = code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
                         (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 ||
                          std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
    while (block) {
        if (DGifGetExtensionNext(m_gif, &block) == GIF_ERROR)
            return false;
        if (loopApp && block && block[0] >= 3 && block[1] == 1 && m_loopCount < 0)
            m_loopCount = block[2] | (block[3] << 8);
    }
    return true;
}

// Skips a chain of data sub-blocks starting at `pos`; returns the offset after its
// terminator, or the end of the data when the file ends inside the chain.
qint64 GifFile::skipSubBlocks(qint64 pos, bool &truncated)
{
    const qint64 size = m_source.size;
    while (pos < size) {
        // Sub-blocks are mostly full, so the next few lie about 256 bytes apart: asking for
        // them early keeps the chain of lengths from waiting on memory at every step.
        if (m_source.fd < 0)
            __builtin_prefetch(m_source.data + std::min(pos + 8 * 256, size - 1));
        const int count = *m_source.at(pos, 1);
        if (count == 0)
            return pos + 1;
        if (pos + 1 + count > size) {
            truncated = true;
            return size;
        }
        pos += 1 + count;
    }
    truncated = true;
    return size;
}

void GifFile::dropSavedImages()
{
    if (!m_gif)
        return;
    GifFreeSavedImages(m_gif);
    m_gif->ImageCount = 0; // giflib does not reset it, and would write past the new array
}

int GifFile::giflibSavedImageCount() const
{
    return m_gif && m_gif->SavedImages ? m_gif->ImageCount : 0;
}

// Frames mostly share one colour table, so the last one built is kept for the next frame.
void GifFile::buildPalette(const GifFrameRecord &record, const Span &frame)
{
    if (record.paletteOffset == m_paletteOffset && record.paletteSize == m_paletteSize &&
        record.transparentIndex == m_paletteTransparent)
        return;
    m_paletteOffset = record.paletteOffset;
    m_paletteSize = record.paletteSize;
    m_paletteTransparent = record.transparentIndex;
    std::fill(std::begin(m_palette), std::end(m_palette), 0u);
    const qint64 bytes = qint64(record.paletteSize) * 3;
    const Span table = record.paletteOffset >= frame.base &&
                               record.paletteOffset + bytes <= frame.base + frame.size
                           ? frame
                           : readSpan(record.paletteOffset, bytes, m_paletteBytes);
    const uchar *rgb = table.data + (record.paletteOffset - table.base);
    for (int i = 0; i < record.paletteSize; ++i, rgb += 3)
        m_palette[i] = 0xff000000u | (quint32(rgb[0]) << 16) | (quint32(rgb[1]) << 8) | rgb[2];
    if (record.transparentIndex >= 0)
        m_palette[record.transparentIndex & 0xff] = 0;
    m_paletteOpaque =
        std::find(std::begin(m_palette), std::end(m_palette), 0u) == std::end(m_palette);
}

void GifFile::releasePages()
{
    releaseRange(0, m_source.size);
    m_touched = 0;
}

// Hands the pages of a range of the mapping back to the page cache, including pages the
// range covers only in part: the mapping is read-only, so reading them again maps them in
// again.
void GifFile::releaseRange(qint64 from, qint64 to)
{
    if (!m_mapped)
        return;
    constexpr qint64 kPage = 4096;
    from = std::max<qint64>(from, 0) / kPage * kPage;
    to = std::min(m_source.size, (to + kPage - 1) / kPage * kPage);
    if (to > from)
        madvise(const_cast<uchar *>(m_source.data) + from, size_t(to - from), MADV_DONTNEED);
}

GifFile::Span GifFile::readSpan(qint64 offset, qint64 count, std::vector<uchar> &buffer)
{
    if (m_source.fd < 0 || count <= 0)
        return Span{m_source.data, m_source.size, 0};
    buffer.resize(size_t(count));
    readOrZero(m_source.fd, buffer.data(), count, offset);
    return Span{buffer.data(), count, offset};
}

// A frame's bytes: its descriptor, its own colour table and its data, up to the next frame.
// Large frames are read in place, up to the file's present end: a file cut short since it was
// opened shows its frames as far as they now go.
GifFile::Span GifFile::frameSpan(int index)
{
    const size_t next = size_t(index) + 1;
    const qint64 begin = m_frames[size_t(index)].descriptorOffset;
    const qint64 end = next < m_frames.size() ? m_frames[next].descriptorOffset : m_source.size;
    if (m_source.fd < 0)
        return Span{m_source.data, m_source.size, 0};
    if (end - begin > kCopiedFrameBytes) {
        struct stat info = {};
        const qint64 present = fstat(m_source.fd, &info) == 0 ? qint64(info.st_size) : 0;
        return Span{m_source.data, std::min(m_source.size, present), 0};
    }
    m_source.at(begin, end - begin);
    return Span{m_source.window.data(), qint64(m_source.window.size()), m_source.windowBase};
}

void GifFile::noteTouched(int index)
{
    if (!m_mapped)
        return;
    const size_t next = size_t(index) + 1;
    const qint64 begin = m_frames[size_t(index)].descriptorOffset;
    const qint64 end = next < m_frames.size() ? m_frames[next].descriptorOffset : m_source.size;
    m_touched += end - begin;
    if (m_touched <= kResidentFileBytes)
        return;
    // The kernel maps pages beside those read as well (fault-around, or a large page-cache
    // folio whole), so every page is handed back, not only the span read; dropping pages that
    // were not mapped costs little.
    releasePages();
}

// Copies `count` palette indices onto `row` of the canvas from column `left` on. Without
// transparent entries every pixel is written, eight at a time; otherwise index entries of
// colour 0 leave the canvas as it is.
void GifFile::blitRow(quint32 *row, int left, const uchar *indices, int count) const
{
    quint32 *__restrict dst = row + left;
    const uchar *__restrict src = indices;
    const quint32 *__restrict palette = m_palette;
    int x = 0;
    if (m_paletteOpaque) {
        // Eight indices come in one load, so a pixel costs one load less than two.
        for (; x + 8 <= count; x += 8) {
            const quint64 eight = qFromLittleEndian<quint64>(src + x);
            dst[x] = palette[eight & 0xff];
            dst[x + 1] = palette[(eight >> 8) & 0xff];
            dst[x + 2] = palette[(eight >> 16) & 0xff];
            dst[x + 3] = palette[(eight >> 24) & 0xff];
            dst[x + 4] = palette[(eight >> 32) & 0xff];
            dst[x + 5] = palette[(eight >> 40) & 0xff];
            dst[x + 6] = palette[(eight >> 48) & 0xff];
            dst[x + 7] = palette[eight >> 56];
        }
        for (; x < count; ++x)
            dst[x] = palette[src[x]];
        return;
    }
    for (; x < count; ++x) {
        const quint32 colour = palette[src[x]];
        if (colour)
            dst[x] = colour;
    }
}

// Draws the part of a decoded row (pixels `from` to `to` - 1 of the frame's row `line`) that
// lies in `clip`, and keeps the clip's indices in `keep` (clip-sized, row by row) when given.
void GifFile::putRow(const Target &canvas, int y, const QRect &clip, int frameLeft,
                     const uchar *line, int from, int to, uchar *keep) const
{
    if (y < clip.top() || y > clip.bottom())
        return;
    const int left = std::max(clip.left(), frameLeft + from);
    const int right = std::min(clip.right() + 1, frameLeft + to);
    if (right > left)
        blitRow(canvas.row(y), left, line + (left - frameLeft), right - left);
    if (keep)
        std::memcpy(keep + qsizetype(y - clip.top()) * clip.width(),
                    line + (clip.left() - frameLeft), size_t(clip.width()));
}

bool GifFile::drawFrame(int index, QImage &canvas, const QRect &area)
{
    GifFrameRecord &record = m_frames[size_t(index)];
    const QRect onCanvas = record.rect.intersected(canvas.rect());
    const QRect clip = onCanvas.intersected(area);
    if (clip.isEmpty())
        return true;
    if (!record.decodable()) {
        record.decodedWhole = 0;
        return false;
    }
    QRect kept;
    if (const uchar *indices = m_indexCache.find(index, clip, kept)) {
        buildPalette(record, Span{});
        const uchar *row = indices + qsizetype(clip.top() - kept.top()) * kept.width() +
                           (clip.left() - kept.left());
        const Target target(canvas);
        for (int y = clip.top(); y <= clip.bottom(); ++y, row += kept.width())
            blitRow(target.row(y), clip.left(), row, clip.width());
        return true;
    }
    ++m_framesDecompressed;
    const Span frame = frameSpan(index);
    buildPalette(record, frame);
    uchar *keep = m_indexCache.store(index, clip);
    const bool whole = decodeRows(record, frame, clip, canvas, keep);
    if (!whole)
        m_indexCache.drop(index);
    // Whether the data is whole is known only once every row on the canvas was asked for.
    if (!whole)
        record.decodedWhole = 0;
    else if (record.interlaced || clip.bottom() == onCanvas.bottom())
        record.decodedWhole = 1;
    if (frame.data == m_source.data) // read in place
        noteTouched(index);
    return whole;
}

// Decodes down to the last row `clip` needs (all rows when interlaced). The data may stop early
// (it ends, or holds a code that cannot be): the pixels before that point are drawn, and for an
// interlaced frame the rows that did not arrive are filled as browsers fill them while such a
// frame loads, see fillMissingRows().
bool GifFile::decodeRows(const GifFrameRecord &record, const Span &frame, const QRect &clip,
                         QImage &canvas, uchar *keep)
{
    const int width = record.rect.width();
    const int height = record.rect.height();
    const int needed = record.interlaced ? height : clip.bottom() - record.rect.top() + 1;
    const int rows = int(std::min<qint64>(needed, kMaxDecodedPixelsPerFrame / width));
    const uchar *stopped = nullptr;
    const Target target(canvas);
    // A progressive frame as wide as the canvas and the clip lies on the canvas row after row
    // as it comes out of the stream, so a batch of rows is drawn as one long row.
    const bool contiguous = !record.interlaced && clip.left() == record.rect.left() &&
                            clip.width() == width && qsizetype(width) * 4 == target.stride;
    const int clipFirst = clip.top() - record.rect.top(), clipEnd = clipFirst + clip.height();
    const qint64 decoded =
        decodeStream(record, frame, rows, stopped, [&](int first, int count, const uchar *pixels) {
            if (contiguous) {
                const int from = std::max(first, clipFirst), to = std::min(first + count, clipEnd);
                if (to <= from)
                    return;
                const uchar *line = pixels + qsizetype(from - first) * width;
                const qsizetype bytes = qsizetype(to - from) * width;
                blitRow(target.row(record.rect.top() + from), clip.left(), line, int(bytes));
                if (keep)
                    std::memcpy(keep + qsizetype(from - clipFirst) * width, line, size_t(bytes));
                return;
            }
            for (int r = first; r < first + count; ++r, pixels += width)
                putRow(target, frameRow(record, r), clip, record.rect.left(), pixels, 0, width,
                       keep);
        });
    const int received = int(decoded / width);
    if (received == needed)
        return true;
    if (received < rows)
        putRow(target, frameRow(record, received), clip, record.rect.left(), stopped, 0,
               int(decoded % width), nullptr);
    if (record.interlaced)
        fillMissingRows(record, frame, clip, target, received, int(decoded % width));
    return false;
}

int GifFile::frameRow(const GifFrameRecord &record, int r) const
{
    return record.rect.top() + (record.interlaced ? interlacedRow(r, record.rect.height()) : r);
}

// Decodes up to `rows` rows, calling `batch` with whole rows as they come: the first one's
// number in stream order, how many, and their pixels one after the other; returns the pixels
// decoded, and points `stopped` at those of the row where the data stopped, if it did.
template <typename BatchFunction>
qint64 GifFile::decodeStream(const GifFrameRecord &record, const Span &frame, int rows,
                             const uchar *&stopped, BatchFunction batch)
{
    const int width = record.rect.width();
    if (record.codeSize > 8) {
        m_line.resize(size_t(width));
        stopped = m_line.data();
        GifLzwDecoder lzw(frame.data, frame.size, record.dataOffset - frame.base, record.codeSize);
        for (int r = 0; r < rows; ++r) {
            const int got = lzw.read(m_line.data(), width);
            if (got < width)
                return qint64(r) * width + got;
            batch(r, 1, m_line.data());
        }
        return qint64(rows) * width;
    }
    struct Rows : GifFastLzw::Sink
    {
        BatchFunction &batch;
        explicit Rows(BatchFunction &f) : batch(f) {}
        void rows(int first, int count, const uchar *pixels) override
        {
            batch(first, count, pixels);
        }
    } sink(batch);
    const qint64 decoded = m_fastLzw->decode(frame.data, frame.size, record.dataOffset - frame.base,
                                             record.codeSize, width, rows, sink);
    stopped = m_fastLzw->stoppedRow();
    return decoded;
}

// An interlaced frame whose data stopped after `received` whole rows and `partial` pixels of the
// next: each row of an early pass stands in for the rows below it that later passes fill (a
// row of pass 1 for 8 rows, of pass 2 for 4, of pass 3 for 2), as in a browser that shows such
// a frame while it loads, so the picture shows whole and coarse. Each row that did not arrive
// (or the rest of the row that stopped) shows the nearest row above it that arrived and stands
// in for it; the rows that stand in are decoded again for that.
void GifFile::fillMissingRows(const GifFrameRecord &record, const Span &frame, const QRect &clip,
                              const Target &canvas, int received, int partial)
{
    const int width = record.rect.width();
    const int height = record.rect.height();
    auto streamRow = [height](int y) { // the inverse of interlacedRow()
        if (y % 8 == 0)
            return y / 8;
        const int pass1 = (height + 7) / 8, pass2 = (height + 3) / 8, pass3 = (height + 1) / 4;
        if (y % 8 == 4)
            return pass1 + y / 8;
        if (y % 4 == 2)
            return pass1 + pass2 + y / 4;
        return pass1 + pass2 + pass3 + y / 2;
    };
    struct Fill
    {
        int source; // stream row
        int y;      // frame row
        int from;   // first pixel to fill
    };
    std::vector<Fill> fills;
    const int top = std::max(0, clip.top() - record.rect.top());
    const int bottom = std::min(height - 1, clip.bottom() - record.rect.top());
    for (int y = top; y <= bottom; ++y) {
        const int own = streamRow(y);
        if (own < received)
            continue;
        // Rows that would stand in for y, nearest (latest pass) first.
        for (const int candidate : {y & ~1, y & ~3, y & ~7}) {
            if (candidate != y && streamRow(candidate) < received) {
                fills.push_back({streamRow(candidate), y, own == received ? partial : 0});
                break;
            }
        }
    }
    if (fills.empty())
        return;
    std::sort(fills.begin(), fills.end(),
              [](const Fill &a, const Fill &b) { return a.source < b.source; });
    size_t next = 0;
    const uchar *stopped = nullptr;
    decodeStream(record, frame, fills.back().source + 1, stopped,
                 [&](int first, int count, const uchar *pixels) {
                     for (int r = first; r < first + count; ++r, pixels += width) {
                         for (; next < fills.size() && fills[next].source == r; ++next)
                             putRow(canvas, record.rect.top() + fills[next].y, clip,
                                    record.rect.left(), pixels, fills[next].from, width, nullptr);
                     }
                 });
}
