#include "GifDecoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

GifDecoder::GifDecoder(qsizetype cacheBudget, qsizetype indexCacheBudget, qint64 replayPixels)
    : m_cacheBudget(cacheBudget), m_indexCacheBudget(indexCacheBudget), m_replayPixels(replayPixels)
{}

bool GifDecoder::loadFile(const QString &path)
{
    close();
    return finishLoad(m_file.open(path));
}

bool GifDecoder::loadData(const QByteArray &bytes)
{
    close();
    return finishLoad(m_file.openData(bytes));
}

bool GifDecoder::finishLoad(GifFile::Status status)
{
    m_status = status;
    if (status != GifFile::Status::Ok) {
        close();
        m_status = status;
        return false;
    }
    // A zeroed allocation is transparent without touching its pages, so the parts of a large
    // canvas outside the viewport cost no memory.
    const QSize size = m_file.canvasSize();
    void *pixels = std::calloc(size_t(size.width()) * size_t(size.height()), 4);
    if (pixels) {
        m_canvas = QImage(
            static_cast<uchar *>(pixels), size.width(), size.height(), qsizetype(size.width()) * 4,
            QImage::Format_ARGB32_Premultiplied, [](void *data) { std::free(data); }, pixels);
    }
    if (m_canvas.isNull()) { // allocation failed
        std::free(pixels);
        close();
        m_status = GifFile::Status::CanvasTooLarge;
        return false;
    }
    planCache();
    budgetIndexCache();
    showFrame(0);
    return true;
}

void GifDecoder::close()
{
    m_file.close();
    m_cache.clear();
    m_canvas = QImage();
    m_saveUnder.clear();
    m_saveUnder.shrink_to_fit();
    m_saveUnderRect = QRect();
    m_saveUnderFrame = -1;
    m_current = -1;
    m_canContinue = false;
    m_framesDecoded = 0;
    m_status = GifFile::Status::Closed;
}

// The latest frame s <= frame whose starting canvas is cheapest to get: continuing from the
// frame on show, a frame known to start on a blank canvas, a base snapshot, or (when shown
// frames are kept) the frame after a kept one.
int GifDecoder::replayStart(int frame, bool &fromCurrent, int &fromShown)
{
    fromCurrent = false;
    fromShown = -1;
    int start = frame;
    while (start > 0 && !record(start).blankBase && !m_file.isCoveringFrame(start))
        --start;
    start = std::max(start, m_cache.latestBase(frame));
    if (m_cache.keepsShownFrames()) {
        for (int f = frame - 1; f >= start; --f) {
            if (m_cache.has(GifFrameCache::Kind::Shown, f) &&
                record(f).disposal != GifFrameRecord::RestorePrevious) {
                fromShown = f;
                start = f + 1;
                break;
            }
        }
    }
    if (m_canContinue && m_current >= 0 && m_current < frame && m_current + 1 >= start) {
        fromCurrent = true;
        fromShown = -1;
        start = m_current + 1;
    }
    return start;
}

QRect GifDecoder::showFrame(int frame)
{
    if (!isLoaded() || frame < 0 || frame >= frameCount() || frame == m_current)
        return {};
    if (m_cache.restore(GifFrameCache::Kind::Shown, frame, m_canvas, exactArea())) {
        m_current = frame;
        m_canContinue = record(frame).disposal != GifFrameRecord::RestorePrevious;
        return m_canvas.rect();
    }
    bool fromCurrent = false;
    int fromShown = -1;
    const int start = replayStart(frame, fromCurrent, fromShown);
    QRect changed;
    if (fromCurrent) {
        changed = dispose(m_current);
    } else {
        changed = m_canvas.rect();
        if (fromShown >= 0) {
            m_cache.restore(GifFrameCache::Kind::Shown, fromShown, m_canvas, exactArea());
            dispose(fromShown);
        } else if (!m_cache.restore(GifFrameCache::Kind::Base, start, m_canvas, exactArea())) {
            fillArea();
        }
    }
    for (int f = start; f < frame; ++f) {
        m_cache.store(GifFrameCache::Kind::Base, f, m_canvas, exactArea());
        drawFrame(f);
        m_cache.store(GifFrameCache::Kind::Shown, f, m_canvas, exactArea());
        dispose(f);
        changed = m_canvas.rect();
    }
    m_cache.store(GifFrameCache::Kind::Base, frame, m_canvas, exactArea());
    changed |= drawFrame(frame);
    m_cache.store(GifFrameCache::Kind::Shown, frame, m_canvas, exactArea());
    m_current = frame;
    m_canContinue = true;
    return changed;
}

