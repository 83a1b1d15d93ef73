// The main window as a desktop program: keys that click the buttons, files dropped on the
// window, and the notes left in the name labels' tooltips when a file does not open.
#include "AniGIF.h"
#include "CommonDialog.h"
#include "DroppedFiles.h"
#include "FileListRows.h"
#include "ImageControl.h"
#include "PictureBox.h"
#include "SkinLabel.h"
#include "SoundPanel.h"
#include "TestGifs.h"
#include "TestMedia.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <sndfile.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(bytes) == bytes.size());
}

QByteArray smallAnimation()
{
    return TestGifs::plainAnimation(QSize(8, 8), 3, false);
}

QList<QUrl> urlsOf(const QString &base, const QStringList &names)
{
    QList<QUrl> urls;
    for (const QString &name : names)
        urls.append(name.startsWith(u"http") ? QUrl(name)
                                             : QUrl::fromLocalFile(QDir(base).filePath(name)));
    return urls;
}

QStringList relativeTo(const QString &base, const QStringList &paths)
{
    QStringList relative;
    for (const QString &path : paths)
        relative.append(QDir(base).relativeFilePath(path));
    return relative;
}

} // namespace

class tst_app_DesktopUse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keysClickTheirButtons_data();
    void keysClickTheirButtons();
    void spacePlaysAndPauses();
    void listKeys();
    void enterPlaysTheCurrentRow();

    void naturalOrder();
    void droppedFilesSorted_data();
    void droppedFilesSorted();
    void dropAnimationsThenASound();

    void soundNotes_data();
    void soundNotes();
    void animationNotes_data();
    void animationNotes();

private:
    void addRows(int count);
    void drop(const QList<QUrl> &urls);

    QTemporaryDir dir;
    std::unique_ptr<frmMain> form;
    QStringList calls;
    QString chosen; // what the shared file dialog answers
};

void tst_app_DesktopUse::initTestCase()
{
    QVERIFY(dir.isValid());
    // No soundfont where this program looks for one, so a MIDI file cannot play.
    const QString noSoundFont = dir.filePath(QStringLiteral("no-soundfont"));
    QVERIFY(QDir().mkpath(noSoundFont));
    qputenv("QX_SOUNDFONT_PATH", noSoundFont.toLocal8Bit());
    qputenv("SDL_AUDIODRIVER", "dummy");

    const QString files = dir.filePath(QStringLiteral("files"));
    for (const char *name :
         {"10.gif", "2.gif", "1.GIF", "a/3.gif", "a/20.gif", "a/100.gif", "a/deeper/4.gif",
          "a/notes.txt", "b/ok.gif", "b/cr\rname.gif", "b/lf\nname.gif"})
        writeFile(QDir(files).filePath(QLatin1String(name)), smallAnimation());
    writeFile(QDir(files).filePath(QStringLiteral("readme.txt")), "text");
    QVERIFY(QDir().mkpath(QDir(files).filePath(QStringLiteral("folder.gif"))));
    writeFile(QDir(files).filePath(QStringLiteral("damaged.gif")), "GIF89a\x01");
    writeFile(QDir(files).filePath(QStringLiteral("text.gif")), "this is not a picture");
    writeFile(QDir(files).filePath(QStringLiteral("noise.wav")), QByteArray(4000, 'x'));
    writeFile(QDir(files).filePath(QStringLiteral("tune.mid")), TestMedia::midiWithTempoChanges());
    QVERIFY(TestMedia::writeTone(QDir(files).filePath(QStringLiteral("tone.wav")),
                                 SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 22050));
}

void tst_app_DesktopUse::init()
{
    const QString listFolder = dir.filePath(QStringLiteral("list"));
    QVERIFY(QDir(listFolder).removeRecursively() && QDir().mkpath(listFolder));
    form = std::make_unique<frmMain>(QString(), nullptr, ListFileLocation(listFolder, listFolder));
    calls.clear();
    chosen.clear();
    form->endProgram = [this] { calls << "end"; };
    form->closeAllSounds = [this] { calls << "close all"; };
    form->showMessage = [this](const QString &, const QString &) { calls << "message"; };
    form->CDialog->setChooser([this](const CommonDialog &) { return chosen; });
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QApplication::setActiveWindow(form.get());
}

