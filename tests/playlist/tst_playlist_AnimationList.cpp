#include "AnimationList.h"
#include "FileBytes.h"
#include "FileListRows.h"
#include "ListFile.h"
#include "PlayList.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

using Rows = QList<ListRow>;
using Numbers = QList<int>;

char *toString(const ListRow &row)
{
    return QTest::toString(
        QStringLiteral("{%1 | %2 | %3}").arg(row.caption, row.sizeText, row.fullPath));
}

namespace {

// The main window's part of the deal: a frame with the list, the display and a label, plus a
// line edit that holds the focus before any list command.
struct StandIn
{
    explicit StandIn(const QString &folder)
    {
        auto *layout = new QVBoxLayout(&window);
        fileList = new QTreeWidget;
        FileListRows::applyLook(fileList);
        display = new QWidget;
        lblAnim = new QLabel(QStringLiteral("Anim:"));
        other = new QLineEdit;
        for (QWidget *w : {static_cast<QWidget *>(fileList), display,
                           static_cast<QWidget *>(lblAnim), static_cast<QWidget *>(other)})
            layout->addWidget(w);
        fileList->hide();
        display->hide();

        playList = new PlayList(fileList, &window);
        AnimationList::Controls controls;
        controls.playList = playList;
        controls.lblAnim = lblAnim;
        controls.setDisplayVisible = [this](bool visible) {
            display->setVisible(visible);
            events << (visible ? QStringLiteral("show display") : QStringLiteral("hide display"));
        };
        controls.letMessagesRun = [this] {
            events << QStringLiteral("messages, list %1, file %2")
                          .arg(fileList->isHidden() ? "hidden" : "shown",
                               QFileInfo::exists(listPath) ? "present" : "absent");
            QCoreApplication::processEvents();
        };
        listPath = folder + QStringLiteral("/filelist.inf");
        list = std::make_unique<AnimationList>(controls, ListFileLocation(folder, folder));
    }

    void showWindow()
    {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
    }

    // A click on row `number`, as the list view reports it.
    void click(int number)
    {
        QTreeWidgetItem *row = FileListRows::row(fileList, number);
        emit fileList->itemClicked(row, 0);
        list->rowClicked(row);
    }

    Rows rows() const
    {
        Rows result;
        for (int n = 1; n <= FileListRows::rowCount(fileList); ++n)
            result << FileListRows::rowData(FileListRows::row(fileList, n));
        return result;
    }

    QStringList captions() const
    {
        QStringList result;
        for (const ListRow &row : rows())
            result << row.caption;
        return result;
    }

    // Rows named from `captionPattern` with their numbers, all of one path, as the list allows
    // duplicates: rows are told apart by their captions only.
    void addRows(int count, const QString &captionPattern = QStringLiteral("%1"))
    {
        for (int n = 1; n <= count; ++n)
            FileListRows::addListRow(fileList, captionPattern.arg(n),
                                     QStringLiteral("/g/same.gif"));
    }

    void select(const Numbers &numbers)
    {
        for (int n : numbers)
            FileListRows::row(fileList, n)->setSelected(true);
    }

    QWidget window;
    QTreeWidget *fileList = nullptr;
    PlayList *playList = nullptr;
    QWidget *display = nullptr;
    QLabel *lblAnim = nullptr;
    QLineEdit *other = nullptr;
    QStringList events;
    QString listPath;
    std::unique_ptr<AnimationList> list;
};

} // namespace

class tst_playlist_AnimationList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void loadsRows_data();
    void loadsRows();
    void loadThenSaveKeepsPaths_data();
    void loadThenSaveKeepsPaths();
    void unreadableListFileIsNotEmptied();

    void toggleWritesOnEveryHide();
    void copiesShareTheListFile();
    void rowClick();

    void removeSelected_data();
    void removeSelected();
    void removeMixedSelections();
    void removeKeepsClickedAndCurrentRows();
    void selectAndUnselectAll();
    void commandsDoNothingWhileListHidden();

private:
    QString gif(const QString &name, qint64 size);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_gifs;
};

void tst_playlist_AnimationList::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void tst_playlist_AnimationList::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_gifs = m_dir->filePath(QStringLiteral("gif"));
    QVERIFY(QDir().mkdir(m_gifs));
}

