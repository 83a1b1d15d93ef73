#include "TestGifs.h"
#include "ViewerFixture.h"

#include <QSignalSpy>
#include <QtTest>
#include <utility>

// The viewer's handlers on stand-in controls. Most GIFs here show each frame for a minute, so
// nothing moves on by itself and the frame-change routine runs only when a test runs it.
class tst_viewer_AnimationViewer : public QObject
{
    Q_OBJECT

private slots:
    void startValues();
    void doubleClickShowsTheClickedRow();
    void doubleClickShowingNothingKeepsTheList_data();
    void doubleClickShowingNothingKeepsTheList();
    void centreDisplay_data();
    void centreDisplay();
    void commandLine_data();
    void commandLine();
    void commandLineShownOnEveryActivation();
    void fileChoice_data();
    void fileChoice();
    void markerAndCounters_data();
    void markerAndCounters();
    void passCounting_data();
    void passCounting();
    void switches();
    void menuTicks();
    void advanceSkipsRowsThatCannotBeLoaded_data();
    void advanceSkipsRowsThatCannotBeLoaded();
    void passesCountedCarryOver_data();
    void passesCountedCarryOver();
    void playingThroughTheList();
    void listPlayAfterEndlessPasses_data();
    void listPlayAfterEndlessPasses();
    void reenteredDuringTheAdvance();
    void viewerDeletedWhileMessagesRun();
};

namespace {
QPoint innerPos(const ViewerFixture &f)
{
    return f.display->pos() - QPoint(1, 1);
}

// A 30 x 20 three-frame GIF in `dir`, outside any fixture's own folder.
QString gifIn(const QTemporaryDir &dir, const QString &name)
{
    return TestGifs::writeFile(dir.filePath(name),
                               TestGifs::plainAnimation({30, 20}, 3, false, 6000));
}

// A three-frame row 1 on show, a four-frame 40 x 40 row 2 after it.
void showRowOneOfTwo(ViewerFixture &f)
{
    f.addRow(f.gif("three.gif", {30, 30}, 3));
    f.addRow(f.gif("four.gif", {40, 40}, 4));
    f.doubleClickRow(1);
}
} // namespace

// One pass, menu entry "1" the only one ticked, nothing on show.
void tst_viewer_AnimationViewer::startValues()
{
    ViewerFixture f;
    QCOMPARE(f.display->Loops(), qint16(1));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(f.q1[size_t(i)]->isChecked(), i == 0);
    QVERIFY(f.display->isHidden());
}

void tst_viewer_AnimationViewer::doubleClickShowsTheClickedRow()
{
    ViewerFixture f;
    f.addRow(f.gif("a.gif", {40, 30}, 2));
    f.addRow(f.gif("b.gif", {60, 20}, 3));
    f.addRow(f.gif("c.gif", {101, 50}, 5));
    f.FileList->show();
    f.lblAnim->setText("anim: c");

    f.doubleClickRow(3);
    QVERIFY(f.FileList->isHidden());
    QVERIFY(!f.display->isHidden());
    QCOMPARE(f.display->FrameCount(), qint16(5));
    QCOMPARE(f.lb1->text(), QStringLiteral("05"));
    QCOMPARE(f.display->size(), QSize(101, 50));
    QCOMPARE(innerPos(f), QPoint(193, 137)); // (486 - 101) / 2 = 192.5, (324 - 50) / 2
    QCOMPARE(f.viewer->currentIndex(), qint16(3));
    QCOMPARE(f.lblAnim->text(), QStringLiteral("anim: c")); // left to the row click
    QCOMPARE(f.lb2->text(), QStringLiteral("00"));
    QCOMPARE(f.im1->x(), 9);

    // A file from the dialog leaves the list position alone. Marker and frame label go to its
    // first frame at once, not after that frame's delay.
    f.showFrame(4);
    QCOMPARE(f.lb2->text(), QStringLiteral("04"));
    f.chooserAnswer = f.gif("d.gif", {10, 10}, 7);
    f.viewer->chooseAnimation();
    QCOMPARE(f.lb1->text(), QStringLiteral("07"));
    QCOMPARE(f.lb2->text(), QStringLiteral("00"));
    QCOMPARE(f.im1->x(), 9);
    QCOMPARE(f.viewer->currentIndex(), qint16(3));
}

