#include "ProgramWindow.h"

#include <QByteArray>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

unsigned long ProgramWindow::find(Display *display)
{
    Window rootReturn, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XClassHint hint{};
        if (XGetClassHint(display, children[i], &hint)) {
            XWindowAttributes attributes;
            if (QByteArray(hint.res_name) == "quorbanex" &&
                XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable)
                found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    }
    XFree(children);
    return found;
}

QList<QRect> ProgramWindow::shape(Display *display, unsigned long window)
{
    int count = 0, ordering = 0;
    XRectangle *rects = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    QList<QRect> shape;
    for (int i = 0; i < count; ++i)
        shape.append(QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
    XFree(rects);
    return shape;
}

QPoint ProgramWindow::place(Display *display, unsigned long window)
{
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return QPoint(x, y);
}
