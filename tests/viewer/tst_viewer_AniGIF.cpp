#include "AniGIF.h"
#include "TestGifs.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using TestGifs::frame;

class tst_viewer_AniGIF : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadShowsFirstFrameAndTakesItsSize();
    void failedLoadLeavesAQuietEmptyWidget();
    void passes_data();
    void passes();
    void endlessPassesGoOnUntilStopped();
    void stopHaltsAndPlayResumes();
    void frameWritesShowAtOnceWithoutReport_data();
    void frameWritesShowAtOnceWithoutReport();
    void playWhilePlayingDoesNotAdvance();
    void handlerMayLoadAndPlayWithEventsPumped();
    void hiddenOrMinimisedWidgetDecodesNothing();

private:
    QString write(const QString &name, const QByteArray &bytes);
    static QList<int> frames(const QSignalSpy &spy);

    QTemporaryDir m_dir;
    QString m_fourFrames; // 4 x 2 canvas, frames 0..3, 20 ms each
    QString m_threeFrames;
    QString m_oneFrame;
};

QString tst_viewer_AniGIF::write(const QString &name, const QByteArray &bytes)
{
    return TestGifs::writeFile(m_dir.filePath(name), bytes);
}

QList<int> tst_viewer_AniGIF::frames(const QSignalSpy &spy)
{
    QList<int> out;
    for (const auto &args : spy)
        out << args.at(0).toInt();
    return out;
}

void tst_viewer_AniGIF::initTestCase()
{
    QVERIFY(m_dir.isValid());
    auto animation = [](QSize size, const QStringList &pictures) {
        GifWriter writer(size, TestGifs::palette());
        writer.setLoopCount(0);
        for (const QString &p : pictures) {
            GifWriter::Frame f = frame(QRect(QPoint(0, 0), size), p, 1, 7);
            f.delayCs = 2;
            writer.addFrame(f);
        }
        return writer.finish();
    };
    m_fourFrames =
        write("four.gif", animation({4, 2}, {"RRRR/tttt", "GGGG/tttt", "BBBB/tttt", "WWWW/tttt"}));
    m_threeFrames =
        write("three.gif", animation({3, 3}, {"RRR/RRR/RRR", "GGG/GGG/GGG", "BBB/BBB/BBB"}));
    m_oneFrame = write("one.gif", animation({2, 2}, {"Rt/tR"}));
}

void tst_viewer_AniGIF::loadShowsFirstFrameAndTakesItsSize()
{
    AniGIF gif;
    gif.resize(50, 50);
    QVERIFY(gif.LoadFile(m_fourFrames));
    QCOMPARE(gif.FrameCount(), qint16(4));
    QCOMPARE(gif.Frame(), qint16(0));
    QCOMPARE(gif.size(), QSize(4, 2));
    gif.Stop();
    const QImage shot = gif.grab().toImage();
    QCOMPARE(shot.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(shot.pixel(3, 1), qRgb(45, 62, 132)); // transparent: the background
    // The program reaches the members by name too.
    QCOMPARE(gif.property("FrameCount").toInt(), 4);
    QVERIFY(gif.setProperty("Loops", 3));
    QCOMPARE(gif.Loops(), qint16(3));
}

void tst_viewer_AniGIF::failedLoadLeavesAQuietEmptyWidget()
{
    AniGIF gif;
    QVERIFY(gif.LoadFile(m_fourFrames));
    gif.setLoops(5);
    QSignalSpy spy(&gif, &AniGIF::FrameChanged);
    const QString broken = write("broken.gif", QByteArray("GIF89a\x01"));
    // A named pipe with no writer: opening it for reading must not wait for one.
    const QString pipe = m_dir.filePath("pipe.gif");
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &path : {m_dir.filePath("missing.gif"), broken, m_dir.path(), pipe}) {
        QVERIFY(!gif.LoadFile(path));
        QCOMPARE(gif.FrameCount(), qint16(0));
        QCOMPARE(gif.Frame(), qint16(0));
        QCOMPARE(gif.size(), QSize(4, 2));
        QCOMPARE(gif.Loops(), qint16(5));
        gif.Play();
        gif.setFrame(2);
        QCOMPARE(gif.Frame(), qint16(0));
        gif.Stop();
        const QImage shot = gif.grab().toImage();
        QCOMPARE(shot.pixel(0, 0), qRgb(45, 62, 132));
    }
    QTest::qWait(100);
    QCOMPARE(spy.count(), 0);
}