QString tst_playlist_AnimationList::gif(const QString &name, qint64 size)
{
    const QString path = m_gifs + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return {};
    return path;
}

void tst_playlist_AnimationList::loadsRows_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<Rows>("rows");

    // Paths are relative to the folder of test GIFs, written as "@/".
    QTest::newRow("zero bytes") << QByteArray() << Rows{};
    QTest::newRow("two rows") << QByteArray("@/cat.gif\r\n@/a.gif\r\n")
                              << Rows{{"cat", "0.5 kb", "@/cat.gif"}, {"a", "1.024 kb", "@/a.gif"}};
    QTest::newRow("duplicates and no last line end") << QByteArray("@/a.gif\r\n@/a.gif\r@/a.gif")
                                                     << Rows{{"a", "1.024 kb", "@/a.gif"},
                                                             {"a", "1.024 kb", "@/a.gif"},
                                                             {"a", "1.024 kb", "@/a.gif"}};
    QTest::newRow("missing file keeps its row")
        << QByteArray("@/gone.gif\r\n@/cat.gif\r\n")
        << Rows{{"gone", "", "@/gone.gif"}, {"cat", "0.5 kb", "@/cat.gif"}};
    QTest::newRow("short name") << QByteArray("@/ab\r\n") << Rows{{"", "0.005 kb", "@/ab"}};
    QTest::newRow("folder has no size") << QByteArray("@\r\n") << Rows{{"", "", "@"}};
    QTest::newRow("non-ASCII name")
        << QByteArray("@/\xD0\x9A\xD0\xBE\xD1\x88\xD0\xBA\xD0\xB0.gif\r\n")
        << Rows{{"Кошка", "12 kb", "@/Кошка.gif"}};
    QTest::newRow("lone LF stays in the path")
        << QByteArray("@/cat.gif\n\r\n") << Rows{{"cat.", "", "@/cat.gif\n"}};
}

void tst_playlist_AnimationList::loadsRows()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(Rows, rows);
    gif(QStringLiteral("cat.gif"), 500);
    gif(QStringLiteral("a.gif"), 1024);
    gif(QStringLiteral("Кошка.gif"), 12000);
    gif(QStringLiteral("ab"), 5);

    StandIn main(m_dir->path());
    QVERIFY(FileBytes::write(main.listPath, fileBytes.replace("@", m_gifs.toUtf8())));
    QAbstractItemModelTester tester(main.fileList->model());
    main.list->loadList();

    for (ListRow &row : rows)
        row.fullPath.replace(u'@', m_gifs);
    QCOMPARE(main.rows(), rows);
    QVERIFY(main.fileList->isHidden());
    QCOMPARE(FileBytes::read(main.listPath), fileBytes);
}

// The line-end cases are the codec's; here the rows must give back what was read, with a line
// end after a last line that had none.
void tst_playlist_AnimationList::loadThenSaveKeepsPaths_data()
{
    QTest::addColumn<QByteArray>("fileBytes");

    QTest::newRow("order and duplicates") << QByteArray("/g/b.gif\r\n/g/a.gif\r\n/g/b.gif\r\n");
    QTest::newRow("lone LF kept, last line end added") << QByteArray("/g/a\nb.gif\r\n/g/c.gif");
    QTest::newRow("UTF-8 name") << QByteArray("/\xD0\xB3/\xE7\x8C\xAB.gif\r\n");
    QTest::newRow("bytes that are not UTF-8") << QByteArray("/g/caf\xE9.gif\r\n/g/\xFF\r\n");
    // Hostile files: every byte comes back, and nothing about them stops the list from loading.
    QTest::newRow("NUL bytes") << QByteArray("/g/a\0b.gif\r\n\0\r\n/g/c.gif\r\n", 25);
    QTest::newRow("a line of 1 MB") << "/g/" + QByteArray(1 << 20, 'x') + ".gif\r\n/g/b.gif\r\n";
    QByteArray manyLines;
    for (int i = 0; i < 100000; ++i)
        manyLines += "/g/" + QByteArray::number(i) + ".gif\r\n";
    QTest::newRow("100,000 lines") << manyLines;
}

