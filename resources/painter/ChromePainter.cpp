#include "ChromePainter.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

namespace {

const QColor rimDark(22, 24, 32);

QRectF circleIn(const QRect &cell)
{
    const qreal d = std::min(cell.width(), cell.height());
    const QPointF c(cell.x() + cell.width() / 2.0, cell.y() + cell.height() / 2.0);
    return {c.x() - d / 2, c.y() - d / 2, d, d};
}

QPainterPath roundedPath(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

} // namespace

QColor ChromePainter::mix(const QColor &a, const QColor &b, double t)
{
    auto m = [t](int x, int y) { return int(x + (y - x) * t + 0.5); };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()));
}

QRectF ChromePainter::roundButton(QPainter &p, const QRect &cell, Look look)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const QRectF circle = circleIn(cell);
    const bool raised = look == Look::Raised;

    p.setBrush(rimDark);
    p.drawEllipse(circle);

    // The bevel ring: lit from the top left when raised, the other way round when pressed in.
    const QRectF ring = circle.adjusted(1, 1, -1, -1);
    QLinearGradient bevel(ring.topLeft(), ring.bottomRight());
    if (raised) {
        bevel.setColorAt(0.0, QColor(255, 255, 255));
        bevel.setColorAt(0.45, QColor(206, 210, 220));
        bevel.setColorAt(1.0, QColor(104, 110, 126));
    } else {
        bevel.setColorAt(0.0, QColor(70, 76, 92));
        bevel.setColorAt(0.55, QColor(140, 146, 160));
        bevel.setColorAt(1.0, QColor(226, 230, 238));
    }
    p.setBrush(bevel);
    p.drawEllipse(ring);

    // The face: a shallow dish of brushed chrome.
    const qreal inset = circle.width() >= 24 ? 3.0 : 2.5;
    const QRectF face = circle.adjusted(inset, inset, -inset, -inset);
    QLinearGradient dish(face.topLeft(), face.bottomLeft());
    if (raised) {
        dish.setColorAt(0.0, QColor(176, 182, 194));
        dish.setColorAt(0.5, QColor(214, 218, 227));
        dish.setColorAt(1.0, QColor(246, 247, 250));
    } else {
        dish.setColorAt(0.0, QColor(120, 126, 140));
        dish.setColorAt(0.5, QColor(158, 164, 177));
        dish.setColorAt(1.0, QColor(192, 197, 207));
    }
    p.setBrush(dish);
    p.drawEllipse(face);
    if (raised) {
        // A soft sheen across the upper half of the face.
        QRadialGradient sheen(
            QPointF(face.center().x() - face.width() * 0.15, face.top() + face.height() * 0.22),
            face.width() * 0.45);
        sheen.setColorAt(0.0, QColor(255, 255, 255, 150));
        sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setBrush(sheen);
        p.drawEllipse(face);
    }
    p.restore();
    return raised ? face : face.translated(0.5, 1.0);
}

QRectF ChromePainter::smallRoundButton(QPainter &p, const QRectF &circle)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(rimDark);
    p.drawEllipse(circle);
    const QRectF ring = circle.adjusted(1, 1, -1, -1);
    QLinearGradient bevel(ring.topLeft(), ring.bottomRight());
    bevel.setColorAt(0.0, QColor(255, 255, 255));
    bevel.setColorAt(0.5, QColor(198, 203, 213));
    bevel.setColorAt(1.0, QColor(112, 118, 134));
    p.setBrush(bevel);
    p.drawEllipse(ring);
    const QRectF face = circle.adjusted(2, 2, -2, -2);
    QLinearGradient dish(face.topLeft(), face.bottomLeft());
    dish.setColorAt(0.0, QColor(184, 190, 202));
    dish.setColorAt(1.0, QColor(242, 244, 248));
    p.setBrush(dish);
    p.drawEllipse(face);
    p.restore();
    return face;
}

void ChromePainter::capsule(QPainter &p, const QRect &cell)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r(cell);
    const qreal radius = std::min(r.height() / 2.0, 7.0);
    p.fillPath(roundedPath(r, radius), rimDark);
    const QRectF inner = r.adjusted(1, 1, -1, -1);
    QLinearGradient body(inner.topLeft(), inner.bottomLeft());
    body.setColorAt(0.0, QColor(255, 255, 255));
    body.setColorAt(0.12, QColor(242, 244, 248));
    body.setColorAt(0.5, QColor(210, 214, 223));
    body.setColorAt(0.52, QColor(194, 199, 209));
    body.setColorAt(1.0, QColor(160, 166, 180));
    p.fillPath(roundedPath(inner, radius - 1), body);
    // A darker rim line inside the bottom edge gives the capsule its roundness.
    QLinearGradient shade(inner.topLeft(), inner.bottomLeft());
    shade.setColorAt(0.0, QColor(0, 0, 0, 0));
    shade.setColorAt(0.8, QColor(0, 0, 0, 0));
    shade.setColorAt(1.0, QColor(30, 34, 48, 70));
    p.fillPath(roundedPath(inner, radius - 1), shade);
    p.restore();
}

