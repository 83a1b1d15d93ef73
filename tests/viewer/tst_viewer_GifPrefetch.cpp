#include "AniGIF.h"
#include "AnimationViewer.h"
#include "GifPrefetch.h"
#include "TestGifs.h"

#include <QTemporaryDir>
#include <QtTest>

// An animation opened beside the start-up: the first load of its path takes it over once, with
// frame 0 decoded exactly over the centred view; another path, a file that is no GIF, or a
// second take gets nothing.
class tst_viewer_GifPrefetch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void centredViewIsExact_data();
    void centredViewIsExact();
    void takenOnceAndOnlyForItsPath();
    void displayTakesItOver();
    void viewerTakesItOnFirstShow();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString tst_viewer_GifPrefetch::write(const QString &name, const QByteArray &bytes)
{
    return TestGifs::writeFile(m_dir.filePath(name), bytes);
}

void tst_viewer_GifPrefetch::centredViewIsExact_data()
{
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("view");
    QTest::newRow("view inside the canvas") << QSize(40, 30) << QSize(12, 8);
    QTest::newRow("odd sizes") << QSize(41, 29) << QSize(13, 7);
    QTest::newRow("view wider than the canvas") << QSize(9, 30) << QSize(20, 6);
    QTest::newRow("view larger than the canvas") << QSize(7, 5) << QSize(486, 324);
}

void tst_viewer_GifPrefetch::centredViewIsExact()
{
    QFETCH(QSize, canvas);
    QFETCH(QSize, view);
    const QByteArray bytes = TestGifs::mixedAnimation(canvas, 4, 7);
    const QString path = write(QStringLiteral("centred.gif"), bytes);
    GifDecoder plain(0, 0);
    QVERIFY(plain.loadData(bytes));

    GifPrefetch prefetch(path, view);
    const std::unique_ptr<GifDecoder> taken = prefetch.take(path);
    QVERIFY(taken);
    QCOMPARE(taken->frameCount(), plain.frameCount());
    QCOMPARE(taken->currentFrame(), 0);
    // Where a display of this canvas centred in the view shows it, whichever way it rounds.
    const QRect seen =
        QRect(QPoint((canvas.width() - view.width()) / 2, (canvas.height() - view.height()) / 2),
              view)
            .adjusted(-1, -1, 1, 1)
            .intersected(QRect(QPoint(0, 0), canvas));
    QVERIFY(taken->isExact(seen));
    QCOMPARE(taken->canvas().copy(seen), plain.canvas().copy(seen));
}

void tst_viewer_GifPrefetch::takenOnceAndOnlyForItsPath()
{
    const QString path = write(QStringLiteral("once.gif"), TestGifs::mixedAnimation({8, 6}, 3, 1));
    const QString other =
        write(QStringLiteral("other.gif"), TestGifs::mixedAnimation({8, 6}, 3, 2));
    {
        GifPrefetch prefetch(path, {4, 4});
        QVERIFY(!prefetch.take(other));
        QVERIFY(prefetch.take(path));
        QVERIFY(!prefetch.take(path));
    }
    const QString broken = write(QStringLiteral("broken.gif"), QByteArray("GIF89a\x01", 7));
    for (const QString &nothing :
         {broken, m_dir.filePath(QStringLiteral("missing.gif")), m_dir.path()}) {
        GifPrefetch prefetch(nothing, {4, 4});
        QVERIFY2(!prefetch.take(nothing), qPrintable(nothing));
    }
    { // never taken: its thread is waited for, its decoder freed
        const GifPrefetch prefetch(path, {4, 4});
    }
    GifPrefetch none(QString(), {4, 4});
    QVERIFY(!none.take(QString()));
    QVERIFY(!none.take(path));
}

// A display that loads the prefetched path shows the same frames as one that reads the file.
void tst_viewer_GifPrefetch::displayTakesItOver()
{
    const QString path =
        write(QStringLiteral("display.gif"), TestGifs::mixedAnimation({30, 20}, 5, 3));
    AniGIF reading;
    QVERIFY(reading.LoadFile(path));
    reading.Stop();
    GifPrefetch prefetch(path, {10, 10});
    AniGIF taking;
    std::unique_ptr<GifDecoder> opened = prefetch.take(path);
    QVERIFY(opened);
    QVERIFY(taking.LoadFile(path, std::move(opened)));
    taking.Stop();
    QCOMPARE(taking.FrameCount(), reading.FrameCount());
    QCOMPARE(taking.size(), reading.size());
    for (qint16 frame : {0, 3, 1}) {
        reading.setFrame(frame);
        taking.setFrame(frame);
        QCOMPARE(taking.grab().toImage(), reading.grab().toImage());
    }
}

// The viewer's show of the command line's animation takes over the decoder opened for it.
void tst_viewer_GifPrefetch::viewerTakesItOnFirstShow()
{
    const QString path =
        write(QStringLiteral("viewer.gif"), TestGifs::mixedAnimation({30, 20}, 5, 3));
    GifPrefetch prefetch(path, {10, 10});
    AniGIF display;
    AnimationViewer::Controls controls;
    controls.display = &display;
    controls.commandLine = path;
    controls.prefetch = &prefetch;
    AnimationViewer viewer(controls);
    viewer.showCommandLineAnimation();
    QCOMPARE(display.FrameCount(), 5);
    QVERIFY(!prefetch.take(path));
}

QTEST_MAIN(tst_viewer_GifPrefetch)
#include "tst_viewer_GifPrefetch.moc"
