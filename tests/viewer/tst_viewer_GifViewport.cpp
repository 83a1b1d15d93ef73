#include "AniGIF.h"
#include "GifDecoder.h"
#include "GifWriter.h"
#include "TestGifs.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QtTest>

// The work the engine saves: a viewport (the canvas kept exact over the part that is seen,
// nothing decoded elsewhere) and the index cache (frames kept as palette indices, so later
// passes decode nothing). Both must give exactly the pixels of a plain decoder.
class tst_viewer_GifViewport : public QObject
{
    Q_OBJECT

private slots:
    void viewportStaysExact_data();
    void viewportStaysExact();
    void indexCacheEqualsDecoding_data();
    void indexCacheEqualsDecoding();
    void indexCacheKeepsWhatFits_data();
    void indexCacheKeepsWhatFits();
    void displayPaintsExactlyWhereverItIsSeen();
    void longStripShowsItsMiddle();
};

namespace {

// Every frame as a plain decoder, without caches, composes it by playing from frame 0.
std::vector<QImage> referenceFrames(const QByteArray &bytes)
{
    GifDecoder plain(0, 0);
    std::vector<QImage> frames;
    if (!plain.loadData(bytes))
        return frames;
    for (int i = 0; i < plain.frameCount(); ++i) {
        plain.showFrame(i);
        frames.push_back(plain.canvas().copy());
    }
    return frames;
}

// The first pixel inside `area` where the canvases differ, as text; empty when none does.
QString differenceWithin(const QImage &ours, const QImage &expected, const QRect &area)
{
    const QRect part = area.intersected(expected.rect());
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            if (ours.pixel(x, y) != expected.pixel(x, y))
                return QString("pixel %1,%2 is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(ours.pixel(x, y), 8, 16, QChar('0'))
                    .arg(expected.pixel(x, y), 8, 16, QChar('0'));
        }
    }
    return {};
}

// `path` loaded and stopped on frame 0 in a shown 40 x 30 window; null when it does not load.
AniGIF *stoppedInSmallWindow(QWidget &window, const QString &path)
{
    window.resize(40, 30);
    auto *gif = new AniGIF(&window);
    gif->show();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !gif->LoadFile(path))
        return nullptr;
    gif->Stop();
    return gif;
}

} // namespace

void tst_viewer_GifViewport::viewportStaysExact_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("frameCacheBudget");
    QTest::addColumn<qsizetype>("indexBudget");
    QTest::addColumn<qint64>("replayPixels");
    const QByteArray mixed = TestGifs::mixedAnimation(QSize(40, 30), 60, 7);
    const QByteArray covering = TestGifs::mixedAnimation(QSize(40, 30), 60, 11, 5);
    const qint64 usual = GifDecoder::kReplayPixels;
    QTest::newRow("mixed, all caches")
        << mixed << GifFrameCache::kDefaultBudget << GifIndexCache::kSizedToView << usual;
    QTest::newRow("mixed, no caches") << mixed << qsizetype(0) << qsizetype(0) << usual;
    QTest::newRow("mixed, snapshots, small index budget")
        << mixed << qsizetype(40 * 30 * 6) << qsizetype(3000) << qint64(0);
    QTest::newRow("covering frames, index cache only")
        << covering << qsizetype(0) << GifIndexCache::kSizedToView << usual;
}

// Plays and seeks through viewports that narrow, widen, move, leave the canvas and vanish:
// whatever was asked for, the canvas inside the viewport is the frame's.
void tst_viewer_GifViewport::viewportStaysExact()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, frameCacheBudget);
    QFETCH(qsizetype, indexBudget);
    QFETCH(qint64, replayPixels);
    const std::vector<QImage> expected = referenceFrames(bytes);
    QCOMPARE(expected.size(), size_t(60));
    GifDecoder gif(frameCacheBudget, indexBudget, replayPixels);
    QVERIFY(gif.loadData(bytes));
    const QRect views[] = {
        QRect(10, 8, 20, 14),  QRect(0, 0, 40, 30),  QRect(25, 0, 15, 30), QRect(),
        QRect(-8, -6, 20, 16), QRect(5, 20, 60, 40), QRect(12, 10, 1, 1),  QRect(0, 0, 4000, 4000),
        QRect(-3, 12, 50, 9)}; // a band across the whole width
    QRandomGenerator random(5);
    int step = 0;
    for (int round = 0; round < 3; ++round) {
        for (const QRect &view : views) {
            // In order for a while (later rounds from the caches), then a few seeks.
            for (int k = 0; k < 25; ++k, ++step) {
                const int frame = k < 20 ? step % 60 : int(random.bounded(60));
                gif.setViewport(view);
                gif.showFrame(frame);
                const QString diff = differenceWithin(gif.canvas(), expected[size_t(frame)], view);
                QVERIFY2(diff.isEmpty(), qPrintable(QString("round %1, viewport %2, frame %3: %4")
                                                        .arg(round)
                                                        .arg(QDebug::toString(view))
                                                        .arg(frame)
                                                        .arg(diff)));
            }
            // Widening to the whole canvas composes the frame on show again, all of it.
            const QRect changed = gif.setViewport(QRect(QPoint(0, 0), gif.canvasSize()));
            QVERIFY(gif.isExact(gif.canvas().rect()));
            if (!view.contains(gif.canvas().rect()))
                QCOMPARE(changed, gif.canvas().rect());
            QCOMPARE(gif.canvas(), expected[size_t(gif.currentFrame())]);
        }
    }
    QVERIFY(gif.stats().indexCacheBytes <= gif.stats().indexCacheBudget);
}