void tst_viewer_AniGIF::passes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("loops");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("one pass") << m_fourFrames << 1 << QList<int>{1, 2, 3};
    QTest::newRow("two passes") << m_fourFrames << 2 << QList<int>{1, 2, 3, 0, 1, 2, 3};
    QTest::newRow("three passes") << m_fourFrames << 3
                                  << QList<int>{1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};
    // Its only frame is reported once per pass, after the frame's delay.
    QTest::newRow("one frame, two passes") << m_oneFrame << 2 << QList<int>{0, 0};
}

// Playback halts on the last frame of the last pass; the report of that frame comes after the
// halt, and nothing follows it until the next Play().
void tst_viewer_AniGIF::passes()
{
    QFETCH(QString, path);
    QFETCH(int, loops);
    QFETCH(QList<int>, expected);
    AniGIF gif;
    gif.show();
    gif.setLoops(qint16(loops));
    QSignalSpy spy(&gif, &AniGIF::FrameChanged);
    QVERIFY(gif.LoadFile(path));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), expected.size(), 10000);
    QTest::qWait(150);
    QCOMPARE(frames(spy), expected);
    QCOMPARE(gif.Frame(), qint16(expected.last()));

    // Play() after the end starts a new round of as many passes, going on from the last frame.
    QList<int> again = expected;
    if (again.first() != 0)
        again.prepend(0);
    spy.clear();
    gif.Play();
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), again.size(), 10000);
    QTest::qWait(150);
    QCOMPARE(frames(spy), again);
}

void tst_viewer_AniGIF::endlessPassesGoOnUntilStopped()
{
    AniGIF gif;
    gif.show();
    gif.setLoops(0);
    QSignalSpy spy(&gif, &AniGIF::FrameChanged);
    QVERIFY(gif.LoadFile(m_fourFrames));
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 10, 10000);
    gif.Stop();
    const QList<int> seen = frames(spy);
    for (int i = 0; i < seen.size(); ++i)
        QCOMPARE(seen[i], (i + 1) % 4);
}

void tst_viewer_AniGIF::stopHaltsAndPlayResumes()
{
    AniGIF gif;
    gif.show();
    gif.setLoops(0);
    QSignalSpy spy(&gif, &AniGIF::FrameChanged);
    QVERIFY(gif.LoadFile(m_fourFrames));
    QTRY_VERIFY(spy.count() >= 2);
    gif.Stop();
    const int halted = gif.Frame();
    const int reports = int(spy.count());
    QCOMPARE(spy.last().at(0).toInt(), halted);
    QTest::qWait(100);
    QCOMPARE(spy.count(), reports);
    QCOMPARE(gif.Frame(), qint16(halted));
    gif.Play();
    QTRY_VERIFY(spy.count() > reports);
    QCOMPARE(spy.at(reports).at(0).toInt(), (halted + 1) % 4);
}

void tst_viewer_AniGIF::frameWritesShowAtOnceWithoutReport_data()
{
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("first") << 0 << 0 << qRgb(255, 0, 0);
    QTest::newRow("second") << 1 << 1 << qRgb(0, 255, 0);
    QTest::newRow("last") << 3 << 3 << qRgb(255, 255, 255);
    QTest::newRow("before the first") << -1 << 0 << qRgb(255, 0, 0);
    QTest::newRow("after the last") << 4 << 3 << qRgb(255, 255, 255);
    QTest::newRow("far out") << 32767 << 3 << qRgb(255, 255, 255);
}

void tst_viewer_AniGIF::frameWritesShowAtOnceWithoutReport()
{
    QFETCH(int, written);
    QFETCH(int, shown);
    QFETCH(QRgb, colour);
    AniGIF gif;
    QVERIFY(gif.LoadFile(m_fourFrames));
    gif.Stop();
    QSignalSpy spy(&gif, &AniGIF::FrameChanged);
    gif.setFrame(2);
    gif.setFrame(qint16(written));
    QCOMPARE(gif.Frame(), qint16(shown));
    QCOMPARE(gif.grab().toImage().pixel(1, 0), colour);
    QCOMPARE(spy.count(), 0);
    QVERIFY(gif.setProperty("Frame", QVariant::fromValue(qint16(2))));
    QCOMPARE(gif.Frame(), qint16(2));
    QCOMPARE(spy.count(), 0);
}

