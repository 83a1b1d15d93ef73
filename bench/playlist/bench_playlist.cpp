// Times the animation list on a list of 100,000 rows naming files that exist: loading the list
// file, saving it, selecting and removing every row, removing every other row, and importing a
// folder of GIFs. Run it by hand; it prints one line per figure.
#include "AnimationList.h"
#include "FileListRows.h"
#include "FolderImportDialog.h"
#include "ListFileCodec.h"
#include "PlayList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

constexpr int rowCount = 100000;

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void report(const char *what, double ms)
{
    std::printf("%-46s %9.1f ms\n", what, ms);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    const QString gifs = dir.filePath(QStringLiteral("gifs"));
    QDir().mkpath(gifs);
    QList<QByteArray> lines;
    lines.reserve(rowCount);
    const double made = timeMs([&] {
        for (int i = 0; i < rowCount; ++i) {
            const QString path =
                gifs + QStringLiteral("/анимация %1.gif").arg(i, 6, 10, QChar(u'0'));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(i % 5000, 'G')) < 0)
                return;
            lines.append(ListFileCodec::encodePath(path));
        }
    });
    std::printf("%d rows, files in %s\n", rowCount, qPrintable(gifs));
    report("(making the files)", made);
    ::sync(); // so that writing them back does not weigh on the figures below
    const auto writeListFile = [&] {
        QFile list(dir.filePath(QStringLiteral("filelist.inf")));
        return list.open(QIODevice::WriteOnly) && list.write(ListFileCodec::joinLines(lines)) >= 0;
    };
    if (!writeListFile())
        return 1;

    QWidget window;
    window.resize(486, 324);
    auto *fileList = new QTreeWidget(&window);
    fileList->setGeometry(0, 0, 484, 322);
    FileListRows::applyLook(fileList);
    fileList->hide();
    window.show();

    AnimationList::Controls controls;
    PlayList playList(fileList);
    controls.playList = &playList;
    AnimationList list(controls, ListFileLocation(dir.path(), dir.path()));

    report("load (LoadList, list hidden)", timeMs([&] { list.loadList(); }));
    report("show the list", timeMs([&] {
               list.toggleList();
               QCoreApplication::processEvents();
           }));
    report("save (SaveList)", timeMs([&] { list.saveList(); }));
    report("select all", timeMs([&] { list.selectAll(); }));
    report("remove selected (every row; list file written)",
           timeMs([&] { list.removeSelected(); }));
    std::printf("rows left: %d\n", FileListRows::rowCount(fileList));

    // The removal above has written the emptied list; the full one is put back.
    if (!writeListFile())
        return 1;
    list.loadList();
    QCoreApplication::processEvents();
    // One selection of 50,000 ranges, as ctrl-clicks leave it (made in one go: selecting row by
    // row costs Qt's selection model time that grows with the number of ranges).
    QItemSelection everyOther;
    for (int row = 0; row < rowCount; row += 2)
        everyOther.select(fileList->model()->index(row, 0), fileList->model()->index(row, 1));
    fileList->selectionModel()->select(everyOther, QItemSelectionModel::Select);
    report("remove selected (every other row; written)", timeMs([&] { list.removeSelected(); }));
    std::printf("rows left: %d\n", FileListRows::rowCount(fileList));
    report("save (50,000 rows)", timeMs([&] { list.saveList(); }));

    // Another copy of the program appends a row; the next save takes it in instead of writing.
    QList<QByteArray> fromOtherCopy = FileListRows::fileLines(fileList);
    fromOtherCopy.append(lines.first());
    {
        QFile list(dir.filePath(QStringLiteral("filelist.inf")));
        if (!list.open(QIODevice::WriteOnly) ||
            list.write(ListFileCodec::joinLines(fromOtherCopy)) < 0)
            return 1;
    }
    report("save after another copy appended a row", timeMs([&] { list.saveList(); }));
    std::printf("rows now: %d\n", FileListRows::rowCount(fileList));

    fileList->clear();
    QDir::setCurrent(gifs);
    list.setFolderDialogRunner([](FolderImportDialog &dialog) {
        dialog.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    });
    report("folder import (dialog, select, close; written)", timeMs([&] { list.addFolder(); }));
    std::printf("rows after import: %d\n", FileListRows::rowCount(fileList));
    return 0;
}
