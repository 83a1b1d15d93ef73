#pragma once

#include <QSize>

// The outline of the deck: the skin's key-coloured corners and side notches. Every row has a run
// of key pixels of the same length at its left and its right end (often none).
class KeyShape
{
public:
    static constexpr int width = 496;
    static constexpr int height = 549;
    static constexpr QSize size() { return {width, height}; }

    // Key pixels at each end of the row.
    static int runLength(int row);
    static bool isKey(int x, int y);
    // Key pixels in the whole picture.
    static int keyPixelCount();
    // Whether (x, y) lies inside the picture and is not a key pixel.
    static bool isInside(int x, int y);
};
