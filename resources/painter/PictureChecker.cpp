#include "PictureChecker.h"

#include "CursorPainter.h"
#include "KeyShape.h"
#include "SkinLayout.h"
#include "SkinPainter.h"

#include <QSet>

namespace {

const QRgb keyColour = qRgb(255, 0, 0);

struct Placed
{
    const char *name;
    QRect place;
};

// The opaque pictures and where they lie on the skin.
const Placed opaquePictures[] = {
    {"previous.png", SkinLayout::previousButton}, {"play.png", SkinLayout::playButton},
    {"pause.png", SkinLayout::pauseButton},       {"stop.png", SkinLayout::stopButton},
    {"next.png", SkinLayout::nextButton},         {"knob1.png", SkinLayout::progressKnob},
    {"knob2.png", SkinLayout::soundKnob},
};

// Label boxes over the lower display, which must show nothing but the dot pattern.
const QRect labelBoxes[] = {
    SkinLayout::frameTotal,    SkinLayout::frameColon,    SkinLayout::frameShown,
    SkinLayout::framesCaption, SkinLayout::passesChosen,  SkinLayout::passColon,
    SkinLayout::passShown,     SkinLayout::passesCaption, SkinLayout::soundName,
    SkinLayout::animationName,
};

QString at(int x, int y)
{
    return QStringLiteral("(%1, %2)").arg(x).arg(y);
}

} // namespace

QStringList PictureChecker::check(const QMap<QString, QImage> &pictures)
{
    QStringList problems;
    const QStringList expected = {"skin.png", "previous.png", "play.png",   "pause.png",
                                  "stop.png", "next.png",     "knob1.png",  "knob2.png",
                                  "hand.png", "icon16.png",   "icon256.png"};
    for (const QString &name : expected) {
        if (pictures.value(name).isNull())
            problems << name + QStringLiteral(": missing");
    }
    if (!problems.isEmpty())
        return problems;

    const QImage skin = pictures.value("skin.png");
    checkSkin(skin, problems);
    const QImage skinRgb = skin.convertToFormat(QImage::Format_RGB32);
    for (const Placed &p : opaquePictures)
        checkOpaque(QString::fromLatin1(p.name), pictures.value(p.name), skinRgb, p.place,
                    problems);
    checkCursor(pictures.value("hand.png"), problems);
    checkIcon("icon16.png", pictures.value("icon16.png"), 16, problems);
    checkIcon("icon256.png", pictures.value("icon256.png"), 256, problems);
    return problems;
}

void PictureChecker::checkSkin(const QImage &skin, QStringList &problems)
{
    if (skin.size() != KeyShape::size()) {
        problems << QStringLiteral("skin.png: size %1 x %2").arg(skin.width()).arg(skin.height());
        return;
    }
    if (skin.format() != QImage::Format_Indexed8 || skin.colorCount() > 256)
        problems << QStringLiteral("skin.png: not an indexed picture of at most 256 colours");
    const QImage rgb = skin.convertToFormat(QImage::Format_ARGB32);
    auto px = [&rgb](int x, int y) {
        return reinterpret_cast<const QRgb *>(rgb.constScanLine(y))[x];
    };

    int keyCount = 0;
    int wrongKey = 0;
    int badOutline = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = px(x, y);
            if (qAlpha(c) != 255) {
                problems << QStringLiteral("skin.png: pixel %1 is not opaque").arg(at(x, y));
                return;
            }
            const bool red = (c & 0xffffff) == (keyColour & 0xffffff);
            keyCount += red;
            if (red != KeyShape::isKey(x, y)) {
                if (wrongKey++ < 5)
                    problems << QStringLiteral("skin.png: pixel %1 %2 the key colour")
                                    .arg(at(x, y), red ? "has" : "lacks");
            }
            if (!KeyShape::isKey(x, y)) {
                const bool outer = !KeyShape::isInside(x - 1, y) || !KeyShape::isInside(x + 1, y) ||
                                   !KeyShape::isInside(x, y - 1) || !KeyShape::isInside(x, y + 1);
                if (outer && (qRed(c) > 40 || qGreen(c) > 40 || qBlue(c) > 40)) {
                    if (badOutline++ < 5)
                        problems << QStringLiteral("skin.png: outline pixel %1 is not near-black")
                                        .arg(at(x, y));
                }
            }
        }
    }
    if (keyCount != 116 || keyCount != KeyShape::keyPixelCount())
        problems << QStringLiteral("skin.png: %1 key pixels instead of 116").arg(keyCount);
    if ((px(1, 1) & 0xffffff) != (keyColour & 0xffffff))
        problems << QStringLiteral("skin.png: pixel (1, 1) is not the key colour");

    const QRect display = SkinLayout::upperDisplay;
    for (int y = display.top(); y <= display.bottom(); ++y) {
        for (int x = display.left(); x <= display.right(); ++x) {
            if (px(x, y) != SkinPainter::displayColour()) {
                problems
                    << QStringLiteral("skin.png: display pixel %1 is not flat blue").arg(at(x, y));
                y = display.bottom();
                break;
            }
        }
    }
    const QSet<QRgb> dots = {SkinPainter::dotColour(0), SkinPainter::dotColour(1),
                             SkinPainter::dotGroundColour()};
    for (const QRect &box : labelBoxes) {
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb want =
                    (x + y) % 2 == 0 ? SkinPainter::dotColour(y) : SkinPainter::dotGroundColour();
                if (px(x, y) != want || !dots.contains(want)) {
                    problems << QStringLiteral("skin.png: label area pixel %1 is not dot pattern")
                                    .arg(at(x, y));
                    y = box.bottom();
                    break;
                }
            }
        }
    }
}

