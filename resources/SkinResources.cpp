#include "SkinResources.h"

#include <QBitmap>

static void initResources()
{
    // The resources live in a static library: register them before the first lookup.
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

QImage load(const char *name)
{
    initResources();
    QImage image(QStringLiteral(":/skin/") + QLatin1String(name));
    Q_ASSERT(!image.isNull());
    return image;
}

} // namespace

QImage SkinResources::skin()
{
    return load("skin.png");
}

QPixmap SkinResources::transport(Transport button)
{
    switch (button) {
    case Transport::Previous:
        return QPixmap::fromImage(load("previous.png"));
    case Transport::Play:
        return QPixmap::fromImage(load("play.png"));
    case Transport::Pause:
        return QPixmap::fromImage(load("pause.png"));
    case Transport::Stop:
        return QPixmap::fromImage(load("stop.png"));
    case Transport::Next:
        break;
    }
    return QPixmap::fromImage(load("next.png"));
}

QPixmap SkinResources::knob(int which)
{
    return QPixmap::fromImage(load(which == 1 ? "knob1.png" : "knob2.png"));
}

QImage SkinResources::handCursorImage()
{
    return load("hand.png");
}

QCursor SkinResources::handCursor()
{
    return QCursor(QPixmap::fromImage(handCursorImage()), handHotSpot.x(), handHotSpot.y());
}

QImage SkinResources::iconImage16()
{
    return load("icon16.png");
}

QImage SkinResources::iconImage256()
{
    return load("icon256.png");
}

QIcon SkinResources::windowIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(iconImage256()));
    icon.addPixmap(QPixmap::fromImage(iconImage16()));
    return icon;
}
