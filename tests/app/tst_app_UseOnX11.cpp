// End to end: the real program, copied into a folder of its own, used with the pointer and the
// keyboard on a private X server, as a person uses it. A press on any control keeps the window
// where it is, however the pointer wobbles before the release; rows added and removed while the
// list shows reach the list file however the program is closed; a file that does not open
// leaves the deck as it is before anything is shown.
#include "GifWriter.h"
#include "ProgramFolder.h"
#include "ProgramWindow.h"
#include "ReadOnlyFolder.h"
#include "RootWindowImage.h"
#include "TestGifs.h"
#include "XDisplayPtr.h"
#include "XvfbServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <memory>

namespace {

// Points on the skin, each in the middle of its control.
const QPoint foldButton(473, 396);           // Image18
const QPoint nextFrame(138, 528);            // Image5
const QPoint framesCaption(122, 452);        // Label2(0), "Frames / Frame"
const QPoint progressMarker(17, 504);        // im1
const QPoint repeatButton(465, 452);         // Image8
const QPoint repeatDot(483, 451);            // Sh1
const QPoint listDot(483, 474);              // Sh2
const QPoint listSwitch(465, 476);           // Image9
const QPoint upperEmblem(11, 8);             // Image20(0)
const QPoint addButton(26, 375);             // Image12
const QPoint removeButton(69, 375);          // Image13
const QPoint selectAllButton(111, 377);      // Image14
const QPoint listButton(446, 504);           // Image11
const QPoint ejectButton(419, 504);          // Image2
const QPoint upperClose(485, 8);             // Image1
const QPoint lowerClose(485, 396);           // Image17
const QPoint selectInFolderDialog(168, 186); // "&Select", in the dialog

const QPoint displayCentre(248, 201);  // the frame's middle, in window pixels
const QPoint frameCorner(30, 100);     // in the frame, beside any small animation
const QRect listRows(10, 62, 280, 60); // where the list's first rows are, in window pixels
// The counters on the lower display (below where the file dialog's name completion may still
// show) and the progress groove, in window pixels.
const QRect counters(7, 439, 300, 22);
const QRect progressGroove(7, 493, 395, 18);

constexpr QRgb frameBlue = qRgb(45, 62, 132);
constexpr QRgb dotGreen = qRgb(0, 255, 0);
constexpr QRgb red = qRgb(255, 0, 0);
constexpr QRgb blue = qRgb(0, 0, 255);

// A skin point in window pixels: the skin stands at (-1, -1).
QPoint inWindow(QPoint skinPoint)
{
    return skinPoint - QPoint(1, 1);
}

// Two 40 x 40 frames, red then blue, shown for 30 s each.
QByteArray redThenBlue()
{
    GifWriter writer(QSize(40, 40), TestGifs::palette());
    for (uchar colour : {uchar(1), uchar(3)}) {
        GifWriter::Frame f;
        f.rect = QRect(0, 0, 40, 40);
        f.pixels.assign(40 * 40, colour);
        f.delayCs = 3000;
        writer.addFrame(f);
    }
    return writer.finish();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// What the window system sends when the user closes a window with its own means.
void askToClose(Display *display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

enum class Work
{
    Nothing,
    Drags,
    Folds,
    ShowsNextFrame,
    ShowsList,
    ShowsAbout,
    OpensFolderDialog
};

enum class Closing
{
    UpperButton,
    LowerButton,
    CtrlQ,
    WindowSystem,
    Terminated, // SIGTERM, as the system sends when it stops
    DisplayGone // the X server ends under the program, as when a session ends
};

} // namespace

Q_DECLARE_METATYPE(Closing)

class tst_app_UseOnX11 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void pressesKeepTheWindowInPlace();
    void listKeptOnEveryWayOut_data();
    void listKeptOnEveryWayOut();
    void failedOpenLeavesAnEmptyDeck();

private:
    bool start(const QStringList &arguments = {}, const QString &workingFolder = {});
    QPoint place() const { return ProgramWindow::place(m_display.get(), m_window); }
    // Black off the screen.
    QRgb pixel(QPoint inWindow) const
    {
        return grab({inWindow, QSize(1, 1)}).pixel(0, 0) | ~0xffffffu;
    }
    QImage grab(const QRect &inWindow) const;
    // Whether anything but the frame's blue shows in the first rows of the list.
    bool rowsShow() const;
    bool click(QPoint skinPoint) const;
    bool key(const QString &keys) const;
    bool type(const QString &text) const;
    bool clickInDialog(Window dialog, QPoint point) const;
    // A window of the program's other than its main window and its pop-ups; 0 while none is open.
    Window dialog() const;

    std::unique_ptr<XvfbServer> m_server;
    DisplayPtr m_display;
    QTemporaryDir m_media;
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<QProcess> m_program;
    Window m_window = 0;
};

void tst_app_UseOnX11::initTestCase()
{
    m_server = std::make_unique<XvfbServer>();
    if (!m_server->isRunning())
        QSKIP(qPrintable(m_server->errorText()));
    m_display = openDisplay(m_server->display());
    QVERIFY(m_display);
    if (!m_server->xdotool({QStringLiteral("getmouselocation")}))
        QSKIP("xdotool is not available");
    QVERIFY(writeFile(m_media.filePath("redThenBlue.gif"), redThenBlue()));
    QVERIFY(writeFile(m_media.filePath("counting.gif"),
                      TestGifs::plainAnimation(QSize(40, 40), 10, false, 5)));
    QVERIFY(writeFile(m_media.filePath("damaged.gif"), "GIF89a\x01"));
    for (const char *name : {"old/a.gif", "old/b.gif", "new/c.gif", "new/d.gif"})
        QVERIFY(writeFile(m_media.filePath(QLatin1String(name)), redThenBlue()));
}

void tst_app_UseOnX11::cleanup()
{
    if (!m_server) { // a test ended it under the program
        m_server = std::make_unique<XvfbServer>();
        m_display = openDisplay(m_server->display());
        QVERIFY(m_display);
    }
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished(e2eWaitMs);
    }
    m_program.reset();
    m_folder.reset();
    if (m_display)
        QTRY_COMPARE_WITH_TIMEOUT(ProgramWindow::find(m_display.get()), 0ul, e2eWaitMs);
    m_window = 0;
}

