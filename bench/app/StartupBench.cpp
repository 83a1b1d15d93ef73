// qx-bench-startup [RUNS [PROGRAM]]: time from process start to window mapped, Quorbanex against a
// minimal frameless Qt window, on a private Xvfb, runs interleaved; then the time MakeRegion takes.
#include "RootWindowImage.h"
#include "SkinResources.h"
#include "XvfbServer.h"
#include "mdlRegion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdio>
#include <poll.h>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Timing
{
    double mapped = -1;  // ms from start to the window's map
    double painted = -1; // ms from start to the first change of a pixel inside the window
};

unsigned long rootPixel(Display *display, int x, int y)
{
    XImage *image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
}

// Starts the program and waits for its first top-level window to map, then for the screen
// inside it (a point of the upper title strip) to change as the first paint lands.
Timing timeToMap(Display *display, const QString &program, const QProcessEnvironment &env,
                 const QImage &background)
{
    while (XPending(display)) {
        XEvent stale;
        XNextEvent(display, &stale);
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    Timing timing;
    double &mapped = timing.mapped;
    Window window = 0;
    while (mapped < 0 && clock.elapsed() < 30000) {
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        if (!XPending(display))
            poll(&fd, 1, 50);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && mapped < 0) {
                mapped = clock.nsecsElapsed() / 1e6;
                window = event.xmap.window;
            }
        }
    }
    if (window) {
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 250, 8, &x, &y, &child);
        const unsigned long before = background.pixel(x, y) & 0xFFFFFF;
        while (timing.painted < 0 && clock.elapsed() < 10000) {
            if ((rootPixel(display, x, y) & 0xFFFFFF) != before)
                timing.painted = clock.nsecsElapsed() / 1e6;
        }
    }
    process.kill();
    process.waitForFinished(5000);
    return timing;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString dir = QCoreApplication::applicationDirPath();
    const QString quorbanex =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(QX_PROGRAM);
    const QString floor = dir + QStringLiteral("/qx-bench-floor");

    XvfbServer server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.errorText()));
        return 1;
    }
    Display *display = XOpenDisplay(server.display().toLatin1().constData());
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XFlush(display);

    const QImage background = RootWindowImage::grab(display);
    // One warm-up run each fills the file cache, then the two alternate.
    timeToMap(display, quorbanex, server.environment(), background);
    timeToMap(display, floor, server.environment(), background);
    QList<double> oursMapped, leastMapped, oursPainted, leastPainted;
    for (int i = 0; i < runs; ++i) {
        const Timing ours = timeToMap(display, quorbanex, server.environment(), background);
        const Timing least = timeToMap(display, floor, server.environment(), background);
        oursMapped.append(ours.mapped);
        oursPainted.append(ours.painted);
        leastMapped.append(least.mapped);
        leastPainted.append(least.painted);
    }
    XCloseDisplay(display);
    auto row = [](const char *what, const QList<double> &ours, const QList<double> &least) {
        const double a = median(ours), b = median(least);
        std::printf("  %-24s %8.1f ms %8.1f ms %8.3f\n", what, a, b, b > 0 ? a / b : 0.0);
    };
    std::printf("median of %d runs            quorbanex  minimal Qt   ratio\n", runs);
    row("start to window mapped", oursMapped, leastMapped);
    row("start to first paint", oursPainted, leastPainted);

    const QImage skin = SkinResources::skin();
    const mdlRegion::Colour key = mdlRegion::GetPixel(skin, 1, 1);
    QList<double> regionTimes;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        const QRegion region = mdlRegion::MakeRegion(skin, key);
        regionTimes.append(clock.nsecsElapsed() / 1e6);
        if (region.isEmpty())
            return 1;
    }
    std::printf("MakeRegion on the skin, median of 200 runs: %.3f ms (min %.3f)\n",
                median(regionTimes), *std::min_element(regionTimes.begin(), regionTimes.end()));
    return 0;
}
