#include "GifIndexCache.h"

#include <algorithm>

qsizetype GifIndexCache::budgetForView(const QRect &view)
{
    if (view.isEmpty())
        return 0;
    return std::min(kMaxBudget, qsizetype(kViewFrames) * view.width() * view.height());
}

void GifIndexCache::reset(qsizetype budget)
{
    m_entries.clear();
    m_budget = budget;
    m_used = 0;
}

void GifIndexCache::setBudget(qsizetype budget)
{
    if (m_used > budget)
        reset(budget);
    m_budget = budget;
}

const uchar *GifIndexCache::find(int frame, const QRect &needed, QRect &area) const
{
    const auto it = m_entries.find(frame);
    if (it == m_entries.end() || !it->second.area.contains(needed))
        return nullptr;
    area = it->second.area;
    return it->second.indices.data();
}

uchar *GifIndexCache::store(int frame, const QRect &area)
{
    drop(frame);
    const qsizetype bytes = qsizetype(area.width()) * area.height();
    if (area.isEmpty() || m_used + bytes > m_budget)
        return nullptr;
    Entry &entry = m_entries[frame];
    entry.area = area;
    entry.indices.resize(size_t(bytes));
    m_used += bytes;
    return entry.indices.data();
}

void GifIndexCache::drop(int frame)
{
    const auto it = m_entries.find(frame);
    if (it == m_entries.end())
        return;
    m_used -= qsizetype(it->second.indices.size());
    m_entries.erase(it);
}
