// The display on a real X server with no window manager, as on a bare X session: a minimise
// that nobody carries out leaves the window on screen, and playback goes on; taking the window
// off the screen, as a window manager does when it minimises it, halts playback until the
// window is back.
#include "AniGIF.h"
#include "TestGifs.h"
#include "XvfbServer.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

class tst_viewer_AniGIFOnX11 : public QObject
{
    Q_OBJECT

public:
    explicit tst_viewer_AniGIFOnX11(const XvfbServer &server) : m_server(server) {}

private slots:
    void playbackFollowsTheWindowOnScreen();

private:
    const XvfbServer &m_server;
};

void tst_viewer_AniGIFOnX11::playbackFollowsTheWindowOnScreen()
{
    if (!XvfbServer::hasXdotool())
        QSKIP("xdotool is not available");
    QTemporaryDir dir;
    const QString path = TestGifs::writeFile(dir.filePath("four.gif"),
                                             TestGifs::plainAnimation({40, 40}, 4, false, 2));
    QWidget window;
    window.resize(60, 60);
    auto *gif = new AniGIF(&window);
    gif->show();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, e2eWaitMs));
    gif->setLoops(0);
    QSignalSpy spy(gif, &AniGIF::FrameChanged);
    QVERIFY(gif->LoadFile(path));
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 2, e2eWaitMs);

    window.showMinimized();
    QVERIFY(window.isMinimized());
    int reports = int(spy.count());
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= reports + 4, e2eWaitMs);

    const QString id = QString::number(window.windowHandle()->winId());
    QVERIFY(m_server.xdotool({QStringLiteral("windowunmap"), QStringLiteral("--sync"), id}));
    QTRY_VERIFY_WITH_TIMEOUT(!window.windowHandle()->isExposed(), e2eWaitMs);
    QTest::qWait(100);
    reports = int(spy.count());
    QTest::qWait(300);
    QCOMPARE(spy.count(), reports);

    QVERIFY(m_server.xdotool({QStringLiteral("windowmap"), QStringLiteral("--sync"), id}));
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() > reports, e2eWaitMs);
}

// The application connects to the private server, so the server starts first.
int main(int argc, char *argv[])
{
    const auto server = std::make_unique<XvfbServer>();
    if (!server->isRunning()) {
        qWarning("SKIP: %s", qPrintable(server->errorText()));
        return 0;
    }
    qputenv("DISPLAY", server->display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
    QApplication app(argc, argv);
    tst_viewer_AniGIFOnX11 test(*server);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_viewer_AniGIFOnX11.moc"