bool tst_app_UseOnX11::start(const QStringList &arguments, const QString &workingFolder)
{
    if (!m_folder)
        m_folder = std::make_unique<ProgramFolder>();
    m_program = std::make_unique<QProcess>();
    if (!m_folder->isValid() || !m_folder->start(*m_program, *m_server, arguments, workingFolder))
        return false;
    // Mapped and painted: the frame shows its blue.
    return QTest::qWaitFor([this] { return (m_window = ProgramWindow::find(m_display.get())); },
                           30000) &&
           QTest::qWaitFor([this] { return pixel(frameCorner) == frameBlue; }, 30000);
}

QImage tst_app_UseOnX11::grab(const QRect &inWindow) const
{
    return RootWindowImage::grab(m_display.get()).copy(inWindow.translated(place()));
}

bool tst_app_UseOnX11::rowsShow() const
{
    const QImage rows = grab(listRows);
    for (int y = 0; y < rows.height(); ++y)
        for (int x = 0; x < rows.width(); ++x)
            if ((rows.pixel(x, y) | 0xff000000u) != frameBlue)
                return true;
    return false;
}

bool tst_app_UseOnX11::click(QPoint skinPoint) const
{
    return m_server->xdotool(XvfbServer::mouseMove(place() + inWindow(skinPoint)) +
                             QStringList{"click", "1"});
}

bool tst_app_UseOnX11::key(const QString &keys) const
{
    return m_server->xdotool({QStringLiteral("key"), keys});
}