void tst_app_DesktopUse::cleanup()
{
    form.reset();
}

void tst_app_DesktopUse::addRows(int count)
{
    for (int i = 1; i <= count; ++i)
        FileListRows::addListRow(form->FileList, QStringLiteral("row%1").arg(i),
                                 dir.filePath(QStringLiteral("row%1.gif").arg(i)));
}

void tst_app_DesktopUse::drop(const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(250, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &dropped);
    QVERIFY(dropped.isAccepted());
}

void tst_app_DesktopUse::keysClickTheirButtons_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("listFocused");
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QTest::newRow("Space, nothing playing") << int(Qt::Key_Space) << none << "Image4" << false;
    QTest::newRow("Space in the list") << int(Qt::Key_Space) << none << "Image4" << true;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << "Image6" << false;
    QTest::newRow("Right in the list") << int(Qt::Key_Right) << none << "Image5" << true;
    QTest::newRow("Home in the list") << int(Qt::Key_Home) << none << "Image3" << true;
    QTest::newRow("L") << int(Qt::Key_L) << none << "Image11" << false;
    QTest::newRow("Delete in the list") << int(Qt::Key_Delete) << none << "Image13" << true;
    QTest::newRow("Ctrl+A in the list") << int(Qt::Key_A) << ctrl << "Image14" << true;
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << "Image2" << false;
    QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << ctrl << "Image1" << false;
}

// A key gives exactly the press, release and click of its one button, wherever the focus is,
// and nothing on any other control.
void tst_app_DesktopUse::keysClickTheirButtons()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, button);
    QFETCH(bool, listFocused);
    if (listFocused) {
        form->Image11->clickFromKeyboard(); // the list button shows the list
        QVERIFY(form->FileList->isVisible());
        addRows(3);
        form->FileList->setFocus();
        QTRY_VERIFY(form->FileList->hasFocus());
    }

    struct Spies
    {
        QString name;
        std::unique_ptr<QSignalSpy> pressed, released, clicked;
    };
    std::vector<Spies> spies;
    for (ImageControl *control : form->pic->findChildren<ImageControl *>())
        spies.push_back({control->objectName(),
                         std::make_unique<QSignalSpy>(control, &ImageControl::mousePressed),
                         std::make_unique<QSignalSpy>(control, &ImageControl::mouseReleased),
                         std::make_unique<QSignalSpy>(control, &ImageControl::clicked)});
    QVERIFY(spies.size() >= 23);

    QTest::keyClick(form.get(), Qt::Key(key), modifiers);

    for (const Spies &s : spies) {
        const int expected = s.name == button ? 1 : 0;
        QVERIFY2(s.pressed->count() == expected && s.released->count() == expected &&
                     s.clicked->count() == expected,
                 qPrintable(s.name));
        if (expected) {
            QCOMPARE(s.pressed->first().at(0).value<Qt::MouseButton>(), Qt::LeftButton);
            QCOMPARE(s.released->first().at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        }
    }
    // The transport button shows its picture again after the key's click.
    for (ImageControl *transport :
         {form->Image3, form->Image4, form->Image5, form->Image6, form->Image7})
        QVERIFY(!transport->isHidden());
    if (button == QLatin1String("Image1"))
        QCOMPARE(calls, QStringList({"close all", "end"}));
    else
        QVERIFY(calls.isEmpty());
}

