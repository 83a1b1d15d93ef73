// The real program on a private X server, in surroundings that lack what a desktop usually has:
// no sound card (SDL is pointed at a driver that does not exist), no soundfont, a program folder
// that cannot be written, no gif/ and snd/ folders beside it, and a home folder of its own. In
// each case the window maps, an animation named on the command line plays, a sound chosen in the
// sound dialog plays (its marker moves), and the list, shown and hidden again, is saved: beside
// the program when that folder can be written, in the user's data folder otherwise.
#include "GifWriter.h"
#include "ProgramWindow.h"
#include "ReadOnlyFolder.h"
#include "RootWindowImage.h"
#include "TestGifs.h"
#include "TestMedia.h"
#include "XDisplayPtr.h"
#include "XvfbServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <memory>
#include <optional>
#include <sndfile.h>

namespace {

// Window points of the controls used (skin point minus (1, 1), plus half the control).
const QPoint listButton(434 + 11, 497 + 6); // Image11
const QPoint soundButton(164 + 6, 527 + 6); // Image10
const QPoint closeButton(479 + 5, 2 + 5);   // Image1
const QRect soundMarkerGroove(185, 530, 240, 16);
const QPoint displayCentre(248, 201);

bool copyFile(const QString &from, const QString &to)
{
    return QFile::copy(from, to) &&
           QFile::setPermissions(to, QFile::permissions(from) | QFile::ExeOwner);
}

} // namespace

class tst_hardening_BareSurroundings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsAndWorks_data();
    void startsAndWorks();

private:
    QTemporaryDir m_media;
    QString m_gif;
    QString m_sound;
};

void tst_hardening_BareSurroundings::initTestCase()
{
    GifWriter writer(QSize(120, 90), TestGifs::palette());
    writer.setLoopCount(0);
    for (int i = 0; i < 2; ++i) {
        GifWriter::Frame f;
        f.rect = QRect(0, 0, 120, 90);
        f.pixels.assign(120 * 90, uchar(1)); // red
        f.delayCs = 10;
        writer.addFrame(f);
    }
    m_gif = m_media.filePath(QStringLiteral("red.gif"));
    QFile gif(m_gif);
    const QByteArray bytes = writer.finish();
    QVERIFY(gif.open(QIODevice::WriteOnly) && gif.write(bytes) == bytes.size());
    m_sound = m_media.filePath(QStringLiteral("tone.wav"));
    QVERIFY(TestMedia::writeTone(m_sound, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 22050 * 4));
}

void tst_hardening_BareSurroundings::startsAndWorks_data()
{
    QTest::addColumn<bool>("soundCard");
    QTest::addColumn<bool>("soundFont");
    QTest::addColumn<bool>("writableFolder");
    QTest::addColumn<bool>("mediaFolders");
    QTest::newRow("no sound card") << false << true << true << true;
    QTest::newRow("no soundfont") << true << false << true << true;
    QTest::newRow("program folder not writable") << true << true << false << true;
    QTest::newRow("no gif and snd folders") << true << true << true << false;
    QTest::newRow("none of them") << false << false << false << false;
}

