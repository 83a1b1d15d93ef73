#include "SkinFonts.h"
#include "SkinLayout.h"
#include "SkinResources.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QResource>
#include <QTest>

namespace {

constexpr QRgb Red = qRgb(255, 0, 0);

QSet<QRgb> coloursOf(const QImage &image)
{
    QSet<QRgb> colours;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            colours.insert(argb.pixel(x, y));
    return colours;
}

// Red pixels at each end of each row that has any, top row first.
struct RedRows
{
    int firstRow;
    QList<int> counts;
};

const RedRows redRows[] = {
    {0, {5, 3, 2, 1, 1}},
    {382, {1, 1, 2, 3, 4, 6, 5, 3, 2, 1, 1}},
    {543, {1, 1, 2, 3, 4, 6}},
};

} // namespace

class tst_resources_SkinResources : public QObject
{
    Q_OBJECT
private slots:
    void skinNotCopied();
    void keyColourRuns();
    void outline();
    void displayArea();
    void pictures_data();
    void pictures();
    void cursor();
    void icon();
    void counterFont();
};

// The skin is shown from where it lies in the program's file, not from a decoded copy, and
// reads as its PNG does.
void tst_resources_SkinResources::skinNotCopied()
{
    QCOMPARE(SkinResources::skin().size(), QSize(496, 549));
    QCOMPARE(SkinResources::skin().format(), QImage::Format_Indexed8);
    const QResource copy(QStringLiteral(":/skin/skin.idx8"));
    QVERIFY(copy.isValid());
    const QImage stored(QStringLiteral(":/skin/skin.png"));
    const uchar *embeddedPixels = copy.data() + 12 + stored.colorCount() * 4;
    QCOMPARE(SkinResources::skin().convertToFormat(QImage::Format_RGB32),
             stored.convertToFormat(QImage::Format_RGB32));
    if (reinterpret_cast<quintptr>(embeddedPixels) % alignof(quint32) != 0)
        QSKIP("the resource compiler left the pixels unaligned; the skin is copied once");
    QCOMPARE(SkinResources::skin().constBits(), embeddedPixels);
}

void tst_resources_SkinResources::keyColourRuns()
{
    const QImage skin = SkinResources::skin().convertToFormat(QImage::Format_RGB32);
    QList<int> expected(skin.height(), 0);
    for (const RedRows &rows : redRows)
        for (int i = 0; i < rows.counts.size(); ++i)
            expected[rows.firstRow + i] = rows.counts[i];

    int total = 0;
    for (int y = 0; y < skin.height(); ++y) {
        const int n = expected[y];
        for (int x = 0; x < skin.width(); ++x) {
            const bool red = skin.pixel(x, y) == Red;
            const bool wanted = x < n || x >= skin.width() - n;
            if (red != wanted)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) red: %3").arg(x).arg(y).arg(red)));
            total += red;
        }
    }
    QCOMPARE(total, 116);
}

// The outermost pixels of the shape, along the image's edges and next to the key colour, are
// a near-black outline.
void tst_resources_SkinResources::outline()
{
    const QImage skin = SkinResources::skin().convertToFormat(QImage::Format_RGB32);
    auto isOutside = [&](int x, int y) { return !skin.valid(x, y) || skin.pixel(x, y) == Red; };
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x) {
            if (isOutside(x, y))
                continue;
            const bool edge = isOutside(x - 1, y) || isOutside(x + 1, y) || isOutside(x, y - 1) ||
                              isOutside(x, y + 1);
            if (edge && qGray(skin.pixel(x, y)) > 48)
                QFAIL(qPrintable(
                    QStringLiteral("outline pixel (%1, %2) is not near-black").arg(x).arg(y)));
        }
}

void tst_resources_SkinResources::displayArea()
{
    const QImage skin = SkinResources::skin().convertToFormat(QImage::Format_RGB32);
    const QRect display = SkinLayout::upperDisplay;
    for (int y = display.top(); y <= display.bottom(); ++y)
        for (int x = display.left(); x <= display.right(); ++x)
            if (skin.pixel(x, y) != qRgb(31, 63, 127))
                QFAIL(qPrintable(QStringLiteral("display pixel (%1, %2)").arg(x).arg(y)));
}

