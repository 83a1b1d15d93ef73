#include "ShapeDot.h"

#include <QPainter>

ShapeDot::ShapeDot(const QColor &fill, QWidget *parent) : QWidget(parent), m_fill(fill)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

// A disc drawn pixel by pixel: smooth edges would blur a dot this small.
void ShapeDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width(), h = height();
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double rx = w / 2.0, ry = h / 2.0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            if (dx * dx + dy * dy <= 1.0)
                painter.fillRect(x, y, 1, 1, m_fill);
        }
}
