#include "RootWindowImage.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

QImage RootWindowImage::grab(_XDisplay *display)
{
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage *x =
        XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!x)
        return {};
    QImage image(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int px = 0; px < image.width(); ++px)
            image.setPixel(px, y, 0xFF000000u | (XGetPixel(x, px, y) & 0xFFFFFFu));
    XDestroyImage(x);
    return image;
}
