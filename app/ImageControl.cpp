#include "ImageControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

ImageControl::ImageControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

void ImageControl::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    resize(picture.deviceIndependentSize().toSize());
    update();
}

void ImageControl::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void ImageControl::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    emit mousePressed(event->button(), event->position().toPoint());
}

void ImageControl::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseReleased(event->button(), event->position().toPoint());
    if (event->button() == Qt::LeftButton && m_leftDown) {
        m_leftDown = false;
        if (rect().contains(event->position().toPoint()))
            emit clicked();
    }
}

// A second click in quick succession is one more press of the button, not a different gesture.
void ImageControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void ImageControl::clickFromKeyboard()
{
    const QPointer<ImageControl> self(this);
    const QPoint middle = rect().center();
    emit mousePressed(Qt::LeftButton, middle);
    if (self)
        emit mouseReleased(Qt::LeftButton, middle);
    if (self)
        emit clicked();
}
