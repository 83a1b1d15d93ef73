#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// A picture box: a background colour, an optional one-pixel flat border and an optional picture
// drawn at its top-left corner. The picture is also kept as an image so its pixels can be read.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // The box takes the size of its picture. The picture is kept in a format the screen takes as
    // it is, converted here if it comes in another (its pixels read the same); an indexed
    // picture stays as it is, a quarter of the size, and is drawn through its colour table.
    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_image; }

    void setBackColor(const QColor &colour);
    QColor backColor() const { return m_backColor; }

    void setFlatBorder(bool on);
    bool hasFlatBorder() const { return m_border; }
    // The area inside the border, where child controls are placed.
    QRect innerRect() const;
    static constexpr QColor BorderColour{0, 0, 0};

signals:
    void mousePressed(Qt::MouseButton button, QPoint position);
    void mouseMoved(Qt::MouseButtons buttons, QPoint position, QPointF globalPosition);
    // `held`: the buttons still down after this release.
    void mouseReleased(Qt::MouseButton button, Qt::MouseButtons held, QPoint position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    QColor m_backColor;
    bool m_border = false;
};
