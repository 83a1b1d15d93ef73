#include "GifFrameCache.h"

#include <algorithm>

// The budget is what 24 canvases take (at least 4 MiB, which costs nothing next to the
// program itself), never above the cap. A single picture is never replayed, so it keeps none.
void GifFrameCache::reset(QSize canvasSize, int frameCount, qsizetype budgetCap)
{
    clear();
    m_frameBytes = qsizetype(canvasSize.width()) * canvasSize.height() * 4;
    if (m_frameBytes <= 0 || frameCount <= 1)
        return;
    const qsizetype wanted = std::max(kPreferredSlots * m_frameBytes, kSmallBudget);
    const qsizetype budget = std::min(wanted, budgetCap);
    m_slots = int(std::min<qsizetype>(budget / m_frameBytes, frameCount));
    if (m_slots <= 0)
        return;
    if (frameCount <= m_slots) {
        m_keepShown = true;
        m_slots = frameCount;
    } else {
        m_interval = (frameCount - 1 + m_slots - 1) / m_slots;
        m_slots = (frameCount - 1) / m_interval;
    }
    m_images.resize(size_t(m_slots));
}

void GifFrameCache::clear()
{
    m_images.clear();
    m_images.shrink_to_fit();
    m_frameBytes = 0;
    m_slots = 0;
    m_used = 0;
    m_interval = 0;
    m_keepShown = false;
}

int GifFrameCache::slotOf(Kind kind, int frame) const
{
    if (kind == Kind::Shown)
        return m_keepShown && frame >= 0 && frame < m_slots ? frame : -1;
    if (m_interval <= 0 || frame <= 0 || frame % m_interval != 0)
        return -1;
    const int slot = frame / m_interval - 1;
    return slot < m_slots ? slot : -1;
}

bool GifFrameCache::wants(Kind kind, int frame) const
{
    const int slot = slotOf(kind, frame);
    return slot >= 0 && m_images[size_t(slot)].isNull();
}

void GifFrameCache::store(Kind kind, int frame, const QImage &canvas)
{
    if (!wants(kind, frame))
        return;
    m_images[size_t(slotOf(kind, frame))] = canvas.copy();
    ++m_used;
}

const QImage *GifFrameCache::find(Kind kind, int frame) const
{
    const int slot = slotOf(kind, frame);
    if (slot < 0 || m_images[size_t(slot)].isNull())
        return nullptr;
    return &m_images[size_t(slot)];
}

int GifFrameCache::latest(Kind kind, int frame) const
{
    if (kind == Kind::Shown) {
        for (int f = std::min(frame, m_slots - 1); f >= 0 && m_keepShown; --f) {
            if (!m_images[size_t(f)].isNull())
                return f;
        }
        return -1;
    }
    if (m_interval <= 0)
        return -1;
    for (int f = frame - frame % m_interval; f > 0; f -= m_interval) {
        if (find(Kind::Base, f))
            return f;
    }
    return -1;
}
