#include "SkinResources.h"
#include "frmMain.h"
#include "mdlMain.h"

#include <QApplication>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorbanex"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("quorbanex"));
    QApplication::setWindowIcon(SkinResources::windowIcon());

    const std::unique_ptr<frmMain> window(mdlMain::Main());
    return app.exec();
}
