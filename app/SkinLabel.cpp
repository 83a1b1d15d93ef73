#include "SkinLabel.h"

#include <QMouseEvent>

SkinLabel::SkinLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setFocusPolicy(Qt::NoFocus);
}

void SkinLabel::setForeColor(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

QColor SkinLabel::foreColor() const
{
    return palette().color(QPalette::WindowText);
}

void SkinLabel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void SkinLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void SkinLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}
