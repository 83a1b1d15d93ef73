#pragma once

#include <QImage>
#include <QRect>
#include <vector>

// Canvas copies kept for seeking and replays, within a budget: either the shown picture of
// every frame, so later passes of a loop decode nothing, or snapshots of the canvas as it is
// just before some frames, so a seek replays from the latest one. GifDecoder decides which.
//
// A copy holds only the part of the canvas it was taken over (the decoder's viewport), as a
// byte a pixel into a table of its colours, or four bytes a pixel when it has more than 256.
// A copy that would take the cache over its budget is not kept.
class GifFrameCache
{
public:
    static constexpr qsizetype kDefaultBudget = 1024 * 1024;

    enum class Kind
    {
        Shown,
        Base
    };

    // What a copy of `area` takes when its colours fit in a table.
    static qsizetype packedBytes(const QRect &area);

    void keepShown(int frameCount, qsizetype budget);
    // `frames` ascending: the frames whose starting canvas is kept.
    void keepBases(std::vector<int> frames, qsizetype budget);
    void clear();

    bool keepsShownFrames() const { return m_keepShown; }
    int snapshotCount() const { return m_keepShown ? 0 : int(m_frames.size()); }
    qsizetype budget() const { return m_budget; }
    qsizetype bytesUsed() const { return m_used; }

    bool wants(Kind kind, int frame) const;
    // Keeps `canvas` over `area`, when wanted and within the budget.
    void store(Kind kind, int frame, const QImage &canvas, const QRect &area);
    bool has(Kind kind, int frame) const;
    // Copies what is kept over `area` onto `canvas`; `area` lies within the part kept. False,
    // and `canvas` untouched, when nothing is kept.
    bool restore(Kind kind, int frame, QImage &canvas, const QRect &area) const;
    // The latest frame at or before `frame` whose starting canvas is kept, or -1.
    int latestBase(int frame) const;

private:
    struct Entry
    {
        enum State : quint8
        {
            Empty,
            Kept,
            Refused // over the budget; not tried again
        } state = Empty;
        QRect area;
        std::vector<quint32> colours; // empty: `pixels` holds the colours themselves
        std::vector<uchar> pixels;
    };
    int slotOf(Kind kind, int frame) const;
    static bool pack(const QImage &canvas, const QRect &area, Entry &entry);

    std::vector<Entry> m_entries;
    std::vector<int> m_frames; // the frames of base entries, ascending
    qsizetype m_budget = 0;
    qsizetype m_used = 0;
    bool m_keepShown = false;
};
