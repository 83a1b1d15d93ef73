#include "ProgramWindow.h"

#include "XErrorTrap.h"

#include <QByteArray>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace {

bool isMapped(Display *display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The top-level windows for which `keep` holds, bottom to top.
template <typename Keep> QList<unsigned long> topLevel(Display *display, Keep keep)
{
    XErrorTrap trap(display);
    Window rootReturn, parent, *children = nullptr;
    unsigned count = 0;
    QList<unsigned long> found;
    if (!XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parent, &children, &count))
        return found;
    for (unsigned i = 0; i < count; ++i)
        if (keep(children[i]))
            found.append(children[i]);
    XFree(children);
    return found;
}

// Whether `window` is mapped and the program's; false when it has gone meanwhile.
bool isProgramWindow(Display *display, Window window)
{
    XErrorTrap trap(display);
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint))
        return false;
    const bool program = QByteArray(hint.res_name) == "quorbanex";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return program && isMapped(display, window) && !trap.failed();
}

} // namespace

unsigned long ProgramWindow::find(Display *display)
{
    const QList<unsigned long> all = findAll(display);
    return all.isEmpty() ? 0 : all.first();
}

QList<unsigned long> ProgramWindow::findAll(Display *display)
{
    return topLevel(display, [display](Window w) { return isProgramWindow(display, w); });
}

QList<unsigned long> ProgramWindow::shown(Display *display)
{
    return topLevel(display, [display](Window w) {
        XErrorTrap trap(display);
        return isMapped(display, w) && !trap.failed();
    });
}

bool ProgramWindow::isPopup(Display *display, unsigned long window)
{
    XErrorTrap trap(display);
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.override_redirect &&
           !trap.failed();
}

unsigned long ProgramWindow::named(Display *display, const QString &title)
{
    const QList<unsigned long> found = topLevel(display, [&](Window w) {
        XErrorTrap trap(display);
        char *name = nullptr;
        if (!XFetchName(display, w, &name) || !name)
            return false;
        const bool same = QString::fromLocal8Bit(name) == title;
        XFree(name);
        return same && isMapped(display, w) && !trap.failed();
    });
    return found.isEmpty() ? 0 : found.first();
}

QList<QRect> ProgramWindow::shape(Display *display, unsigned long window)
{
    XErrorTrap trap(display);
    int count = 0, ordering = 0;
    XRectangle *rects = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    QList<QRect> shape;
    for (int i = 0; rects && i < count; ++i)
        shape.append(QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
    if (rects)
        XFree(rects);
    return trap.failed() ? QList<QRect>() : shape;
}

QPoint ProgramWindow::place(Display *display, unsigned long window)
{
    XErrorTrap trap(display);
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child) ||
        trap.failed())
        return {};
    return QPoint(x, y);
}

QSize ProgramWindow::size(Display *display, unsigned long window)
{
    XErrorTrap trap(display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || trap.failed())
        return {};
    return QSize(attributes.width, attributes.height);
}

unsigned long ProgramWindow::focused(Display *display)
{
    XErrorTrap trap(display);
    Window window = 0;
    int revert = 0;
    XGetInputFocus(display, &window, &revert);
    return window == PointerRoot || trap.failed() ? 0 : window;
}
