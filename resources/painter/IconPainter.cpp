#include "IconPainter.h"

#include "Quantizer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QImage IconPainter::paint()
{
    // Painted at four times the size and scaled down, for smooth edges inside the shapes.
    constexpr int scale = 4;
    QImage big(32 * scale, 32 * scale, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(scale, scale);

        // The strip of film.
        QPainterPath film;
        film.addRoundedRect(QRectF(1, 5, 30, 22), 2.5, 2.5);
        p.fillPath(film, QColor(8, 9, 14));
        QPainterPath filmInner;
        filmInner.addRoundedRect(QRectF(2, 6, 28, 20), 1.8, 1.8);
        QLinearGradient body(0, 6, 0, 26);
        body.setColorAt(0.0, QColor(70, 74, 88));
        body.setColorAt(1.0, QColor(34, 36, 46));
        p.fillPath(filmInner, body);
        for (int i = 0; i < 7; ++i) {
            const qreal x = 3.5 + i * 4;
            p.fillRect(QRectF(x, 7.5, 2, 2), QColor(236, 238, 244));
            p.fillRect(QRectF(x, 22.5, 2, 2), QColor(236, 238, 244));
        }

        // The picture in the frame: sky, sun and a hill.
        const QRectF window(3, 11, 26, 10);
        p.save();
        p.setClipRect(window);
        QLinearGradient sky(0, window.top(), 0, window.bottom());
        sky.setColorAt(0.0, QColor(40, 110, 230));
        sky.setColorAt(1.0, QColor(140, 210, 255));
        p.fillRect(window, sky);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 236, 120));
        p.drawEllipse(QPointF(8, 14.5), 2.2, 2.2);
        p.setBrush(QColor(60, 170, 70));
        p.drawEllipse(QPointF(10, 25), 12, 6.5);
        p.setBrush(QColor(30, 120, 50));
        p.drawEllipse(QPointF(26, 26), 10, 6.5);
        p.restore();

        // An eighth note in gold with a dark outline.
        QPainterPath note;
        QPainterPath head;
        head.addEllipse(QPointF(0, 0), 3.6, 2.6);
        QTransform turn;
        turn.translate(19.5, 25.0);
        turn.rotate(-25);
        note.addPath(turn.map(head));
        note.addRect(QRectF(22.2, 6.5, 1.9, 18.0));
        QPainterPath flag;
        flag.moveTo(22.6, 6.5);
        flag.cubicTo(25.5, 9.0, 30.5, 10.0, 28.5, 17.0);
        flag.cubicTo(28.0, 13.0, 25.5, 12.0, 22.6, 11.5);
        flag.closeSubpath();
        note.addPath(flag);
        note = note.simplified();
        p.setPen(QPen(QColor(20, 14, 4), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(note);
        QLinearGradient gold(18, 6, 28, 28);
        gold.setColorAt(0.0, QColor(255, 240, 150));
        gold.setColorAt(0.5, QColor(255, 196, 40));
        gold.setColorAt(1.0, QColor(214, 130, 10));
        p.fillPath(note, gold);
    }
    QImage small = big.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32);
    // Hard edges: a pixel is either part of the icon or not.
    for (int y = 0; y < 32; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(small.scanLine(y));
        for (int x = 0; x < 32; ++x) {
            const QRgb c = line[x];
            line[x] = qAlpha(c) >= 110 ? qRgb(qRed(c), qGreen(c), qBlue(c)) : qRgba(0, 0, 0, 0);
        }
    }
    return small;
}

QImage IconPainter::indexed(int colours)
{
    return Quantizer(colours).quantize(paint());
}
