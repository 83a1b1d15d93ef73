#include "PictureSet.h"

#include "ChromePainter.h"
#include "CursorPainter.h"
#include "IconPainter.h"
#include "KeyShape.h"
#include "Quantizer.h"
#include "SkinLayout.h"
#include "SkinPainter.h"

#include <QDir>
#include <QPainter>

namespace {

const QRgb keyColour = qRgb(255, 0, 0);

// Cuts 'place' out of 'picture'. Where the picture shows what the skin shows (the same
// full-colour pixel as 'plain'), the skin's reduced colour is taken, so the cut-out blends in.
QImage cutOut(const QImage &picture, const QImage &plain, const QImage &skinRgb, const QRect &place)
{
    QImage out(place.size(), QImage::Format_RGB32);
    for (int y = 0; y < place.height(); ++y) {
        for (int x = 0; x < place.width(); ++x) {
            const QPoint at = place.topLeft() + QPoint(x, y);
            const QRgb mine = picture.pixel(at);
            out.setPixel(x, y, mine == plain.pixel(at) ? skinRgb.pixel(at) : mine);
        }
    }
    return out;
}

} // namespace

void PictureSet::paint()
{
    m_pictures.clear();
    const SkinPainter painter;
    const QImage pressed = painter.paint(ChromePainter::Look::Pressed);
    const QImage raised = painter.paint(ChromePainter::Look::Raised);

    Quantizer quantizer(256);
    quantizer.forbid(keyColour);
    for (QRgb c : SkinPainter::exactColours())
        quantizer.reserve(c);
    QImage skin = quantizer.quantize(pressed);
    // Index 0 is the key colour, which no painted pixel received.
    for (int y = 0; y < skin.height(); ++y) {
        uchar *line = skin.scanLine(y);
        for (int x = 0; x < skin.width(); ++x) {
            if (KeyShape::isKey(x, y))
                line[x] = 0;
        }
    }
    m_pictures.insert("skin.png", skin);
    const QImage skinRgb = skin.convertToFormat(QImage::Format_RGB32);

    m_pictures.insert("previous.png", cutOut(raised, pressed, skinRgb, SkinLayout::previousButton));
    m_pictures.insert("play.png", cutOut(raised, pressed, skinRgb, SkinLayout::playButton));
    m_pictures.insert("pause.png", cutOut(raised, pressed, skinRgb, SkinLayout::pauseButton));
    m_pictures.insert("stop.png", cutOut(raised, pressed, skinRgb, SkinLayout::stopButton));
    m_pictures.insert("next.png", cutOut(raised, pressed, skinRgb, SkinLayout::nextButton));

    QImage knobs = pressed.copy();
    {
        QPainter p(&knobs);
        ChromePainter::knob(p, SkinLayout::progressKnob);
        ChromePainter::knob(p, SkinLayout::soundKnob);
    }
    m_pictures.insert("knob1.png", cutOut(knobs, pressed, skinRgb, SkinLayout::progressKnob));
    m_pictures.insert("knob2.png", cutOut(knobs, pressed, skinRgb, SkinLayout::soundKnob));

    m_pictures.insert("hand.png", CursorPainter::paint());
    m_pictures.insert("icon16.png", IconPainter::indexed(16));
    m_pictures.insert("icon256.png", IconPainter::indexed(256));
}

bool PictureSet::save(const QString &folder, QStringList &problems) const
{
    if (!QDir().mkpath(folder)) {
        problems << QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    for (auto it = m_pictures.constBegin(); it != m_pictures.constEnd(); ++it) {
        const QString path = QDir(folder).filePath(it.key());
        if (!it.value().save(path, "PNG", 9))
            problems << QStringLiteral("cannot write %1").arg(path);
    }
    return problems.isEmpty();
}

QMap<QString, QImage> PictureSet::load(const QString &folder)
{
    QMap<QString, QImage> pictures;
    const QStringList names = {"skin.png", "previous.png", "play.png",   "pause.png",
                               "stop.png", "next.png",     "knob1.png",  "knob2.png",
                               "hand.png", "icon16.png",   "icon256.png"};
    for (const QString &name : names)
        pictures.insert(name, QImage(QDir(folder).filePath(name)));
    return pictures;
}
