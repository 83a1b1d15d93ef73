#include "mdlRegion.h"

#include <QTest>

using mdlRegion::Colour;

namespace {

constexpr QRgb Key = qRgb(255, 0, 0);
constexpr QRgb Ink = qRgb(10, 20, 30);

// An image from rows of characters: 'k' is the key colour, 'x' another colour, 'K' a pixel of
// the key colour with a different alpha.
QImage imageFrom(const QStringList &rows)
{
    QImage image(int(rows.value(0).size()), int(rows.size()), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QChar c = rows[y][x];
            image.setPixel(x, y, c == 'k' ? Key : c == 'K' ? qRgba(255, 0, 0, 128) : Ink);
        }
    return image;
}

QSet<QPoint> pixelsOf(const QRegion &region)
{
    QSet<QPoint> pixels;
    for (const QRect &r : region)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                pixels.insert({x, y});
    return pixels;
}

QSet<QPoint> nonKeyPixels(const QStringList &rows, QChar key)
{
    QSet<QPoint> pixels;
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            if (rows[y][x] != key)
                pixels.insert({x, y});
    return pixels;
}

} // namespace

class tst_app_mdlRegion : public QObject
{
    Q_OBJECT
private slots:
    void runs_data();
    void runs();
    void regionHoldsExactlyTheRunPixels_data();
    void regionHoldsExactlyTheRunPixels();
    void pixelQueryAndDegenerateImages();
    void indexedAndDirectPicturesAgree();
};

void tst_app_mdlRegion::runs_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<QRect>>("expected");

    QTest::newRow("row without key colour") << QStringList{"xxxx"} << QList<QRect>{{0, 0, 4, 1}};
    QTest::newRow("row of key colour only") << QStringList{"kkkk"} << QList<QRect>{};
    QTest::newRow("two runs, one-pixel gap")
        << QStringList{"kxxkxk"} << QList<QRect>{{1, 0, 2, 1}, {4, 0, 1, 1}};
    QTest::newRow("run reaching the right edge")
        << QStringList{"kkxxx"} << QList<QRect>{{2, 0, 3, 1}};
    QTest::newRow("single pixel rows")
        << QStringList{"x", "k", "x"} << QList<QRect>{{0, 0, 1, 1}, {0, 2, 1, 1}};
    QTest::newRow("rows top to bottom, left to right")
        << QStringList{"kxkx", "xxkk", "kkkk", "xkxk"}
        << QList<QRect>{{1, 0, 1, 1}, {3, 0, 1, 1}, {0, 1, 2, 1}, {0, 3, 1, 1}, {2, 3, 1, 1}};
    QTest::newRow("key colour with another alpha is still the key colour")
        << QStringList{"kKx"} << QList<QRect>{{2, 0, 1, 1}};
}

void tst_app_mdlRegion::runs()
{
    QFETCH(QStringList, rows);
    QFETCH(QList<QRect>, expected);
    const QImage image = imageFrom(rows);
    QCOMPARE(mdlRegion::RegionRuns(image, mdlRegion::GetPixel(imageFrom({"kk", "kk"}), 1, 1)),
             expected);
}

void tst_app_mdlRegion::regionHoldsExactlyTheRunPixels_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("holes") << QStringList{"xxxx", "xxxx", "kxxk", "kxxk", "xxxx"};
    QTest::newRow("checks") << QStringList{"kxkx", "kxkx", "xkxk", "kxkx"};
    QTest::newRow("frames") << QStringList{"kkkkk", "kxxxk", "kkkkk", "kxxxk"};
    QTest::newRow("narrowing") << QStringList{"xkkkkkkx", "xxkkkkxx", "xxxxxxxx",
                                              "xxxkkxxx", "xxxkkxxx", "kxxxxxxk"};
    QTest::newRow("runs that start alike but end apart") << QStringList{"xxkx", "xkkx", "xkkx"};
    QTest::newRow("key elsewhere than the corner") << QStringList{"xxxx", "xkxx", "xxxk", "kxxx"};
}

// Merging rows into bands must keep exactly the pixels of the runs, whatever the pattern. Only
// the colour at (1, 1) decides; the corner pixel plays no part and a pixel of the key's colour
// anywhere else lies outside.
void tst_app_mdlRegion::regionHoldsExactlyTheRunPixels()
{
    QFETCH(QStringList, rows);
    const QImage image = imageFrom(rows);
    QCOMPARE(pixelsOf(mdlRegion::MakeRegion(image, mdlRegion::GetPixel(image, 1, 1))),
             nonKeyPixels(rows, rows[1][1]));
}

void tst_app_mdlRegion::pixelQueryAndDegenerateImages()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(0x12, 0x34, 0x56));
    QCOMPARE(mdlRegion::GetPixel(image, 2, 1), Colour(0x00563412));
    QCOMPARE(mdlRegion::GetPixel(image, 3, 0), mdlRegion::InvalidColour);
    QCOMPARE(mdlRegion::GetPixel(image, -1, 0), mdlRegion::InvalidColour);
    // A picture too small to have a pixel (1, 1) gives no key, so every pixel is inside.
    QImage tiny(1, 1, QImage::Format_RGB32);
    tiny.fill(Key);
    const Colour key = mdlRegion::GetPixel(tiny, 1, 1);
    QCOMPARE(mdlRegion::MakeRegion(tiny, key), QRegion(0, 0, 1, 1));

    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({Key, Ink});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 1);
    QCOMPARE(mdlRegion::MakeRegion(indexed, 0x000000FF), QRegion(1, 0, 1, 1));
    // A picture all of the key colour, or none at all, leaves nothing of the window.
    QImage allKey(40, 30, QImage::Format_RGB32);
    allKey.fill(Key);
    QVERIFY(mdlRegion::MakeRegion(allKey, mdlRegion::GetPixel(allKey, 1, 1)).isEmpty());
    QVERIFY(mdlRegion::MakeRegion(QImage(), 0).isEmpty());
}

// An indexed picture is scanned by its palette; the key may stand at several palette entries.
void tst_app_mdlRegion::indexedAndDirectPicturesAgree()
{
    QImage indexed(64, 48, QImage::Format_Indexed8);
    indexed.setColorTable({Ink, Key, qRgb(1, 2, 3), Key, qRgb(254, 0, 0), qRgba(255, 0, 0, 0)});
    quint32 seed = 12345;
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            indexed.setPixel(x, y, (seed >> 24) % 6);
        }
    const Colour key = mdlRegion::GetPixel(indexed, 1, 1);
    const QImage direct = indexed.convertToFormat(QImage::Format_ARGB32);
    for (const Colour k : {key, Colour(0x000000FF), Colour(0x00030201)})
        QCOMPARE(mdlRegion::RegionRuns(indexed, k), mdlRegion::RegionRuns(direct, k));
}

QTEST_GUILESS_MAIN(tst_app_mdlRegion)
#include "tst_app_mdlRegion.moc"
