// End to end on a real X server, as the program starts and as it starts scaled by 2
// (QT_SCALE_FACTOR=2): the window maps centred with exactly the skin's shape, the skin, the
// button and marker pictures show inside it and whatever was on the screen outside it; each skin
// pixel is a scale x scale block, and the hot spots and drags are scaled alike, so that nothing
// slips against anything else.
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

namespace {

// Pictures of their own over the skin, at their places on the skin (one pixel right of and
// below their places in the window, since the skin stands at (-1, -1)).
struct Picture
{
    const char *file;
    QPoint place;
};
const Picture pictures[] = {
    {"previous.png", {8, 517}}, {"play.png", {36, 517}},  {"pause.png", {67, 517}},
    {"stop.png", {95, 516}},    {"next.png", {127, 516}}, {"knob1.png", {9, 500}},
    {"knob2.png", {186, 534}},
};

} // namespace

class tst_app_ShapeOnX11 : public QObject
{
    Q_OBJECT
private slots:
    void windowShapeAndPixels_data();
    void windowShapeAndPixels();
    void mapsOnEveryStart();
};

void tst_app_ShapeOnX11::windowShapeAndPixels_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QSize>("screenSize");
    QTest::newRow("as it starts") << 1 << QSize(1280, 1024);
    QTest::newRow("scaled by 2") << 2 << QSize(1600, 1400);
}

void tst_app_ShapeOnX11::windowShapeAndPixels()
{
    QFETCH(int, scale);
    QFETCH(QSize, screenSize);
    XvfbServer server(screenSize);
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);
    const QImage before = RootWindowImage::grab(display.get());

    QProcess program;
    QProcessEnvironment environment;
    if (scale != 1)
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    QVERIFY(server.startProgram(program, environment));
    auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished(5000);
    });
    unsigned long window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = ProgramWindow::find(display.get())) != 0, e2eWaitMs);

    // The shape: the skin pixels that differ from the key colour, unshifted, each a block.
    const QImage skin = SkinResources::skin();
    const SkinOnScreen onScreen(skin, mdlRegion::RegionRuns(skin, mdlRegion::GetPixel(skin, 1, 1)),
                                scale);
    const QSet<QPoint> shape = SkinOnScreen::pixelsOf(ProgramWindow::shape(display.get(), window));
    QCOMPARE(shape.size(), onScreen.shape().size());
    QVERIFY(shape == onScreen.shape());

    // Centred as a 521 x 568 window on the screen as the program sees it, scaled down.
    const QSize windowSize = QSize(521, 568) * scale;
    QCOMPARE(ProgramWindow::size(display.get(), window), windowSize);
    auto windowPlace = [&] { return ProgramWindow::place(display.get(), window); };
    const QPoint origin = windowPlace();
    QCOMPARE(origin, QPoint((screenSize.width() / scale - 521) / 2,
                            (screenSize.height() / scale - 568) / 2) *
                         scale);

    // On the screen: each skin pixel, and each pixel of the button and marker pictures, is a
    // block at its place times the scale; outside the shape the screen is as it was. Wait for
    // the first paint to land.
    QList<std::pair<QPoint, QImage>> placed;
    for (const Picture &p : pictures)
        placed.append({p.place, QImage(QStringLiteral(":/skin/") + QLatin1String(p.file))
                                    .convertToFormat(QImage::Format_RGB32)});
    auto mismatches = [&](const QImage &screen, QString *first) {
        int bad = onScreen.mismatches(
            screen, origin, [&](QPoint device) { return before.pixel(origin + device); }, first);
        auto check = [&](QPoint device, QRgb wanted) {
            const QRgb seen = screen.pixel(origin + device) | 0xff000000u;
            wanted |= 0xff000000u;
            if (seen != wanted && bad++ == 0 && first)
                *first = SkinOnScreen::difference(device, seen, wanted);
        };
        for (const auto &[place, picture] : placed)
            for (int y = 0; y < picture.height() * scale; ++y)
                for (int x = 0; x < picture.width() * scale; ++x)
                    check((place - QPoint(1, 1)) * scale + QPoint(x, y),
                          picture.pixel(x / scale, y / scale));
        return bad;
    };
    QImage screen;
    QElapsedTimer waited;
    waited.start();
    do {
        QTest::qWait(100);
        screen = RootWindowImage::grab(display.get());
    } while (mismatches(screen, nullptr) != 0 && waited.elapsed() < e2eWaitMs);
    screen.copy(QRect(origin, windowSize))
        .save(QDir::currentPath() + QStringLiteral("/shape-on-x11-x%1.png").arg(scale));
    QString firstMismatch;
    const int mismatchCount = mismatches(screen, &firstMismatch);
    QVERIFY2(firstMismatch.isEmpty(), qPrintable(firstMismatch));
    QCOMPARE(mismatchCount, 0);
    QCOMPARE(program.state(), QProcess::Running);

    if (!XvfbServer::hasXdotool())
        QSKIP("xdotool is not installed");
    const auto at = &XvfbServer::mouseMove;
    auto height = [&] { return ProgramWindow::size(display.get(), window).height(); };

    // Hot spots lie at their places times the scale: the device pixel just outside Image18's
    // top-left corner is bare skin, the one just inside folds the window to 406 pixels, and
    // its last device pixel unfolds it. (Image18 lies at (468, 393) on the skin.)
    const QPoint fold = QPoint(467, 392) * scale;
    QVERIFY(server.xdotool(at(origin + fold - QPoint(1, 1)) + QStringList{"click", "1"}));
    QTest::qWait(300);
    QCOMPARE(height(), 568 * scale);
    QVERIFY(server.xdotool(at(origin + fold) + QStringList{"click", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(height(), 406 * scale, e2eWaitMs);
    QVERIFY(server.xdotool(at(origin + fold + QPoint(10, 7) * scale - QPoint(1, 1)) +
                           QStringList{"click", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(height(), 549 * scale, e2eWaitMs);

    // A drag on bare skin, in several steps, moves the window by the pointer's displacement in
    // device pixels.
    const QPoint grab = origin + QPoint(250, 395) * scale;
    QStringList drag = at(grab) + QStringList{"mousedown", "1"};
    for (int step = 1; step <= 10; ++step)
        drag += at(grab + QPoint(6, 2) * step) + QStringList{"sleep", "0.02"};
    drag += QStringList{"mouseup", "1"};
    QVERIFY(server.xdotool(drag));
    QTRY_COMPARE_WITH_TIMEOUT(windowPlace(), origin + QPoint(60, 20), e2eWaitMs);

    // The close button's last device pixel ends the program (Image17, in window pixels).
    const QPoint close = windowPlace() + (QPoint(479, 392) + QPoint(10, 7)) * scale - QPoint(1, 1);
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
