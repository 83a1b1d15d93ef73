#include "PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage &picture)
{
    if (picture.format() == QImage::Format_Indexed8)
        m_image = picture;
    else
        m_image = picture.convertToFormat(
            picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    resize(picture.size());
    update();
}

void PictureBox::setBackColor(const QColor &colour)
{
    m_backColor = colour;
    update();
}

void PictureBox::setFlatBorder(bool on)
{
    m_border = on;
    setContentsMargins(on ? QMargins(1, 1, 1, 1) : QMargins());
    update();
}

QRect PictureBox::innerRect() const
{
    return contentsRect();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_image.isNull() || !m_image.rect().contains(event->rect()))
        painter.fillRect(event->rect(), m_backColor);
    if (!m_image.isNull())
        painter.drawImage(event->rect().topLeft(), m_image, event->rect());
    if (m_border) {
        painter.setPen(BorderColour);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit mousePressed(event->button(), event->position().toPoint());
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseMoved(event->buttons(), event->position().toPoint(), event->globalPosition());
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseReleased(event->button(), event->buttons(), event->position().toPoint());
}