// Rows are named after the pictures' resources.
void tst_resources_SkinResources::pictures_data()
{
    QTest::addColumn<QPixmap>("picture");
    QTest::addColumn<QSize>("size");
    using T = SkinResources::Transport;
    QTest::newRow("previous") << SkinResources::transport(T::Previous)
                              << SkinLayout::previousButton.size();
    QTest::newRow("play") << SkinResources::transport(T::Play) << SkinLayout::playButton.size();
    QTest::newRow("pause") << SkinResources::transport(T::Pause) << SkinLayout::pauseButton.size();
    QTest::newRow("stop") << SkinResources::transport(T::Stop) << SkinLayout::stopButton.size();
    QTest::newRow("next") << SkinResources::transport(T::Next) << SkinLayout::nextButton.size();
    QTest::newRow("knob1") << SkinResources::knob(1) << SkinLayout::progressKnob.size();
    QTest::newRow("knob2") << SkinResources::knob(2) << SkinLayout::soundKnob.size();
}

// Button and knob pictures come as ready-made screen copies with the program, each its stored
// picture pixel for pixel: an opaque rectangle of its place's size, shaded, without the key
// colour.
void tst_resources_SkinResources::pictures()
{
    QFETCH(QPixmap, picture);
    QFETCH(QSize, size);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QImage shown = picture.toImage();
    QVERIFY(QResource(QStringLiteral(":/skin/%1.rgb32").arg(name)).isValid());
    QCOMPARE(shown.format(), QImage::Format_RGB32);
    const QImage stored(QStringLiteral(":/skin/%1.png").arg(name));
    QCOMPARE(shown, stored.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(shown.size(), size);
    QVERIFY(!coloursOf(shown).contains(Red));
    QVERIFY(coloursOf(shown).size() > 8); // shaded, not flat
}

void tst_resources_SkinResources::cursor()
{
    const QImage hand = SkinResources::handCursorImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(hand.size(), QSize(32, 32));
    const QSet<QRgb> colours = coloursOf(hand);
    int opaque = 0;
    for (QRgb c : colours) {
        QVERIFY(qAlpha(c) == 0 || qAlpha(c) == 255);
        opaque += qAlpha(c) == 255;
    }
    QVERIFY(opaque <= 16);
    // The cursor points with the middle of the finger tip, the picture's topmost row.
    const QPoint hot = SkinResources::handCursor().hotSpot();
    for (int x = hot.x() - 1; x <= hot.x() + 1; ++x)
        QCOMPARE(qAlpha(hand.pixel(x, hot.y())), 255);
    for (int y = 0; y < hot.y(); ++y)
        for (int x = 0; x < hand.width(); ++x)
            QCOMPARE(qAlpha(hand.pixel(x, y)), 0);
}

void tst_resources_SkinResources::icon()
{
    const QImage small = SkinResources::iconImage16();
    const QImage large = SkinResources::iconImage256();
    QCOMPARE(small.size(), QSize(32, 32));
    QCOMPARE(large.size(), QSize(32, 32));
    QVERIFY(coloursOf(small).size() <= 16);
    QVERIFY(coloursOf(large).size() <= 256);
    QVERIFY(coloursOf(large).size() > coloursOf(small).size());
}

void tst_resources_SkinResources::counterFont()
{
    const QFontInfo info(SkinFonts::terminal());
    QVERIFY(info.fixedPitch());
    QVERIFY(info.bold());
    // Two digits fit the counters' 25-pixel boxes.
    QVERIFY(QFontMetrics(SkinFonts::terminal()).horizontalAdvance(QStringLiteral("00")) <= 25);
}

QTEST_MAIN(tst_resources_SkinResources)
#include "tst_resources_SkinResources.moc"