void tst_viewer_GifViewport::indexCacheEqualsDecoding_data()
{
    QTest::addColumn<QString>("path");
    const QString root = QStringLiteral(QX_TESTDATA) + "/gif";
    if (!QFileInfo::exists(root + "/MANIFEST.txt"))
        QSKIP("shared GIF test data is absent");
    QDirIterator it(root, {"*.gif"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QTest::newRow(qPrintable(QDir(root).relativeFilePath(path))) << path;
    }
}

// Every frame of every file of the public suites: a second and third pass served from the
// index cache, and a pass through a viewport of the middle of the canvas, show what plain
// decoding shows.
void tst_viewer_GifViewport::indexCacheEqualsDecoding()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const std::vector<QImage> expected = referenceFrames(bytes);
    GifDecoder gif(0);
    if (!gif.loadData(bytes)) {
        QVERIFY(expected.empty());
        return;
    }
    QCOMPARE(size_t(gif.frameCount()), expected.size());
    const QRect middle(gif.canvasSize().width() / 4, gif.canvasSize().height() / 4,
                       std::max(1, gif.canvasSize().width() / 2),
                       std::max(1, gif.canvasSize().height() / 2));
    for (int pass = 0; pass < 4; ++pass) {
        const QRect view = pass == 3 ? middle : gif.canvas().rect();
        gif.setViewport(view);
        for (int i = 0; i < gif.frameCount(); ++i) {
            gif.showFrame(i);
            const QString diff = differenceWithin(gif.canvas(), expected[size_t(i)], view);
            QVERIFY2(diff.isEmpty(),
                     qPrintable(QString("pass %1, frame %2: %3").arg(pass).arg(i).arg(diff)));
        }
    }
}

void tst_viewer_GifViewport::indexCacheKeepsWhatFits_data()
{
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QRect>("view");
    QTest::addColumn<qsizetype>("given"); // kSizedToView: none given
    QTest::addColumn<qsizetype>("budget");
    const qsizetype sized = GifIndexCache::kSizedToView;
    QTest::newRow("given room for every frame")
        << QSize(100, 50) << QRect(0, 0, 100, 50) << qsizetype(6 * 5000) << qsizetype(6 * 5000);
    QTest::newRow("given room for the first two, which stay")
        << QSize(100, 50) << QRect(0, 0, 100, 50) << qsizetype(2 * 5000) << qsizetype(2 * 5000);
    QTest::newRow("a few frames of a small view")
        << QSize(400, 300) << QRect(150, 100, 100, 80) << sized
        << qsizetype(GifIndexCache::kViewFrames) * 100 * 80;
    QTest::newRow("a view partly off the canvas")
        << QSize(400, 300) << QRect(-50, 250, 100, 80) << sized
        << qsizetype(GifIndexCache::kViewFrames) * 50 * 50;
    QTest::newRow("a big view, bounded")
        << QSize(1500, 1500) << QRect(0, 0, 1500, 1500) << sized << GifIndexCache::kMaxBudget;
    QTest::newRow("nothing in view") << QSize(400, 300) << QRect() << sized << qsizetype(0);
}

