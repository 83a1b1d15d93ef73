#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

// The small signs on the buttons. Each is drawn centred in the given box.
class GlyphPainter
{
public:
    static void plus(QPainter &p, const QRect &box, const QColor &colour);
    static void minus(QPainter &p, const QRect &box, const QColor &colour);
    static void list(QPainter &p, const QRect &box, const QColor &colour);
    static void star(QPainter &p, const QRect &box, const QColor &colour);
    static void cross(QPainter &p, const QRect &box, const QColor &colour);
    static void eject(QPainter &p, const QRect &box, const QColor &colour);
    static void loopArrow(QPainter &p, const QRectF &box, const QColor &colour);
    static void digits123(QPainter &p, const QRect &box, const QColor &colour);
    static void loudspeaker(QPainter &p, const QRectF &box, const QColor &colour);

    // Transport signs, in a square box around the button's centre.
    static void previous(QPainter &p, const QRectF &box, const QColor &colour);
    static void play(QPainter &p, const QRectF &box, const QColor &colour);
    static void pause(QPainter &p, const QRectF &box, const QColor &colour);
    static void next(QPainter &p, const QRectF &box, const QColor &colour);

    // A pixel-exact string in the tiny 3 x 5 digit font.
    static void tinyDigits(QPainter &p, int x, int y, const char *text, const QColor &colour);

    // Sets the pixels marked '#' in 'count' rows of text.
    static void pixelArt(QPainter &p, const QPoint &topLeft, const char *const *rows, int count,
                         const QColor &colour);
};
