#include "GifPrefetch.h"

GifPrefetch *GifPrefetch::s_waiting = nullptr;

GifPrefetch::GifPrefetch(const QString &path, QSize viewSize) : m_path(path)
{
    if (m_path.isEmpty())
        return;
    m_decoder = std::make_unique<GifDecoder>();
    m_decoder->setViewport(QRect());
    m_thread = std::thread([decoder = m_decoder.get(), path, viewSize] {
        if (!decoder->loadFile(path))
            return;
        // A pixel or two more on each side than the view, whichever way its centring rounds.
        const QSize canvas = decoder->canvasSize();
        const QSize margin(2, 2);
        const QPoint corner((canvas.width() - viewSize.width()) / 2,
                            (canvas.height() - viewSize.height()) / 2);
        decoder->setViewport(
            QRect(corner - QPoint(margin.width(), margin.height()), viewSize + margin * 2));
    });
    s_waiting = this;
}

GifPrefetch::~GifPrefetch()
{
    if (m_thread.joinable())
        m_thread.join();
    if (s_waiting == this)
        s_waiting = nullptr;
}

std::unique_ptr<GifDecoder> GifPrefetch::take(const QString &path)
{
    GifPrefetch *waiting = s_waiting;
    if (!waiting || waiting->m_path != path)
        return nullptr;
    s_waiting = nullptr;
    waiting->m_thread.join();
    if (!waiting->m_decoder->isLoaded())
        return nullptr;
    return std::move(waiting->m_decoder);
}
