#pragma once

#include <QFont>

// The fonts the pictures are lettered with, loaded from fixed files so that every run paints
// the same pixels whatever the desktop's font configuration says.
class FontBook
{
public:
    // Loads the font files; false when one of them is missing.
    static bool load();

    // DejaVu Sans Bold at a pixel size, grey-scale antialiased, fully hinted.
    static QFont sansBold(int pixelSize);
    // Terminus Bold, a crisp bitmap font (12, 14 or 16 pixels).
    static QFont terminusBold(int pixelSize);

private:
    static QString s_sans;
    static QString s_terminus;
};