void tst_hardening_BareSurroundings::startsAndWorks()
{
    QFETCH(bool, soundCard);
    QFETCH(bool, soundFont);
    QFETCH(bool, writableFolder);
    QFETCH(bool, mediaFolders);

    XvfbServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);

    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString home = dir.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(home));
    QVERIFY(copyFile(QStringLiteral(QX_BINARY_DIR "/quorbanex"), program + "/quorbanex"));
    const QString module = QStringLiteral(QX_SOUND_MODULE_PATH);
    QVERIFY(copyFile(module, program + QLatin1Char('/') + QFileInfo(module).fileName()));
    if (mediaFolders)
        QVERIFY(QDir(program).mkdir("gif") && QDir(program).mkdir("snd"));
    // Read-only for everyone, root included: the folder bound over itself, read-only.
    std::optional<ReadOnlyFolder> readOnly;
    if (!writableFolder) {
        readOnly.emplace(program);
        if (!readOnly->isReadOnly())
            QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    }
    auto restore = qScopeGuard([&] {
        readOnly.reset();
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (!writableFolder && QFileInfo(program).isWritable())
        QSKIP("cannot make a folder read-only for this user");

    QProcessEnvironment env = server.environment();
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "PULSE_SERVER"})
        env.remove(QLatin1String(name));
    env.insert("HOME", home);
    // No session bus either, and no bus started for the program: libdbus would fork one from
    // Qt's bus thread, and under the sanitizers that fork can hang and outlive the test.
    env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    env.insert("SDL_AUDIODRIVER", soundCard ? "dummy" : "no-such-driver");
    if (!soundFont)
        env.insert("QX_SOUNDFONT_PATH", dir.filePath(QStringLiteral("no-such.sf2")));
    QProcess quorbanex;
    quorbanex.setProcessEnvironment(env);
    quorbanex.setProcessChannelMode(QProcess::ForwardedChannels);
    quorbanex.start(program + "/quorbanex", {m_gif});
    QVERIFY(quorbanex.waitForStarted());
    auto stop = qScopeGuard([&] {
        if (quorbanex.state() != QProcess::NotRunning) {
            quorbanex.kill();
            quorbanex.waitForFinished(5000);
        }
    });

    unsigned long window = 0;
    // Hang guards only: generous, for sanitizer builds on a busy machine.
    constexpr int guardMs = 120000;
    QTRY_VERIFY2_WITH_TIMEOUT(
        (window = ProgramWindow::find(display.get())) != 0,
        qPrintable(QStringLiteral("program %1, exit code %2")
                       .arg(quorbanex.state() == QProcess::Running ? QStringLiteral("running")
                                                                   : QStringLiteral("ended"))
                       .arg(quorbanex.exitCode())),
        guardMs);
    const QPoint origin = ProgramWindow::place(display.get(), window);
    const auto pixelAt = [&](QPoint windowPoint) {
        return RootWindowImage::grab(display.get()).pixel(origin + windowPoint) & 0xffffff;
    };
    // The animation from the command line shows in the middle of the display.
    QTRY_COMPARE_WITH_TIMEOUT(pixelAt(displayCentre), 0xff0000u, guardMs);

    const auto xdotool = [&](const QStringList &arguments) { return server.xdotool(arguments); };
    const auto click = [&](QPoint windowPoint) {
        return xdotool(XvfbServer::mouseMove(origin + windowPoint) + QStringList{"click", "1"});
    };
    if (!xdotool({"getmouselocation"}))
        QSKIP("xdotool is not available");

    // The sound dialog: its file name box has the focus; the sound's marker then moves along
    // its groove.
    const QImage grooveBefore =
        RootWindowImage::grab(display.get()).copy(soundMarkerGroove.translated(origin));
    QVERIFY(click(soundButton));
    unsigned long dialog = 0; // once it shows, with the keyboard focus
    QTRY_VERIFY_WITH_TIMEOUT((dialog = ProgramWindow::focused(display.get())) != window &&
                                 ProgramWindow::findAll(display.get()).contains(dialog),
                             guardMs);
    QVERIFY(xdotool({"type", "--delay", "10", m_sound}));
    QVERIFY(xdotool({"key", "Return"}));
    QTRY_VERIFY_WITH_TIMEOUT(!ProgramWindow::findAll(display.get()).contains(dialog), guardMs);
    // The marker moves, then comes back when the sound ends: each look at the groove is taken
    // once, since a second look may no longer agree with the first.
    const auto grooveChanged = [&] {
        return RootWindowImage::grab(display.get()).copy(soundMarkerGroove.translated(origin)) !=
               grooveBefore;
    };
    QElapsedTimer waited;
    waited.start();
    bool markerMoved = false;
    while (!(markerMoved = grooveChanged()) && waited.elapsed() < guardMs)
        QTest::qWait(50);
    QVERIFY2(markerMoved, "the sound's marker never moved");

    // The list button twice: the list shows, then hides and is saved.
    QVERIFY(click(listButton));
    QTest::qWait(1500); // well apart, so that the two clicks are not a double click
    QVERIFY(click(listButton));
    const QString beside = program + QStringLiteral("/filelist.inf");
    const QString inData = home + QStringLiteral("/.local/share/Quorbanex/filelist.inf");
    const QString expected = writableFolder ? beside : inData;
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(expected), guardMs);
    QVERIFY(!QFileInfo::exists(writableFolder ? inData : beside));
    QCOMPARE(quorbanex.state(), QProcess::Running);

    QVERIFY(click(closeButton));
    QVERIFY(quorbanex.waitForFinished(guardMs));
    QCOMPARE(quorbanex.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quorbanex.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_hardening_BareSurroundings)
#include "tst_hardening_BareSurroundings.moc"
