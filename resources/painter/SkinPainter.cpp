#include "SkinPainter.h"

#include "FontBook.h"
#include "GlyphPainter.h"
#include "KeyShape.h"
#include "SkinLayout.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

using Look = ChromePainter::Look;

const QColor outline(14, 15, 21);
const QColor blackLine(0, 0, 0);
const QColor glyphBlack(18, 19, 24);

// A repeatable pseudo-random value in [-1, 1] for a grid point.
double grain(int x, int y, std::uint32_t salt)
{
    std::uint32_t h =
        std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + salt * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffu) / 32767.5 - 1.0;
}

// Value noise along a row: smooth streaks of random length, as left by brushing.
double streak(int x, int y, int period)
{
    const int cell = x / period;
    const double f = double(x % period) / period;
    const double s = f * f * (3 - 2 * f);
    return grain(cell, y, 7) * (1 - s) + grain(cell + 1, y, 7) * s;
}

QRgb shade(const QColor &c, double delta)
{
    auto ch = [delta](int v) { return std::clamp(int(std::lround(v + delta)), 0, 255); };
    return qRgb(ch(c.red()), ch(c.green()), ch(c.blue()));
}

void setPixel(QImage &image, int x, int y, const QColor &c)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        reinterpret_cast<QRgb *>(image.scanLine(y))[x] = c.rgb();
}

QColor pixel(const QImage &image, int x, int y)
{
    return QColor(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x]);
}

void hline(QImage &image, int x0, int x1, int y, const QColor &c)
{
    for (int x = x0; x <= x1; ++x)
        setPixel(image, x, y, c);
}

// Brushed metal: a vertical gradient with fine horizontal streaks.
void brushed(QImage &image, const QRect &r, const QColor &top, const QColor &bottom, double amount)
{
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const double t = r.height() > 1 ? double(y - r.top()) / (r.height() - 1) : 0.0;
        const QColor base = ChromePainter::mix(top, bottom, t);
        const double row = grain(0, y, 3) * amount * 0.5;
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            line[x] = shade(base, row + streak(x, y, 9) * amount * 0.6 +
                                      streak(x + 3, y, 23) * amount * 0.4);
    }
}

QPainterPath rounded(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void drawCentredText(QPainter &p, const QRect &box, const QFont &font, const QString &text,
                     const QColor &colour)
{
    p.setFont(font);
    const QFontMetrics fm(font);
    const QRect tight = fm.tightBoundingRect(text);
    const int x = box.x() + (box.width() - fm.horizontalAdvance(text)) / 2;
    const int y = box.y() + (box.height() - tight.height()) / 2 - tight.top();
    p.setPen(colour);
    p.drawText(QPoint(x, y), text);
}

} // namespace

QRgb SkinPainter::outlineColour()
{
    return outline.rgb();
}

QRgb SkinPainter::displayColour()
{
    return qRgb(31, 63, 127);
}

QRgb SkinPainter::dotColour(int row)
{
    return row % 2 == 0 ? qRgb(32, 79, 128) : qRgb(47, 79, 143);
}

QRgb SkinPainter::dotGroundColour()
{
    return qRgb(4, 37, 98);
}

QList<QRgb> SkinPainter::exactColours()
{
    return {outlineColour(), blackLine.rgb(), displayColour(),
            dotColour(0),    dotColour(1),    dotGroundColour()};
}

QImage SkinPainter::paint(Look transport) const
{
    QImage image(KeyShape::size(), QImage::Format_RGB32);
    image.fill(outline);
    {
        QPainter p(&image);
        paintUpperPanel(image, p);
        paintLowerPanel(image, p);
        paintTransport(p, transport);
    }
    paintEdges(image);
    return image;
}