bool tst_app_UseOnX11::type(const QString &text) const
{
    return m_server->xdotool(
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

Window tst_app_UseOnX11::dialog() const
{
    for (unsigned long window : ProgramWindow::findAll(m_display.get()))
        if (window != m_window && !ProgramWindow::isPopup(m_display.get(), window))
            return window;
    return 0;
}

bool tst_app_UseOnX11::clickInDialog(Window dialog, QPoint point) const
{
    return m_server->xdotool(
        XvfbServer::mouseMove(ProgramWindow::place(m_display.get(), dialog) + point) +
        QStringList{"click", "1"});
}

// Press, move a few pixels, release, on one control after another: the window stays, and the
// control does what a click does; only the skin drags, and then the grabbed point stays under
// the pointer. What a control opens is closed again before the next.
void tst_app_UseOnX11::pressesKeepTheWindowInPlace()
{
    const std::pair<QPoint, Work> presses[] = {
        {progressMarker, Work::Nothing},   // while it is still at the first frame
        {framesCaption, Work::Nothing},    // a label
        {nextFrame, Work::ShowsNextFrame}, // the transport
        {foldButton, Work::Folds},         // a hot spot
        {upperEmblem, Work::ShowsAbout},
        {repeatDot, Work::Drags}, // a dot is painted on the skin and takes no input
        {listButton, Work::ShowsList},
        {addButton, Work::OpensFolderDialog}, // on the list bar, with the list showing
    };
    // Qt's own options on the command line are Qt's; the rest names the animation.
    QVERIFY(start({"-style", "Fusion", m_media.filePath("redThenBlue.gif")}));
    QTRY_COMPARE_WITH_TIMEOUT(pixel(displayCentre), red, e2eWaitMs);
    QVERIFY(click(repeatButton)); // shows the dot
    QTRY_COMPARE_WITH_TIMEOUT(pixel(inWindow(repeatDot)), dotGreen, e2eWaitMs);
    bool listSwitchOn = false;
    for (const auto &[pressed, work] : presses) {
        qInfo("press at (%d, %d)", pressed.x(), pressed.y());
        const QPoint origin = place();
        const QPoint at = origin + inWindow(pressed);
        QStringList gesture = XvfbServer::mouseMove(at) + QStringList{"mousedown", "1"};
        for (QPoint wobble : {QPoint(1, 1), QPoint(3, 2)})
            gesture += XvfbServer::mouseMove(at + wobble) + QStringList{"sleep", "0.05"};
        gesture += QStringList{"mouseup", "1"};
        QVERIFY(m_server->xdotool(gesture));

        Window about = 0;
        switch (work) {
        case Work::Drags:
            QTRY_COMPARE_WITH_TIMEOUT(place(), origin + QPoint(3, 2), e2eWaitMs);
            continue;
        case Work::Nothing: // the play-list switch, clicked after it, is seen to act
            QVERIFY(click(listSwitch));
            listSwitchOn = !listSwitchOn;
            QTRY_COMPARE_WITH_TIMEOUT(pixel(inWindow(listDot)) == dotGreen, listSwitchOn,
                                      e2eWaitMs);
            break;
        case Work::Folds:
            QTRY_COMPARE_WITH_TIMEOUT(ProgramWindow::size(m_display.get(), m_window).height(), 406,
                                      e2eWaitMs);
            QVERIFY(click(foldButton));
            QTRY_VERIFY_WITH_TIMEOUT(ProgramWindow::size(m_display.get(), m_window).height() > 406,
                                     e2eWaitMs);
            break;
        case Work::ShowsNextFrame:
            QTRY_COMPARE_WITH_TIMEOUT(pixel(displayCentre), blue, e2eWaitMs);
            break;
        case Work::ShowsList:
            QTRY_COMPARE_WITH_TIMEOUT(pixel(displayCentre), frameBlue, e2eWaitMs);
            break;
        case Work::ShowsAbout:
            QTRY_VERIFY_WITH_TIMEOUT(
                (about = ProgramWindow::named(m_display.get(), QStringLiteral("Quorbanex"))) != 0,
                e2eWaitMs);
            askToClose(m_display.get(), about);
            QTRY_COMPARE_WITH_TIMEOUT(dialog(), 0ul, e2eWaitMs);
            break;
        case Work::OpensFolderDialog:
            QTRY_VERIFY_WITH_TIMEOUT(dialog() != 0, e2eWaitMs);
            break;
        }
        QCOMPARE(place(), origin);
    }
}

void tst_app_UseOnX11::listKeptOnEveryWayOut_data()
{
    QTest::addColumn<Closing>("closing");
    QTest::addColumn<bool>("writable");
    QTest::newRow("upper close button") << Closing::UpperButton << true;
    QTest::newRow("lower close button") << Closing::LowerButton << true;
    QTest::newRow("Ctrl+Q") << Closing::CtrlQ << true;
    QTest::newRow("window system") << Closing::WindowSystem << true;
    QTest::newRow("terminated") << Closing::Terminated << true;
    QTest::newRow("display gone") << Closing::DisplayGone << true;
    QTest::newRow("list file cannot be written") << Closing::LowerButton << false;
}

// With the list showing, every row is removed and a folder's GIFs are added; the program ends,
// by the user, the system or the loss of its display: the list file holds the new rows. When it
// cannot be written, the old file stays and the program ends all the same.
void tst_app_UseOnX11::listKeptOnEveryWayOut()
{
    QFETCH(Closing, closing);
    QFETCH(bool, writable);
    m_folder = std::make_unique<ProgramFolder>();
    const QByteArray oldList = QFile::encodeName(m_media.filePath("old/a.gif")) + "\r\n" +
                               QFile::encodeName(m_media.filePath("old/b.gif")) + "\r\n";
    QVERIFY(writeFile(m_folder->listFile(), oldList));
    QVERIFY(start({}, m_media.filePath("new")));
    std::unique_ptr<ReadOnlyFolder> readOnly;
    if (!writable) {
        readOnly = std::make_unique<ReadOnlyFolder>(QFileInfo(m_folder->listFile()).path());
        if (!readOnly->isReadOnly())
            QSKIP("cannot make a folder read-only here");
    }

    QVERIFY(click(listButton));
    QTRY_VERIFY_WITH_TIMEOUT(rowsShow(), e2eWaitMs);
    QVERIFY(click(selectAllButton));
    QVERIFY(click(removeButton));
    QTRY_VERIFY_WITH_TIMEOUT(!rowsShow(), e2eWaitMs);
    QVERIFY(click(addButton));
    Window folders = 0;
    QTRY_VERIFY_WITH_TIMEOUT((folders = dialog()) != 0, e2eWaitMs);
    QVERIFY(clickInDialog(folders, selectInFolderDialog));
    QTRY_COMPARE_WITH_TIMEOUT(dialog(), 0ul, e2eWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(rowsShow(), e2eWaitMs);

    switch (closing) {
    case Closing::UpperButton:
        QVERIFY(click(upperClose));
        break;
    case Closing::LowerButton:
        QVERIFY(click(lowerClose));
        break;
    case Closing::CtrlQ: // the window system gives the window the keyboard, then the keys
        QVERIFY(m_server->xdotool({"windowfocus", "--sync", QString::number(m_window)}));
        QVERIFY(key(QStringLiteral("ctrl+q")));
        break;
    case Closing::WindowSystem:
        askToClose(m_display.get(), m_window);
        break;
    case Closing::Terminated:
        m_program->terminate();
        break;
    case Closing::DisplayGone:
        m_display.reset();
        m_server.reset();
        break;
    }
    QVERIFY(m_program->waitForFinished(e2eWaitMs));
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), closing == Closing::DisplayGone ? 1 : 0); // 1: Qt's own end
    readOnly.reset();
    const QByteArray newList = QFile::encodeName(m_media.filePath("new/c.gif")) + "\r\n" +
                               QFile::encodeName(m_media.filePath("new/d.gif")) + "\r\n";
    QCOMPARE(readFile(m_folder->listFile()), writable ? newList : oldList);
}

// An animation chosen with the eject button has played, so the counters and the marker have
// moved; then a damaged file is chosen the same way. The display empties, and the counters and
// the marker look as they did when the program started without an animation.
void tst_app_UseOnX11::failedOpenLeavesAnEmptyDeck()
{
    const QStringList away = XvfbServer::mouseMove({1, 1});
    const auto eject = [&](const char *file) {
        QVERIFY(click(ejectButton));
        // Keys typed before the dialog has the keyboard would go elsewhere.
        QTRY_VERIFY_WITH_TIMEOUT(
            dialog() != 0 && ProgramWindow::focused(m_display.get()) == dialog(), e2eWaitMs);
        QVERIFY(type(m_media.filePath(QLatin1String(file))));
        QVERIFY(key(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(dialog(), 0ul, e2eWaitMs);
        QVERIFY(m_server->xdotool(away));
    };
    QVERIFY(start());
    QVERIFY(m_server->xdotool(away));
    const QImage countersAtStart = grab(counters);
    const QImage grooveAtStart = grab(progressGroove);

    eject("counting.gif");
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(grab(counters) != countersAtStart, e2eWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(grab(progressGroove) != grooveAtStart, e2eWaitMs);
    eject("damaged.gif");
    if (QTest::currentTestFailed())
        return;
    QTRY_COMPARE_WITH_TIMEOUT(pixel(displayCentre), frameBlue, e2eWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(grab(counters) == countersAtStart, e2eWaitMs);
    QVERIFY(grab(progressGroove) == grooveAtStart);
}

QTEST_GUILESS_MAIN(tst_app_UseOnX11)
#include "tst_app_UseOnX11.moc"
