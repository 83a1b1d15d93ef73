#pragma once

#include "CounterGlyphs.h"

#include <QLabel>
#include <QPointer>
#include <functional>
#include <optional>

// A caption on the skin: transparent, fixed in size (a longer text is cut off at its box), and
// it keeps the mouse presses that land on it, with the moves and the release after them, so
// they never drag the window. On a screen that scales the window, a caption in a bitmap font is
// drawn as at scale 1 and then enlarged pixel by pixel, like the skin under it, since the font
// itself does not grow. A counter in a bitmap font is drawn from glyphs looked up once, without
// laying out each new number again (see CounterGlyphs), to the same pixels. Counters that read
// as one (a total, a colon and a current number) can be fitted together: when the widest of
// their texts outgrows its box, all of them take the smaller cut it needs, on the same baseline.
class SkinLabel : public QLabel
{
    Q_OBJECT
public:
    SkinLabel(const QString &caption, QWidget *parent = nullptr);

    void setForeColor(const QColor &colour);
    QColor foreColor() const;

    // `cutFor` gives the font in which a text fits a width; the group includes this label.
    using CutForText = std::function<QFont(const QString &text, int width)>;
    void fitTogether(const QList<SkinLabel *> &group, const CutForText &cutFor);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QFont textFont();
    QRect textRect() const;
    bool paintCounter(const QFont &textFont);
    void drawText(QPainter &painter, const QString &text) const;

    CounterGlyphs m_glyphs;
    bool m_glyphsReady = false;
    Qt::Alignment m_glyphsAlignment;
    QList<QPointer<SkinLabel>> m_group;
    CutForText m_cutFor;
    std::optional<QFont> m_cut;
    int m_cutDrop = 0; // keeps the cut's baseline on the font's
    qsizetype m_fittedLength = -1;
};
