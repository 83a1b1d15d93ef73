#pragma once

#include <QImage>

// The window icon: a frame of film with a picture in it and a golden note over it.
class IconPainter
{
public:
    // 32 x 32 ARGB, every pixel fully opaque or fully transparent.
    static QImage paint();
    // The same picture reduced to an indexed image of at most 'colours' entries, transparent
    // entry included.
    static QImage indexed(int colours);
};