void ChromePainter::titleButton(QPainter &p, const QRect &cell)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect r = cell;
    // Dark frame with clipped corners, then a small bevelled face.
    p.fillRect(r.adjusted(1, 0, -1, 0), QColor(14, 16, 30));
    p.fillRect(r.adjusted(0, 1, 0, -1), QColor(14, 16, 30));
    const QRect face = r.adjusted(1, 1, -1, -1);
    for (int y = face.top(); y <= face.bottom(); ++y) {
        const double t = face.height() > 1 ? double(y - face.top()) / (face.height() - 1) : 0;
        p.fillRect(QRect(face.left(), y, face.width(), 1),
                   mix(QColor(206, 214, 240), QColor(120, 132, 178), t));
    }
    p.fillRect(QRect(face.left(), face.top(), face.width() - 1, 1), QColor(240, 244, 255));
    p.fillRect(QRect(face.left(), face.top(), 1, face.height() - 1), QColor(226, 232, 252));
    p.fillRect(QRect(face.left() + 1, face.bottom(), face.width() - 1, 1), QColor(84, 94, 140));
    p.fillRect(QRect(face.right(), face.top() + 1, 1, face.height() - 1), QColor(92, 102, 148));
    p.restore();
}

void ChromePainter::emblem(QPainter &p, const QRect &cell)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const QRectF r(cell);
    p.setBrush(QColor(10, 12, 26));
    p.drawEllipse(r);
    QLinearGradient rim(r.topLeft(), r.bottomRight());
    rim.setColorAt(0.0, QColor(255, 255, 255));
    rim.setColorAt(1.0, QColor(110, 120, 160));
    p.setBrush(rim);
    p.drawEllipse(r.adjusted(1, 1, -1, -1));
    QRadialGradient gem(r.center() - QPointF(1.2, 1.2), r.width() * 0.42);
    gem.setColorAt(0.0, QColor(170, 236, 255));
    gem.setColorAt(0.45, QColor(40, 150, 240));
    gem.setColorAt(1.0, QColor(14, 40, 130));
    p.setBrush(gem);
    p.drawEllipse(r.adjusted(2, 2, -2, -2));
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(QRectF(r.x() + 3.2, r.y() + 3.0, 1.8, 1.6));
    p.restore();
}

void ChromePainter::socket(QPainter &p, const QRect &dot)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const QRectF d(dot);
    // A dark ring around the dot's place, a lit lower edge, and the grey well itself.
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(d.adjusted(-1.5, -1.0, 1.5, 2.0));
    p.setBrush(QColor(44, 48, 60));
    p.drawEllipse(d.adjusted(-1.5, -1.5, 1.5, 1.5));
    QLinearGradient well(d.topLeft(), d.bottomLeft());
    well.setColorAt(0.0, QColor(104, 110, 122));
    well.setColorAt(1.0, QColor(168, 173, 183));
    p.setBrush(well);
    p.drawEllipse(d);
    p.restore();
}

void ChromePainter::knob(QPainter &p, const QRect &cell)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r(cell);
    const qreal radius = r.height() / 2.0 - 0.5;
    p.fillPath(roundedPath(r, radius), QColor(26, 28, 38));
    const QRectF inner = r.adjusted(1, 1, -1, -1);
    QLinearGradient body(inner.topLeft(), inner.bottomLeft());
    body.setColorAt(0.0, QColor(255, 255, 255));
    body.setColorAt(0.45, QColor(224, 227, 233));
    body.setColorAt(1.0, QColor(164, 169, 180));
    p.fillPath(roundedPath(inner, radius - 1), body);
    // Three grip lines in the middle.
    p.setRenderHint(QPainter::Antialiasing, false);
    const int cx = cell.x() + cell.width() / 2;
    for (int i = -1; i <= 1; ++i) {
        const QRect line(cx + 2 * i, cell.y() + 3, 1, cell.height() - 6);
        p.fillRect(line, QColor(122, 128, 142));
        p.fillRect(line.translated(1, 0), QColor(250, 251, 253));
    }
    p.restore();
}

void ChromePainter::recess(QPainter &p, const QRectF &box, qreal radius, const QColor &top,
                           const QColor &bottom)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    // Lit lower rim, shadowed upper rim, then the floor.
    p.fillPath(roundedPath(box, radius), QColor(250, 251, 253));
    p.fillPath(roundedPath(box.adjusted(0, 0, 0, -1), radius), QColor(70, 76, 90));
    QLinearGradient floor(box.topLeft(), box.bottomLeft());
    floor.setColorAt(0.0, top);
    floor.setColorAt(1.0, bottom);
    p.fillPath(roundedPath(box.adjusted(1, 1, -1, -1), std::max<qreal>(radius - 1, 0)), floor);
    p.restore();
}
