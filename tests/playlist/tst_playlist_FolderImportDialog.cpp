#include "AnimationList.h"
#include "FileListRows.h"
#include "FolderImportDialog.h"
#include "FolderTreeModel.h"
#include "ListFile.h"
#include "PlayList.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

using Added = QList<std::pair<QString, QString>>; // caption, full path

namespace {

bool makeFile(const QString &path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

template <typename T> T *child(const QDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

} // namespace

class tst_playlist_FolderImportDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layout();
    void tabOrder();
    void currentFolderInView();
    void naturalOrder();
    void closing_data();
    void closing();
    void enterAndEscapeDoNothing();
    void openingAFolderNotHighlighting();
    void choosingADrive();
    void rootFolderGivesDoubleSeparator();
    void addFolderFromTheList();
    void systemFoldersDoNotBlock();

private:
    std::unique_ptr<FolderImportDialog> makeDialog(const QStringList &drives = {});
    void show(FolderImportDialog &dialog);

    QString m_startFolder;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_pics;
    Added m_added;
};

void tst_playlist_FolderImportDialog::initTestCase()
{
    m_startFolder = QDir::currentPath();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// pics/ holds GIFs in mixed case, other files, a hidden GIF, a folder named like a GIF, and the
// subfolders sub/ (one GIF) and empty/.
void tst_playlist_FolderImportDialog::init()
{
    m_added.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_pics = m_dir->filePath(QStringLiteral("drive/pics"));
    QVERIFY(QDir().mkpath(m_pics + QStringLiteral("/sub")));
    QVERIFY(QDir().mkpath(m_pics + QStringLiteral("/empty")));
    QVERIFY(QDir().mkpath(m_pics + QStringLiteral("/folder.gif")));
    const std::pair<const char *, qint64> files[] = {
        {"b.gif", 10},    {"A.GIF", 1024},        {"c.Gif", 500},     {"Кот.gif", 12000},
        {"note.txt", 1},  {"x.png", 1},           {".hidden.gif", 1}, {"z.gif.bak", 1},
        {"sub/s.gif", 7}, {"empty/readme.txt", 1}};
    for (const auto &[name, size] : files)
        QVERIFY(makeFile(m_pics + u'/' + QString::fromUtf8(name), size));
    QVERIFY(QDir::setCurrent(m_pics));
}

void tst_playlist_FolderImportDialog::cleanup()
{
    QDir::setCurrent(m_startFolder);
}

std::unique_ptr<FolderImportDialog>
tst_playlist_FolderImportDialog::makeDialog(const QStringList &drives)
{
    return std::make_unique<FolderImportDialog>(
        [this](const QString &caption, const QString &path) {
            m_added.append({caption, path});
        },
        drives);
}

void tst_playlist_FolderImportDialog::show(FolderImportDialog &dialog)
{
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

// A fixed-size modal window of its own, with a close box only, its controls side by side in it.
// (The buttons' places are used by a click in the program's end-to-end test.)
void tst_playlist_FolderImportDialog::layout()
{
    const auto dialog = makeDialog();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Folder..."));
    QCOMPARE(dialog->minimumSize(), QSize(322, 208));
    QCOMPARE(dialog->maximumSize(), QSize(322, 208));
    QVERIFY(dialog->isModal());
    QVERIFY(!dialog->parentWidget());
    const Qt::WindowFlags flags = dialog->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(child<QPushButton>(*dialog, "Command1")->text(), QStringLiteral("&Select"));
    QCOMPARE(child<QPushButton>(*dialog, "Command2")->text(), QStringLiteral("&Cancel"));

    const char *names[] = {"Drive1", "Dir1", "File1", "Command1", "Command2"};
    for (const char *name : names) {
        const QWidget *widget = child<QWidget>(*dialog, name);
        QVERIFY2(widget && dialog->rect().contains(widget->geometry()), name);
        for (const char *other : names) {
            QVERIFY2(name == other ||
                         !widget->geometry().intersects(child<QWidget>(*dialog, other)->geometry()),
                     qPrintable(QStringLiteral("%1 over %2").arg(name, other)));
        }
    }
}

void tst_playlist_FolderImportDialog::tabOrder()
{
    const auto dialog = makeDialog();
    show(*dialog);
    QWidget *first = child<QWidget>(*dialog, "Dir1");
    first->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), first);
    QStringList order{first->objectName()};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"Dir1", "Command1", "Command2", "Drive1", "File1", "Dir1"}));
}