void tst_app_DesktopUse::spacePlaysAndPauses()
{
    const QString gif = dir.filePath(QStringLiteral("files/2.gif"));
    chosen = gif;
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier); // the eject button's choice
    QTRY_VERIFY(form->AniGIF->isVisible());
    QCOMPARE(form->AniGIF->FrameCount(), 3);
    QVERIFY(form->AniGIF->isPlaying());
    QSignalSpy pause(form->Image7, &ImageControl::clicked);
    QSignalSpy play(form->Image4, &ImageControl::clicked);

    QTest::keyClick(form.get(), Qt::Key_Space);
    QVERIFY(!form->AniGIF->isPlaying());
    QCOMPARE(pause.count(), 1);
    QTest::keyClick(form.get(), Qt::Key_Right);
    QCOMPARE(form->AniGIF->Frame(), 1);
    QTest::keyClick(form.get(), Qt::Key_Left);
    QCOMPARE(form->AniGIF->Frame(), 0);
    QTest::keyClick(form.get(), Qt::Key_Space);
    QVERIFY(form->AniGIF->isPlaying());
    QCOMPARE(play.count(), 1);
    QTest::keyClick(form.get(), Qt::Key_Home);
    QVERIFY(!form->AniGIF->isPlaying());
    QCOMPARE(form->lb2->text(), QStringLiteral("00"));
}

// L swaps list and display; Ctrl+A selects every row only while the list shows, and the
// unselect button clears the selection; Delete removes the selected rows; the add button
// opens the folder dialog.
void tst_app_DesktopUse::listKeys()
{
    addRows(4);
    QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(form->FileList->selectedItems().size(), 0);
    QTest::keyClick(form.get(), Qt::Key_L);
    QVERIFY(form->FileList->isVisible());
    QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(form->FileList->selectedItems().size(), 4);
    form->Image15->clickFromKeyboard();
    QCOMPARE(form->FileList->selectedItems().size(), 0);
    QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(form->FileList->selectedItems().size(), 4);
    form->FileList->topLevelItem(2)->setSelected(false);
    QTest::keyClick(form.get(), Qt::Key_Delete);
    QCOMPARE(FileListRows::rowCount(form->FileList), 1);
    QCOMPARE(FileListRows::row(form->FileList, 1)->text(0), QStringLiteral("row3"));

    QString opened;
    QTimer closer; // fires inside the dialog's own event loop
    closer.setSingleShot(true);
    connect(&closer, &QTimer::timeout, this, [&opened] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            dialog->close();
        }
    });
    closer.start(0);
    form->Image12->clickFromKeyboard();
    QCOMPARE(opened, QStringLiteral("FolderImportDialog"));
    QCOMPARE(FileListRows::rowCount(form->FileList), 1);
}

void tst_app_DesktopUse::enterPlaysTheCurrentRow()
{
    for (const char *name : {"2", "10"})
        FileListRows::addListRow(form->FileList, QLatin1String(name),
                                 dir.filePath(QStringLiteral("files/%1.gif").arg(name)));
    QTest::keyClick(form.get(), Qt::Key_Return); // neither list nor display shows: nothing
    QVERIFY(form->AniGIF->isHidden());
    QTest::keyClick(form.get(), Qt::Key_L);
    form->FileList->setFocus();
    QTest::keyClick(form->FileList, Qt::Key_Down);
    QTest::keyClick(form->FileList, Qt::Key_Down);
    QCOMPARE(form->FileList->currentItem()->text(0), QStringLiteral("10"));
    QTest::keyClick(form->FileList, Qt::Key_Return);
    QVERIFY(form->FileList->isHidden());
    QTRY_VERIFY(form->AniGIF->isVisible());
    QCOMPARE(form->lblAnim->text(), QStringLiteral("anim: 10"));
    QVERIFY(form->AniGIF->isPlaying());
    const int frame = form->AniGIF->Frame();
    QTest::keyClick(form.get(), Qt::Key_Enter, Qt::KeypadModifier); // the list is hidden
    QVERIFY(form->FileList->isHidden());
    QCOMPARE(form->AniGIF->Frame(), frame);
}