void SkinPainter::paintUpperPanel(QImage &image, QPainter &p) const
{
    paintTitleStrip(image, p, SkinLayout::upperTitle, true);
    paintLightBand(image, SkinLayout::upperBand);
    hline(image, 1, 494, SkinLayout::upperBlackLine, blackLine);

    // The display sits in a mitred bevel: the top and left walls in shadow, the right wall lit.
    const QColor wallDark[5] = {
        {178, 183, 194}, {148, 153, 166}, {118, 123, 138}, {86, 91, 108}, {42, 46, 64}};
    const QColor wallLit[5] = {
        {150, 155, 167}, {180, 185, 196}, {206, 210, 219}, {228, 231, 237}, {246, 247, 250}};
    const int top = SkinLayout::upperBlackLine + 1;
    const int bottom = SkinLayout::upperDisplay.bottom();
    for (int k = 0; k < 5; ++k) {
        for (int y = top + k; y <= bottom; ++y) {
            setPixel(image, 1 + k, y, wallDark[k]);
            setPixel(image, 494 - k, y, wallLit[k]);
        }
    }
    for (int k = 0; k < 5; ++k)
        hline(image, 1 + k, 494 - k, top + k, wallDark[k]);
    p.fillRect(SkinLayout::upperDisplay, QColor(displayColour()));

    brushed(image, SkinLayout::listBar, QColor(230, 233, 239), QColor(156, 162, 175), 5.0);
    // A shadow line under the display and a highlight at the bottom of the bar.
    hline(image, 1, 494, SkinLayout::listBar.top(), QColor(120, 126, 140));
    paintListButtons(p);

    // An engraved legend between the buttons and the vents.
    {
        const QFont font = FontBook::sansBold(8);
        const QRect box(180, 368, 206, 14);
        p.save();
        drawCentredText(p, box.translated(0, 1), font,
                        QStringLiteral("GIF ANIMATION  \u00b7  WAV \u00b7 MID \u00b7 MP3"),
                        QColor(250, 251, 253));
        drawCentredText(p, box, font,
                        QStringLiteral("GIF ANIMATION  \u00b7  WAV \u00b7 MID \u00b7 MP3"),
                        QColor(98, 104, 120));
        p.restore();
    }

    // Ventilation slots at the right end of the bar.
    for (int i = 0; i < 16; ++i) {
        const int x = 392 + i * 6;
        for (int y = 370; y <= 380; ++y) {
            setPixel(image, x, y, QColor(62, 68, 82));
            setPixel(image, x + 1, y, QColor(96, 102, 116));
            setPixel(image, x + 2, y, QColor(246, 248, 251));
        }
        setPixel(image, x + 1, 381, QColor(246, 248, 251));
    }
}

void SkinPainter::paintTitleStrip(QImage &image, QPainter &p, const QRect &strip,
                                  bool withName) const
{
    const bool upper = withName;
    // Upper strip: face, then a light and a dark line; lower strip: face to its last row.
    const int faceBottom = upper ? strip.bottom() - 2 : strip.bottom();
    const QColor top(100, 112, 166), middle(64, 74, 124), low(40, 46, 84);
    for (int y = strip.top(); y <= faceBottom; ++y) {
        const double t = double(y - strip.top()) / (faceBottom - strip.top());
        const QColor c = t < 0.5 ? ChromePainter::mix(top, middle, t * 2)
                                 : ChromePainter::mix(middle, low, (t - 0.5) * 2);
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = strip.left(); x <= strip.right(); ++x)
            line[x] = shade(c, streak(x, y, 13) * 2.0);
    }
    if (upper) {
        hline(image, strip.left(), strip.right(), strip.bottom() - 1, QColor(132, 144, 194));
        hline(image, strip.left(), strip.right(), strip.bottom(), QColor(20, 23, 42));
    }

    const QRect emblem = upper ? SkinLayout::upperEmblem : SkinLayout::lowerEmblem;
    const int centre = emblem.top() + 5; // the line the grooves and the name are centred on
    int nameLeft = 0, nameRight = 0;
    if (withName) {
        const QFont font = FontBook::sansBold(10);
        QFont spaced = font;
        spaced.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
        const QString name = QStringLiteral("QUORBANEX");
        const QFontMetrics fm(spaced);
        const int width = fm.horizontalAdvance(name) - 2;
        nameLeft = (KeyShape::width - width) / 2;
        nameRight = nameLeft + width;
        const QRect box(nameLeft, centre - 7, width + 2, 14);
        p.save();
        drawCentredText(p, box.translated(1, 1), spaced, name, QColor(12, 14, 32));
        drawCentredText(p, box, spaced, name, QColor(236, 240, 255));
        p.restore();
    }

    // Three thin grooves across the strip, broken by the name.
    const int left = emblem.right() + 6;
    const int right = (upper ? SkinLayout::upperFold.left() : SkinLayout::lowerMinimise.left()) - 6;
    for (int g = -1; g <= 1; ++g) {
        const int y = centre - 1 + g * 3;
        for (int x = left; x <= right; ++x) {
            if (withName && x >= nameLeft - 8 && x <= nameRight + 8)
                continue;
            setPixel(image, x, y, QColor(22, 26, 50));
            setPixel(image, x, y + 1, QColor(128, 140, 192));
        }
    }

    ChromePainter::emblem(p, emblem);
    if (upper) {
        ChromePainter::titleButton(p, SkinLayout::upperFold);
        p.fillRect(QRect(SkinLayout::upperFold.x() + 2, SkinLayout::upperFold.y() + 2, 6, 2),
                   QColor(22, 26, 48));
        ChromePainter::titleButton(p, SkinLayout::upperClose);
        GlyphPainter::cross(p, SkinLayout::upperClose.adjusted(2, 2, -2, -2), QColor(22, 26, 48));
    } else {
        ChromePainter::titleButton(p, SkinLayout::lowerMinimise);
        p.fillRect(
            QRect(SkinLayout::lowerMinimise.x() + 2, SkinLayout::lowerMinimise.bottom() - 3, 6, 2),
            QColor(22, 26, 48));
        ChromePainter::titleButton(p, SkinLayout::lowerFold);
        p.fillRect(QRect(SkinLayout::lowerFold.x() + 2, SkinLayout::lowerFold.y() + 2, 6, 2),
                   QColor(22, 26, 48));
        ChromePainter::titleButton(p, SkinLayout::lowerClose);
        const QRect c = SkinLayout::lowerClose;
        GlyphPainter::cross(p, QRect(c.x() + 3, c.y() + 1, 5, 5), QColor(22, 26, 48));
    }
}

