#pragma once

#include <QImage>

struct _XDisplay; // Xlib's Display, kept out of this header so Qt's headers can follow it

// What the X server's screen shows now: the whole root window as an image.
class RootWindowImage
{
public:
    static QImage grab(_XDisplay *display);
};
