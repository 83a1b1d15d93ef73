#include "KeyShape.h"

#include <array>

namespace {

// Bevelled top corners, the notch where the two panels meet, and the bevelled bottom corners.
constexpr std::array<int, 5> topRuns{5, 3, 2, 1, 1};
constexpr int notchTop = 382;
constexpr std::array<int, 11> notchRuns{1, 1, 2, 3, 4, 6, 5, 3, 2, 1, 1};
constexpr int bottomTop = 543;
constexpr std::array<int, 6> bottomRuns{1, 1, 2, 3, 4, 6};

} // namespace

int KeyShape::runLength(int row)
{
    if (row < 0 || row >= height)
        return 0;
    if (row < int(topRuns.size()))
        return topRuns[row];
    if (row >= notchTop && row < notchTop + int(notchRuns.size()))
        return notchRuns[row - notchTop];
    if (row >= bottomTop)
        return bottomRuns[row - bottomTop];
    return 0;
}

bool KeyShape::isKey(int x, int y)
{
    const int run = runLength(y);
    return x < run || x >= width - run;
}

int KeyShape::keyPixelCount()
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        count += 2 * runLength(y);
    return count;
}

bool KeyShape::isInside(int x, int y)
{
    return x >= 0 && y >= 0 && x < width && y < height && !isKey(x, y);
}