void tst_viewer_AnimationViewer::doubleClickShowingNothingKeepsTheList_data()
{
    QTest::addColumn<QString>("rowTwo"); // what became of row 2 before the double click
    QTest::addColumn<int>("index");      // the list position after it
    QTest::newRow("no row clicked yet") << "" << 0;
    QTest::newRow("clicked row removed") << "removed" << 0;
    QTest::newRow("clicked row cannot be loaded, row 1 shown before") << "missing" << 1;
}

// With no row to show, or a row whose file does not load, the list stays in view, the display
// is left empty and the list position is that of the last row shown.
void tst_viewer_AnimationViewer::doubleClickShowingNothingKeepsTheList()
{
    QFETCH(QString, rowTwo);
    QFETCH(int, index);
    ViewerFixture f;
    f.addRow(f.gif("a.gif", {40, 30}, 2));
    QTreeWidgetItem *second =
        f.addRow(rowTwo == "missing" ? f.missing("gone.gif") : f.gif("b.gif", {60, 20}, 3));
    if (rowTwo == "missing")
        f.doubleClickRow(1);
    if (!rowTwo.isEmpty())
        f.playList->setClickedRow(second);
    if (rowTwo == "removed") {
        QCOMPARE(f.playList->clickedRowNumber(), 2);
        delete second;
        QCOMPARE(f.playList->clickedRowNumber(), 0);
    }
    f.FileList->show();
    f.viewer->showClickedRow();
    QVERIFY(!f.FileList->isHidden());
    QCOMPARE(f.display->FrameCount(), qint16(0));
    QCOMPARE(f.lb1->text(), QStringLiteral("00"));
    QCOMPARE(f.viewer->currentIndex(), qint16(index));
    if (index == 0)
        QVERIFY(f.display->isHidden());
}

void tst_viewer_AnimationViewer::centreDisplay_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("place");
    QTest::newRow("small") << QSize(101, 50) << QPoint(193, 137);
    QTest::newRow("one pixel") << QSize(1, 1) << QPoint(243, 162);
    QTest::newRow("inner size") << QSize(484, 322) << QPoint(1, 1);
    QTest::newRow("frame size") << QSize(486, 324) << QPoint(0, 0);
    QTest::newRow("larger than the frame") << QSize(600, 400) << QPoint(-57, -38);
    // Halves are rounded upwards, below zero too: -0.5 to 0, -1.5 to -1.
    QTest::newRow("larger by one and three") << QSize(487, 327) << QPoint(0, -1);
}

void tst_viewer_AnimationViewer::centreDisplay()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, place);
    ViewerFixture f;
    f.chooserAnswer = f.gif("x.gif", size, 1);
    f.viewer->chooseAnimation();
    QCOMPARE(f.display->size(), size);
    QCOMPARE(innerPos(f), place);
    f.display->move(0, 0);
    f.viewer->centreDisplay();
    QCOMPARE(innerPos(f), place);
}

void tst_viewer_AnimationViewer::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("label");
    QTest::newRow("none") << QStringList{} << false << "Anim:";
    QTest::newRow("a GIF") << QStringList{"cat.gif"} << true << "Anim: cat";
    QTest::newRow("a path split at its blank")
        << QStringList{"my", "cat.gif"} << true << "Anim: my cat";
    QTest::newRow("name too short") << QStringList{"a.g"} << false << "Anim:";
    QTest::newRow("missing file") << QStringList{"gone.gif"} << false << "Anim: gone";
    QTest::newRow("not a GIF") << QStringList{"text.gif"} << false << "Anim: text";
}

void tst_viewer_AnimationViewer::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, shown);
    QFETCH(QString, label);
    QTemporaryDir dir;
    TestGifs::writeFile(dir.filePath("text.gif"), "plain text\n");
    gifIn(dir, "cat.gif");
    gifIn(dir, "my cat.gif");
    QStringList words = arguments;
    if (!words.isEmpty())
        words.first().prepend(dir.path() + QLatin1Char('/'));
    words.prepend("quorbanex");
    ViewerFixture f(ViewerFormulas::commandLineText(words));
    f.viewer->showCommandLineAnimation();
    QCOMPARE(f.lblAnim->text(), label);
    QCOMPARE(!f.display->isHidden(), shown);
    QCOMPARE(f.lb1->text(), shown ? QStringLiteral("03") : QStringLiteral("00"));
    QVERIFY(f.FileList->isHidden());
    QCOMPARE(f.viewer->currentIndex(), qint16(0));
    if (shown)
        QCOMPARE(innerPos(f), QPoint(228, 152));
}

