#include "CursorPainter.h"

#include <cstring>

namespace {

// One character per pixel. '.' transparent, 'K' black, 'W' white, 'g' light shading, 'G' crease,
// 'B' cuff blue, 'b' cuff highlight, 'n' cuff shadow.
const char *const hand[32] = {
    "................................", // 0
    "...........KKK..................", // 1
    "..........KWWWK.................", // 2
    "..........KWWgK.................", // 3
    "..........KWWgK.................", // 4
    "..........KWWgK.................", // 5
    "..........KWWgK.................", // 6
    "..........KWWgK.................", // 7
    "..........KWWgK.................", // 8
    "..........KWWgK.................", // 9
    "..........KWWgKKKK..............", // 10
    "..........KWWgKWWWKKKK..........", // 11
    "..........KWWgKWWgKWWWK.........", // 12
    "..........KWWgKWWgKWWgKKK.......", // 13
    "..........KWWgKWWgKWWgKWWK......", // 14
    "....KKK...KWWWGWWWGWWWGWgK......", // 15
    "...KWWWK..KWWWGWWWGWWWGWgK......", // 16
    "...KWWWWK.KWWWWWWWWWWWWWgK......", // 17
    "....KWWWWKKWWWWWWWWWWWWWgK......", // 18
    ".....KWWWWWWWWWWWWWWWWWWgK......", // 19
    "......KWWWWWWWWWWWWWWWWWgK......", // 20
    ".......KWWWWWWWWWWWWWWWWgK......", // 21
    "........KWWWWWWWWWWWWWWggK......", // 22
    ".........KWWWWWWWWWWWWggK.......", // 23
    ".........KWWWWWWWWWWWWggK.......", // 24
    "........KKKKKKKKKKKKKKKKKK......", // 25
    "........KbbbbbbbbbbbbbbbbK......", // 26
    "........KBBBBBBBBBBBBBBBBK......", // 27
    "........KBBBBBBBBBBBBBBBBK......", // 28
    "........KnnnnnnnnnnnnnnnnK......", // 29
    "........KKKKKKKKKKKKKKKKKK......", // 30
    "................................", // 31
};

QRgb colourOf(char c)
{
    switch (c) {
    case 'K':
        return qRgb(0, 0, 0);
    case 'W':
        return qRgb(255, 255, 255);
    case 'g':
        return qRgb(206, 208, 216);
    case 'G':
        return qRgb(150, 152, 162);
    case 'B':
        return qRgb(26, 44, 130);
    case 'b':
        return qRgb(70, 100, 200);
    case 'n':
        return qRgb(12, 22, 78);
    default:
        return qRgba(0, 0, 0, 0);
    }
}

} // namespace

QImage CursorPainter::paint()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const char *row = hand[y];
        const int n = int(std::strlen(row));
        for (int x = 0; x < 32; ++x)
            line[x] = colourOf(x < n ? row[x] : '.');
    }
    return image;
}
