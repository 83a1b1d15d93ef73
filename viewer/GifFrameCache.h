#pragma once

#include <QImage>
#include <QSize>
#include <vector>

// Canvas copies kept for seeking and replays, within a budget fixed when an animation is
// loaded and independent of its frame count.
//
// When every frame fits in the budget, the cache keeps the shown picture of every frame, so
// later passes of a loop decode nothing. Otherwise it keeps a snapshot of the canvas as it is
// just before frames k, 2k, 3k, ... are drawn, with k chosen so that all snapshots fit; a seek
// then replays fewer than k frames.
class GifFrameCache
{
public:
    static constexpr qsizetype kDefaultBudgetCap = 64LL * 1024 * 1024;
    static constexpr int kPreferredSlots = 24;
    static constexpr qsizetype kSmallBudget = 4LL * 1024 * 1024;

    enum class Kind
    {
        Shown,
        Base
    };

    void reset(QSize canvasSize, int frameCount, qsizetype budgetCap = kDefaultBudgetCap);
    void clear();

    bool keepsShownFrames() const { return m_keepShown; }
    int snapshotInterval() const { return m_interval; } // 0 when no snapshots are kept
    int slotCount() const { return m_slots; }
    qsizetype budget() const { return qsizetype(m_slots) * m_frameBytes; }
    qsizetype bytesUsed() const { return qsizetype(m_used) * m_frameBytes; }

    bool wants(Kind kind, int frame) const;
    void store(Kind kind, int frame, const QImage &canvas);
    const QImage *find(Kind kind, int frame) const;
    // The latest frame at or before `frame` that has an entry of this kind, or -1.
    int latest(Kind kind, int frame) const;

private:
    int slotOf(Kind kind, int frame) const;

    std::vector<QImage> m_images;
    qsizetype m_frameBytes = 0;
    int m_slots = 0;
    int m_used = 0;
    int m_interval = 0;
    bool m_keepShown = false;
};