void tst_viewer_AnimationViewer::commandLineShownOnEveryActivation()
{
    QTemporaryDir dir;
    const QString path = gifIn(dir, "cat.gif");
    ViewerFixture f(path);
    f.addRow(f.gif("row.gif", {50, 50}, 6));
    f.FileList->show();
    f.viewer->showCommandLineAnimation();
    // The list stays shown over the display.
    QVERIFY(!f.FileList->isHidden());
    QVERIFY(!f.display->isHidden());
    f.doubleClickRow(1);
    QCOMPARE(f.lb1->text(), QStringLiteral("06"));
    f.showFrame(2);
    f.lblAnim->setText("anim: row");
    f.viewer->showCommandLineAnimation();
    QCOMPARE(f.lb1->text(), QStringLiteral("03"));
    QCOMPARE(f.display->size(), QSize(30, 20));
    QCOMPARE(f.display->Frame(), qint16(0));
    QCOMPARE(innerPos(f), QPoint(228, 152));
    QCOMPARE(f.lblAnim->text(), QStringLiteral("Anim: cat"));
    QCOMPARE(f.viewer->currentIndex(), qint16(1));
}

void tst_viewer_AnimationViewer::fileChoice_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("frames"); // the frame total then shown; 8: the chosen file on show
    QTest::newRow("chosen") << "кошка.gif" << true << "Anim: кошка" << 8;
    QTest::newRow("cancelled") << "кошка.gif" << false << "Anim: first" << 3;
    QTest::newRow("empty name") << "" << true << "Anim: first" << 3;
    QTest::newRow("name too short") << "a.g" << true << "Anim: first" << 3;
    QTest::newRow("missing file") << "gone.gif" << true << "Anim: gone" << 0;
}

// A second file chosen over a first one, its display hidden meanwhile. Each failure ends the
// handler at the step that fails: a cancel or a short name changes nothing; a file that cannot
// be loaded has its name written and leaves the display empty.
void tst_viewer_AnimationViewer::fileChoice()
{
    QFETCH(QString, answer);
    QFETCH(bool, accept);
    QFETCH(QString, label);
    QFETCH(int, frames);
    ViewerFixture f;
    f.chooserAnswer = f.gif("first.gif", {20, 10}, 3);
    f.viewer->chooseAnimation();
    f.display->hide();
    f.gif("кошка.gif", {40, 40}, 8);
    f.chooserAnswer = answer.isEmpty() ? answer : f.dir.filePath(answer);
    f.chooserAccepts = accept;
    f.viewer->chooseAnimation();
    QCOMPARE(f.asked.calls, 2);
    QCOMPARE(f.asked.initDir, QStringLiteral("/opt/quorbanex/gif"));
    QCOMPARE(f.asked.title, QStringLiteral("Выбор GIF анимации..."));
    QCOMPARE(f.asked.filter, QStringLiteral("Файлы анимации|*.gif"));
    QCOMPARE(f.lblAnim->text(), label);
    QCOMPARE(f.lb1->text(), ViewerFormulas::counterText(frames));
    QCOMPARE(f.display->isHidden(), frames != 8);
    if (frames == 8)
        QCOMPARE(innerPos(f), QPoint(223, 142));
    QCOMPARE(f.viewer->currentIndex(), qint16(0));
}

void tst_viewer_AnimationViewer::markerAndCounters_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("marker");
    QTest::addColumn<QString>("frameText");
    QTest::newRow("ten, first") << 10 << 0 << 9 << "00";
    QTest::newRow("ten, 5") << 10 << 5 << 199 << "05";
    QTest::newRow("ten, last") << 10 << 9 << 351 << "09";
    QTest::newRow("three, 1") << 3 << 1 << 136 << "01"; // 135.666...
    QTest::newRow("three, last") << 3 << 2 << 262 << "02";
    QTest::newRow("120, 100") << 120 << 100 << 326 << "100";
}