void tst_playlist_AnimationList::loadThenSaveKeepsPaths()
{
    QFETCH(QByteArray, fileBytes);
    StandIn main(m_dir->path());
    QVERIFY(FileBytes::write(main.listPath, fileBytes));
    main.list->loadList();
    QVERIFY(main.list->saveList());
    QCOMPARE(FileBytes::read(main.listPath),
             fileBytes.endsWith("\r\n") ? fileBytes : fileBytes + "\r\n");
}

// A file too large to be a list stands for any file that cannot be read.
void tst_playlist_AnimationList::unreadableListFileIsNotEmptied()
{
    StandIn main(m_dir->path());
    {
        QFile big(main.listPath);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.write("/g/a.gif\r\n") > 0);
        QVERIFY(big.resize(ListFile::maxSize + 1));
    }
    main.list->loadList();
    QCOMPARE(FileListRows::rowCount(main.fileList), 0);

    main.list->toggleList();
    main.list->toggleList();
    QVERIFY(!main.list->saveList());
    QCOMPARE(QFileInfo(main.listPath).size(), ListFile::maxSize + 1);
    QCOMPARE(FileBytes::read(main.listPath).left(10), QByteArray("/g/a.gif\r\n"));

    // A list the user has built since is saved.
    FileListRows::addListRow(main.fileList, QStringLiteral("b"), QStringLiteral("/g/b.gif"));
    QVERIFY(main.list->saveList());
    QCOMPARE(FileBytes::read(main.listPath), QByteArray("/g/b.gif\r\n"));
}

// With no list file yet the list is empty. Showing the list writes nothing; hiding it shows the
// display and then writes the list, each time, whether or not the rows have changed.
void tst_playlist_AnimationList::toggleWritesOnEveryHide()
{
    StandIn main(m_dir->path());
    main.list->loadList();
    QCOMPARE(FileListRows::rowCount(main.fileList), 0);
    for (const char *written : {"", "/g/b.gif\r\n", "/g/b.gif\r\n"}) {
        main.events.clear();
        main.list->toggleList();
        QCOMPARE(main.events, (QStringList{"hide display", "messages, list hidden, file absent"}));
        QVERIFY(main.list->isListShown());
        QVERIFY(main.display->isHidden());

        main.events.clear();
        main.list->toggleList();
        QCOMPARE(main.events, (QStringList{"messages, list hidden, file absent", "show display",
                                           "messages, list hidden, file absent"}));
        QVERIFY(!main.list->isListShown());
        QVERIFY(!main.display->isHidden());
        QCOMPARE(FileBytes::read(main.listPath), QByteArray(written));

        QVERIFY(QFile::remove(main.listPath));
        if (FileListRows::rowCount(main.fileList) == 0)
            FileListRows::addListRow(main.fileList, QStringLiteral("b"),
                                     QStringLiteral("/g/b.gif"));
    }
}

// Two copies of the program on one list file. Each takes in what the other wrote: when it shows
// its list, when the file changes while the list shows, and when it writes before it has noticed.
// Its selected and current rows stay. Both follow a file written in place, too.
void tst_playlist_AnimationList::copiesShareTheListFile()
{
    QVERIFY(FileBytes::write(m_dir->filePath(QStringLiteral("filelist.inf")),
                             "/g/a.gif\r\n/g/b.gif\r\n"));
    StandIn one(m_dir->path());
    StandIn two(m_dir->path());
    one.list->loadList();
    one.list->toggleList();
    two.list->loadList();
    const auto append = [&one](const char *name) {
        FileListRows::addListRow(one.fileList, QString::fromLatin1(name),
                                 QStringLiteral("/g/%1.gif").arg(QLatin1StringView(name)));
        QVERIFY(one.list->saveChangedList());
    };
    two.select({2});
    two.fileList->setCurrentItem(FileListRows::row(two.fileList, 2), 0,
                                 QItemSelectionModel::NoUpdate);

    append("c");
    two.list->toggleList(); // shows its list
    QCOMPARE(two.captions(), (QStringList{"a", "b", "c"}));
    QCOMPARE(two.fileList->selectedItems(), QList{FileListRows::row(two.fileList, 2)});
    QCOMPARE(two.fileList->currentItem(), FileListRows::row(two.fileList, 2));

    append("d");
    two.list->removeSelected(); // before it has noticed d
    const QStringList both{"a", "c", "d"};
    QCOMPARE(two.captions(), both);
    QTRY_COMPARE(one.captions(), both);

    append("e");
    two.list->toggleList(); // the list button saves on every hide
    QCOMPARE(ListFile::read(two.listPath).lines,
             (QList<QByteArray>{"/g/a.gif", "/g/c.gif", "/g/d.gif", "/g/e.gif"}));

    // An editor that writes the file in place.
    QVERIFY(FileBytes::write(two.listPath, "/g/f.gif\r\n"));
    for (StandIn *copy : {&one, &two})
        QTRY_COMPARE(copy->captions(), QStringList{"f"});
}

