#pragma once

#include <QRect>
#include <QtGlobal>

// What the structure scan keeps of one image of a GIF: enough to decode it later on its own,
// without the pixels. About forty bytes per frame.
struct GifFrameRecord
{
    enum Disposal : quint8
    {
        Unspecified = 0,
        Keep = 1,
        RestoreBackground = 2,
        RestorePrevious = 3
    };

    qint64 descriptorOffset = 0; // first byte after the ',' separator of the image descriptor
    qint64 paletteOffset = -1;   // colour table used by this frame (local or global); -1: none
    qint64 dataOffset = 0;       // first data sub-block, after the code size byte
    quint16 paletteSize = 0;     // entries in that colour table
    QRect rect;                  // as written in the file, not clipped to the canvas
    quint16 delayCs = 0;         // delay as written, in hundredths of a second
    qint16 transparentIndex = -1;
    Disposal disposal = Unspecified;
    quint8 codeSize = 0; // minimum LZW code size as written; 0xff: missing
    bool interlaced = false;
    bool truncated = false; // its data ends with the file
    bool blankBase = false; // the canvas is fully transparent before this frame is drawn
    // Every pixel of the canvas gets an opaque colour from this frame if its data is whole,
    // and its disposal does not need what was below: what came before does not matter.
    bool coversCanvas = false;
    qint8 decodedWhole = -1; // learnt at the first decode: 1 all data there, 0 not, -1 unknown

    // GifFastLzw decodes code sizes up to 8, GifLzwDecoder 9 to 11; above that (or without a
    // colour table) a frame draws nothing.
    bool decodable() const { return codeSize <= 11 && paletteOffset >= 0; }

    // Browsers play a delay of 0 or 1 hundredths as 100 ms; so do we.
    int delayMs() const { return delayCs <= 1 ? 100 : int(delayCs) * 10; }
};