void tst_viewer_AnimationViewer::markerAndCounters()
{
    QFETCH(int, frames);
    QFETCH(int, frame);
    QFETCH(int, marker);
    QFETCH(QString, frameText);
    ViewerFixture f;
    f.chooserAnswer = f.gif("x.gif", {8, 8}, frames);
    f.viewer->chooseAnimation();
    f.showFrame(frame);
    QCOMPARE(f.im1->pos(), QPoint(marker, 500));
    QCOMPARE(f.lb2->text(), frameText);
    QCOMPARE(f.Label4->text(), QStringLiteral("01"));
}

void tst_viewer_AnimationViewer::passCounting_data()
{
    QTest::addColumn<int>("menuEntry"); // -1: the repeat switch (Loops 0)
    QTest::addColumn<bool>("playList");
    QTest::addColumn<int>("passesToAdvance"); // 0: never
    QTest::newRow("1 pass, list") << 0 << true << 1;
    QTest::newRow("2 passes, list") << 1 << true << 2;
    QTest::newRow("3 passes, list") << 2 << true << 3;
    QTest::newRow("10 passes, list") << 5 << true << 10;
    QTest::newRow("repeat") << -1 << false << 0;
    QTest::newRow("2 passes, no list") << 1 << false << 0;
}

// Plays passes of a three-frame row, checks the pass label on every frame, and looks at each
// last frame whether the list moved on to the four-frame row after it.
void tst_viewer_AnimationViewer::passCounting()
{
    QFETCH(int, menuEntry);
    QFETCH(bool, playList);
    QFETCH(int, passesToAdvance);
    ViewerFixture f;
    showRowOneOfTwo(f);
    if (menuEntry >= 0)
        f.viewer->choosePasses(menuEntry);
    if (playList)
        f.viewer->togglePlayList();
    if (menuEntry < 0)
        f.viewer->toggleRepeat();
    const int loops = f.display->Loops();

    for (int pass = 1; pass <= 12; ++pass) {
        const QString passLabel = QStringLiteral("%1").arg(loops > 1 ? (pass - 1) % loops + 1 : 1,
                                                           2, 10, QLatin1Char('0'));
        for (int frame = 0; frame < 3; ++frame) {
            f.showFrame(frame);
            QCOMPARE(f.Label4->text(), passLabel);
        }
        const bool advanced = f.display->FrameCount() == 4;
        QCOMPARE(advanced, pass == passesToAdvance);
        if (advanced) {
            QCOMPARE(f.viewer->currentIndex(), qint16(2));
            QCOMPARE(f.lb1->text(), QStringLiteral("04"));
            QCOMPARE(f.display->Frame(), qint16(0));
            QCOMPARE(f.display->size(), QSize(40, 40));
            QCOMPARE(innerPos(f), QPoint(223, 142));
            QCOMPARE(f.viewer->loopCounter(), qint16(0));
            f.showFrame(0);
            QCOMPARE(f.Label4->text(), QStringLiteral("01"));
            break;
        }
        const int expectedCounter = loops > 1 ? pass % loops : 0;
        QCOMPARE(int(f.viewer->loopCounter()), expectedCounter);
    }
    if (passesToAdvance == 0)
        QCOMPARE(f.viewer->currentIndex(), qint16(1));
}

// The two switches and the menu's number; the menu's own effects are in menuTicks.
void tst_viewer_AnimationViewer::switches()
{
    ViewerFixture f;
    f.viewer->togglePlayList(); // on: the ticked "1"
    QVERIFY(!f.Sh2->isHidden());
    QCOMPARE(f.display->Loops(), qint16(1));
    f.viewer->choosePasses(5);

    // Repeat on: the play-list switch goes out, endless passes, the menu's number stays on show.
    f.viewer->toggleRepeat();
    QVERIFY(!f.Sh1->isHidden());
    QVERIFY(f.Sh2->isHidden());
    QCOMPARE(f.display->Loops(), qint16(0));
    QCOMPARE(f.Label3->text(), QStringLiteral("10"));
    QVERIFY(f.q1[5]->isChecked());

    // Repeat off: one pass, whatever the menu has ticked; the play-list switch stays off.
    f.viewer->toggleRepeat();
    QVERIFY(f.Sh1->isHidden());
    QVERIFY(f.Sh2->isHidden());
    QCOMPARE(f.display->Loops(), qint16(1));
    QCOMPARE(f.Label3->text(), QStringLiteral("10"));

    // Play-list on over the repeat switch: the ticked 10, the repeat dot out; off keeps Loops.
    f.viewer->toggleRepeat();
    f.viewer->togglePlayList();
    QVERIFY(!f.Sh2->isHidden());
    QVERIFY(f.Sh1->isHidden());
    QCOMPARE(f.display->Loops(), qint16(10));
    f.display->setLoops(4);
    f.viewer->togglePlayList();
    QVERIFY(f.Sh2->isHidden());
    QCOMPARE(f.display->Loops(), qint16(4));
}

