#include "SkinLabel.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
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

void SkinLabel::fitTogether(const QList<SkinLabel *> &group, const CutForText &cutFor)
{
    m_group.clear();
    for (SkinLabel *label : group)
        if (label != this)
            m_group.append(label);
    m_cutFor = cutFor;
    m_fittedLength = -1;
    update();
}

// Counters give every character one cell, so the cut depends only on the length of the
// group's longest text. A label whose cut changes has the others of its group look again.
QFont SkinLabel::textFont()
{
    if (!m_cutFor)
        return font();
    QString widest = text();
    for (const QPointer<SkinLabel> &label : std::as_const(m_group))
        if (label && label->text().size() > widest.size())
            widest = label->text();
    if (widest.size() != m_fittedLength) {
        m_fittedLength = widest.size();
        const int width = contentsRect().width();
        std::optional<QFont> cut;
        if (fontMetrics().horizontalAdvance(widest) > width)
            cut = m_cutFor(widest, width);
        if (cut != m_cut) {
            m_cut = cut;
            m_cutDrop = cut ? fontMetrics().ascent() - QFontMetrics(*cut).ascent() : 0;
            m_glyphsReady = false;
            for (const QPointer<SkinLabel> &label : std::as_const(m_group))
                if (label)
                    label->update();
        }
    }
    return m_cut.value_or(font());
}

QRect SkinLabel::textRect() const
{
    return contentsRect().translated(0, m_cutDrop);
}

void SkinLabel::paintEvent(QPaintEvent *event)
{
    const QFont drawn = textFont();
    if (devicePixelRatioF() <= 1.0 && paintCounter(drawn))
        return;
    const QFontInfo info(drawn);
    if (devicePixelRatioF() <= 1.0 ||
        QFontDatabase::isSmoothlyScalable(info.family(), info.styleName())) {
        if (!m_cut) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        drawText(painter, text());
        return;
    }
    QImage unscaled(size(), QImage::Format_ARGB32_Premultiplied);
    unscaled.fill(Qt::transparent);
    {
        QPainter painter(&unscaled);
        painter.setFont(drawn);
        style()->drawItemText(&painter, textRect(), int(alignment()), palette(), isEnabled(),
                              text(), foregroundRole());
    }
    QPainter painter(this);
    painter.drawImage(rect(), unscaled);
}

// What QLabel's own painting does for a plain, enabled, left-to-right text without frame,
// margin or indent; anything else is left to it.
bool SkinLabel::paintCounter(const QFont &textFont)
{
    if (!isEnabled() || frameWidth() != 0 || margin() != 0 || indent() > 0 ||
        layoutDirection() != Qt::LeftToRight || textFormat() != Qt::PlainText || wordWrap())
        return false;
    if (!m_glyphsReady) {
        m_glyphs.reset(textFont);
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
    painter.setFont(m_cut.value_or(font()));
    style()->drawItemText(&painter, textRect(),
                          int(QStyle::visualAlignment(Qt::LeftToRight, alignment())) |
                              Qt::TextForceLeftToRight,
                          palette(), true, text, foregroundRole());
}

void SkinLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_glyphsReady = false;
        m_fittedLength = -1;
    }
    QLabel::changeEvent(event);
}

void SkinLabel::resizeEvent(QResizeEvent *event)
{
    m_glyphs.forgetPlaces();
    m_fittedLength = -1;
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
