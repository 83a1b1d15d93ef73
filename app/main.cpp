#include "CommonDialog.h"
#include "GifPrefetch.h"
#include "SkinFonts.h"
#include "SkinResources.h"
#include "ViewerFormulas.h"
#include "frmMain.h"
#include "mdlMain.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <fontconfig/fontconfig.h>
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

// `--help` and `--version`, given alone, are answered before anything starts; any other command
// line names an animation, spaces and all.
static bool answeredInformationRequest(int argc, char *argv[])
{
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::printf("Usage: %s [FILE.gif]\n"
                    "Shows animated GIF files with background sound.\n\n"
                    "  -h, --help     print this help and exit\n"
                    "  -v, --version  print the version and exit\n",
                    argv[0]);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0) {
        std::printf("Quorbanex 1.00\n");
        return true;
    }
    return false;
}

int main(int argc, char *argv[])
{
    if (answeredInformationRequest(argc, argv))
        return 0;
    const bool mayHaveSessionBus = refuseBusAutolaunch();
    // The system's font configuration is read beside the toolkit's own start-up; the fonts are
    // first needed for the first paint. Nothing of Qt may run beside the application object's
    // construction, which sets up what every other thread reads (the plugin paths among it).
    std::thread fontConfig([] {
        lowerThisThreadsPriority();
        FcInit();
    });
    QApplication app(argc, argv);
    // An animation named on the command line is opened beside the building of the window.
    const GifPrefetch prefetch(ViewerFormulas::commandLineText(QCoreApplication::arguments()),
                               frmMain::DisplayFrameSize);
    QApplication::setApplicationName(QStringLiteral("Quorbanex"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("quorbanex"));
    // The skin's small pictures are decoded beside the building of the window.
    std::thread pictures([] {
        lowerThisThreadsPriority();
        SkinResources::preload();
    });

    // The font database is read beside the building of the window and its first events; whatever
    // needs a font first waits for it there.
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
    const std::unique_ptr<frmMain> window(mdlMain::Main());
    pictures.join();
    if (sessionBus.joinable())
        sessionBus.join();
    const int status = app.exec();
    fontDatabase.join();
    return status;
}