// Through the menu's own actions, as the pop-up's clicks trigger them, each entry twice after
// another one: the entry ticked alone, the number of passes set and shown, the switches left as
// they are. A second trigger of a ticked entry leaves it ticked; out-of-range entries do nothing.
void tst_viewer_AnimationViewer::menuTicks()
{
    ViewerFixture f;
    f.viewer->toggleRepeat();
    const std::pair<int, const char *> passes[] = {{1, "01"}, {2, "02"}, {3, "03"},
                                                   {4, "04"}, {5, "05"}, {10, "10"}};
    for (int entry : {3, 0, 5, 1, 4, 2}) {
        const auto [loops, label] = passes[entry];
        for (int round = 0; round < 2; ++round) {
            f.q1[size_t(entry)]->trigger();
            for (int i = 0; i < 6; ++i)
                QVERIFY2(f.q1[size_t(i)]->isChecked() == (i == entry), label);
            QCOMPARE(f.display->Loops(), qint16(loops));
            QCOMPARE(f.Label3->text(), QLatin1String(label));
        }
        QVERIFY(!f.Sh1->isHidden());
        QVERIFY(f.Sh2->isHidden());
        f.viewer->choosePasses(6);
        f.viewer->choosePasses(-1);
        QCOMPARE(f.display->Loops(), qint16(loops));
        QVERIFY(f.q1[size_t(entry)]->isChecked());
    }
}

void tst_viewer_AnimationViewer::advanceSkipsRowsThatCannotBeLoaded_data()
{
    QTest::addColumn<QStringList>("rows"); // "-": a missing file
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to"); // 0: nothing could be loaded; -1: the chosen file plays on
    // from 0: a file chosen in the dialog is on show, as after the command line.
    QTest::newRow("next row") << QStringList{"a", "b", "c"} << 1 << 2;
    QTest::newRow("wraps to row 1") << QStringList{"a", "b", "c"} << 3 << 1;
    QTest::newRow("after a file from outside the list") << QStringList{"a", "b"} << 0 << 1;
    QTest::newRow("missing next row") << QStringList{"a", "-", "c"} << 1 << 3;
    QTest::newRow("missing rows at the end") << QStringList{"a", "b", "-", "-"} << 2 << 1;
    QTest::newRow("only the current row loads") << QStringList{"-", "b", "-"} << 2 << 2;
    QTest::newRow("none loads") << QStringList{"-", "-"} << 0 << 0;
    QTest::newRow("empty list") << QStringList{} << 0 << -1;
}

void tst_viewer_AnimationViewer::advanceSkipsRowsThatCannotBeLoaded()
{
    QFETCH(QStringList, rows);
    QFETCH(int, from);
    QFETCH(int, to);
    ViewerFixture f;
    int n = 0;
    for (const QString &row : rows) {
        ++n;
        f.addRow(row == "-" ? f.missing(QStringLiteral("gone%1.gif").arg(n))
                            : f.gif(row + ".gif", {10 * n, 10}, n + 1));
    }
    if (from > 0) {
        f.doubleClickRow(from);
    } else {
        f.chooserAnswer = f.gif("chosen.gif", {7, 7}, 2);
        f.viewer->chooseAnimation();
    }
    f.lblAnim->setText("Anim: before");
    f.viewer->togglePlayList();
    f.playPasses(1);
    QCOMPARE(f.lblAnim->text(), QStringLiteral("Anim: before")); // the name is left alone
    QVERIFY(f.FileList->isHidden());
    if (to > 0) {
        QCOMPARE(f.viewer->currentIndex(), qint16(to));
        QCOMPARE(f.display->FrameCount(), qint16(to + 1));
        QCOMPARE(f.lb1->text(), ViewerFormulas::counterText(to + 1));
        QCOMPARE(f.display->size(), QSize(10 * to, 10));
        // At the first frame of the new row, with the pass number it plays: rows passed over
        // leave no trace on the counters.
        QCOMPARE(f.lb2->text(), QStringLiteral("00"));
        QCOMPARE(f.im1->x(), 9);
        QCOMPARE(f.Label4->text(), QStringLiteral("01"));
    } else {
        QCOMPARE(f.display->FrameCount(), qint16(to == 0 ? 0 : 2));
        QCOMPARE(f.lb1->text(), ViewerFormulas::counterText(f.display->FrameCount()));
        if (to < 0)
            QVERIFY(!f.display->isHidden());
    }
}

