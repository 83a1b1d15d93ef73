#pragma once

#include <QFont>

// The fonts of the skin's captions, at fixed pixel sizes so that they sit on the skin exactly.
class SkinFonts
{
public:
    // The counters' bold fixed-pitch font: Terminus Bold where installed, else DejaVu Sans Mono
    // Bold.
    static QFont terminal();
    // The largest cut of the counters' font in which `text` fits `width` pixels (the smallest
    // one when none does): a frame total of three or four digits is drawn in a smaller cut of
    // Terminus rather than cut off at its box.
    static QFont terminalToFit(const QString &text, int width);
    // The window's default font, used by the small captions.
    static QFont windowDefault();
    // The list's font: bold, Cyrillic-capable.
    static QFont list();

    // Reads the font database, registers Terminus and loads the captions' fonts now; safe from
    // any thread once the application object exists, so start-up can do it beside building the
    // window.
    static void preload();

    // Where the Terminus bitmap font of a pixel size is looked for (fontconfig does not offer
    // bitmap fonts). The Latin-1 cut holds the digits the counters need and loads far faster than
    // the full one.
    static QString terminusFile(int pixelSize = 18);
};
