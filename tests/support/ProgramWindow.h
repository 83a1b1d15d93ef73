#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Without Xlib's header, whose macros clash with Qt's names.
struct _XDisplay;

// The program's windows on an X server, as the end-to-end tests look for them. Any of them may
// go at any moment (the program ends, a dialog closes); a window that has gone is one that is
// not there, never an error that ends the test.
class ProgramWindow
{
public:
    // The mapped top-level window whose class name is the program's; 0 while there is none.
    static unsigned long find(_XDisplay *display);
    // All of them, bottom to top: the main window, and any dialog or menu it shows.
    static QList<unsigned long> findAll(_XDisplay *display);
    // Every mapped top-level window of any program, bottom to top.
    static QList<unsigned long> shown(_XDisplay *display);
    // Whether the window places itself, as menus, tooltips and completion lists do.
    static bool isPopup(_XDisplay *display, unsigned long window);
    // The mapped top-level window with this title; 0 while there is none.
    static unsigned long named(_XDisplay *display, const QString &title);
    // The window's shape as the X server keeps it (its bounding rectangles); empty once the
    // window has gone.
    static QList<QRect> shape(_XDisplay *display, unsigned long window);
    // The window's top-left corner on the screen; (0, 0) once it has gone.
    static QPoint place(_XDisplay *display, unsigned long window);
    // The window's size; empty once it has gone.
    static QSize size(_XDisplay *display, unsigned long window);
    // The window that has the keyboard focus (Qt gives it to a top-level window), 0 when none
    // has.
    static unsigned long focused(_XDisplay *display);
};