void tst_viewer_AnimationViewer::passesCountedCarryOver_data()
{
    QTest::addColumn<int>("menuEntry");
    QTest::addColumn<bool>("playList");
    QTest::addColumn<int>("passes"); // played before the change
    QTest::addColumn<int>("counted");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("row"); // moved on to after one more pass
    QTest::newRow("play-list switch turned on") << 1 << false << 3 << 1 << "list on" << 2;
    QTest::newRow("another row shown") << 2 << true << 2 << 2 << "show row 2" << 3;
    QTest::newRow("pass count lowered below the passes counted")
        << 4 << true << 3 << 3 << "2 passes" << 2;
}

// Passes counted stay counted when the play-list switch goes on, when another row is shown by
// hand and when the menu's number is lowered below them: the next last frame moves on.
void tst_viewer_AnimationViewer::passesCountedCarryOver()
{
    QFETCH(int, menuEntry);
    QFETCH(bool, playList);
    QFETCH(int, passes);
    QFETCH(int, counted);
    QFETCH(QString, change);
    QFETCH(int, row);
    ViewerFixture f;
    showRowOneOfTwo(f);
    f.addRow(f.gif("five.gif", {50, 50}, 5));
    f.viewer->choosePasses(menuEntry);
    if (playList)
        f.viewer->togglePlayList();
    f.playPasses(passes);
    QCOMPARE(f.viewer->loopCounter(), qint16(counted));
    QCOMPARE(f.viewer->currentIndex(), qint16(1));
    if (change == "list on")
        f.viewer->togglePlayList();
    else if (change == "show row 2")
        f.doubleClickRow(2);
    else
        f.viewer->choosePasses(1);
    f.playPasses(1);
    QCOMPARE(f.viewer->currentIndex(), qint16(row));
    QCOMPARE(f.display->FrameCount(), qint16(row + 2));
    QCOMPARE(f.viewer->loopCounter(), qint16(0));
}

// Real playback through a list of short animations: each advance loads from inside the
// display's frame report, with messages running, and the rows come in list order, wrapping.
void tst_viewer_AnimationViewer::playingThroughTheList()
{
    QList<int> rowsShown;
    ViewerFixture *fixture = nullptr;
    ViewerFixture f(QString(), [&] {
        QCoreApplication::processEvents();
        // Between its increment and the wrap the index is one past the last row for a moment.
        const int row = fixture->viewer->currentIndex();
        if (row > fixture->FileList->topLevelItemCount())
            return;
        if (rowsShown.isEmpty() || rowsShown.last() != row)
            rowsShown << row;
    });
    fixture = &f;
    f.addRow(f.gif("one.gif", {10, 10}, 2, 2));
    f.addRow(f.gif("two.gif", {20, 20}, 3, 2));
    f.addRow(f.gif("three.gif", {30, 30}, 2, 2));
    f.doubleClickRow(1);
    f.viewer->togglePlayList();
    rowsShown.clear();
    f.display->Play();
    QTRY_VERIFY_WITH_TIMEOUT(rowsShown.size() >= 7, 20000);
    QCOMPARE(rowsShown.mid(0, 7), (QList<int>{2, 3, 1, 2, 3, 1, 2}));
    f.viewer->togglePlayList();
    QTRY_COMPARE(f.lb1->text(), ViewerFormulas::counterText(f.display->FrameCount()));
}

