#include "XDisplayPtr.h"

#include <X11/Xlib.h>

void XDisplayCloser::operator()(Display *display) const
{
    XCloseDisplay(display);
}

DisplayPtr openDisplay(const QString &name)
{
    return DisplayPtr(XOpenDisplay(name.toLatin1().constData()));
}