void tst_playlist_AnimationList::rowClick()
{
    const QString cat = gif(QStringLiteral("cat.gif"), 500);
    StandIn main(m_dir->path());
    QVERIFY(FileBytes::write(main.listPath, (m_gifs + "/a.gif\r\n" + cat + "\r\n").toUtf8()));
    main.list->loadList();
    QObject::connect(main.fileList, &QTreeWidget::itemClicked, main.list.get(),
                     &AnimationList::rowClicked);
    main.list->toggleList();
    main.showWindow();
    QCOMPARE(main.playList->clickedRowNumber(), 0);

    QSignalSpy clicks(main.fileList, &QTreeWidget::itemClicked);
    QTreeWidgetItem *second = FileListRows::row(main.fileList, 2);
    QTest::mouseClick(main.fileList->viewport(), Qt::LeftButton, {},
                      main.fileList->visualItemRect(second).center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(main.lblAnim->text(), QStringLiteral("anim: cat"));
    QCOMPARE(main.playList->clickedRowNumber(), 2);
    QCOMPARE(FileBytes::read(main.listPath), (m_gifs + "/a.gif\r\n" + cat + "\r\n").toUtf8());
    QVERIFY(main.list->isListShown());
    QVERIFY(main.display->isHidden());
}

void tst_playlist_AnimationList::removeSelected_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<Numbers>("selected");
    QTest::addColumn<Numbers>("remaining");

    QTest::newRow("empty list") << 0 << Numbers{} << Numbers{};
    QTest::newRow("nothing selected") << 5 << Numbers{} << Numbers{1, 2, 3, 4, 5};
    QTest::newRow("rows 2 and 4 of five") << 5 << Numbers{2, 4} << Numbers{1, 3, 5};
    QTest::newRow("every row") << 5 << Numbers{1, 2, 3, 4, 5} << Numbers{};
    QTest::newRow("first") << 3 << Numbers{1} << Numbers{2, 3};
    QTest::newRow("last") << 3 << Numbers{3} << Numbers{1, 2};
    QTest::newRow("runs") << 9 << Numbers{1, 2, 5, 6, 7} << Numbers{3, 4, 8, 9};
    QTest::newRow("single row list") << 1 << Numbers{1} << Numbers{};
}

void tst_playlist_AnimationList::removeSelected()
{
    QFETCH(int, count);
    QFETCH(Numbers, selected);
    QFETCH(Numbers, remaining);

    StandIn main(m_dir->path());
    main.addRows(count);
    main.list->toggleList();
    main.select(selected);
    QAbstractItemModelTester tester(main.fileList->model());
    main.list->removeSelected();

    QStringList expected;
    for (int n : remaining)
        expected << QString::number(n);
    QCOMPARE(main.captions(), expected);
    QVERIFY(main.fileList->selectedItems().isEmpty());
    // What is removed is gone from the list file at once; with nothing removed it is not written.
    if (selected.isEmpty())
        QVERIFY(!QFileInfo::exists(main.listPath));
    else
        QCOMPARE(ListFile::read(main.listPath).lines,
                 QList<QByteArray>(remaining.size(), "/g/same.gif"));
}