void PictureChecker::checkOpaque(const QString &name, const QImage &image, const QImage &skin,
                                 const QRect &place, QStringList &problems)
{
    if (image.size() != place.size()) {
        problems << QStringLiteral("%1: size %2 x %3 instead of %4 x %5")
                        .arg(name)
                        .arg(image.width())
                        .arg(image.height())
                        .arg(place.width())
                        .arg(place.height());
        return;
    }
    if (image.hasAlphaChannel() || image.format() != QImage::Format_RGB32)
        problems << name + QStringLiteral(": not a 24-bit picture without transparency");
    const QPoint corners[] = {{0, 0},
                              {place.width() - 1, 0},
                              {0, place.height() - 1},
                              {place.width() - 1, place.height() - 1}};
    for (const QPoint &c : corners) {
        const QRgb mine = image.pixel(c) & 0xffffff;
        const QRgb under = skin.pixel(place.topLeft() + c) & 0xffffff;
        if (mine != under)
            problems << QStringLiteral("%1: corner %2 differs from the skin around it")
                            .arg(name, at(c.x(), c.y()));
    }
}

void PictureChecker::checkCursor(const QImage &hand, QStringList &problems)
{
    if (hand.size() != QSize(32, 32)) {
        problems << QStringLiteral("hand.png: not 32 x 32");
        return;
    }
    const QImage argb = hand.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = argb.pixel(x, y);
            if (qAlpha(c) != 0 && qAlpha(c) != 255)
                problems
                    << QStringLiteral("hand.png: pixel %1 is partly transparent").arg(at(x, y));
            if (qAlpha(c) == 255)
                colours.insert(c);
        }
    }
    if (colours.size() > 16)
        problems << QStringLiteral("hand.png: %1 colours").arg(colours.size());
    if (qAlpha(argb.pixel(CursorPainter::hotSpotX, CursorPainter::hotSpotY)) != 255)
        problems << QStringLiteral("hand.png: the hot spot pixel is transparent");
    if (qAlpha(argb.pixel(CursorPainter::hotSpotX, CursorPainter::hotSpotY - 1)) != 0)
        problems << QStringLiteral("hand.png: the finger does not end at the hot spot");
}

void PictureChecker::checkIcon(const QString &name, const QImage &icon, int colours,
                               QStringList &problems)
{
    if (icon.size() != QSize(32, 32))
        problems << name + QStringLiteral(": not 32 x 32");
    if (icon.format() != QImage::Format_Indexed8 || icon.colorCount() > colours)
        problems << name + QStringLiteral(": not indexed with at most %1 colours").arg(colours);
}
