#pragma once

#include <QObject>

class QWindow;

// Pointer input on a window scaled by a whole factor, mapped to the window's own pixels the way
// its pictures are: a device pixel belongs to the window pixel whose enlarged block holds it.
// Qt rounds the scaled position instead, so the right or lower half of every enlarged block
// would count as the next pixel, and a hot spot would take clicks one device pixel beside the
// button painted under it.
class WholePixelInput : public QObject
{
    Q_OBJECT
public:
    // Watches `window`'s mouse events for as long as both live.
    static void install(QWindow *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WholePixelInput(QObject *parent) : QObject(parent) {}
    bool m_resending = false;
};
