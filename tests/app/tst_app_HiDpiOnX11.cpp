// End to end on a real X server with the window scaled by 2 (QT_SCALE_FACTOR=2): the shape,
// the skin, the button and marker pictures and the hot spots all grow by exactly 2, each skin
// pixel becoming a 2 x 2 block, so that nothing slips against anything else.
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

namespace {

constexpr int scale = 2;

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

class tst_app_HiDpiOnX11 : public QObject
{
    Q_OBJECT
private slots:
    void everythingScalesTogether();
};

void tst_app_HiDpiOnX11::everythingScalesTogether()
{
    XvfbServer server({1600, 1400});
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);
    const QImage before = RootWindowImage::grab(display.get());

    QProcess program;
    QProcessEnvironment scaled;
    scaled.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    QVERIFY(server.startProgram(program, scaled));
    auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished(5000);
    });
    unsigned long window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = ProgramWindow::find(display.get())) != 0, e2eWaitMs);

    // The shape: every pixel of the skin's region as a 2 x 2 block.
    const QImage skin = SkinResources::skin();
    const SkinOnScreen onScreen(skin, mdlRegion::RegionRuns(skin, mdlRegion::GetPixel(skin, 1, 1)),
                                scale);
    const QSet<QPoint> shape = SkinOnScreen::pixelsOf(ProgramWindow::shape(display.get(), window));
    QCOMPARE(shape.size(), onScreen.shape().size());
    QVERIFY(shape == onScreen.shape());

    QCOMPARE(ProgramWindow::size(display.get(), window), QSize(521, 568) * scale);
    auto windowPlace = [&] { return ProgramWindow::place(display.get(), window); };
    const QPoint origin = windowPlace();

    // On the screen: each skin pixel, and each pixel of the button and marker pictures, is a
    // 2 x 2 block at twice its place; outside the shape the screen is as it was.
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
    screen.copy(QRect(origin, QSize(521, 568) * scale))
        .save(QDir::currentPath() + "/hidpi-on-x11.png");
    QString firstMismatch;
    const int mismatchCount = mismatches(screen, &firstMismatch);
    QVERIFY2(firstMismatch.isEmpty(), qPrintable(firstMismatch));
    QCOMPARE(mismatchCount, 0);

    const auto at = &XvfbServer::mouseMove;
    auto height = [&] { return ProgramWindow::size(display.get(), window).height(); };

    // Hot spots lie at twice their places: the device pixel just outside Image18's top-left
    // corner is bare skin, the one just inside folds the window to 406 pixels, twice over, and
    // so does its last device pixel. (Image18 lies at (468, 393) on the skin, which stands at
    // (-1, -1) in the window.)
    const QPoint fold = QPoint(467, 392) * scale;
    if (!XvfbServer::hasXdotool())
        QSKIP("xdotool is not installed");
    QVERIFY(server.xdotool(at(origin + fold - QPoint(1, 1)) + QStringList{"click", "1"}));
    QTest::qWait(300);
    QCOMPARE(height(), 568 * scale);
    QVERIFY(server.xdotool(at(origin + fold) + QStringList{"click", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(height(), 406 * scale, e2eWaitMs);
    QVERIFY(server.xdotool(at(origin + fold + QPoint(10, 7) * scale - QPoint(1, 1)) +
                           QStringList{"click", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(height(), 549 * scale, e2eWaitMs);

    // A drag on bare skin moves the window by the pointer's displacement in device pixels.
    const QPoint grab = origin + QPoint(250, 395) * scale;
    QStringList drag = at(grab) + QStringList{"mousedown", "1"};
    for (int step = 1; step <= 10; ++step)
        drag += at(grab + QPoint(6, 2) * step) + QStringList{"sleep", "0.02"};
    drag += QStringList{"mouseup", "1"};
    QVERIFY(server.xdotool(drag));
    QTRY_COMPARE_WITH_TIMEOUT(windowPlace(), origin + QPoint(60, 20), e2eWaitMs);

    // The close button's last device pixel ends the program.
    const QPoint close = windowPlace() + (QPoint(479, 392) + QPoint(10, 7)) * scale - QPoint(1, 1);
    QVERIFY(server.xdotool(at(close) + QStringList{"click", "1"}));
    QVERIFY(program.waitForFinished(e2eWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_app_HiDpiOnX11)
#include "tst_app_HiDpiOnX11.moc"
