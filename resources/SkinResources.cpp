#include "SkinResources.h"

#include <QImageReader>
#include <array>
#include <mutex>

static void initResources()
{
    // The resources live in a static library: register them before the first lookup.
    Q_INIT_RESOURCE(resources);
}

namespace {

enum Picture
{
    Skin,
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
    "skin.png",  "previous.png", "play.png", "pause.png",  "stop.png",   "next.png",
    "knob1.png", "knob2.png",    "hand.png", "icon16.png", "icon256.png"};

// Every picture decoded once, on first use, by whichever thread asks first.
const std::array<QImage, Count> &pictures()
{
    static std::array<QImage, Count> images;
    static std::once_flag decoded;
    std::call_once(decoded, [] {
        initResources();
        for (int i = 0; i < Count; ++i) {
            // Only the built-in PNG reader: asking every image plugin whether it knows the
            // data would load them all.
            QImageReader reader(QStringLiteral(":/skin/") + QLatin1String(fileNames[i]), "png");
            reader.setAutoDetectImageFormat(false);
            images[i] = reader.read();
            Q_ASSERT(!images[i].isNull());
        }
    });
    return images;
}

} // namespace

void SkinResources::preload()
{
    skinForScreen();
}

QImage SkinResources::skin()
{
    return pictures()[Skin];
}

QImage SkinResources::skinForScreen()
{
    static const QImage converted = skin().convertToFormat(QImage::Format_RGB32);
    return converted;
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