void SkinPainter::paintLightBand(QImage &image, const QRect &band) const
{
    const QColor left(252, 253, 255), right(188, 193, 203);
    for (int y = band.top(); y <= band.bottom(); ++y) {
        const double v = double(y - band.top()) / (band.height() - 1);
        // A little darker towards the bottom, with a bright first row.
        const double lift = y == band.top() ? 6.0 : -v * 10.0;
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = band.left(); x <= band.right(); ++x) {
            const double t = double(x - band.left()) / (band.width() - 1);
            line[x] = shade(ChromePainter::mix(left, right, t), lift + streak(x, y, 17) * 1.2);
        }
    }
}

void SkinPainter::paintListButtons(QPainter &p) const
{
    struct Button
    {
        QRect cell;
        QString word;
        void (*sign)(QPainter &, const QRect &, const QColor &);
    };
    const Button buttons[] = {
        {SkinLayout::addButton, QStringLiteral("Add"), &GlyphPainter::plus},
        {SkinLayout::removeButton, QStringLiteral("Rem"), &GlyphPainter::minus},
        {SkinLayout::selectButton, QStringLiteral("Sel"), &GlyphPainter::list},
        {SkinLayout::miscButton, QStringLiteral("Misc"), &GlyphPainter::star},
    };
    const QFont font = FontBook::terminusBold(12);
    const QFontMetrics fm(font);
    for (const Button &b : buttons) {
        ChromePainter::capsule(p, b.cell);
        const int textWidth = fm.horizontalAdvance(b.word);
        const int signWidth = 7;
        const int gap = 2;
        const int total = signWidth + gap + textWidth;
        const int x = b.cell.x() + (b.cell.width() - total) / 2;
        const QRect signBox(x, b.cell.y(), signWidth, b.cell.height());
        b.sign(p, signBox, glyphBlack);
        p.save();
        p.setFont(font);
        p.setPen(glyphBlack);
        const QRect tight = fm.tightBoundingRect(b.word);
        const int y = b.cell.y() + (b.cell.height() - tight.height() + 1) / 2 - tight.top();
        p.drawText(QPoint(x + signWidth + gap, y), b.word);
        p.restore();
    }
}

