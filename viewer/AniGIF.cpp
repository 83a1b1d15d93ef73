#include "AniGIF.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QWindow>
#include <algorithm>

namespace {
// While suspended, how often to look whether the window can be seen again.
constexpr int kSuspendPollMs = 200;
// Behind the clock by more than this (a stalled machine), the schedule starts afresh
// instead of rushing through the frames it missed.
constexpr qint64 kMaxLagMs = 1000;
} // namespace

AniGIF::AniGIF(QWidget *parent) : QWidget(parent), m_decoder(std::make_unique<GifDecoder>())
{
    setObjectName(QStringLiteral("AniGIF"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor::fromRgb(kBackground));
    setPalette(background);
    resize(kEmptySize);
    hide();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AniGIF::tick);
    m_clock.start();
}

AniGIF::~AniGIF() = default;

bool AniGIF::LoadFile(const QString &path)
{
    return LoadFile(path, nullptr);
}

bool AniGIF::LoadFile(const QString &path, std::unique_ptr<GifDecoder> opened)
{
    Stop();
    m_finished = false;
    m_passesDone = 0;
    m_frame = 0;
    bool loaded = false;
    if (opened) {
        // Opened while the program started, with the part that comes into view decoded.
        m_decoder = std::move(opened);
        loaded = true;
    } else {
        m_decoder->setViewport(shownArea());
        loaded = m_decoder->loadFile(path);
    }
    update();
    if (!loaded)
        return false;
    resize(m_decoder->canvasSize());
    updateGeometry();
    Play();
    return true;
}

qint16 AniGIF::FrameCount() const
{
    return qint16(std::min(m_decoder->frameCount(), 32767));
}

void AniGIF::setFrame(qint16 frame)
{
    if (!m_decoder->isLoaded())
        return;
    display(std::clamp<int>(frame, 0, FrameCount() - 1));
    if (m_playing) {
        m_due = m_clock.elapsed() + m_decoder->delayMs(m_frame);
        m_leftAtPause = m_decoder->delayMs(m_frame);
        arm(m_decoder->delayMs(m_frame));
    }
}

void AniGIF::Play()
{
    if (!m_decoder->isLoaded() || m_playing)
        return;
    if (m_finished) {
        m_finished = false;
        m_passesDone = 0;
    }
    m_playing = true;
    m_suspended = false;
    m_due = m_clock.elapsed() + m_decoder->delayMs(m_frame);
    arm(m_decoder->delayMs(m_frame));
}

void AniGIF::Stop()
{
    m_playing = false;
    m_suspended = false;
    m_tickPending = false;
    m_timer.stop();
}

QSize AniGIF::sizeHint() const
{
    return m_decoder->isLoaded() ? m_decoder->canvasSize() : QSize(0, 0);
}

void AniGIF::arm(qint64 inMs)
{
    m_timer.start(int(std::clamp<qint64>(inMs, 0, 24 * 3600 * 1000)));
}

// On X11 the server says whether the window is on screen, and that is what counts: a minimise
// that no window manager carries out leaves the window in view, although Qt takes it for
// minimised from the request on. Elsewhere the minimised state is all there is to go by.
bool AniGIF::viewable() const
{
    if (!isVisible())
        return false;
    const QWindow *handle = window()->windowHandle();
    if (handle && QGuiApplication::platformName() == QLatin1String("xcb"))
        return handle->isExposed();
    return !window()->isMinimized();
}

void AniGIF::tick()
{
    if (!m_playing || !m_decoder->isLoaded())
        return;
    const qint64 now = m_clock.elapsed();
    if (!viewable()) {
        if (!m_suspended) {
            m_suspended = true;
            m_leftAtPause = std::max<qint64>(0, m_due - now);
        }
        m_timer.start(kSuspendPollMs);
        return;
    }
    if (m_suspended) {
        m_suspended = false;
        m_due = now + m_leftAtPause;
    }
    if (now < m_due) {
        arm(m_due - now);
        return;
    }
    if (m_inSignal > 0) {
        m_tickPending = true;
        return;
    }
    advance();
}

// Shows the next frame and schedules the one after it from the previous due time, not from
// now, so that the frames of a pass take the sum of their delays.
void AniGIF::advance()
{
    const int count = FrameCount();
    const int next = m_frame + 1 < count ? m_frame + 1 : 0;
    display(next);
    const qint64 now = m_clock.elapsed();
    const int delay = m_decoder->delayMs(next);
    m_due = m_due + delay < now - kMaxLagMs ? now + delay : m_due + delay;
    if (next == count - 1) {
        if (m_loops > 1)
            ++m_passesDone;
        if (m_loops == 1 || (m_loops > 1 && m_passesDone >= m_loops)) {
            m_playing = false;
            m_finished = true;
        }
    }
    if (m_playing)
        arm(m_due - now);
    emitFrameChanged(next);
}

void AniGIF::emitFrameChanged(int frame)
{
    QPointer<AniGIF> self(this);
    ++m_inSignal;
    emit FrameChanged(qint16(frame));
    if (!self)
        return;
    --m_inSignal;
    if (m_inSignal == 0 && m_tickPending) {
        m_tickPending = false;
        if (m_playing)
            arm(m_due - m_clock.elapsed());
    }
}

// Only the part of the widget that can be seen is decoded and composed; a paint event
// elsewhere (the widget was moved, or grabbed) composes the frame again over the wider part.
QRect AniGIF::shownArea() const
{
    return isVisible() ? visibleRegion().boundingRect() : QRect();
}

void AniGIF::display(int frame)
{
    m_decoder->setViewport(shownArea());
    const QRect changed = m_decoder->showFrame(frame);
    m_frame = frame;
    if (!changed.isEmpty())
        update(changed);
}

// An opaque canvas is copied as it is; otherwise it is blended over the background colour.
void AniGIF::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    if (!m_decoder->isLoaded()) {
        painter.fillRect(area, QColor::fromRgb(kBackground));
        return;
    }
    if (!m_decoder->isExact(area))
        m_decoder->setViewport(area | shownArea());
    const QImage &canvas = m_decoder->canvas();
    if (!m_decoder->isOpaque()) {
        painter.fillRect(area, QColor::fromRgb(kBackground));
        painter.drawImage(area.topLeft(), canvas, area);
        return;
    }
    for (const QRect &beyond : QRegion(area) - canvas.rect())
        painter.fillRect(beyond, QColor::fromRgb(kBackground));
    const QImage opaque(canvas.constBits(), canvas.width(), canvas.height(), canvas.bytesPerLine(),
                        QImage::Format_RGB32);
    painter.drawImage(area.topLeft(), opaque, area);
}

void AniGIF::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_playing && m_suspended)
        arm(0);
}
