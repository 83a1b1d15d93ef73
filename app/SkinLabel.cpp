#include "SkinLabel.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
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
    if (devicePixelRatioF() <= 1.0 && paintCounter())
        return;
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

// What QLabel's own painting does for a plain, enabled, left-to-right text without frame,
// margin or indent; anything else is left to it.
bool SkinLabel::paintCounter()
{
    if (!isEnabled() || frameWidth() != 0 || margin() != 0 || indent() > 0 ||
        layoutDirection() != Qt::LeftToRight || textFormat() != Qt::PlainText || wordWrap())
        return false;
    if (!m_glyphsReady) {
        m_glyphs.reset(font());
        m_glyphsReady = true;
        m_glyphsAlignment = alignment();
    }
    if (!m_glyphs.usable())
        return false;
    if (m_glyphsAlignment != alignment()) {
        m_glyphs.forgetPlaces();
        m_glyphsAlignment = alignment();
    }
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.setPen(QPen(palette().brush(foregroundRole()), painter.pen().widthF()));
    return m_glyphs.paint(painter, text(),
                          [this](QPainter &recorder, const QString &t) { drawText(recorder, t); });
}

void SkinLabel::drawText(QPainter &painter, const QString &text) const
{
    painter.setFont(font());
    style()->drawItemText(&painter, contentsRect(),
                          int(QStyle::visualAlignment(Qt::LeftToRight, alignment())) |
                              Qt::TextForceLeftToRight,
                          palette(), true, text, foregroundRole());
}

void SkinLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_glyphsReady = false;
    QLabel::changeEvent(event);
}

void SkinLabel::resizeEvent(QResizeEvent *event)
{
    m_glyphs.forgetPlaces();
    QLabel::resizeEvent(event);
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