void SkinPainter::paintLowerPanel(QImage &image, QPainter &p) const
{
    paintTitleStrip(image, p, SkinLayout::lowerTitle, false);
    hline(image, 1, 494, SkinLayout::lowerTitle.bottom() + 1, QColor(20, 23, 42));
    paintLightBand(image, SkinLayout::lowerBand);
    hline(image, 1, 494, SkinLayout::lowerBlackLine, blackLine);
    brushed(image, SkinLayout::lowerBody, QColor(222, 225, 232), QColor(160, 166, 179), 5.0);
    paintDotDisplay(image, p);
    paintSwitches(p);
    paintProgress(image, p);
    paintCapsuleCluster(p);
    paintSoundRow(image, p);
}

void SkinPainter::paintDotDisplay(QImage &image, QPainter &p) const
{
    const QRectF outer(SkinLayout::lowerDisplay);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    // A soft shadow around the glass, the light rim, a dark inner line, then the dots.
    p.fillPath(rounded(outer.adjusted(-1, -1, 1, 1), 6), QColor(120, 126, 142));
    p.fillPath(rounded(outer, 5), QColor(214, 224, 240));
    p.fillPath(rounded(outer.adjusted(1, 1, -1, -1), 4), QColor(2, 20, 62));
    p.restore();
    const QRect inner = SkinLayout::lowerDisplay.adjusted(2, 2, -2, -2);
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        for (int x = inner.left(); x <= inner.right(); ++x) {
            // Keep the rounded corners of the inner line.
            const int dx = std::max({inner.left() + 2 - x, x - (inner.right() - 2), 0});
            const int dy = std::max({inner.top() + 2 - y, y - (inner.bottom() - 2), 0});
            if (dx * dx + dy * dy > 5)
                continue;
            const QColor c((x + y) % 2 == 0 ? dotColour(y) : dotGroundColour());
            setPixel(image, x, y, c);
        }
    }
}

void SkinPainter::paintSwitches(QPainter &p) const
{
    // A shallow plate behind the two switches.
    ChromePainter::recess(p, QRectF(452, 440, 39, 48), 6, QColor(178, 183, 194),
                          QColor(204, 208, 217));
    const QRect cells[] = {SkinLayout::repeatSwitch, SkinLayout::listSwitch};
    for (int i = 0; i < 2; ++i) {
        const QRect &c = cells[i];
        const QRectF circle(c.x() + 1.5, c.y(), 16, 16);
        const QRectF face = ChromePainter::smallRoundButton(p, circle);
        if (i == 0)
            GlyphPainter::loopArrow(p, face, glyphBlack);
        else
            GlyphPainter::digits123(p, face.toAlignedRect(), glyphBlack);
    }
    ChromePainter::socket(p, SkinLayout::repeatSocket);
    ChromePainter::socket(p, SkinLayout::listSocket);
}

void SkinPainter::paintProgress(QImage &image, QPainter &) const
{
    const int y = SkinLayout::progressLine;
    const int l = SkinLayout::progressLeft;
    const int r = SkinLayout::progressRight;
    for (int x = l - 1; x <= r + 1; ++x) {
        const QColor above = pixel(image, x, y - 1);
        setPixel(image, x, y - 1, ChromePainter::mix(above, QColor(40, 44, 56), 0.45));
        setPixel(image, x, y + 1, QColor(248, 249, 252));
    }
    hline(image, l, r, y, QColor(16, 18, 26));
    setPixel(image, l - 1, y, QColor(70, 74, 88));
    setPixel(image, r + 1, y, QColor(70, 74, 88));
    // Scale ticks under the groove.
    for (int i = 0; i <= 10; ++i) {
        const int x = 17 + i * 38;
        setPixel(image, x, y + 4, QColor(92, 98, 112));
        setPixel(image, x, y + 5, QColor(92, 98, 112));
        setPixel(image, x + 1, y + 4, QColor(246, 247, 250));
        setPixel(image, x + 1, y + 5, QColor(246, 247, 250));
    }
}

void SkinPainter::paintCapsuleCluster(QPainter &p) const
{
    ChromePainter::recess(p, QRectF(SkinLayout::capsuleCluster), 5, QColor(112, 118, 132),
                          QColor(146, 152, 165));
    ChromePainter::capsule(p, SkinLayout::ejectButton);
    GlyphPainter::eject(p, SkinLayout::ejectButton.adjusted(0, 1, 0, 0), glyphBlack);
    ChromePainter::capsule(p, SkinLayout::listViewButton);
    ChromePainter::capsule(p, SkinLayout::loopMenuButton);
    const QFont font = FontBook::terminusBold(12);
    drawCentredText(p, SkinLayout::listViewButton, font, QStringLiteral("PL"), QColor(24, 64, 200));
    drawCentredText(p, SkinLayout::loopMenuButton, font, QStringLiteral("ML"), glyphBlack);
}

