#pragma once

#include <QColor>
#include <QWidget>

// A small filled circle on the skin. It takes no mouse input: presses go to the skin below.
class ShapeDot : public QWidget
{
    Q_OBJECT
public:
    explicit ShapeDot(const QColor &fill, QWidget *parent = nullptr);
    QColor fillColor() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
};
