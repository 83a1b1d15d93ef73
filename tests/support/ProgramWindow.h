#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// Without Xlib's header, whose macros clash with Qt's names.
struct _XDisplay;

// The program's window on an X server, as the end-to-end tests look for it.
class ProgramWindow
{
public:
    // The mapped top-level window whose class name is the program's; 0 while there is none.
    static unsigned long find(_XDisplay *display);
    // The window's shape as the X server keeps it (its bounding rectangles).
    static QList<QRect> shape(_XDisplay *display, unsigned long window);
    // The window's top-left corner on the screen.
    static QPoint place(_XDisplay *display, unsigned long window);
};
