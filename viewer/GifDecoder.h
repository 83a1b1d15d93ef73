#pragma once

#include "GifFile.h"
#include "GifFrameCache.h"

#include <QImage>
#include <QRect>
#include <vector>

// The GIF engine: loads an animation (structure scan, then the first frame) and composes any
// frame on request onto one canvas, as browsers do: the canvas starts transparent; after a
// frame, disposal 2 clears its rectangle to transparent and disposal 3 restores just that
// rectangle to what was under it; frames are clipped to the canvas.
//
// Memory does not depend on the frame count: one canvas, one save-under buffer for disposal 3,
// one row buffer, a GifFrameCache of a fixed budget (see planCache()) and a GifIndexCache
// bounded by the budget given, or sized to the viewport (see GifIndexCache::budgetForView).
// Showing frame n by a seek gives exactly the pixels that playing frames 0 .. n in order gives.
//
// Every pixel of the canvas follows from the frames' pixels at the same place alone, so the
// canvas can be kept exact over a part of it, the viewport, and nothing outside it decoded,
// drawn or cleared: a large animation seen through a small window costs what the window
// shows. Pixels outside the viewport are left as they happen to be. Widening the viewport
// composes the frame on show again.
class GifDecoder
{
public:
    // A seek replays frames of about this many pixels at most, when the cache's budget allows:
    // what the engine decodes in 2 to 3 ms.
    static constexpr qint64 kReplayPixels = 2'000'000;

    explicit GifDecoder(qsizetype cacheBudget = GifFrameCache::kDefaultBudget,
                        qsizetype indexCacheBudget = GifIndexCache::kSizedToView,
                        qint64 replayPixels = kReplayPixels);

    // Maps and scans the file and shows frame 0. On failure the decoder is empty.
    bool loadFile(const QString &path);
    bool loadData(const QByteArray &bytes);
    void close();

    bool isLoaded() const { return m_file.isOpen(); }
    GifFile::Status status() const { return m_status; }
    int frameCount() const { return int(m_file.frames().size()); }
    QSize canvasSize() const { return m_canvas.size(); }
    int loopCount() const { return m_file.loopCount(); }
    const GifFrameRecord &record(int frame) const { return m_file.frames()[size_t(frame)]; }
    int delayMs(int frame) const { return record(frame).delayMs(); }

    // Makes the canvas show `frame` (0 .. frameCount() - 1) and returns the part of the canvas
    // that changed. Out-of-range numbers change nothing.
    QRect showFrame(int frame);
    int currentFrame() const { return m_current; }
    const QImage &canvas() const { return m_canvas; }

    // The part of the canvas kept exact, in canvas coordinates; the whole canvas unless set.
    // It is kept across loads. Returns the part of the canvas that changed: the whole canvas
    // when the frame on show had to be composed again, otherwise nothing.
    QRect setViewport(const QRect &area);
    QRect viewport() const { return m_viewport; }
    // Whether the canvas is exact over `area`.
    bool isExact(const QRect &area) const;
    // Whether the frame on show leaves no pixel of the canvas transparent (false when that is
    // not known for sure).
    bool isOpaque() const;

    struct Stats
    {
        qsizetype canvasBytes = 0;
        qsizetype saveUnderBytes = 0;
        qsizetype lineBufferBytes = 0;
        qsizetype cacheBytes = 0;
        qsizetype cacheBudget = 0;
        int snapshots = 0; // frames whose starting canvas the cache keeps
        bool cachesShownFrames = false;
        int giflibSavedImages = 0;
        qint64 framesDecoded = 0;      // frames composed since the load
        qint64 framesDecompressed = 0; // of those, decoded from the file's data
        qsizetype indexCacheBytes = 0;
        qsizetype indexCacheBudget = 0;
    };
    Stats stats() const;

private:
    bool finishLoad(GifFile::Status status);
    int replayStart(int frame, bool &fromCurrent, int &fromShown);
    void planCache();
    QRect drawFrame(int frame);
    QRect dispose(int frame);
    QRect exactArea() const { return m_viewport.intersected(m_canvas.rect()); }
    void fillArea();
    void budgetIndexCache();

    GifFile m_file;
    GifFrameCache m_cache;
    qsizetype m_cacheBudget;
    qsizetype m_indexCacheBudget;
    qint64 m_replayPixels;
    static constexpr QRect kEverything{0, 0, 1 << 16, 1 << 16};
    QRect m_viewport = kEverything;
    GifFile::Status m_status = GifFile::Status::Closed;
    QImage m_canvas;
    std::vector<quint32> m_saveUnder;
    QRect m_saveUnderRect;
    int m_saveUnderFrame = -1;
    int m_current = -1;
    // The canvas and save-under buffer hold the state that playing up to m_current leaves,
    // so the next frame follows by applying m_current's disposal.
    bool m_canContinue = false;
    qint64 m_framesDecoded = 0;
};
