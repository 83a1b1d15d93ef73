#include "SkinLabel.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

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

void SkinLabel::paintEvent(QPaintEvent *event)
{
    const QFontInfo info(font());
    if (devicePixelRatioF() <= 1.0 ||
        QFontDatabase::isSmoothlyScalable(info.family(), info.styleName())) {
        QLabel::paintEvent(event);
        return;
    }
    QImage unscaled(size(), QImage::Format_ARGB32_Premultiplied);
    unscaled.fill(Qt::transparent);
    {
        QPainter painter(&unscaled);
        painter.setFont(font());
        style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                              text(), foregroundRole());
    }
    QPainter painter(this);
    painter.drawImage(rect(), unscaled);
}

void SkinLabel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void SkinLabel::mouseMoveEvent(QMouseEvent *event)
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
