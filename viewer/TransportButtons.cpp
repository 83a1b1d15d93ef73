#include "TransportButtons.h"

#include "AniGIF.h"
#include "ViewerFormulas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

TransportButtons::TransportButtons(const Controls &controls, QObject *parent)
    : QObject(parent), m_display(controls.display), m_im1(controls.im1), m_lb2(controls.lb2),
      m_Image3(controls.Image3), m_Image4(controls.Image4), m_Image5(controls.Image5),
      m_Image6(controls.Image6), m_Image7(controls.Image7), m_frameChanged(controls.frameChanged)
{}

TransportButtons::~TransportButtons()
{
    if (m_watchingReleases)
        QCoreApplication::instance()->removeEventFilter(this);
}

void TransportButtons::stopPressed()
{
    press(m_Image3);
    if (m_display) {
        m_display->Stop();
        m_display->setFrame(ViewerFormulas::kRewindFrame);
    }
    if (m_im1)
        m_im1->move(ViewerFormulas::kMarkerHome, m_im1->y());
    if (m_lb2)
        m_lb2->setText(ViewerFormulas::counterText(0));
}

void TransportButtons::playPressed()
{
    press(m_Image4);
    if (m_display)
        m_display->Play();
}

void TransportButtons::nextPressed()
{
    press(m_Image5);
    stepFrame(+1);
}

void TransportButtons::previousPressed()
{
    press(m_Image6);
    stepFrame(-1);
}

void TransportButtons::pausePressed()
{
    press(m_Image7);
    if (m_display)
        m_display->Stop();
}

void TransportButtons::stopReleased()
{
    release(m_Image3);
}

void TransportButtons::playReleased()
{
    release(m_Image4);
}

void TransportButtons::nextReleased()
{
    release(m_Image5);
}

void TransportButtons::previousReleased()
{
    release(m_Image6);
}

void TransportButtons::pauseReleased()
{
    release(m_Image7);
}

// Hiding the picture under the pointer takes the mouse grab from it, so its release may go to
// the skin below instead. The application's events are watched for that release until it comes.
void TransportButtons::press(QWidget *image)
{
    if (!image)
        return;
    if (m_held && m_held != image)
        m_held->show();
    m_held = image;
    image->hide();
    if (!m_watchingReleases) {
        QCoreApplication::instance()->installEventFilter(this);
        m_watchingReleases = true;
    }
}

void TransportButtons::release(QWidget *image)
{
    if (image)
        image->show();
    if (image == m_held || !m_held) {
        m_held = nullptr;
        if (m_watchingReleases) {
            QCoreApplication::instance()->removeEventFilter(this);
            m_watchingReleases = false;
        }
    }
}

bool TransportButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && m_held)
        release(m_held);
    return QObject::eventFilter(watched, event);
}

// A failed step (no animation, or a number past the 16-bit range) leaves the frame alone; the
// frame-change routine runs in any case.
void TransportButtons::stepFrame(int delta)
{
    qint16 frame = 0;
    if (m_display && ViewerFormulas::addChecked(m_display->Frame(), delta, frame))
        m_display->setFrame(frame);
    if (m_frameChanged)
        m_frameChanged();
}
