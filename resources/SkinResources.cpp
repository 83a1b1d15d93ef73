#include "SkinResources.h"

#include <QImageReader>
#include <QResource>
#include <QtEndian>
#include <array>
#include <mutex>

// The resources live in a static library: they are registered before the first lookup.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

enum Picture
{
    Previous,
    Play,
    Pause,
    Stop,
    Next,
    Knob1,
    Knob2,
    Hand,
    Icon16,
    Icon256,
    Count
};

constexpr std::array<const char *, Count> fileNames = {
    "previous.png", "play.png",  "pause.png", "stop.png",   "next.png",
    "knob1.png",    "knob2.png", "hand.png",  "icon16.png", "icon256.png"};

QImage decode(const char *fileName)
{
    static std::once_flag registered;
    std::call_once(registered, registerResources);
    // Only the built-in PNG reader: asking every image plugin whether it knows the data would
    // load them all.
    QImageReader reader(QStringLiteral(":/skin/") + QLatin1String(fileName), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    Q_ASSERT(!image.isNull());
    return image;
}

// The small pictures, decoded once, on first use, by whichever thread asks first.
const std::array<QImage, Count> &pictures()
{
    static const std::array<QImage, Count> images = [] {
        std::array<QImage, Count> decoded;
        for (int i = 0; i < Count; ++i)
            decoded[i] = decode(fileNames[i]);
        return decoded;
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
    static const QImage skin = decode("skin.png");
    return skin;
}

// The build lays the skin out as the screen takes it (see screencopy/main.cpp); the image reads
// those pixels where they lie in the program's file, so nothing is decoded or copied. Should
// the copy be missing or not fit this machine, the skin is converted from its PNG instead.
static QImage embeddedScreenCopy()
{
    const QResource copy(QStringLiteral(":/skin/skin.rgb32"));
    constexpr qint64 HeaderSize = 8;
    if (Q_BYTE_ORDER != Q_LITTLE_ENDIAN || !copy.isValid() ||
        copy.compressionAlgorithm() != QResource::NoCompression || copy.size() < HeaderSize)
        return {};
    const uchar *data = copy.data();
    const quint32 width = qFromLittleEndian<quint32>(data);
    const quint32 height = qFromLittleEndian<quint32>(data + 4);
    if (width == 0 || height == 0 || width > 4096 || height > 4096 ||
        copy.size() != HeaderSize + qint64(width) * height * 4)
        return {};
    const uchar *pixels = data + HeaderSize;
    const QImage image(pixels, int(width), int(height), int(width) * 4, QImage::Format_RGB32);
    return reinterpret_cast<quintptr>(pixels) % alignof(quint32) == 0 ? image : image.copy();
}

QImage SkinResources::skinForScreen()
{
    static const QImage screenCopy = [] {
        const QImage embedded = embeddedScreenCopy();
        return embedded.isNull() ? skin().convertToFormat(QImage::Format_RGB32) : embedded;
    }();
    return screenCopy;
}

QPixmap SkinResources::transport(Transport button)
{
    switch (button) {
    case Transport::Previous:
        return QPixmap::fromImage(pictures()[Previous]);
    case Transport::Play:
        return QPixmap::fromImage(pictures()[Play]);
    case Transport::Pause:
        return QPixmap::fromImage(pictures()[Pause]);
    case Transport::Stop:
        return QPixmap::fromImage(pictures()[Stop]);
    case Transport::Next:
        break;
    }
    return QPixmap::fromImage(pictures()[Next]);
}

QPixmap SkinResources::knob(int which)
{
    return QPixmap::fromImage(pictures()[which == 1 ? Knob1 : Knob2]);
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
