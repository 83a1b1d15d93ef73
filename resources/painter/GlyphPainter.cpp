#include "GlyphPainter.h"

#include <QPainterPath>
#include <algorithm>
#include <cstring>

namespace {

QPoint centreOf(const QRect &box)
{
    return {box.x() + box.width() / 2, box.y() + box.height() / 2};
}

void triangle(QPainter &p, QPointF a, QPointF b, QPointF c, const QColor &colour)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, colour);
}

// 3 x 5 digits, one string of 15 cells per digit, row by row.
const char *const tinyFont[10] = {
    "###"
    "#.#"
    "#.#"
    "#.#"
    "###",
    ".#."
    "##."
    ".#."
    ".#."
    "###",
    "##."
    "..#"
    ".#."
    "#.."
    "###",
    "##."
    "..#"
    ".#."
    "..#"
    "##.",
    "#.#"
    "#.#"
    "###"
    "..#"
    "..#",
    "###"
    "#.."
    "##."
    "..#"
    "##.",
    ".##"
    "#.."
    "###"
    "#.#"
    "###",
    "###"
    "..#"
    ".#."
    ".#."
    ".#.",
    "###"
    "#.#"
    "###"
    "#.#"
    "###",
    "###"
    "#.#"
    "###"
    "..#"
    "##.",
};

} // namespace

void GlyphPainter::plus(QPainter &p, const QRect &box, const QColor &colour)
{
    const QPoint c = centreOf(box);
    p.fillRect(QRect(c.x() - 3, c.y() - 1, 7, 2), colour);
    p.fillRect(QRect(c.x() - 1, c.y() - 3, 2, 7), colour);
}

void GlyphPainter::minus(QPainter &p, const QRect &box, const QColor &colour)
{
    const QPoint c = centreOf(box);
    p.fillRect(QRect(c.x() - 3, c.y() - 1, 7, 2), colour);
}

void GlyphPainter::list(QPainter &p, const QRect &box, const QColor &colour)
{
    const QPoint c = centreOf(box);
    for (int row = 0; row < 3; ++row) {
        const int y = c.y() - 3 + row * 3;
        p.fillRect(QRect(c.x() - 3, y, 1, 1), colour);
        p.fillRect(QRect(c.x() - 1, y, 5, 1), colour);
    }
}

void GlyphPainter::star(QPainter &p, const QRect &box, const QColor &colour)
{
    const QPoint c = centreOf(box);
    p.fillRect(QRect(c.x(), c.y() - 3, 1, 7), colour);
    p.fillRect(QRect(c.x() - 3, c.y(), 7, 1), colour);
    for (int d = 1; d <= 2; ++d) {
        p.fillRect(QRect(c.x() - d, c.y() - d, 1, 1), colour);
        p.fillRect(QRect(c.x() + d, c.y() - d, 1, 1), colour);
        p.fillRect(QRect(c.x() - d, c.y() + d, 1, 1), colour);
        p.fillRect(QRect(c.x() + d, c.y() + d, 1, 1), colour);
    }
}

void GlyphPainter::cross(QPainter &p, const QRect &box, const QColor &colour)
{
    // A pixel-exact diagonal cross filling the box.
    const int n = std::min(box.width(), box.height());
    for (int i = 0; i < n; ++i) {
        p.fillRect(QRect(box.x() + i, box.y() + i, 1, 1), colour);
        p.fillRect(QRect(box.x() + n - 1 - i, box.y() + i, 1, 1), colour);
    }
}

void GlyphPainter::eject(QPainter &p, const QRect &box, const QColor &colour)
{
    const QPoint c = centreOf(box);
    // Triangle rows of widths 1, 3, 5, 7, then a gap and a bar.
    for (int row = 0; row < 4; ++row)
        p.fillRect(QRect(c.x() - row, c.y() - 4 + row, 2 * row + 1, 1), colour);
    p.fillRect(QRect(c.x() - 3, c.y() + 1, 7, 2), colour);
}

