#pragma once

#include <QGlyphRun>
#include <QHash>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QFont;
class QPainter;

// Draws counter texts (digits, minus signs, colons) in a bitmap font without laying each new
// number out again. In such a font these are all one cell wide and never kerned, so texts that
// differ only in their digits (same shape) are laid out alike: the place of the first glyph is
// learnt once per shape, by letting the caller's own text drawing run on a device
// that only records where the text goes, and the glyphs then follow one cell apart. The glyphs
// come out of the same glyph cache as the text drawing's, at the same places, so the pixels are
// the same.
class CounterGlyphs
{
public:
    // Draws `text` with `painter` (its pen, font and clip set up by the caller).
    using TextDrawing = std::function<void(QPainter &painter, const QString &text)>;

    // An empty table: usable() is false until reset() with a bitmap font.
    CounterGlyphs() = default;
    // Looks up the glyphs of `font` and forgets the learnt places.
    void reset(const QFont &font);
    // The places depend on the box and alignment the caller draws into; forget them when those
    // change.
    void forgetPlaces() { m_origins.clear(); }
    // The font is a bitmap font whose digits, minus and colon share one width.
    bool usable() const { return m_usable; }

    // Draws `text` the way `draw` would, at the same place; false (nothing drawn) when it is no
    // counter or its layout could not be learnt, so the caller draws it the usual way.
    bool paint(QPainter &painter, const QString &text, const TextDrawing &draw);

private:
    bool originOf(const QString &text, const TextDrawing &draw, QPointF &origin);

    QRawFont m_font;
    std::array<quint32, 12> m_glyphs{}; // '0' .. '9', '-', ':'
    qreal m_advance = 0;
    bool m_usable = false;
    // Baseline start of the text per shape (the text with every digit made 0); none for a
    // layout this cannot follow.
    QHash<QString, std::optional<QPointF>> m_origins;
    QString m_shape;
    QGlyphRun m_run;
    QList<quint32> m_indexes;
    QList<QPointF> m_positions;
};
