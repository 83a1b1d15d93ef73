#include "GifWriter.h"

#include <gif_lib.h>
#include <stdexcept>

namespace {

ColorMapObject *makeMap(const QVector<QRgb> &colours)
{
    if (colours.isEmpty())
        return nullptr;
    int size = 2;
    while (size < colours.size())
        size *= 2;
    ColorMapObject *map = GifMakeMapObject(size, nullptr);
    for (int i = 0; i < size; ++i) {
        const QRgb c = i < colours.size() ? colours[i] : 0;
        map->Colors[i] =
            GifColorType{GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }
    return map;
}

void check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(what);
}

} // namespace

int GifWriter::write(GifFileType *gif, const unsigned char *data, int length)
{
    static_cast<GifWriter *>(gif->UserData)
        ->m_out.append(reinterpret_cast<const char *>(data), length);
    return length;
}

GifWriter::GifWriter(QSize screen, const QVector<QRgb> &globalPalette)
{
    int error = 0;
    m_gif = EGifOpen(this, &GifWriter::write, &error);
    check(m_gif, "EGifOpen");
    EGifSetGifVersion(m_gif, true);
    ColorMapObject *map = makeMap(globalPalette);
    check(EGifPutScreenDesc(m_gif, screen.width(), screen.height(), 8, 0, map) == GIF_OK,
          "EGifPutScreenDesc");
    GifFreeMapObject(map);
}

GifWriter::~GifWriter()
{
    if (m_gif) {
        int error = 0;
        EGifCloseFile(m_gif, &error);
    }
}

void GifWriter::setLoopCount(int loops)
{
    const unsigned char loop[3] = {1, uchar(loops & 0xff), uchar((loops >> 8) & 0xff)};
    check(EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK, "leader");
    check(EGifPutExtensionBlock(m_gif, 11, "NETSCAPE2.0") == GIF_OK, "block");
    check(EGifPutExtensionBlock(m_gif, 3, loop) == GIF_OK, "block");
    check(EGifPutExtensionTrailer(m_gif) == GIF_OK, "trailer");
}

void GifWriter::addFrame(const Frame &frame)
{
    if (frame.withControl) {
        GraphicsControlBlock gcb;
        gcb.DisposalMode = frame.disposal;
        gcb.UserInputFlag = false;
        gcb.DelayTime = frame.delayCs;
        gcb.TransparentColor = frame.transparentIndex;
        GifByteType control[4];
        const size_t length = EGifGCBToExtension(&gcb, control);
        check(EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, int(length), control) == GIF_OK,
              "control");
    }
    ColorMapObject *map = makeMap(frame.localPalette);
    const qsizetype descriptorAt = m_out.size();
    const int width = frame.rect.width();
    const int height = frame.rect.height();
    check(EGifPutImageDesc(m_gif, frame.rect.x(), frame.rect.y(), width, height, frame.interlaced,
                           map) == GIF_OK,
          "EGifPutImageDesc");
    const qsizetype codeSizeAt = descriptorAt + 10 + (map ? 3 * map->ColorCount : 0);
    GifFreeMapObject(map);
    check(frame.pixels.size() == size_t(width) * size_t(height), "pixel count");
    std::vector<uchar> row(static_cast<size_t>(width));
    static const int starts[4] = {0, 4, 2, 1};
    static const int steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (frame.interlaced ? 4 : 1); ++pass) {
        const int start = frame.interlaced ? starts[pass] : 0;
        const int step = frame.interlaced ? steps[pass] : 1;
        for (int y = start; y < height; y += step) {
            std::copy_n(frame.pixels.begin() + qsizetype(y) * width, width, row.begin());
            check(EGifPutLine(m_gif, row.data(), width) == GIF_OK, "EGifPutLine");
        }
    }
    // giflib keeps its own copy of a local palette and frees only the last one when the file
    // closes; the image is written, so free it now.
    GifFreeMapObject(m_gif->Image.ColorMap);
    m_gif->Image.ColorMap = nullptr;
    if (frame.codeSizeOverride >= 0)
        m_out[codeSizeAt] = char(frame.codeSizeOverride);
}

void GifWriter::addEmptyImageWithData(int left, int top)
{
    QByteArray raw;
    raw.append(',');
    const int words[4] = {left, top, 0, 0};
    for (int w : words) {
        raw.append(char(w & 0xff));
        raw.append(char(w >> 8));
    }
    raw.append(char(0));                                 // no local palette
    raw.append(char(2));                                 // code size
    raw.append(QByteArray::fromHex("0384050102000100")); // two sub-blocks, terminator
    append(raw);
}

void GifWriter::addCodedImage(const QRect &rect, bool interlaced, int codeSize,
                              const std::vector<int> &codes)
{
    QByteArray raw;
    raw.append(',');
    const int words[4] = {rect.x(), rect.y(), rect.width(), rect.height()};
    for (int w : words) {
        raw.append(char(w & 0xff));
        raw.append(char(w >> 8));
    }
    raw.append(char(interlaced ? 0x40 : 0));
    raw.append(char(codeSize));
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= quint32(code) << count;
        for (count += codeSize + 1; count >= 8; count -= 8, bits >>= 8)
            data.append(char(bits & 0xff));
    }
    if (count > 0)
        data.append(char(bits & 0xff));
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        raw.append(char(block.size())).append(block);
    }
    raw.append(char(0));
    append(raw);
}

void GifWriter::append(const QByteArray &raw)
{
    m_out.append(raw);
}

QByteArray GifWriter::finish()
{
    int error = 0;
    check(EGifCloseFile(m_gif, &error) == GIF_OK, "EGifCloseFile");
    m_gif = nullptr;
    return m_out;
}

std::vector<uchar> GifWriter::indices(const QString &picture, const QString &keys)
{
    std::vector<uchar> out;
    for (QChar c : picture) {
        if (c == '\n' || c == ' ')
            continue;
        const int index = int(keys.indexOf(c));
        check(index >= 0, "unknown picture key");
        out.push_back(uchar(index));
    }
    return out;
}