void tst_app_DesktopUse::naturalOrder()
{
    const struct
    {
        const char *a, *b;
        int order;
    } cases[] = {
        {"2.gif", "10.gif", -1},
        {"shot9b.gif", "shot10a.gif", -1}, // numbers inside names
        {"b1", "a2", 1},                   // the text before the numbers differs
        {"B.gif", "a.gif", 1},             // letter case ignored first
        {"f02", "f2", -1},                 // leading zeros: the same value, then exact order
        {"1a", "a1", -1},                  // digits before letters
        {"x", "x1", -1},                   // a prefix first
        {"99999999999999999999", "100000000000000000000", -1},
        {"a/3.gif", "a/3.gif", 0},
    };
    for (const auto &c : cases) {
        const QString a = QString::fromLatin1(c.a), b = QString::fromLatin1(c.b);
        QVERIFY2(DroppedFiles::naturalCompare(a, b) == c.order, c.a);
        QVERIFY2(DroppedFiles::naturalCompare(b, a) == -c.order, c.a);
    }
}

void tst_app_DesktopUse::droppedFilesSorted_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QStringList>("animations");
    QTest::addColumn<QString>("sound");
    QTest::newRow("files in natural order")
        << QStringList{"10.gif", "2.gif", "1.GIF"} << QStringList{"1.GIF", "2.gif", "10.gif"} << "";
    QTest::newRow("a folder: its own GIFs only")
        << QStringList{"a"} << QStringList{"a/3.gif", "a/20.gif", "a/100.gif"} << "";
    QTest::newRow("files and a folder together")
        << QStringList{"a", "2.gif", "readme.txt"}
        << QStringList{"2.gif", "a/3.gif", "a/20.gif", "a/100.gif"} << "";
    QTest::newRow("names the list file cannot keep")
        << QStringList{"b", "b/cr\rname.gif"} << QStringList{"b/lf\nname.gif", "b/ok.gif"} << "";
    QTest::newRow("the same file twice")
        << QStringList{"2.gif", "2.gif"} << QStringList{"2.gif"} << "";
    QTest::newRow("one sound") << QStringList{"tone.wav"} << QStringList{} << "tone.wav";
    QTest::newRow("a sound among animations")
        << QStringList{"tone.wav", "2.gif"} << QStringList{"2.gif"} << "";
    QTest::newRow("two sounds") << QStringList{"tone.wav", "tune.mid"} << QStringList{} << "";
    QTest::newRow("nothing usable")
        << QStringList{"readme.txt", "missing.gif", "missing.wav", "http://example.com/x.gif"}
        << QStringList{} << "";
}

void tst_app_DesktopUse::droppedFilesSorted()
{
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, animations);
    QFETCH(QString, sound);
    const QString base = dir.filePath(QStringLiteral("files"));
    const QList<QUrl> urls = urlsOf(base, dropped);
    const DroppedFiles::Contents contents = DroppedFiles::sort(urls);
    QCOMPARE(relativeTo(base, contents.animations), animations);
    QCOMPARE(contents.sound.isEmpty() ? QString() : QDir(base).relativeFilePath(contents.sound),
             sound);
    QCOMPARE(DroppedFiles::mayAccept(urls), !contents.isEmpty());
}

// Dropped animations come after the rows already there, each with its caption, size and full
// path, and nothing else on the window changes; the list file holds them at once. A sound
// dropped after them is chosen and starts, and leaves the rows as they are.
void tst_app_DesktopUse::dropAnimationsThenASound()
{
    addRows(1);
    const QString base = dir.filePath(QStringLiteral("files"));
    const QString animLabel = form->lblAnim->text();

    drop(urlsOf(base, {"a", "10.gif"}));

    const QStringList paths = {base + "/10.gif", base + "/a/3.gif", base + "/a/20.gif",
                               base + "/a/100.gif"};
    QCOMPARE(FileListRows::rowCount(form->FileList), 1 + paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        const QTreeWidgetItem *row = FileListRows::row(form->FileList, i + 2);
        QCOMPARE(FileListRows::fullPath(row), paths[i]);
        QCOMPARE(row->text(0), QFileInfo(paths[i]).completeBaseName());
        QCOMPARE(row->text(1).isEmpty(), false);
    }
    QVERIFY(form->FileList->isHidden());
    QCOMPARE(form->lblAnim->text(), animLabel);
    QFile listFile(dir.filePath(QStringLiteral("list/filelist.inf")));
    QVERIFY(listFile.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(listFile.readAll()),
             (QStringList{dir.filePath(QStringLiteral("row1.gif"))} + paths).join("\r\n") + "\r\n");
    QVERIFY(!form->Timer1->isActive());

    drop(urlsOf(base, {"tone.wav"}));
    QCOMPARE(form->lblSnd->text(), QStringLiteral("Sound: tone"));
    QCOMPARE(form->soundPanel->soundPath(), base + "/tone.wav");
    QVERIFY(form->Timer1->isActive());
    QCOMPARE(FileListRows::rowCount(form->FileList), 1 + paths.size());
}

