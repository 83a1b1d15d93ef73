// The folder dialog in the real program on a private X server, started in a folder deep down
// the file system: the dialog opens with that folder highlighted in view, "&Select" adds its GIFs
// in natural order, and once it has closed nothing of it stays and the next click reaches the
// main window.
#include "ProgramWindow.h"
#include "RootWindowImage.h"
#include "XDisplayPtr.h"
#include "XvfbServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <X11/Xlib.h>

namespace {

// Window points of the controls used (skin point minus (1, 1), plus half the control).
const QPoint listButton(434 + 11, 497 + 6); // Image11
const QPoint addButton(5 + 20, 365 + 9);    // Image12
// In the dialog.
const QRect dir1(3, 39, 316, 126);
const QPoint selectButton(120 + 48, 174 + 12);

bool copyFile(const QString &from, const QString &to)
{
    return QFile::copy(from, to) &&
           QFile::setPermissions(to, QFile::permissions(from) | QFile::ExeOwner);
}

// The shown top-level windows other than `main`.
QList<Window> otherWindows(Display *display, Window main)
{
    QList<Window> others;
    for (unsigned long window : ProgramWindow::shown(display))
        if (window != main)
            others.append(window);
    return others;
}

// Rows of `area` painted mostly in one strongly coloured (not grey) colour: a highlighted row.
int highlightedRows(const QImage &area)
{
    int rows = 0;
    for (int y = 0; y < area.height(); ++y) {
        int coloured = 0;
        for (int x = 0; x < area.width(); ++x) {
            const QColor c = area.pixelColor(x, y);
            coloured += c.hsvSaturation() > 100 && c.value() > 60;
        }
        rows += coloured > area.width() / 2;
    }
    return rows;
}

} // namespace

class tst_playlist_FolderDialogOnX11 : public QObject
{
    Q_OBJECT
private slots:
    void addsTheFolderWhereTheUserIs();
};

void tst_playlist_FolderDialogOnX11::addsTheFolderWhereTheUserIs()
{
    XvfbServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);
    if (!server.xdotool({"getmouselocation"}))
        QSKIP("xdotool is not available");

    // The program in a folder of its own, where it writes its list; the user deep down in
    // another one.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString here = dir.filePath(QStringLiteral("a/b/c/d/pictures"));
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(here) && QDir().mkpath(dir.filePath("home")));
    QVERIFY(copyFile(QStringLiteral(QX_BINARY_DIR "/quorbanex"), program + "/quorbanex"));
    const QString module = QStringLiteral(QX_SOUND_MODULE_PATH);
    QVERIFY(copyFile(module, program + QLatin1Char('/') + QFileInfo(module).fileName()));
    for (const char *name : {"10.gif", "2.gif", "1.gif"})
        QVERIFY(QFile(here + u'/' + QLatin1String(name)).open(QIODevice::WriteOnly));

    QProcess quorbanex;
    QProcessEnvironment env = server.environment();
    env.insert("HOME", dir.filePath("home"));
    env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    env.insert("SDL_AUDIODRIVER", "dummy");
    quorbanex.setProcessEnvironment(env);
    quorbanex.setProcessChannelMode(QProcess::ForwardedChannels);
    quorbanex.setWorkingDirectory(here);
    quorbanex.start(program + "/quorbanex", QStringList{});
    QVERIFY(quorbanex.waitForStarted());
    auto stop = qScopeGuard([&] {
        quorbanex.kill();
        quorbanex.waitForFinished(5000);
    });
    // Hang guards only.
    constexpr int guardMs = 60000;
    Window main = 0;
    QTRY_VERIFY_WITH_TIMEOUT((main = ProgramWindow::find(display.get())) != 0, guardMs);
    const QPoint origin = ProgramWindow::place(display.get(), main);
    const auto click = [&](QPoint windowPoint) {
        return server.xdotool(XvfbServer::mouseMove(origin + windowPoint) +
                              QStringList{"click", "1"} + XvfbServer::mouseMove({1270, 1010}));
    };

    QVERIFY(click(listButton));
    QTest::qWait(1000); // apart, so that the clicks are not a double click
    QVERIFY(click(addButton));
    QList<Window> dialog;
    QTRY_VERIFY_WITH_TIMEOUT((dialog = otherWindows(display.get(), main)).size() == 1, guardMs);
    const QPoint corner = ProgramWindow::place(display.get(), dialog.first());
    const auto dir1Image = [&] {
        return RootWindowImage::grab(display.get()).copy(dir1.translated(corner));
    };
    // The folder tree shows where the user is, highlighted: one row of the highlight's colour.
    // While the dialog comes up, the area shows the blue list behind it, then the tree without
    // the highlight; the check waits until one row has been highlighted for half a second.
    QElapsedTimer highlighted;
    const auto oneRowStaysHighlighted = [&] {
        const int rows = highlightedRows(dir1Image());
        if (rows <= 8 || rows >= dir1.height() / 3)
            highlighted.invalidate();
        else if (!highlighted.isValid())
            highlighted.start();
        return highlighted.isValid() && highlighted.elapsed() >= 500;
    };
    QTRY_VERIFY_WITH_TIMEOUT(oneRowStaysHighlighted(), guardMs);
    dir1Image().save(QDir::currentPath() + "/folder-dialog-on-x11.png");

    const auto dialogPoint = [&](QPoint p) {
        return server.xdotool(XvfbServer::mouseMove(corner + p) + QStringList{"click", "1"});
    };
    QVERIFY(dialogPoint(selectButton));
    QTRY_VERIFY_WITH_TIMEOUT(otherWindows(display.get(), main).isEmpty(), guardMs);
    // The import is written to the list file at once. The first click after the dialog hides
    // the list again, which writes the list file anew.
    QFile list(program + "/filelist.inf");
    QTRY_VERIFY_WITH_TIMEOUT(list.exists() && list.size() > 0, guardMs);
    QVERIFY(list.remove());
    QTest::qWait(1000);
    QVERIFY(click(listButton));
    QTRY_VERIFY_WITH_TIMEOUT(list.exists() && list.size() > 0, guardMs);
    QVERIFY(list.open(QIODevice::ReadOnly));
    const QByteArray folder = QFile::encodeName(here);
    QCOMPARE(list.readAll(),
             folder + "/1.gif\r\n" + folder + "/2.gif\r\n" + folder + "/10.gif\r\n");
}

QTEST_GUILESS_MAIN(tst_playlist_FolderDialogOnX11)
#include "tst_playlist_FolderDialogOnX11.moc"