// What the frame cache keeps of the part of the canvas in view, each copy taking about a byte
// a pixel (GifFrameCache::packedBytes). When the pictures of all frames fit in the budget,
// those, so later passes decode nothing. Otherwise a snapshot of the canvas before a frame
// wherever replaying from the latest starting point (a blank or covered canvas, or a snapshot)
// would decode more than m_replayPixels: each frame counts its pixels on the canvas and a
// thousand more for setting it up. When those snapshots do not fit in the budget, only every
// second, third ... is kept, evenly spread. A single picture is never replayed, so it keeps
// none. Should a frame that looked covering turn out to be cut short, a seek replays from an
// earlier starting point instead.
void GifDecoder::planCache()
{
    const qsizetype bytes = GifFrameCache::packedBytes(exactArea());
    if (exactArea().isEmpty() || frameCount() <= 1 || bytes > m_cacheBudget) {
        m_cache.clear();
        return;
    }
    if (qsizetype(frameCount()) * bytes <= m_cacheBudget) {
        m_cache.keepShown(frameCount(), m_cacheBudget);
        return;
    }
    std::vector<int> before;
    qint64 since = 0;
    for (int f = 0; f < frameCount(); ++f) {
        const GifFrameRecord &rec = record(f);
        if (rec.blankBase || rec.coversCanvas) {
            since = 0;
        } else if (since > m_replayPixels) {
            before.push_back(f);
            since = 0;
        }
        const QRect onCanvas = rec.rect.intersected(m_canvas.rect());
        since += 1000 + qint64(onCanvas.width()) * onCanvas.height();
    }
    const size_t fit = size_t(m_cacheBudget / bytes);
    const size_t every = (before.size() + fit - 1) / fit;
    if (every > 1) {
        std::vector<int> spread;
        for (size_t i = every - 1; i < before.size(); i += every)
            spread.push_back(before[i]);
        before = std::move(spread);
    }
    m_cache.keepBases(std::move(before), m_cacheBudget);
}

QRect GifDecoder::drawFrame(int frame)
{
    const GifFrameRecord &rec = record(frame);
    QRect clip = rec.rect.intersected(exactArea());
    // A rectangle of no width but some height intersects to one that still has rows.
    if (clip.isEmpty())
        clip = QRect();
    if (rec.disposal == GifFrameRecord::RestorePrevious) {
        m_saveUnder.resize(size_t(clip.width()) * size_t(clip.height()));
        quint32 *out = m_saveUnder.data();
        for (int y = clip.top(); y <= clip.bottom(); ++y, out += clip.width()) {
            const auto *row = reinterpret_cast<const quint32 *>(m_canvas.constScanLine(y));
            std::memcpy(out, row + clip.left(), size_t(clip.width()) * 4);
        }
        m_saveUnderRect = clip;
        m_saveUnderFrame = frame;
    }
    m_file.drawFrame(frame, m_canvas, exactArea());
    ++m_framesDecoded;
    return clip;
}

