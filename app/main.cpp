#include "GifPrefetch.h"
#include "SkinFonts.h"
#include "SkinResources.h"
#include "ViewerFormulas.h"
#include "frmMain.h"
#include "mdlMain.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <thread>

// With no session bus to be found, the D-Bus library would try to start one through the X
// server, forking a helper from a thread of ours; a picture viewer has no business starting a
// bus, so it is told there is none.
static void refuseBusAutolaunch()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtimeDir.isEmpty() || !QFileInfo::exists(runtimeDir + QStringLiteral("/bus")))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

int main(int argc, char *argv[])
{
    refuseBusAutolaunch();
    // Reading the system's font configuration and decoding the skin's pictures run beside the
    // toolkit's own start-up.
    std::thread warmUp([] {
        FcInit();
        SkinResources::preload();
    });
    QApplication app(argc, argv);
    // An animation named on the command line is opened beside the building of the window.
    const GifPrefetch prefetch(ViewerFormulas::commandLineText(QCoreApplication::arguments()),
                               frmMain::DisplayFrameSize);
    QApplication::setApplicationName(QStringLiteral("Quorbanex"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("quorbanex"));

    // The font database is read beside the building of the window and its first events; whatever
    // needs a font first waits for it there.
    std::thread fontDatabase([] { SkinFonts::preload(); });
    // The first caption set asks whether a screen reader listens, which needs the session bus;
    // connecting to it (or finding there is none) takes a few milliseconds that can pass here.
    std::thread sessionBus([] { QDBusConnection::sessionBus(); });
    warmUp.join();
    const std::unique_ptr<frmMain> window(mdlMain::Main());
    sessionBus.join();
    const int status = app.exec();
    fontDatabase.join();
    return status;
}
