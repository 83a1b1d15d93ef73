#pragma once

#include <QRect>
#include <QtGlobal>
#include <unordered_map>
#include <vector>

// Decoded frames kept compactly, as the palette indices of the part of each frame that was
// needed (one byte a pixel instead of four), within a budget. Later passes of a loop then only
// look colours up, with no decompression.
//
// Entries are kept in the order they come and never evicted: playback visits frames in a
// cycle, so dropping one frame to make room for the next would only trade one miss for another.
// An entry that does not cover the part asked for is replaced when the frame is decoded again.
class GifIndexCache
{
public:
    // Unless told otherwise, the cache holds a few frames of the part of the canvas in view,
    // and never more than the bound: a large cache for a small view only holds memory.
    static constexpr qsizetype kSizedToView = -1;
    static constexpr int kViewFrames = 4;
    static constexpr qsizetype kMaxBudget = 8LL * 1024 * 1024;
    static qsizetype budgetForView(const QRect &view);

    void reset(qsizetype budget);
    void clear() { reset(0); }
    // A new budget; what is kept stays when it fits in it.
    void setBudget(qsizetype budget);

    // The indices of `frame` over `area` (canvas coordinates), row by row, when they cover
    // `needed`; nullptr otherwise.
    const uchar *find(int frame, const QRect &needed, QRect &area) const;
    // Room for the indices of `frame` over `area`, or nullptr when it does not fit the budget.
    uchar *store(int frame, const QRect &area);
    void drop(int frame);

    qsizetype budget() const { return m_budget; }
    qsizetype bytesUsed() const { return m_used; }

private:
    struct Entry
    {
        QRect area;
        std::vector<uchar> indices;
    };
    std::unordered_map<int, Entry> m_entries;
    qsizetype m_budget = 0;
    qsizetype m_used = 0;
};
