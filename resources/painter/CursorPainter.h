#pragma once

#include <QImage>

// The pointing hand shown over every button: white with a black outline, index finger up, a
// dark-blue cuff at the bottom. The tip of the finger is the hot spot.
class CursorPainter
{
public:
    static constexpr int hotSpotX = 12;
    static constexpr int hotSpotY = 1;

    // 32 x 32, ARGB, every pixel fully opaque or fully transparent.
    static QImage paint();
};
