#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

// The chrome parts of the deck: round and capsule buttons, the small square buttons of the title
// strips, indicator sockets, slider knobs and recesses.
class ChromePainter
{
public:
    enum class Look
    {
        Raised,
        Pressed
    };

    static QColor mix(const QColor &a, const QColor &b, double t);

    // A circular button as wide as the smaller side of its cell, centred in it. Returns the face
    // box on which the caller draws the sign (already shifted when pressed).
    static QRectF roundButton(QPainter &p, const QRect &cell, Look look);
    // A small round push button with a chrome rim (switches, loudspeaker).
    static QRectF smallRoundButton(QPainter &p, const QRectF &circle);
    // A capsule button filling its cell exactly.
    static void capsule(QPainter &p, const QRect &cell);
    // A small square button of a title strip.
    static void titleButton(QPainter &p, const QRect &cell);
    // A round badge at the left end of a title strip.
    static void emblem(QPainter &p, const QRect &cell);
    // The grey socket of an indicator dot that covers exactly 'dot'.
    static void socket(QPainter &p, const QRect &dot);
    // A light-grey capsule knob with a dark outline filling its cell.
    static void knob(QPainter &p, const QRect &cell);
    // A rounded recess: a darker fill, shadowed along its top and lit along its bottom.
    static void recess(QPainter &p, const QRectF &box, qreal radius, const QColor &top,
                       const QColor &bottom);
};
