#include "ProgramWindow.h"

#include <QByteArray>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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