void tst_viewer_AniGIF::playWhilePlayingDoesNotAdvance()
{
    AniGIF gif;
    gif.show();
    gif.setLoops(0);
    QSignalSpy spy(&gif, &AniGIF::FrameChanged);
    connect(&gif, &AniGIF::FrameChanged, &gif, [&gif] {
        gif.Play();
        QCoreApplication::processEvents();
        gif.Play();
    });
    QVERIFY(gif.LoadFile(m_fourFrames));
    gif.Play();
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 12, 10000);
    gif.Stop();
    const QList<int> seen = frames(spy);
    for (int i = 0; i < seen.size(); ++i)
        QCOMPARE(seen[i], (i + 1) % 4);
}

// What the program's frame-change routine does at the last frame in list play: load the next
// file, let events run, write frame 1, let events run, play. Reports never nest, and after
// each load the reports go on from frame 2 of the new animation.
void tst_viewer_AniGIF::handlerMayLoadAndPlayWithEventsPumped()
{
    AniGIF gif;
    gif.show();
    gif.setLoops(1);
    const QStringList files{m_threeFrames, m_fourFrames};
    int next = 0;
    int depth = 0;
    int deepest = 0;
    int advances = 0;
    QList<QPair<int, int>> seen; // (frame count, frame)
    connect(&gif, &AniGIF::FrameChanged, &gif, [&](qint16 frame) {
        ++depth;
        deepest = std::max(deepest, depth);
        seen.append({gif.FrameCount(), frame});
        if (frame == gif.FrameCount() - 1 && advances < 6) {
            ++advances;
            QCoreApplication::processEvents();
            gif.LoadFile(files[next++ % 2]);
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
            QTest::qWait(50); // a slow handler: frames fall due meanwhile
            gif.setFrame(1);
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
            gif.Play();
        }
        --depth;
    });
    QVERIFY(gif.LoadFile(m_fourFrames));
    QTRY_VERIFY_WITH_TIMEOUT(advances == 6 && gif.Frame() == gif.FrameCount() - 1, 10000);
    QTest::qWait(100);
    QCOMPARE(deepest, 1);
    // Each report is the frame after the one before, in the animation on show; after a
    // load, whose handler wrote frame 1, the next report is frame 2.
    for (int i = 1; i < seen.size(); ++i) {
        const auto [count, frame] = seen[i];
        const auto [previousCount, previous] = seen[i - 1];
        if (previous == previousCount - 1)
            QCOMPARE(frame, 2);
        else
            QCOMPARE(frame, previous + 1);
        QVERIFY(frame < count);
    }
    QCOMPARE(seen.last().second, seen.last().first - 1);
}

void tst_viewer_AniGIF::hiddenOrMinimisedWidgetDecodesNothing()
{
    QWidget window;
    auto *gif = new AniGIF(&window);
    gif->show();
    window.show();
    gif->setLoops(0);
    QSignalSpy spy(gif, &AniGIF::FrameChanged);
    QVERIFY(gif->LoadFile(m_fourFrames));
    QTRY_VERIFY(spy.count() >= 2);

    gif->hide();
    int reports = int(spy.count());
    const int frame = gif->Frame();
    QTest::qWait(300);
    QCOMPARE(spy.count(), reports);
    QCOMPARE(gif->Frame(), qint16(frame));
    gif->show();
    QTRY_VERIFY(spy.count() > reports);
    QCOMPARE(spy.at(reports).at(0).toInt(), (frame + 1) % 4);

    window.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(window.isMinimized());
    QTest::qWait(50);
    reports = int(spy.count());
    QTest::qWait(300);
    QCOMPARE(spy.count(), reports);
    window.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(spy.count() > reports);
}

QTEST_MAIN(tst_viewer_AniGIF)
#include "tst_viewer_AniGIF.moc"
