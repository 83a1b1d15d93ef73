#pragma once

#include <QString>
#include <memory>

struct _XDisplay; // Xlib's Display, kept out of this header so Qt's headers can follow it

// A connection to an X server that closes itself.
struct XDisplayCloser
{
    void operator()(_XDisplay *display) const;
};
using DisplayPtr = std::unique_ptr<_XDisplay, XDisplayCloser>;

// A connection to the X server `name` (":N"), on which X errors are tolerated (XErrorTrap.h);
// empty when it cannot be had.
DisplayPtr openDisplay(const QString &name);