// Forty folders sort before pics/ on its drive: the tree, filled in the background, still shows
// pics/ highlighted once it has read them.
void tst_playlist_FolderImportDialog::currentFolderInView()
{
    const QString drive = m_dir->filePath(QStringLiteral("drive"));
    for (int i = 0; i < 40; ++i)
        QVERIFY(QDir(drive).mkdir(QStringLiteral("a%1").arg(i)));
    const auto dialog = makeDialog({drive});
    show(*dialog);
    auto *dir1 = child<QTreeView>(*dialog, "Dir1");
    auto *folders = qobject_cast<FolderTreeModel *>(dir1->model());
    const QPersistentModelIndex pics = folders->index(m_pics);
    QTRY_COMPARE(pics.row(), 40);
    QTRY_VERIFY(dir1->viewport()->rect().contains(dir1->visualRect(pics)));
    QCOMPARE(QPersistentModelIndex(dir1->currentIndex()), pics);
    QVERIFY(dir1->selectionModel()->isSelected(pics));
}

// File1 and "&Select" take numbers by their value and letters without regard to case. A name
// holding a CR, which the list file cannot keep, is not listed; one holding an LF is.
void tst_playlist_FolderImportDialog::naturalOrder()
{
    const QString folder = m_pics + QStringLiteral("/sub");
    for (const char *name : {"10.gif", "2.gif", "1.gif", "b10.GIF", "B2.gif", "a.gif", "02.gif",
                             "cr\r.gif", "lf\n.gif"})
        QVERIFY(makeFile(folder + u'/' + QLatin1String(name), 1));
    QVERIFY(QDir::setCurrent(folder));
    const QStringList expected{"1.gif",  "02.gif",  "2.gif",    "10.gif", "a.gif",
                               "B2.gif", "b10.GIF", "lf\n.gif", "s.gif"};
    const auto dialog = makeDialog();
    QCOMPARE(dialog->fileNames(), expected);
    show(*dialog);
    QTest::mouseClick(child<QPushButton>(*dialog, "Command1"), Qt::LeftButton);
    QStringList added;
    for (const auto &[caption, path] : std::as_const(m_added))
        added << QFileInfo(path).fileName();
    QCOMPARE(added, expected);
}

// All three lists start at the current folder; File1 lists its GIFs, whatever the case of
// their extension. "&Select" adds them in that order and closes; "&Cancel" and the close box
// close without adding anything.
void tst_playlist_FolderImportDialog::closing_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<int>("result");
    QTest::addColumn<Added>("added");
    QTest::newRow("&Select") << "Command1" << int(QDialog::Accepted)
                             << Added{{"A", "@/A.GIF"},
                                      {"b", "@/b.gif"},
                                      {"c", "@/c.Gif"},
                                      {"Кот", "@/Кот.gif"}};
    QTest::newRow("&Cancel") << "Command2" << int(QDialog::Rejected) << Added{};
    QTest::newRow("close box") << "" << int(QDialog::Rejected) << Added{};
}

void tst_playlist_FolderImportDialog::closing()
{
    QFETCH(QString, by);
    QFETCH(int, result);
    QFETCH(Added, added);
    const auto dialog = makeDialog();
    QCOMPARE(dialog->drive(), QStorageInfo(m_pics).rootPath());
    QCOMPARE(dialog->folderPath(), m_pics);
    QCOMPARE(dialog->filePath(), m_pics);
    QCOMPARE(dialog->fileNames(), (QStringList{"A.GIF", "b.gif", "c.Gif", "Кот.gif"}));
    QCOMPARE(child<QListWidget>(*dialog, "File1")->count(), 4);
    show(*dialog);
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    if (by.isEmpty())
        QVERIFY(dialog->close());
    else
        QTest::mouseClick(child<QPushButton>(*dialog, qPrintable(by)), Qt::LeftButton);

    for (auto &[caption, path] : added)
        path.replace(u'@', m_pics);
    QCOMPARE(m_added, added);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), result);
    QVERIFY(!dialog->isVisible());
}

void tst_playlist_FolderImportDialog::enterAndEscapeDoNothing()
{
    const auto dialog = makeDialog();
    show(*dialog);
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    for (const char *name : {"Command1", "Command2", "Dir1", "Drive1", "File1"}) {
        QWidget *widget = child<QWidget>(*dialog, name);
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(widget, key);
        QVERIFY2(dialog->isVisible(), name);
    }
    QCOMPARE(finished.count(), 0);
    QVERIFY(m_added.isEmpty());
}

