// Start-up. The command line is read once, before anything else: `--help` and `--version` are
// answered there, without a display. Qt then takes its own options (-platform, -style …) out of
// it as the application object is made, and what is left names the animation. Everything else
// runs beside the building of the window, on threads of its own:
//   - the system's font configuration, then the font database; the labels' fonts are set before
//     the window maps, and whatever needs a font first waits for them there, so these threads
//     keep their full priority;
//   - the animation named on the command line is opened, and the part of frame 0 in view
//     decoded (GifPrefetch); the window's first load of it takes it over;
//   - the skin's small pictures are decoded;
//   - the session bus is connected, when there may be one.
// The font configuration starts before the application object exists; nothing of Qt may run
// beside that object's construction, which sets up what every other thread reads (the plugin
// paths among it), so the other threads start after it. The window is built and shown on the
// main thread, which waits for the pictures and the bus before running the event loop, and for
// the font database when the loop ends.
#include "CommandLine.h"
#include "CommonDialog.h"
#include "EndRequests.h"
#include "GifPrefetch.h"
#include "SkinFonts.h"
#include "SkinResources.h"
#include "frmMain.h"
#include "mdlMain.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <cstdio>
#include <fontconfig/fontconfig.h>
#include <malloc.h>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

// With no session bus to be found, the D-Bus library would try to start one through the X
// server, forking a helper from a thread of ours; a picture viewer has no business starting a
// bus, so it is told there is none. Returns whether there may be a bus to connect to.
static bool refuseBusAutolaunch()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return qgetenv("DBUS_SESSION_BUS_ADDRESS") != "disabled:";
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && QFileInfo::exists(runtimeDir + QStringLiteral("/bus")))
        return true;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    return false;
}

// Work the window does not need before it is on the screen yields the processor to the work
// that puts it there.
static void lowerThisThreadsPriority()
{
    setpriority(PRIO_PROCESS, gettid(), 10);
}

static QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int main(int argc, char *argv[])
{
    CommandLine commandLine = CommandLine::parse(argumentsOf(argc, argv));
    if (commandLine.request() != CommandLine::Request::Show) {
        std::fputs(commandLine.answer().toLocal8Bit().constData(), stdout);
        return 0;
    }
    // The threads below each allocate a little; from one arena their blocks share pages, where
    // an arena of their own would each touch pages that stay half empty.
    mallopt(M_ARENA_MAX, 1);
    const bool mayHaveSessionBus = refuseBusAutolaunch();
    std::thread fontConfig([] { FcInit(); });
    const int wordCount = argc;
    QApplication app(argc, argv);
    if (argc != wordCount)
        commandLine = CommandLine::parse(argumentsOf(argc, argv));
    GifPrefetch prefetch(commandLine.animation(), frmMain::DisplayFrameSize);
    QApplication::setApplicationName(QStringLiteral("Quorbanex"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("quorbanex"));
    std::thread pictures([] {
        lowerThisThreadsPriority();
        SkinResources::preload();
    });
    std::thread fontDatabase([&fontConfig] {
        fontConfig.join();
        SkinFonts::preload();
    });
    // The first caption set asks whether a screen reader listens, which needs the session bus.
    // Connecting to a bus takes a few milliseconds that can pass here; finding there is none is
    // quicker than starting a thread for it.
    std::thread sessionBus;
    if (mayHaveSessionBus)
        sessionBus = std::thread([] { QDBusConnection::sessionBus(); });
    // Qt's own texts, those of the open dialogs among them, in Russian as the program's are. The
    // translation is mapped, not parsed, which costs less than a thread; installed before any
    // widget exists, no widget has to be told of it.
    CommonDialog::installQtTranslation();
    const std::unique_ptr<frmMain> window(mdlMain::Main(commandLine.animation(), &prefetch));
    pictures.join();
    if (sessionBus.joinable())
        sessionBus.join();
    // Asked to end by a signal, the program ends as its close buttons end it.
    EndRequests endRequests;
    QObject::connect(&endRequests, &EndRequests::requested, window.get(), [&window] {
        window->keepTheList();
        QApplication::exit(0);
    });
    const int status = app.exec();
    fontDatabase.join();
    return status;
}
