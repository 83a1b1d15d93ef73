#pragma once

#include <QByteArray>
#include <QColor>
#include <QRect>
#include <QSize>
#include <QVector>
#include <vector>

struct GifFileType;

// Writes GIFs for tests and benchmarks with giflib's encoder, plus the odd hand-made record
// that no encoder would write (0 x 0 images carrying data, a code size above 8).
class GifWriter
{
public:
    struct Frame
    {
        QRect rect;
        std::vector<uchar> pixels;  // rect.width() * rect.height() indices, row by row
        QVector<QRgb> localPalette; // empty: the global one
        int disposal = 0;
        int delayCs = 0;
        int transparentIndex = -1;
        bool interlaced = false;
        bool withControl = true;   // write a graphic control extension
        int codeSizeOverride = -1; // patch the minimum code size byte after encoding
    };

    GifWriter(QSize screen, const QVector<QRgb> &globalPalette);
    ~GifWriter();
    GifWriter(const GifWriter &) = delete;
    GifWriter &operator=(const GifWriter &) = delete;

    void setLoopCount(int loops); // NETSCAPE2.0 extension; call before the first frame
    void addFrame(const Frame &frame);
    // An image descriptor of the given size with a few bytes of data but no pixels to match.
    void addEmptyImageWithData(int left, int top);
    // An image (global palette, no control extension) whose data is the given LZW codes, all
    // packed at the starting width of `codeSize` + 1 bits: for hand-made streams, well formed
    // or not, that keep to that width.
    void addCodedImage(const QRect &rect, bool interlaced, int codeSize,
                       const std::vector<int> &codes);
    QByteArray finish();

    // The pixels of `frame` from a picture like "RG..\nBB..": each character is looked up in
    // `keys` and its position is the palette index.
    static std::vector<uchar> indices(const QString &picture, const QString &keys);

private:
    void append(const QByteArray &raw);
    static int write(GifFileType *gif, const unsigned char *data, int length);

    QByteArray m_out;
    GifFileType *m_gif = nullptr;
};