void tst_app_DesktopUse::soundNotes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("noteHas"); // empty: no note
    QTest::newRow("missing") << "gone.wav"
                             << "Sound: gone" << QStringList{"Звук не открылся", "не найден"};
    QTest::newRow("not a sound") << "noise.wav"
                                 << "Sound: noise" << QStringList{"Звук не открылся", "повреждён"};
    QTest::newRow("MIDI without a soundfont")
        << "tune.mid"
        << "Sound: tune" << QStringList{"SoundFont", dir.filePath(QStringLiteral("no-soundfont"))};
    QTest::newRow("plays") << "tone.wav"
                           << "Sound: tone" << QStringList{};
}

// The label shows the name as always; the reason goes into its tooltip, and a sound that
// opens clears an earlier note.
void tst_app_DesktopUse::soundNotes()
{
    QFETCH(QString, file);
    QFETCH(QString, label);
    QFETCH(QStringList, noteHas);
    form->lblSnd->setToolTip(QStringLiteral("earlier note"));
    chosen = dir.filePath(QStringLiteral("files/") + file);
    form->Image10->clickFromKeyboard();
    QCOMPARE(form->lblSnd->text(), label);
    QVERIFY(form->Timer1->isActive());
    const QString note = form->lblSnd->toolTip();
    if (noteHas.isEmpty())
        QCOMPARE(note, QString());
    for (const QString &part : noteHas)
        QVERIFY2(note.contains(part), qPrintable(note));
}

void tst_app_DesktopUse::animationNotes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("noteHas"); // empty: no note
    QTest::newRow("missing") << "gone.gif"
                             << "не найден";
    QTest::newRow("not a GIF") << "text.gif"
                               << "не файл GIF";
    QTest::newRow("damaged") << "damaged.gif"
                             << "повреждён";
    QTest::newRow("a folder") << "folder.gif"
                              << "не читается";
    QTest::newRow("loads") << "2.gif"
                           << "";
}

void tst_app_DesktopUse::animationNotes()
{
    QFETCH(QString, file);
    QFETCH(QString, noteHas);
    form->lblAnim->setToolTip(QStringLiteral("earlier note"));
    // As a list row, shown by a double click, and chosen with the eject button.
    FileListRows::addListRow(form->FileList, file, dir.filePath(QStringLiteral("files/") + file));
    form->Image11->clickFromKeyboard();
    QTreeWidgetItem *row = FileListRows::row(form->FileList, 1);
    emit form->FileList->itemClicked(row, 0);
    emit form->FileList->itemDoubleClicked(row, 0);
    for (int way = 0; way < 2; ++way) {
        const QString note = form->lblAnim->toolTip();
        if (noteHas.isEmpty()) {
            QCOMPARE(note, QString());
        } else {
            QVERIFY2(note.startsWith(QStringLiteral("Анимация не открылась: ")), qPrintable(note));
            QVERIFY2(note.contains(noteHas), qPrintable(note));
        }
        form->lblAnim->setToolTip(QStringLiteral("earlier note"));
        chosen = dir.filePath(QStringLiteral("files/") + file);
        form->Image2->clickFromKeyboard();
    }
    QCOMPARE(form->AniGIF->FrameCount() > 0, noteHas.isEmpty());
}

QTEST_MAIN(tst_app_DesktopUse)
#include "tst_app_DesktopUse.moc"
