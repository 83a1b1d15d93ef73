#include "CommonDialog.h"
#include "ProgramWindow.h"
#include "XDisplayPtr.h"
#include "XvfbServer.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWidget>
#include <X11/Xlib.h>

namespace {

// The one shown window besides `main`, when it has the keyboard.
bool dialogHasFocus(Display *display, Window main)
{
    const QList<Window> shown = ProgramWindow::shown(display);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return shown.size() == 2 && focus != main && shown.contains(focus);
}

} // namespace

class tst_app_CommonDialog : public QObject
{
    Q_OBJECT
private slots:
    void nameFilters_data();
    void nameFilters();
    void showOpen();
    void qtTextsInRussian();
    void nothingOutlivesTheDialog();
};

void tst_app_CommonDialog::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one pattern") << QStringLiteral("Файлы анимации|*.gif")
                                 << QStringList{QStringLiteral("Файлы анимации (*.gif)")};
    QTest::newRow("several patterns")
        << QStringLiteral("Файлы звука|*.mp3;*.mid;*.wav")
        << QStringList{QStringLiteral("Файлы звука (*.mp3 *.mid *.wav)")};
    QTest::newRow("two filters") << QStringLiteral("A|*.a|B|*.b;*.c")
                                 << QStringList{QStringLiteral("A (*.a)"),
                                                QStringLiteral("B (*.b *.c)")};
    QTest::newRow("label without patterns") << QStringLiteral("A") << QStringList{};
    QTest::newRow("empty") << QString() << QStringList{};
}

void tst_app_CommonDialog::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(CommonDialog::nameFilters(filter), expected);
}

// The chooser sees the settings of this use; a cancel leaves the last file name as it was.
void tst_app_CommonDialog::showOpen()
{
    QWidget owner;
    CommonDialog dialog(&owner);
    QString answer = QStringLiteral("/tmp/a.gif");
    QStringList seen;
    dialog.setChooser([&](const CommonDialog &d) {
        seen = {d.InitDir, d.DialogTitle, d.Filter};
        return answer;
    });
    dialog.InitDir = QStringLiteral("/opt/gif");
    dialog.DialogTitle = QStringLiteral("Выбор GIF анимации...");
    dialog.Filter = QStringLiteral("Файлы анимации|*.gif");
    QVERIFY(dialog.ShowOpen());
    QCOMPARE(dialog.FileName, QStringLiteral("/tmp/a.gif"));
    QCOMPARE(seen, (QStringList{"/opt/gif", "Выбор GIF анимации...", "Файлы анимации|*.gif"}));
    answer.clear();
    QVERIFY(!dialog.ShowOpen());
    QCOMPARE(dialog.FileName, QStringLiteral("/tmp/a.gif"));
}

// Every text of the open dialog that Qt itself supplies (labels, buttons, tool tips) is Russian
// once Qt's translation is installed; without a translation nothing changes.
void tst_app_CommonDialog::qtTextsInRussian()
{
    QVERIFY(!CommonDialog::installQtTranslation(QStringLiteral("/no/such/folder")));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    QTranslator *translator = CommonDialog::installQtTranslation();
    if (!translator)
        QSKIP("Qt's Russian translation (qt6-translations-l10n) is not installed");
    auto remove = qScopeGuard([translator] {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    });

    QWidget owner;
    CommonDialog dialog(&owner);
    QTemporaryDir folder;
    dialog.InitDir = folder.path();
    dialog.DialogTitle = QStringLiteral("Выбор GIF анимации...");
    dialog.Filter = QStringLiteral("Файлы анимации|*.gif");
    QStringList texts, english;
    QString title;
    QTimer::singleShot(0, &owner, [&] {
        auto *shown = owner.findChild<QFileDialog *>();
        QVERIFY(shown);
        title = shown->windowTitle();
        for (const QLabel *label : shown->findChildren<QLabel *>())
            texts << label->text();
        for (const QAbstractButton *button : shown->findChildren<QAbstractButton *>())
            texts << button->text() << button->toolTip();
        shown->reject();
    });
    QVERIFY(!dialog.ShowOpen());
    QCOMPARE(title, dialog.DialogTitle);
    const QRegularExpression latin(QStringLiteral("[A-Za-z]")),
        cyrillic(QStringLiteral("\\p{Cyrillic}"));
    for (const QString &text : std::as_const(texts))
        if (text.contains(latin) && !text.contains(cyrillic))
            english << text;
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(", "))));
    QVERIFY(texts.size() >= 10);
}

