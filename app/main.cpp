#include "SkinFonts.h"
#include "SkinResources.h"
#include "frmMain.h"
#include "mdlMain.h"

#include <QApplication>
#include <QDBusConnection>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <thread>

int main(int argc, char *argv[])
{
    // Reading the system's font configuration and decoding the skin's pictures run beside the
    // toolkit's own start-up.
    std::thread warmUp([] {
        FcInit();
        SkinResources::preload();
    });
    QApplication app(argc, argv);
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
