// End to end on a real X server: the program's window maps with exactly the skin's shape, the
// skin shows inside it and whatever was on the screen shows outside it.
#include "ProgramWindow.h"
#include "RootWindowImage.h"
#include "SkinOnScreen.h"
#include "SkinResources.h"
#include "XDisplayPtr.h"
#include "XvfbServer.h"
#include "mdlRegion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <atomic>
#include <thread>
#include <vector>

class tst_app_ShapeOnX11 : public QObject
{
    Q_OBJECT
private slots:
    void windowShapeAndPixels();
    void mapsOnEveryStart();
};

void tst_app_ShapeOnX11::windowShapeAndPixels()
{
    XvfbServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);
    const QImage before = RootWindowImage::grab(display.get());

    QProcess program;
    QVERIFY(server.startProgram(program));
    auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished(5000);
    });

    unsigned long window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = ProgramWindow::find(display.get())) != 0, e2eWaitMs);

    // The shape is the set of skin pixels that differ from the key colour, unshifted.
    const QImage skin = SkinResources::skin();
    const SkinOnScreen onScreen(skin, mdlRegion::RegionRuns(skin, mdlRegion::GetPixel(skin, 1, 1)));
    const QSet<QPoint> shape = SkinOnScreen::pixelsOf(ProgramWindow::shape(display.get(), window));
    QCOMPARE(shape.size(), onScreen.shape().size());
    QVERIFY(shape == onScreen.shape());

    // Centred as a 521 x 568 window.
    QCOMPARE(ProgramWindow::size(display.get(), window), QSize(521, 568));
    const QPoint origin = ProgramWindow::place(display.get(), window);
    QCOMPARE(origin, QPoint((1280 - 521) / 2, (1024 - 568) / 2));

    // Inside the shape the skin shows; outside it the screen is as it was. Wait for the first
    // paint to land.
    auto mismatches = [&](const QImage &screen, QString *first) {
        return onScreen.mismatches(
            screen, origin, [&](QPoint device) { return before.pixel(origin + device); }, first);
    };
    QImage screen;
    QString firstMismatch;
    QElapsedTimer waited;
    waited.start();
    do {
        QTest::qWait(100);
        screen = RootWindowImage::grab(display.get());
    } while (mismatches(screen, nullptr) != 0 && waited.elapsed() < e2eWaitMs);
    screen.copy(QRect(origin, QSize(521, 568))).save(QDir::currentPath() + "/shape-on-x11.png");
    const int mismatchCount = mismatches(screen, &firstMismatch);
    QVERIFY2(firstMismatch.isEmpty(), qPrintable(firstMismatch));
    QCOMPARE(mismatchCount, 0);
    QCOMPARE(program.state(), QProcess::Running);

    // A drag on bare skin, in several steps, moves the window by the pointer's displacement.
    const auto at = &XvfbServer::mouseMove;
    const QPoint grab = origin + QPoint(250, 395);
    QStringList drag = at(grab) + QStringList{"mousedown", "1"};
    for (int step = 1; step <= 10; ++step)
        drag += at(grab + QPoint(6, 2) * step) + QStringList{"sleep", "0.02"};
    drag += QStringList{"mouseup", "1"};
    if (!XvfbServer::hasXdotool())
        QSKIP("xdotool is not installed");
    QVERIFY(server.xdotool(drag));
    auto windowPlace = [&] { return ProgramWindow::place(display.get(), window); };
    QTRY_COMPARE_WITH_TIMEOUT(windowPlace(), origin + QPoint(60, 20), e2eWaitMs);

    // The close button ends the program.
    const QPoint close = windowPlace() + QPoint(484, 396); // Image17, in window pixels
    QVERIFY(server.xdotool(at(close) + QStringList{"click", "1"}));
    QVERIFY(program.waitForFinished(e2eWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

// Start-up runs threads beside the main one; a race between them shows only now and then, most
// often on a busy machine. The program is started many times while every processor is kept
// busy, and each time it must map its window rather than end on its own.
void tst_app_ShapeOnX11::mapsOnEveryStart()
{
    XvfbServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);

    std::atomic<bool> busy{true};
    std::vector<std::thread> load;
    for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        load.emplace_back([&busy] {
            while (busy.load(std::memory_order_relaxed)) {
            }
        });
    auto unload = qScopeGuard([&] {
        busy = false;
        for (std::thread &t : load)
            t.join();
    });

    constexpr int starts = 60;
    for (int start = 1; start <= starts; ++start) {
        QProcess program;
        QVERIFY(server.startProgram(program));
        QElapsedTimer waited;
        waited.start();
        while (ProgramWindow::find(display.get()) == 0 && program.state() == QProcess::Running &&
               waited.elapsed() < e2eWaitMs)
            QTest::qWait(5);
        QVERIFY2(program.state() == QProcess::Running,
                 qPrintable(QStringLiteral("start %1 of %2 ended before its window mapped: %3, "
                                           "exit code %4")
                                .arg(start)
                                .arg(starts)
                                .arg(program.exitStatus() == QProcess::CrashExit
                                         ? QStringLiteral("crashed")
                                         : QStringLiteral("exited"))
                                .arg(program.exitCode())));
        QVERIFY(ProgramWindow::find(display.get()) != 0);
        program.kill();
        QVERIFY(program.waitForFinished(e2eWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(ProgramWindow::find(display.get()), 0ul, e2eWaitMs);
    }
}

QTEST_GUILESS_MAIN(tst_app_ShapeOnX11)
#include "tst_app_ShapeOnX11.moc"
