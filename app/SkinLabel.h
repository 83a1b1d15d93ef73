#pragma once

#include <QLabel>

// A caption on the skin: transparent, fixed in size (a longer text is cut off at its box), and
// it keeps the mouse presses that land on it, so they never start a drag of the window.
class SkinLabel : public QLabel
{
    Q_OBJECT
public:
    SkinLabel(const QString &caption, QWidget *parent = nullptr);

    void setForeColor(const QColor &colour);
    QColor foreColor() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