void GlyphPainter::loopArrow(QPainter &p, const QRectF &box, const QColor &colour)
{
    // An open ring going round clockwise, its arrow head at the top.
    static const char *const rows[] = {
        ".....#...", //
        "..#####..", //
        ".#...###.", //
        "#....##..", //
        "#....#..#", //
        "#.......#", //
        "#.......#", //
        ".#.....#.", //
        "..#####..", //
    };
    const QPoint c = box.center().toPoint();
    pixelArt(p, QPoint(c.x() - 4, c.y() - 4), rows, 9, colour);
}

void GlyphPainter::digits123(QPainter &p, const QRect &box, const QColor &colour)
{
    const QPoint c = centreOf(box);
    tinyDigits(p, c.x() - 5, c.y() - 2, "123", colour);
}

void GlyphPainter::loudspeaker(QPainter &p, const QRectF &box, const QColor &colour)
{
    static const char *const rows[] = {
        "...#...", //
        "..##.#.", //
        "####..#", //
        "####..#", //
        "####..#", //
        "..##.#.", //
        "...#...", //
    };
    const QPoint c = box.center().toPoint();
    pixelArt(p, QPoint(c.x() - 3, c.y() - 3), rows, 7, colour);
}

void GlyphPainter::pixelArt(QPainter &p, const QPoint &topLeft, const char *const *rows, int count,
                            const QColor &colour)
{
    for (int y = 0; y < count; ++y) {
        for (int x = 0; rows[y][x] != '\0'; ++x) {
            if (rows[y][x] == '#')
                p.fillRect(QRect(topLeft.x() + x, topLeft.y() + y, 1, 1), colour);
        }
    }
}

void GlyphPainter::previous(QPainter &p, const QRectF &box, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = box.center();
    const qreal h = box.height() * 0.5;
    const qreal w = box.width() * 0.36;
    triangle(p, {c.x() - w, c.y()}, {c.x(), c.y() - h / 2}, {c.x(), c.y() + h / 2}, colour);
    triangle(p, {c.x(), c.y()}, {c.x() + w, c.y() - h / 2}, {c.x() + w, c.y() + h / 2}, colour);
    p.restore();
}

void GlyphPainter::next(QPainter &p, const QRectF &box, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = box.center();
    const qreal h = box.height() * 0.5;
    const qreal w = box.width() * 0.36;
    triangle(p, {c.x() + w, c.y()}, {c.x(), c.y() - h / 2}, {c.x(), c.y() + h / 2}, colour);
    triangle(p, {c.x(), c.y()}, {c.x() - w, c.y() - h / 2}, {c.x() - w, c.y() + h / 2}, colour);
    p.restore();
}

void GlyphPainter::play(QPainter &p, const QRectF &box, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = box.center();
    const qreal h = box.height() * 0.56;
    const qreal w = h * 0.86;
    triangle(p, {c.x() - w * 0.4, c.y() - h / 2}, {c.x() - w * 0.4, c.y() + h / 2},
             {c.x() + w * 0.6, c.y()}, colour);
    p.restore();
}

void GlyphPainter::pause(QPainter &p, const QRectF &box, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = box.center();
    const qreal h = box.height() * 0.5;
    const qreal barWidth = box.width() * 0.14;
    const qreal gap = box.width() * 0.12;
    p.fillRect(QRectF(c.x() - gap / 2 - barWidth, c.y() - h / 2, barWidth, h), colour);
    p.fillRect(QRectF(c.x() + gap / 2, c.y() - h / 2, barWidth, h), colour);
    p.restore();
}

void GlyphPainter::tinyDigits(QPainter &p, int x, int y, const char *text, const QColor &colour)
{
    for (size_t i = 0; i < std::strlen(text); ++i) {
        const int digit = text[i] - '0';
        if (digit < 0 || digit > 9)
            continue;
        for (int cell = 0; cell < 15; ++cell) {
            if (tinyFont[digit][cell] == '#')
                p.fillRect(QRect(x + int(i) * 4 + cell % 3, y + cell / 3, 1, 1), colour);
        }
    }
}