void SkinPainter::paintTransport(QPainter &p, Look look) const
{
    ChromePainter::recess(p, QRectF(-12, 513, 166, 50), 9, QColor(96, 102, 117),
                          QColor(74, 80, 95));
    const bool pressed = look == Look::Pressed;
    const QColor sign = glyphBlack;
    QRectF face = ChromePainter::roundButton(p, SkinLayout::previousButton, look);
    GlyphPainter::previous(p, face, sign);
    face = ChromePainter::roundButton(p, SkinLayout::playButton, look);
    GlyphPainter::play(p, face, sign);
    face = ChromePainter::roundButton(p, SkinLayout::pauseButton, look);
    GlyphPainter::pause(p, face, sign);
    face = ChromePainter::roundButton(p, SkinLayout::stopButton, look);
    {
        const qreal s = std::round(face.width() * 0.42);
        const QRectF sq(std::round(face.center().x() - s / 2),
                        std::round(face.center().y() - s / 2), s, s);
        if (pressed) {
            p.fillRect(sq, sign);
        } else {
            p.fillRect(sq, QColor(10, 24, 90));
            QLinearGradient g(sq.topLeft(), sq.bottomRight());
            g.setColorAt(0.0, QColor(110, 170, 255));
            g.setColorAt(1.0, QColor(24, 70, 210));
            p.fillRect(sq.adjusted(1, 1, -1, -1), g);
        }
    }
    face = ChromePainter::roundButton(p, SkinLayout::nextButton, look);
    GlyphPainter::next(p, face, sign);
}

void SkinPainter::paintSoundRow(QImage &image, QPainter &p) const
{
    const QRectF speaker(SkinLayout::loudspeaker);
    const QRectF face = ChromePainter::smallRoundButton(p, speaker);
    GlyphPainter::loudspeaker(p, face.translated(0.5, 0), glyphBlack);

    ChromePainter::recess(p, QRectF(181, 531, 268, 15), 6, QColor(214, 219, 228),
                          QColor(246, 247, 250));
    const int l = SkinLayout::soundLeft, r = SkinLayout::soundRight;
    hline(image, l, r, SkinLayout::soundLineTop - 1, QColor(150, 158, 176));
    hline(image, l, r, SkinLayout::soundLineTop, QColor(56, 108, 220));
    hline(image, l, r, SkinLayout::soundLineBottom, QColor(26, 64, 172));
    hline(image, l, r, SkinLayout::soundLineBottom + 1, QColor(255, 255, 255));

    const QRect &c = SkinLayout::soundSwitch;
    const QRectF sw = ChromePainter::smallRoundButton(p, QRectF(c.x() + 1.5, c.y(), 16, 16));
    GlyphPainter::loopArrow(p, sw, glyphBlack);
    ChromePainter::socket(p, SkinLayout::soundSocket);
}

void SkinPainter::paintEdges(QImage &image) const
{
    const int w = image.width(), h = image.height();
    auto isEdge = [&](int x, int y) {
        if (!KeyShape::isInside(x, y))
            return true;
        if (y == SkinLayout::seamTop || y == SkinLayout::seamBottom)
            return true;
        return !KeyShape::isInside(x - 1, y) || !KeyShape::isInside(x + 1, y) ||
               !KeyShape::isInside(x, y - 1) || !KeyShape::isInside(x, y + 1);
    };
    const QImage before = image.copy();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (isEdge(x, y)) {
                setPixel(image, x, y, outline);
                continue;
            }
            const QColor c = pixel(before, x, y);
            if (isEdge(x - 1, y) || isEdge(x, y - 1))
                setPixel(image, x, y, ChromePainter::mix(c, Qt::white, 0.45));
            else if (isEdge(x + 1, y) || isEdge(x, y + 1))
                setPixel(image, x, y, ChromePainter::mix(c, Qt::black, 0.3));
        }
    }
}