// The user watches an animation on repeat for a while, then picks three passes in the menu and
// turns list play on: playback goes on for three passes and then moves on to the next row,
// rather than halting at the end of the pass under way.
void tst_viewer_AnimationViewer::listPlayAfterEndlessPasses_data()
{
    QTest::addColumn<bool>("repeatOff");
    QTest::newRow("list play turned on") << false;
    QTest::newRow("repeat turned off, then list play on") << true;
}

void tst_viewer_AnimationViewer::listPlayAfterEndlessPasses()
{
    QFETCH(bool, repeatOff);
    ViewerFixture f;
    f.addRow(f.gif("one.gif", {10, 10}, 2, 2));
    f.addRow(f.gif("two.gif", {20, 20}, 3, 2));
    f.doubleClickRow(1);
    f.viewer->toggleRepeat();
    QSignalSpy spy(f.display, &AniGIF::FrameChanged);
    f.display->Play();
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 9, 10000); // past four passes
    if (repeatOff)
        f.viewer->toggleRepeat();
    f.viewer->choosePasses(2);
    f.viewer->togglePlayList();
    QTRY_COMPARE_WITH_TIMEOUT(f.viewer->currentIndex(), qint16(2), 10000);
    QCOMPARE(f.display->FrameCount(), qint16(3));
    QVERIFY(f.display->isPlaying());
}

// Frame steps and another double click run inside the advance's message pumps; the routine is
// entered again while an advance is under way. Nothing breaks, and the display ends up
// showing a row of the list, with its own frame total.
void tst_viewer_AnimationViewer::reenteredDuringTheAdvance()
{
    ViewerFixture *fixture = nullptr;
    int pumps = 0;
    int depth = 0;
    int deepest = 0;
    ViewerFixture f(QString(), [&] {
        ++pumps;
        deepest = std::max(deepest, ++depth);
        if (pumps % 5 == 0)
            fixture->viewer->frameChanged();
        if (pumps % 7 == 0)
            QMetaObject::invokeMethod(fixture->transport, &TransportButtons::nextPressed,
                                      Qt::QueuedConnection);
        if (pumps % 11 == 0)
            QMetaObject::invokeMethod(
                fixture->viewer, [v = fixture->viewer] { v->showClickedRow(); },
                Qt::QueuedConnection);
        QCoreApplication::processEvents();
        --depth;
    });
    fixture = &f;
    f.addRow(f.gif("one.gif", {10, 10}, 2, 2));
    f.addRow(f.gif("two.gif", {20, 20}, 3, 2));
    f.addRow(f.missing("gone.gif"));
    f.doubleClickRow(2);
    f.viewer->togglePlayList();
    f.display->Play();
    QTRY_VERIFY_WITH_TIMEOUT(pumps > 200, 20000);
    QVERIFY(deepest >= 3); // advances ran inside advances
    f.viewer->togglePlayList();
    f.display->Stop();
    QTest::qWait(50);
    const int row = f.viewer->currentIndex();
    QVERIFY(row == 1 || row == 2);
    QCOMPARE(f.lb1->text(), ViewerFormulas::counterText(f.display->FrameCount()));
    QVERIFY(f.display->FrameCount() == 2 || f.display->FrameCount() == 3);
}

void tst_viewer_AnimationViewer::viewerDeletedWhileMessagesRun()
{
    ViewerFixture *fixture = nullptr;
    // The message pump lives inside the viewer: it must not touch its own captures once the
    // viewer, and so the pump itself, is gone.
    ViewerFixture f(QString(), [&] {
        AnimationViewer *viewer = std::exchange(fixture->viewer, nullptr);
        delete viewer;
    });
    fixture = &f;
    f.addRow(f.gif("one.gif", {10, 10}, 2));
    f.addRow(f.gif("two.gif", {20, 20}, 3));
    f.playList->setClickedRow(f.FileList->topLevelItem(0));
    f.viewer->showClickedRow();
    QVERIFY(f.viewer == nullptr);
    QVERIFY(f.FileList->isHidden());
    QCOMPARE(f.display->FrameCount(), qint16(0));
}

QTEST_MAIN(tst_viewer_AnimationViewer)
#include "tst_viewer_AnimationViewer.moc"
