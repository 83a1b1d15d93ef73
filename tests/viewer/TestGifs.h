#pragma once

#include "GifWriter.h"

#include <QImage>
#include <QString>

// Pictures as text for the viewer's tests: one character per pixel, rows joined by '/'.
// Letters name colours of the test palette; '.' is a transparent pixel.
namespace TestGifs {

// Palette index i has the colour named by kKeys[i]; index 7 ('t') is the one tests make
// transparent.
inline const QString kKeys = QStringLiteral("KRGBWYCt");
QVector<QRgb> palette();

GifWriter::Frame frame(const QRect &rect, const QString &picture, int disposal = 0,
                       int transparentIndex = -1);
// The canvas as text; colours outside the palette show as '?'.
QString picture(const QImage &canvas);

// An animation of `count` frames on a `size` canvas that uses every disposal, transparency,
// interlace, local palettes and frames partly outside the canvas, chosen by a seeded
// generator.
// With `coveringEvery` > 0, every so many frames is opaque and covers the whole canvas. With
// `manyColours`, every frame has 256 colours of its own.
QByteArray mixedAnimation(QSize size, int count, quint32 seed, int coveringEvery = 0,
                          bool manyColours = false);
// `count` full-canvas frames of a simple moving pattern, a palette each when asked.
QByteArray plainAnimation(QSize size, int count, bool paletteEach, int delayCs = 4);

// Writes `bytes` to the file `path` and gives the path; a test cannot go on without it, so a
// failure ends the test program.
QString writeFile(const QString &path, const QByteArray &bytes);

} // namespace TestGifs