// The index cache holds the frames that fit its budget, given or sized to a few frames of what
// is in view (never more than its bound), and keeps the first ones: later passes decompress
// only the frames it could not hold, and every frame still shows right.
void tst_viewer_GifViewport::indexCacheKeepsWhatFits()
{
    QFETCH(QSize, canvas);
    QFETCH(QRect, view);
    QFETCH(qsizetype, given);
    QFETCH(qsizetype, budget);
    constexpr int kFrames = 6;
    const QByteArray bytes = TestGifs::plainAnimation(canvas, kFrames, true);
    GifDecoder plain(0, 0);
    GifDecoder gif(0, given);
    gif.setViewport(view);
    QVERIFY(plain.loadData(bytes) && gif.loadData(bytes));
    QCOMPARE(gif.stats().indexCacheBudget, budget);
    const QRect seen = view.intersected(gif.canvas().rect());
    const qsizetype frameBytes = qsizetype(seen.width()) * seen.height();
    const int kept = frameBytes ? int(std::min<qsizetype>(kFrames, budget / frameBytes)) : 0;
    auto playPass = [&](int pass) {
        for (int i = 0; i < kFrames; ++i) {
            plain.showFrame(i);
            gif.showFrame(i);
            const QString diff = differenceWithin(gif.canvas(), plain.canvas(), view);
            QVERIFY2(diff.isEmpty(),
                     qPrintable(QString("pass %1, frame %2: %3").arg(pass).arg(i).arg(diff)));
            QVERIFY(gif.stats().indexCacheBytes <= gif.stats().indexCacheBudget);
        }
    };
    for (int pass = 0; pass < 2; ++pass)
        playPass(pass);
    QCOMPARE(gif.stats().indexCacheBytes, kept * frameBytes);
    QCOMPARE(gif.stats().framesDecompressed, frameBytes ? 2 * kFrames - kept : 0);

    // Through a narrower view a given budget stays and what it holds still serves; a budget
    // sized to the view shrinks with it and lets go of what no longer fits.
    view = QRect(10, 10, 30, 20);
    gif.setViewport(view);
    const bool sized = given == GifIndexCache::kSizedToView;
    QCOMPARE(gif.stats().indexCacheBudget,
             sized ? qsizetype(GifIndexCache::kViewFrames) * 30 * 20 : given);
    const qint64 before = gif.stats().framesDecompressed;
    playPass(2);
    if (!sized)
        QCOMPARE(gif.stats().framesDecompressed, before + kFrames - kept);
}

// In a window smaller than the animation, what is painted is exact wherever the widget is
// moved, and when the whole widget is grabbed.
void tst_viewer_GifViewport::displayPaintsExactlyWhereverItIsSeen()
{
    const QByteArray bytes = TestGifs::mixedAnimation(QSize(120, 90), 12, 3, 4);
    const std::vector<QImage> expected = referenceFrames(bytes);
    QTemporaryDir dir;
    const QString path = TestGifs::writeFile(dir.filePath("a.gif"), bytes);
    // Frame `frame` as a widget of `size` at `place` shows it: the background where it is clear.
    auto shown = [&](int frame, QPoint place, QSize size) {
        QImage want(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb w = expected[size_t(frame)].pixel(x - place.x(), y - place.y());
                want.setPixel(x, y, qAlpha(w) == 0 ? AniGIF::kBackground : w | 0xff000000);
            }
        }
        return want;
    };

    QWidget window;
    AniGIF *gif = stoppedInSmallWindow(window, path);
    QVERIFY(gif);
    for (const QPoint place : {QPoint(0, 0), QPoint(-50, -40), QPoint(-80, -60)}) {
        gif->move(place);
        for (const qint16 frame : {qint16(3), qint16(7), qint16(11)}) {
            gif->setFrame(frame);
            QCOMPARE(window.grab().toImage().convertToFormat(QImage::Format_RGB32),
                     shown(frame, place, window.size()));
        }
    }
    QCOMPARE(gif->grab().toImage().convertToFormat(QImage::Format_RGB32),
             shown(11, QPoint(0, 0), gif->size()));
}

// A strip of 640 x 40000 pixels (a long infographic) opens, and its middle, seen through a small
// window, shows each frame exactly.
void tst_viewer_GifViewport::longStripShowsItsMiddle()
{
    const QSize strip(640, 40000);
    GifWriter writer(strip, TestGifs::palette());
    GifWriter::Frame red;
    red.rect = QRect(QPoint(0, 0), strip);
    red.pixels.assign(size_t(strip.width()) * size_t(strip.height()), 1);
    writer.addFrame(red);
    writer.addFrame(TestGifs::frame({320, 20000, 2, 1}, "GB"));
    QTemporaryDir dir;
    const QString path = TestGifs::writeFile(dir.filePath("strip.gif"), writer.finish());

    QWidget window;
    AniGIF *gif = stoppedInSmallWindow(window, path);
    QVERIFY(gif);
    QCOMPARE(gif->size(), strip);
    gif->move(-300, -19990);
    for (const qint16 f : {qint16(1), qint16(0), qint16(1)}) {
        gif->setFrame(f);
        const QImage shot = window.grab().toImage();
        QCOMPARE(shot.pixel(19, 9), qRgb(255, 0, 0));
        QCOMPARE(shot.pixel(20, 10), f ? qRgb(0, 255, 0) : qRgb(255, 0, 0));
        QCOMPARE(shot.pixel(21, 10), f ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
    }
}

QTEST_MAIN(tst_viewer_GifViewport)
#include "tst_viewer_GifViewport.moc"
