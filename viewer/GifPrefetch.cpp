#include "GifPrefetch.h"

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
}

GifPrefetch::~GifPrefetch()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::unique_ptr<GifDecoder> GifPrefetch::take(const QString &path)
{
    if (!m_decoder || m_path != path)
        return nullptr;
    m_thread.join();
    std::unique_ptr<GifDecoder> decoder = std::move(m_decoder);
    if (!decoder->isLoaded())
        return nullptr;
    return decoder;
}
