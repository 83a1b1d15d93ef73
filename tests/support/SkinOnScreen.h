#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QString>
#include <functional>

// What the screen must show of the program's window at rest, as the end-to-end tests check it:
// inside the window's shape the skin (which stands at (-1, -1)), except where controls paint
// over it and along the window's right and bottom edges beyond the skin; outside the shape
// whatever the test expects there. With a scale, each skin pixel is a scale x scale block.
class SkinOnScreen
{
public:
    SkinOnScreen(const QImage &skin, const QList<QRect> &shapeRuns, int scale = 1);

    // The shape's pixels, in device pixels of the window.
    const QSet<QPoint> &shape() const { return m_shape; }
    // How many of the window's device pixels on `screen`, its corner at `origin`, differ from
    // what they must show; `outside` gives what a device pixel beyond the shape must show. The
    // first difference is described in `first` when given.
    int mismatches(const QImage &screen, QPoint origin,
                   const std::function<QRgb(QPoint device)> &outside, QString *first) const;

    // The pixels the rectangles cover, each as a scale x scale block.
    static QSet<QPoint> pixelsOf(const QList<QRect> &rects, int scale = 1);
    // "(x, y): seen instead of wanted", for a test's first difference.
    static QString difference(QPoint device, QRgb seen, QRgb wanted);

private:
    QImage m_skin;
    int m_scale;
    QSet<QPoint> m_shape;
};
