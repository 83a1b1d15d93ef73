// qx-bench-startup [RUNS [PROGRAM]]: time from process start to window mapped, Quorbanex against a
// minimal frameless Qt window, on a private Xvfb, runs interleaved; then the time MakeRegion takes.
#include "SkinResources.h"
#include "XvfbServer.h"
#include "mdlRegion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <X11/Xlib.h>
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

// Starts the program and waits for the first top-level window to map; milliseconds, or -1.
double timeToMap(Display *display, const QString &program, const QProcessEnvironment &env)
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
    double mapped = -1;
    while (mapped < 0 && clock.elapsed() < 30000) {
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        if (!XPending(display))
            poll(&fd, 1, 50);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && mapped < 0)
                mapped = clock.nsecsElapsed() / 1e6;
        }
    }
    process.kill();
    process.waitForFinished(5000);
    return mapped;
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

    // One warm-up run each fills the file cache, then the two alternate.
    timeToMap(display, quorbanex, server.environment());
    timeToMap(display, floor, server.environment());
    QList<double> ours, least;
    for (int i = 0; i < runs; ++i) {
        ours.append(timeToMap(display, quorbanex, server.environment()));
        least.append(timeToMap(display, floor, server.environment()));
    }
    XCloseDisplay(display);
    const double a = median(ours), b = median(least);
    std::printf("start to window mapped, median of %d runs\n", runs);
    std::printf("  quorbanex            %8.1f ms\n", a);
    std::printf("  minimal Qt window    %8.1f ms\n", b);
    std::printf("  ratio                %8.3f\n", b > 0 ? a / b : 0.0);

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
