#pragma once

#include <QPixmap>
#include <QWidget>

// A light-weight image on the skin: a transparent hot spot when it has no picture, a button or
// marker picture otherwise. It takes every mouse press over it and keeps the moves and the
// release that follow, so no gesture begun on it reaches the skin below and drags the window;
// it reports presses, releases and clicks.
class ImageControl : public QWidget
{
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    // The control takes the size of its picture.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }

    // A left-button click from the keyboard: the same press, release and click reports, in the
    // same order, as a click of the mouse in the control's middle.
    void clickFromKeyboard();

signals:
    void mousePressed(Qt::MouseButton button, QPoint position);
    void mouseReleased(Qt::MouseButton button, QPoint position);
    // A left-button press followed by its release over the control.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
    bool m_leftDown = false;
};