// The real program on a private X server: a name typed into the open dialog and Return close
// it, and then nothing of the dialog shows any more, not even after the folder typed into has
// been read (thousands of files make that late), and the next click on the window reaches it.
void tst_app_CommonDialog::nothingOutlivesTheDialog()
{
    QTemporaryDir media;
    for (const char *type : {".gif", ".wav"}) {
        for (int i = 0; i < 4000; ++i)
            QVERIFY(QFile(media.filePath(QStringLiteral("pick%1%2").arg(i).arg(type)))
                        .open(QIODevice::WriteOnly));
        QVERIFY(QFile(media.filePath(QStringLiteral("pick") + QLatin1String(type)))
                    .open(QIODevice::WriteOnly));
    }

    XvfbServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.errorText()));
    const DisplayPtr display = openDisplay(server.display());
    QVERIFY(display);
    if (!server.xdotool({"getmouselocation"}))
        QSKIP("xdotool is not available");
    QProcess program;
    QProcessEnvironment quiet;
    quiet.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    QVERIFY(server.startProgram(program, quiet));
    auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished(5000);
    });
    // Hang guards only.
    constexpr int guardMs = 60000;
    Window main = 0;
    QTRY_VERIFY_WITH_TIMEOUT((main = ProgramWindow::find(display.get())) != 0, guardMs);
    const QPoint origin = ProgramWindow::place(display.get(), main);
    const auto shown = [&] { return ProgramWindow::shown(display.get()).size(); };
    QCOMPARE(shown(), 1);

    // The eject and the sound button, in the window: the skin's point less (1, 1).
    const std::pair<QPoint, QString> buttons[] = {{{410 + 8, 497 + 6}, "pick.gif"},
                                                  {{164 + 6, 527 + 6}, "pick.wav"}};
    for (const auto &[button, file] : buttons) {
        // The pointer leaves the window after each click, so that no tool tip comes up.
        const auto click = [&] {
            return server.xdotool(XvfbServer::mouseMove(origin + button) +
                                  QStringList{"click", "1"} + XvfbServer::mouseMove({1270, 1010}));
        };
        for (int attempt = 0; attempt < 3; ++attempt) {
            QVERIFY(click());
            QTRY_VERIFY_WITH_TIMEOUT(dialogHasFocus(display.get(), main), guardMs);
            // The name is typed and Return pressed, as a person does. On a slow machine the folder
            // may have been read before the whole name was in; then Qt's dialog may show its
            // completion list, which takes Return for itself, or go into the folder and clear the
            // name. A person then types the name again and presses Return once more; so does this.
            // Keys go out only while the dialog has the keyboard: the window takes letters too.
            const auto toDialog = [&](const QStringList &keys) {
                const unsigned long focus = ProgramWindow::focused(display.get());
                return focus == 0 || focus == main || shown() == 1 || server.xdotool(keys);
            };
            for (int tries = 0; tries < 3 && shown() != 1; ++tries) {
                QVERIFY(toDialog({"key", "ctrl+a", "type", "--delay", "5", media.filePath(file)}));
                QVERIFY(toDialog({"key", "Return"}));
                for (int again = 0;
                     again < 2 && !QTest::qWaitFor([&] { return shown() == 1; }, 3000); ++again)
                    QVERIFY(toDialog({"key", "Return"}));
            }
            QTRY_COMPARE_WITH_TIMEOUT(shown(), 1, guardMs);
            // Watched for a while: a late completion would show its list now.
            QElapsedTimer watched;
            watched.start();
            while (watched.elapsed() < 2000) {
                QCOMPARE(shown(), 1);
                QTest::qWait(20);
            }
            // The next click opens the dialog again; Escape closes it.
            QVERIFY(click());
            QTRY_VERIFY_WITH_TIMEOUT(dialogHasFocus(display.get(), main), guardMs);
            QVERIFY(server.xdotool({"key", "Escape"}));
            QTRY_COMPARE_WITH_TIMEOUT(shown(), 1, guardMs);
        }
    }
    QCOMPARE(program.state(), QProcess::Running);
}

QTEST_MAIN(tst_app_CommonDialog)
#include "tst_app_CommonDialog.moc"
