#include "SkinResources.h"

#include <QImageReader>
#include <QResource>
#include <QtEndian>
#include <array>
#include <mutex>

static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

// The resources live in a static library: they are registered before the first lookup, by
// whichever thread looks first.
static void ensureResourcesRegistered()
{
    static std::once_flag registered;
    std::call_once(registered, registerResources);
}

namespace {

QImage decode(const QString &fileName)
{
    ensureResourcesRegistered();
    // Only the built-in PNG reader: asking every image plugin whether it knows the data would
    // load them all.
    QImageReader reader(QStringLiteral(":/skin/") + fileName, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    Q_ASSERT(!image.isNull());
    return image;
}

// An embedded copy made by the build (see screencopy/main.cpp), read where it lies in the
// program's file: its bytes, width and height, when it is there, stored uncompressed, of a
// sensible size, and this machine reads its little-endian numbers as they are; empty otherwise.
struct EmbeddedCopy
{
    const uchar *data = nullptr;
    qint64 size = 0;
    quint32 width = 0;
    quint32 height = 0;
};

EmbeddedCopy embeddedCopy(const QString &fileName, qint64 headerSize)
{
    ensureResourcesRegistered();
    const QResource copy(QStringLiteral(":/skin/") + fileName);
    if (Q_BYTE_ORDER != Q_LITTLE_ENDIAN || !copy.isValid() ||
        copy.compressionAlgorithm() != QResource::NoCompression || copy.size() < headerSize)
        return {};
    const uchar *data = copy.data();
    const quint32 width = qFromLittleEndian<quint32>(data);
    const quint32 height = qFromLittleEndian<quint32>(data + 4);
    if (width == 0 || height == 0 || width > 4096 || height > 4096)
        return {};
    return {data, copy.size(), width, height};
}

// An image over pixels in the program's file; copied when they are not aligned for it.
QImage imageOver(const uchar *pixels, const EmbeddedCopy &copy, qsizetype stride,
                 QImage::Format format)
{
    const QImage image(pixels, int(copy.width), int(copy.height), stride, format);
    return reinterpret_cast<quintptr>(pixels) % alignof(quint32) == 0 ? image : image.copy();
}

// The build lays the opaque pictures out as the screen takes them: the image reads those pixels
// where they lie, so nothing is decoded or copied. Should a copy be missing or not fit this
// machine, the picture is converted from its PNG instead.
QImage embeddedScreenCopy(const QString &name)
{
    constexpr qint64 HeaderSize = 8;
    const EmbeddedCopy copy = embeddedCopy(name + QStringLiteral(".rgb32"), HeaderSize);
    if (!copy.data || copy.size != HeaderSize + qint64(copy.width) * copy.height * 4)
        return {};
    return imageOver(copy.data + HeaderSize, copy, qsizetype(copy.width) * 4, QImage::Format_RGB32);
}

// The skin keeps its palette, so its copy is a quarter of the size; failing that, it is
// decoded from its PNG.
QImage embeddedSkin()
{
    constexpr qint64 HeaderSize = 12;
    const EmbeddedCopy copy = embeddedCopy(QStringLiteral("skin.idx8"), HeaderSize);
    if (!copy.data)
        return decode(QStringLiteral("skin.png"));
    const quint32 colours = qFromLittleEndian<quint32>(copy.data + 8);
    const qint64 stride = (qint64(copy.width) + 3) / 4 * 4;
    const qint64 tableEnd = HeaderSize + qint64(colours) * 4;
    if (colours == 0 || colours > 256 || copy.size != tableEnd + stride * copy.height)
        return decode(QStringLiteral("skin.png"));
    QList<QRgb> table(colours);
    for (quint32 i = 0; i < colours; ++i)
        table[i] = qFromLittleEndian<quint32>(copy.data + HeaderSize + i * 4);
    QImage image = imageOver(copy.data + tableEnd, copy, stride, QImage::Format_Indexed8);
    image.setColorTable(table);
    return image;
}

QImage screenCopy(const char *name)
{
    const QString baseName = QLatin1String(name);
    const QImage embedded = embeddedScreenCopy(baseName);
    return embedded.isNull()
               ? decode(baseName + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32)
               : embedded;
}

enum Copy
{
    Previous,
    Play,
    Pause,
    Stop,
    Next,
    Knob1,
    Knob2,
    CopyCount
};

constexpr std::array<const char *, CopyCount> copyNames = {"previous", "play",  "pause", "stop",
                                                           "next",     "knob1", "knob2"};

// What the window shows before it first appears, ready for the screen.
const std::array<QImage, CopyCount> &screenCopies()
{
    static const std::array<QImage, CopyCount> images = [] {
        std::array<QImage, CopyCount> copies;
        for (int i = 0; i < CopyCount; ++i)
            copies[i] = screenCopy(copyNames[i]);
        return copies;
    }();
    return images;
}

enum Picture
{
    Hand,
    Icon16,
    Icon256,
    PictureCount
};

// The pictures with an alpha channel or a palette of their own, decoded once, on first use, by
// whichever thread asks first.
const std::array<QImage, PictureCount> &pictures()
{
    static const std::array<QImage, PictureCount> images = [] {
        return std::array<QImage, PictureCount>{decode(QStringLiteral("hand.png")),
                                                decode(QStringLiteral("icon16.png")),
                                                decode(QStringLiteral("icon256.png"))};
    }();
    return images;
}

} // namespace

void SkinResources::preload()
{
    pictures();
}

QImage SkinResources::skin()
{
    static const QImage skin = embeddedSkin();
    return skin;
}

QPixmap SkinResources::transport(Transport button)
{
    switch (button) {
    case Transport::Previous:
        return QPixmap::fromImage(screenCopies()[Previous]);
    case Transport::Play:
        return QPixmap::fromImage(screenCopies()[Play]);
    case Transport::Pause:
        return QPixmap::fromImage(screenCopies()[Pause]);
    case Transport::Stop:
        return QPixmap::fromImage(screenCopies()[Stop]);
    case Transport::Next:
        break;
    }
    return QPixmap::fromImage(screenCopies()[Next]);
}

QPixmap SkinResources::knob(int which)
{
    return QPixmap::fromImage(screenCopies()[which == 1 ? Knob1 : Knob2]);
}

QImage SkinResources::handCursorImage()
{
    return pictures()[Hand];
}

QCursor SkinResources::handCursor()
{
    return QCursor(QPixmap::fromImage(handCursorImage()), handHotSpot.x(), handHotSpot.y());
}

QImage SkinResources::iconImage16()
{
    return pictures()[Icon16];
}

QImage SkinResources::iconImage256()
{
    return pictures()[Icon256];
}

QIcon SkinResources::windowIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(iconImage256()));
    icon.addPixmap(QPixmap::fromImage(iconImage16()));
    return icon;
}
