#include "XDisplayPtr.h"

#include "XErrorTrap.h"

#include <X11/Xlib.h>

void XDisplayCloser::operator()(Display *display) const
{
    XCloseDisplay(display); // still tolerated here: closing waits for the last answers
    XErrorTrap::forget(display);
}

DisplayPtr openDisplay(const QString &name)
{
    DisplayPtr display(XOpenDisplay(name.toLatin1().constData()));
    if (display)
        XErrorTrap::tolerate(display.get());
    return display;
}
