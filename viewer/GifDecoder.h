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
// one row buffer, and a GifFrameCache of fixed budget. Showing frame n by a seek gives exactly
// the pixels that playing frames 0 .. n in order gives.
class GifDecoder
{
public:
    explicit GifDecoder(qsizetype cacheBudgetCap = GifFrameCache::kDefaultBudgetCap);

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

    struct Stats
    {
        qsizetype canvasBytes = 0;
        qsizetype saveUnderBytes = 0;
        qsizetype lineBufferBytes = 0;
        qsizetype cacheBytes = 0;
        qsizetype cacheBudget = 0;
        int snapshotInterval = 0;
        bool cachesShownFrames = false;
        int giflibSavedImages = 0;
        qint64 framesDecoded = 0; // since the load
    };
    Stats stats() const;

private:
    bool finishLoad(GifFile::Status status);
    int replayStart(int frame, bool &fromCurrent, int &fromShown);
    void enterBase(int frame);
    QRect drawFrame(int frame);
    QRect dispose(int frame);

    GifFile m_file;
    GifFrameCache m_cache;
    qsizetype m_cacheBudgetCap;
    GifFile::Status m_status = GifFile::Status::Closed;
    QImage m_canvas;
    std::vector<quint32> m_saveUnder;
    QRect m_saveUnderRect;
    int m_current = -1;
    // The canvas and save-under buffer hold the state that playing up to m_current leaves,
    // so the next frame follows by applying m_current's disposal.
    bool m_canContinue = false;
    qint64 m_framesDecoded = 0;
};
