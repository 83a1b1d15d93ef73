#include "SkinOnScreen.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr QSize kWindow{521, 568};
constexpr QSize kSkinInWindow{495, 548}; // the skin's part inside the window, from (-1, -1)

// Window rectangles where controls paint over the skin.
const QRect controlsOnTop[] = {
    {5, 39, 486, 324},                                         // the frame over the display
    {7, 516, 23, 23},   {35, 516, 25, 25},  {66, 516, 23, 25}, // transport buttons
    {94, 515, 27, 26},  {126, 515, 22, 24}, {8, 499, 17, 9},     {185, 533, 17, 10}, // markers
    {23, 437, 200, 23}, {83, 443, 215, 17}, {308, 440, 136, 32},                     // labels
};

} // namespace

SkinOnScreen::SkinOnScreen(const QImage &skin, const QList<QRect> &shapeRuns, int scale)
    : m_skin(skin.convertToFormat(QImage::Format_RGB32)), m_scale(scale),
      m_shape(pixelsOf(shapeRuns, scale))
{}

int SkinOnScreen::mismatches(const QImage &screen, QPoint origin,
                             const std::function<QRgb(QPoint device)> &outside,
                             QString *first) const
{
    int bad = 0;
    for (int y = 0; y < kWindow.height() * m_scale; ++y)
        for (int x = 0; x < kWindow.width() * m_scale; ++x) {
            const QPoint device(x, y), p(x / m_scale, y / m_scale);
            QRgb wanted;
            if (!m_shape.contains(device))
                wanted = outside(device);
            else if (p.x() < kSkinInWindow.width() && p.y() < kSkinInWindow.height() &&
                     std::none_of(std::begin(controlsOnTop), std::end(controlsOnTop),
                                  [&](const QRect &r) { return r.contains(p); }))
                wanted = m_skin.pixel(p.x() + 1, p.y() + 1);
            else
                continue;
            const QRgb seen = screen.pixel(origin + device) | 0xff000000u;
            wanted |= 0xff000000u;
            if (seen != wanted && bad++ == 0 && first)
                *first = difference(device, seen, wanted);
        }
    return bad;
}

QSet<QPoint> SkinOnScreen::pixelsOf(const QList<QRect> &rects, int scale)
{
    QSet<QPoint> pixels;
    for (const QRect &r : rects)
        for (int y = r.top() * scale; y < (r.bottom() + 1) * scale; ++y)
            for (int x = r.left() * scale; x < (r.right() + 1) * scale; ++x)
                pixels.insert({x, y});
    return pixels;
}

QString SkinOnScreen::difference(QPoint device, QRgb seen, QRgb wanted)
{
    return QStringLiteral("(%1, %2): %3 instead of %4")
        .arg(device.x())
        .arg(device.y())
        .arg(seen, 8, 16)
        .arg(wanted, 8, 16);
}