// Selections made of many overlapping and toggled ranges, as ctrl- and shift-clicks leave them.
void tst_playlist_AnimationList::removeMixedSelections()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 25; ++round) {
        const QTemporaryDir folder; // a list file of its own: the rows are all of one path
        StandIn main(folder.path());
        const int count = 1 + int(random.bounded(60));
        main.addRows(count);
        main.list->toggleList();
        QItemSelectionModel *selection = main.fileList->selectionModel();
        for (int step = 0, steps = int(random.bounded(8)); step < steps; ++step) {
            const int top = int(random.bounded(count));
            const int bottom = top + int(random.bounded(count - top));
            const QItemSelection range(main.fileList->model()->index(top, 0),
                                       main.fileList->model()->index(bottom, 1));
            selection->select(range, random.bounded(2) ? QItemSelectionModel::Toggle
                                                       : QItemSelectionModel::Select);
        }
        QStringList unselected;
        for (int n = 1; n <= count; ++n) {
            if (!FileListRows::row(main.fileList, n)->isSelected())
                unselected << QString::number(n);
        }

        main.list->removeSelected();
        QCOMPARE(main.captions(), unselected);
    }
}

// The clicked row and the current row stay with their rows as rows before them go. A removed
// current row hands over to the row that followed it; a removed clicked row leaves none, and the
// label keeps its text.
void tst_playlist_AnimationList::removeKeepsClickedAndCurrentRows()
{
    StandIn main(m_dir->path());
    main.addRows(6, QStringLiteral("row%1"));
    main.list->toggleList();

    main.click(5);
    main.fileList->setCurrentItem(FileListRows::row(main.fileList, 5), FileListRows::CaptionColumn,
                                  QItemSelectionModel::NoUpdate);
    main.select({2, 4});
    main.list->removeSelected();
    QCOMPARE(main.playList->clickedRowNumber(), 3);
    QCOMPARE(main.fileList->currentItem()->text(0), QStringLiteral("row5"));

    main.click(2);
    QCOMPARE(main.lblAnim->text(), QStringLiteral("anim: row3"));
    main.select({2, 3});
    main.list->removeSelected();
    QCOMPARE(main.captions(), (QStringList{"row1", "row6"}));
    QCOMPARE(main.playList->clickedRowNumber(), 0);
    QCOMPARE(main.lblAnim->text(), QStringLiteral("anim: row3"));
    QCOMPARE(main.fileList->currentItem()->text(0), QStringLiteral("row6"));
    QVERIFY(main.fileList->selectedItems().isEmpty());
}

void tst_playlist_AnimationList::selectAndUnselectAll()
{
    StandIn main(m_dir->path());
    main.addRows(4);
    main.list->toggleList();
    main.showWindow();

    QSignalSpy selectionChanges(main.fileList, &QTreeWidget::itemSelectionChanged);
    main.list->selectAll();
    QTRY_VERIFY(main.fileList->hasFocus());
    QCOMPARE(main.fileList->selectedItems().size(), 4);
    QCOMPARE(selectionChanges.count(), 1);

    main.list->unselectAll();
    QVERIFY(main.fileList->selectedItems().isEmpty());
    QVERIFY(main.fileList->hasFocus());

    // Unselecting does not take the focus from elsewhere.
    main.select({2});
    main.other->setFocus();
    QTRY_VERIFY(main.other->hasFocus());
    main.list->unselectAll();
    QVERIFY(main.fileList->selectedItems().isEmpty());
    QVERIFY(main.other->hasFocus());

    // Select all, then remove: the list ends empty, and so does the list file.
    main.list->selectAll();
    main.list->removeSelected();
    QCOMPARE(FileListRows::rowCount(main.fileList), 0);
    QVERIFY(ListFile::read(main.listPath).lines.isEmpty());
}

void tst_playlist_AnimationList::commandsDoNothingWhileListHidden()
{
    StandIn main(m_dir->path());
    main.addRows(3);
    main.showWindow();
    main.select({1, 3});
    QVERIFY(!main.list->isListShown());

    main.list->removeSelected();
    main.list->selectAll();
    QCOMPARE(main.captions(), (QStringList{"1", "2", "3"}));
    QVERIFY(!FileListRows::row(main.fileList, 2)->isSelected());
    QVERIFY(main.other->hasFocus());
    main.list->unselectAll();
    QVERIFY(FileListRows::row(main.fileList, 1)->isSelected());
    QVERIFY(FileListRows::row(main.fileList, 3)->isSelected());
    QVERIFY(main.other->hasFocus());
}

QTEST_MAIN(tst_playlist_AnimationList)
#include "tst_playlist_AnimationList.moc"