QRect GifDecoder::dispose(int frame)
{
    const GifFrameRecord &rec = record(frame);
    const QRect clip = rec.rect.intersected(exactArea());
    if (clip.isEmpty())
        return {};
    if (rec.disposal == GifFrameRecord::RestoreBackground) {
        for (int y = clip.top(); y <= clip.bottom(); ++y) {
            auto *row = reinterpret_cast<quint32 *>(m_canvas.scanLine(y));
            std::fill(row + clip.left(), row + clip.right() + 1, 0u);
        }
        return clip;
    }
    // What was saved covers at least the viewport of now, which may have narrowed since.
    if (rec.disposal == GifFrameRecord::RestorePrevious && m_saveUnderFrame == frame) {
        const QRect saved = m_saveUnderRect;
        const quint32 *in = m_saveUnder.data();
        for (int y = saved.top(); y <= saved.bottom(); ++y, in += saved.width()) {
            auto *row = reinterpret_cast<quint32 *>(m_canvas.scanLine(y));
            std::memcpy(row + saved.left(), in, size_t(saved.width()) * 4);
        }
        return saved;
    }
    return {};
}

void GifDecoder::fillArea()
{
    const QRect a = exactArea();
    for (int y = a.top(); y <= a.bottom(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(m_canvas.scanLine(y));
        std::fill(row + a.left(), row + a.right() + 1, 0u);
    }
}

// Drawing a frame never makes a pixel transparent, only clearing does. So the canvas is opaque
// after a whole frame that covers it with opaque colours, and stays so through each later frame
// whose predecessor is left in place; clearing to the background ends it. A frame put back to
// what was under it never counts as covering, so looking past it reaches what it was drawn on.
// What a frame is drawn on follows from the records alone, so this holds however the frame was
// reached. It looks back over a few frames at most.
bool GifDecoder::isOpaque() const
{
    constexpr int kLookBack = 64;
    for (int f = m_current; f >= 0 && f > m_current - kLookBack; --f) {
        if (m_file.isCoveringFrame(f))
            return true;
        if (f == 0 || record(f - 1).disposal == GifFrameRecord::RestoreBackground)
            return false;
    }
    return false;
}

bool GifDecoder::isExact(const QRect &area) const
{
    const QRect wanted = area.intersected(m_canvas.rect());
    return wanted.isEmpty() || exactArea().contains(wanted);
}

// When every shown frame is kept whole, their indices would only be kept twice.
void GifDecoder::budgetIndexCache()
{
    qsizetype budget = m_indexCacheBudget;
    if (budget == GifIndexCache::kSizedToView)
        budget = GifIndexCache::budgetForView(exactArea());
    m_file.setIndexCacheBudget(m_cache.keepsShownFrames() ? 0 : budget);
}

QRect GifDecoder::setViewport(const QRect &area)
{
    const bool widens = !isExact(area);
    m_viewport = area;
    if (!isLoaded())
        return {};
    // Kept canvases are exact only over the viewports they were made in.
    if (widens)
        planCache();
    budgetIndexCache();
    if (!widens)
        return {};
    const int frame = m_current;
    m_current = -1;
    m_canContinue = false;
    m_saveUnderFrame = -1;
    showFrame(std::max(frame, 0));
    return m_canvas.rect();
}

GifDecoder::Stats GifDecoder::stats() const
{
    Stats s;
    s.canvasBytes = m_canvas.sizeInBytes();
    s.saveUnderBytes = qsizetype(m_saveUnder.capacity() * sizeof(quint32));
    s.lineBufferBytes = m_file.lineBufferBytes();
    s.cacheBytes = m_cache.bytesUsed();
    s.cacheBudget = m_cache.budget();
    s.snapshots = m_cache.snapshotCount();
    s.cachesShownFrames = m_cache.keepsShownFrames();
    s.giflibSavedImages = m_file.giflibSavedImageCount();
    s.framesDecoded = m_framesDecoded;
    s.framesDecompressed = m_file.framesDecompressed();
    s.indexCacheBytes = m_file.indexCache().bytesUsed();
    s.indexCacheBudget = m_file.indexCache().budget();
    return s;
}
