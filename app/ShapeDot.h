#pragma once

#include <QColor>
#include <QWidget>

// A small filled circle on the skin. Like every control on the skin it keeps the mouse presses
// that land on it, with the moves and the release after them, so they never drag the window.
class ShapeDot : public QWidget
{
    Q_OBJECT
public:
    explicit ShapeDot(const QColor &fill, QWidget *parent = nullptr);
    QColor fillColor() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QColor m_fill;
};