void tst_playlist_FolderImportDialog::openingAFolderNotHighlighting()
{
    const auto dialog = makeDialog();
    show(*dialog);
    auto *dir1 = child<QTreeView>(*dialog, "Dir1");
    auto *folders = qobject_cast<FolderTreeModel *>(dir1->model());
    QVERIFY(folders);
    // Rows move while the model sorts what it has read, so keep persistent indexes.
    const QPersistentModelIndex sub = folders->index(m_pics + QStringLiteral("/sub"));
    const QPersistentModelIndex empty = folders->index(m_pics + QStringLiteral("/empty"));
    QTRY_VERIFY(dir1->visualRect(sub).isValid() && dir1->visualRect(empty).isValid());
    QCOMPARE(folders->data(folders->index(m_pics), Qt::FontRole).value<QFont>().bold(), true);

    // Highlighting a folder does not open it.
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, dir1->visualRect(empty).center());
    QCOMPARE(QPersistentModelIndex(dir1->currentIndex()), empty);
    QCOMPARE(dialog->folderPath(), m_pics);
    QCOMPARE(dialog->fileNames().size(), 4);

    // Double-clicking opens it: the file list follows.
    const QPoint at = dir1->viewport()->mapTo(dialog.get(), dir1->visualRect(sub).center());
    QTest::mouseDClick(dialog->windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(dialog->folderPath(), m_pics + QStringLiteral("/sub"));
    QCOMPARE(dialog->filePath(), m_pics + QStringLiteral("/sub"));
    QCOMPARE(dialog->fileNames(), QStringList{"s.gif"});
    QVERIFY(folders->data(sub, Qt::FontRole).value<QFont>().bold());
    QVERIFY(!folders->data(folders->index(m_pics), Qt::FontRole).value<QFont>().bold());

    // So does Enter on a highlighted folder.
    dir1->setCurrentIndex(empty);
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(dialog->folderPath(), m_pics + QStringLiteral("/empty"));
    QVERIFY(dialog->fileNames().isEmpty());
    QVERIFY(dialog->isVisible());

    dir1->setCurrentIndex(sub);
    QTest::keyClick(dir1, Qt::Key_Return);
    QTest::mouseClick(child<QPushButton>(*dialog, "Command1"), Qt::LeftButton);
    QCOMPARE(m_added, (Added{{"s", m_pics + "/sub/s.gif"}}));
}

// Temporary folders stand in for drives; the current folder lies on the first.
void tst_playlist_FolderImportDialog::choosingADrive()
{
    const QString driveA = m_dir->filePath(QStringLiteral("drive"));
    const QString driveB = m_dir->filePath(QStringLiteral("other"));
    const QString gone = m_dir->filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkpath(driveB + QStringLiteral("/deeper")));
    QVERIFY(makeFile(driveB + QStringLiteral("/top.gif"), 3));
    const auto dialog = makeDialog({driveA, driveB, gone});
    auto *drive1 = child<QComboBox>(*dialog, "Drive1");
    QCOMPARE(drive1->count(), 3);
    QCOMPARE(dialog->drive(), driveA);
    QCOMPARE(dialog->folderPath(), m_pics);

    // Another drive opens at its root: the current folder is not on it.
    drive1->setCurrentIndex(1);
    QCOMPARE(dialog->drive(), driveB);
    QCOMPARE(dialog->folderPath(), driveB);
    QCOMPARE(dialog->filePath(), driveB);
    QCOMPARE(dialog->fileNames(), QStringList{"top.gif"});

    // A drive that cannot be read is not taken.
    drive1->setCurrentIndex(2);
    QCOMPARE(drive1->currentIndex(), 1);
    QCOMPARE(dialog->folderPath(), driveB);

    // Back on the first drive, its current folder is the process's current folder.
    drive1->setCurrentIndex(0);
    QCOMPARE(dialog->folderPath(), m_pics);
    drive1->setCurrentIndex(1);
    show(*dialog);
    QTest::mouseClick(child<QPushButton>(*dialog, "Command1"), Qt::LeftButton);
    QCOMPARE(m_added, (Added{{"top", driveB + "/top.gif"}}));
}

