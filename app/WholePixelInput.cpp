#include "WholePixelInput.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWindow>
#include <cmath>

void WholePixelInput::install(QWindow *window)
{
    if (window && !window->findChild<WholePixelInput *>(QString(), Qt::FindDirectChildrenOnly))
        window->installEventFilter(new WholePixelInput(window));
}

// The event goes on as a copy whose window position is moved down to the whole pixel it lies
// in; its scene and screen positions move by as much, so that drags keep their distances.
bool WholePixelInput::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        break;
    default:
        return false;
    }
    if (m_resending)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPointF position = mouse->position();
    const QPointF whole(std::floor(position.x()), std::floor(position.y()));
    if (whole == position)
        return false;
    const QPointF shift = whole - position;
    QMouseEvent copy(mouse->type(), whole, mouse->scenePosition() + shift,
                     mouse->globalPosition() + shift, mouse->button(), mouse->buttons(),
                     mouse->modifiers(), mouse->pointingDevice());
    copy.setTimestamp(mouse->timestamp());
    m_resending = true;
    QCoreApplication::sendEvent(watched, &copy);
    m_resending = false;
    event->setAccepted(copy.isAccepted());
    return true;
}
