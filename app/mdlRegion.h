#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QRegion>
#include <cstdint>

// The window shape: every pixel of the skin whose colour differs from a key colour.
namespace mdlRegion {

// A colour as a pixel query reports it: red in the low byte, then green, then blue, top byte 0.
using Colour = std::uint32_t;
// What the pixel query answers for a pixel outside the picture; it never equals a key colour.
inline constexpr Colour InvalidColour = 0xFFFFFFFFu;

Colour GetPixel(const QImage &picture, int x, int y);

// The runs of non-key pixels, one rectangle one pixel high per run, rows top to bottom and
// each row left to right.
QList<QRect> RegionRuns(const QImage &picture, Colour key);

// The union of RegionRuns as a region.
QRegion MakeRegion(const QImage &picture, Colour key);

} // namespace mdlRegion