void tst_playlist_FolderImportDialog::rootFolderGivesDoubleSeparator()
{
    QTemporaryFile atRoot(QStringLiteral("/qx-import-test-XXXXXX.gif"));
    if (!atRoot.open() || atRoot.write("GIF89a") != 6 || !atRoot.flush())
        QSKIP("cannot create a file in the root folder");
    const QString name = QFileInfo(atRoot.fileName()).fileName();
    QVERIFY(QDir::setCurrent(QStringLiteral("/")));

    QTreeWidget list;
    FileListRows::applyLook(&list);
    FolderImportDialog dialog([&list](const QString &caption, const QString &path) {
        FileListRows::addListRow(&list, caption, path);
    });
    QCOMPARE(dialog.filePath(), QStringLiteral("/"));
    QTest::mouseClick(child<QPushButton>(dialog, "Command1"), Qt::LeftButton);

    const QList<QTreeWidgetItem *> rows =
        list.findItems(name.chopped(4), Qt::MatchExactly, FileListRows::CaptionColumn);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(FileListRows::rowData(rows.first()),
             (ListRow{name.chopped(4), "0.006 kb", QStringLiteral("//") + name}));
}

void tst_playlist_FolderImportDialog::addFolderFromTheList()
{
    QTreeWidget fileList;
    FileListRows::applyLook(&fileList);
    fileList.hide();
    AnimationList::Controls controls;
    PlayList playList(&fileList);
    controls.playList = &playList;
    AnimationList list(controls, ListFileLocation(m_dir->path(), m_dir->path()));
    int runs = 0;
    bool select = true;
    list.setFolderDialogRunner([&](FolderImportDialog &dialog) {
        ++runs;
        QVERIFY(dialog.isModal());
        dialog.show();
        QTest::mouseClick(child<QPushButton>(dialog, select ? "Command1" : "Command2"),
                          Qt::LeftButton);
    });
    QSignalSpy closed(&list, &AnimationList::folderDialogClosed);

    list.addFolder(); // list hidden: nothing opens
    QCOMPARE(runs, 0);
    QCOMPARE(closed.count(), 0);

    fileList.show();
    list.addFolder();
    list.addFolder();
    select = false;
    list.addFolder();
    QCOMPARE(runs, 3);
    QCOMPARE(closed.count(), 3);

    QStringList rows;
    for (int n = 1; n <= FileListRows::rowCount(&fileList); ++n) {
        const ListRow row = FileListRows::rowData(FileListRows::row(&fileList, n));
        rows << row.caption + u'|' + row.sizeText + u'|' + row.fullPath;
    }
    const QStringList once{"A|1.024 kb|" + m_pics + "/A.GIF", "b|0.01 kb|" + m_pics + "/b.gif",
                           "c|0.5 kb|" + m_pics + "/c.Gif", "Кот|12 kb|" + m_pics + "/Кот.gif"};
    QCOMPARE(rows, once + once);
    // The list file holds the imported rows as soon as the dialog has closed.
    const ListFile::Contents saved =
        ListFile::read(m_dir->filePath(QStringLiteral("filelist.inf")));
    QCOMPARE(saved.lines, FileListRows::fileLines(&fileList));
}

// Files under /proc and /dev block or misbehave when read; listing their folders must not read
// them.
void tst_playlist_FolderImportDialog::systemFoldersDoNotBlock()
{
    if (!QFileInfo(QStringLiteral("/proc/self")).exists())
        QSKIP("no /proc here");
    QVERIFY(QDir::setCurrent(QStringLiteral("/proc")));
    const auto dialog = makeDialog();
    show(*dialog);
    auto *dir1 = child<QTreeView>(*dialog, "Dir1");
    for (const char *folder : {"/proc/self", "/dev", "/proc"}) {
        const QModelIndex index =
            qobject_cast<FolderTreeModel *>(dir1->model())->index(QString::fromLatin1(folder));
        QVERIFY(index.isValid());
        dir1->setCurrentIndex(index);
        QTest::keyClick(dir1, Qt::Key_Return);
        QCOMPARE(dialog->folderPath(), QString::fromLatin1(folder));
        QTest::qWait(200);
    }
    QVERIFY(dialog->fileNames().isEmpty());
    QTest::mouseClick(child<QPushButton>(*dialog, "Command2"), Qt::LeftButton);
    QVERIFY(m_added.isEmpty());
}

QTEST_MAIN(tst_playlist_FolderImportDialog)
#include "tst_playlist_FolderImportDialog.moc"
