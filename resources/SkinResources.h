#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

// The pictures built into the program: the skin, the transport buttons in their raised look,
// the two slider knobs, the hand cursor and the window icon. All are embedded losslessly.
class SkinResources
{
public:
    enum class Transport
    {
        Previous,
        Play,
        Pause,
        Stop,
        Next
    };

    // Decodes the cursor and icon pictures now; safe from any thread, so start-up can do it beside
    // other work. The skin, the buttons and the knobs come ready to be shown and need no
    // decoding.
    static void preload();

    // The skin as an indexed image, exactly as stored, read where it lies in the program's file.
    static QImage skin();
    static QPixmap transport(Transport button);
    // 1: the progress knob (17 x 9); 2: the sound knob (17 x 10).
    static QPixmap knob(int which);
    static QImage handCursorImage();
    static QCursor handCursor();
    // The window icon: two 32 x 32 images, one of 16 and one of 256 colours.
    static QImage iconImage16();
    static QImage iconImage256();
    static QIcon windowIcon();

    static constexpr QPoint handHotSpot{12, 1};
};
