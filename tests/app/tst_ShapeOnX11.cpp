// End to end on a real X server: the program's window maps with exactly the skin's shape, the
// skin shows inside it and whatever was on the screen shows outside it.
#include "ProgramWindow.h"
#include "RootWindowImage.h"
#include "SkinResources.h"
#include "XvfbServer.h"
#include "mdlRegion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <memory>

namespace {

struct DisplayCloser
{
    void operator()(Display *d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

QSet<QPoint> pixelsOf(const QList<QRect> &rects)
{
    QSet<QPoint> pixels;
    for (const QRect &r : rects)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                pixels.insert({x, y});
    return pixels;
}

// Window rectangles where controls paint over the skin.
const QRect controlsOnTop[] = {
    {5, 39, 486, 324},                                         // the frame over the display
    {7, 516, 23, 23},   {35, 516, 25, 25},  {66, 516, 23, 25}, // transport buttons
    {94, 515, 27, 26},  {126, 515, 22, 24}, {8, 499, 17, 9},     {185, 533, 17, 10}, // markers
    {23, 437, 200, 23}, {83, 443, 215, 17}, {308, 440, 136, 32},                     // labels
};

} // namespace

class tst_ShapeOnX11 : public QObject
{
    Q_OBJECT
private slots:
    void windowShapeAndPixels();
};

void tst_ShapeOnX11::windowShapeAndPixels()
{
    XvfbServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    DisplayPtr display(XOpenDisplay(server.display().toLatin1().constData()));
    QVERIFY(display);
    const QImage before = RootWindowImage::grab(display.get());

    QProcess program;
    program.setProcessEnvironment(server.environment());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(QX_BINARY_DIR "/quorbanex"));
    QVERIFY(program.waitForStarted());
    auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished(5000);
    });

    Window window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = ProgramWindow::find(display.get())) != 0, 30000);

    // The shape is the set of skin pixels that differ from the key colour, unshifted.
    const QImage skin = SkinResources::skin();
    const QList<QRect> expectedRuns = mdlRegion::RegionRuns(skin, mdlRegion::GetPixel(skin, 1, 1));
    int count = 0, ordering = 0;
    XRectangle *rects =
        XShapeGetRectangles(display.get(), window, ShapeBounding, &count, &ordering);
    QList<QRect> shapeRects;
    for (int i = 0; i < count; ++i)
        shapeRects.append(QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
    XFree(rects);
    const QSet<QPoint> shape = pixelsOf(shapeRects);
    QCOMPARE(shape.size(), pixelsOf(expectedRuns).size());
    QVERIFY(shape == pixelsOf(expectedRuns));

    // Centred as a 521 x 568 window.
    XWindowAttributes attributes;
    XGetWindowAttributes(display.get(), window, &attributes);
    QCOMPARE(QSize(attributes.width, attributes.height), QSize(521, 568));
    Window child;
    int left = 0, top = 0;
    XTranslateCoordinates(display.get(), window, DefaultRootWindow(display.get()), 0, 0, &left,
                          &top, &child);
    QCOMPARE(QPoint(left, top), QPoint((1280 - 521) / 2, (1024 - 568) / 2));

    // Inside the shape the skin shows, shifted by one pixel (the skin stands at (-1, -1));
    // outside it the screen is as it was. Wait for the first paint to land.
    const QImage skinRgb = skin.convertToFormat(QImage::Format_RGB32);
    auto mismatches = [&](const QImage &screen, QString *first) {
        int bad = 0;
        for (int y = 0; y < 568; ++y)
            for (int x = 0; x < 521; ++x) {
                const QPoint p(x, y);
                const QRgb seen = screen.pixel(left + x, top + y);
                QRgb wanted;
                if (!shape.contains(p)) {
                    wanted = before.pixel(left + x, top + y);
                } else if (x < 495 && y < 548) {
                    if (std::any_of(std::begin(controlsOnTop), std::end(controlsOnTop),
                                    [&](const QRect &r) { return r.contains(p); }))
                        continue;
                    wanted = skinRgb.pixel(x + 1, y + 1);
                } else {
                    continue; // the window's own background along the right and bottom edges
                }
                if (seen != wanted && bad++ == 0 && first)
                    *first = QStringLiteral("(%1, %2): %3 instead of %4")
                                 .arg(x)
                                 .arg(y)
                                 .arg(seen, 6, 16)
                                 .arg(wanted, 6, 16);
            }
        return bad;
    };
    QImage screen;
    QString firstMismatch;
    QElapsedTimer waited;
    waited.start();
    do {
        QTest::qWait(100);
        screen = RootWindowImage::grab(display.get());
    } while (mismatches(screen, nullptr) != 0 && waited.elapsed() < 20000);
    screen.copy(left, top, 521, 568).save(QDir::currentPath() + "/shape-on-x11.png");
    const int mismatchCount = mismatches(screen, &firstMismatch);
    QVERIFY2(firstMismatch.isEmpty(), qPrintable(firstMismatch));
    QCOMPARE(mismatchCount, 0);
    QCOMPARE(program.state(), QProcess::Running);

    // A drag on bare skin, in several steps, moves the window by the pointer's displacement.
    auto xdotool = [&](const QStringList &arguments) {
        QProcess tool;
        tool.setProcessEnvironment(server.environment());
        tool.start(QStringLiteral("xdotool"), arguments);
        return tool.waitForFinished(10000) && tool.exitCode() == 0;
    };
    auto at = [](int x, int y) {
        return QStringList{"mousemove", QString::number(x), QString::number(y)};
    };
    const QPoint grab(left + 250, top + 395);
    QStringList drag = at(grab.x(), grab.y()) + QStringList{"mousedown", "1"};
    for (int step = 1; step <= 10; ++step)
        drag += at(grab.x() + 6 * step, grab.y() + 2 * step) + QStringList{"sleep", "0.02"};
    drag += QStringList{"mouseup", "1"};
    if (!xdotool(drag))
        QSKIP("xdotool is not available");
    auto windowPlace = [&] {
        int x = 0, y = 0;
        XTranslateCoordinates(display.get(), window, DefaultRootWindow(display.get()), 0, 0, &x, &y,
                              &child);
        return QPoint(x, y);
    };
    QTRY_COMPARE_WITH_TIMEOUT(windowPlace(), QPoint(left + 60, top + 20), 10000);

    // The close button ends the program.
    const QPoint close = windowPlace() + QPoint(484, 396); // Image17, in window pixels
    QVERIFY(xdotool(at(close.x(), close.y()) + QStringList{"click", "1"}));
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_ShapeOnX11)
#include "tst_ShapeOnX11.moc"
