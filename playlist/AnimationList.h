#pragma once

#include "ListFile.h"
#include "ListFileLocation.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class FolderImportDialog;
class QFileSystemWatcher;
class QLabel;
class PlayList;
class QTreeWidget;
class QTreeWidgetItem;

// The animation list's commands on the main window's controls: loading and saving the list
// file, the list button that swaps list and display, the row click, and the editing commands.
//
// Wiring in the main window:
//     FileListRows::applyLook(FileList);             // columns and colours
//     playList = new PlayList(FileList, this);       // follows the row clicks
//     list = new AnimationList({playList, lblAnim, showDisplay, {}},
//                              ListFileLocation::forThisProgram(), this);
//     list->loadList();                              // while loading, before the first show
//     connect(Image11, clicked, list, &AnimationList::toggleList);   // and Image12..15:
//     // addFolder, removeSelected, selectAll, unselectAll
//     connect(FileList, &QTreeWidget::itemClicked, list, &AnimationList::rowClicked);
//     connect(list, &AnimationList::folderDialogClosed, this, <activation handling>);
class AnimationList : public QObject
{
    Q_OBJECT

public:
    // What the main window hands over.
    struct Controls
    {
        PlayList *playList = nullptr;
        QLabel *lblAnim = nullptr;
        // Shows or hides the animation display that shares the frame with the list.
        std::function<void(bool visible)> setDisplayVisible;
        // Lets pending window messages run once; QCoreApplication::processEvents() when empty.
        std::function<void()> letMessagesRun;
    };

    AnimationList(const Controls &controls, const ListFileLocation &location,
                  QObject *parent = nullptr);

    // How the folder import dialog is run; its exec() unless set (tests drive it instead).
    using DialogRunner = std::function<void(FolderImportDialog &dialog)>;
    void setFolderDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    // Fills the list from the list file (once, while the main window loads). A missing file
    // gives an empty list; so does an unreadable one, which is then never replaced by an empty
    // list. Once the list has been shown, its rows follow what other copies of the program
    // write to the file.
    void loadList();
    // Writes every row's full path to the list file; false when nothing was written (the old file
    // is then unchanged). Rows another copy of the program wrote there in the meantime are taken
    // into the list first rather than overwritten.
    bool saveList();
    // Saves the list, as saveList does, when its rows differ from what the list file was last
    // read or written with; false when such a save failed.
    bool saveChangedList();

    bool isListShown() const;

public slots:
    // The list button: shows the list, or hides it, shows the display and saves the list.
    void toggleList();
    // The list view's item click: names the row in lblAnim (the play list keeps it as the
    // clicked row).
    void rowClicked(QTreeWidgetItem *item);
    // The editing commands; each does nothing while the list is hidden. Rows added or removed
    // are written to the list file at once, so that no way the program may end loses them.
    // Add to list: runs the folder import dialog modally, then reports folderDialogClosed.
    void addFolder();
    void removeSelected();
    void selectAll();
    void unselectAll();

signals:
    // The folder import dialog has closed, by "&Select", "&Cancel" or its close box: the main
    // window becomes the active form again.
    void folderDialogClosed();

private:
    // Writes `lines` as the list file, unless they would empty an unreadable one.
    bool writeLines(const QList<QByteArray> &lines);
    // What another copy of the program wrote to the list file since this one last read or wrote
    // it; nothing when the file is as this copy left it, or is gone or cannot be read.
    std::optional<QList<QByteArray>> writtenElsewhere();
    // `lines` with what another copy wrote taken in; the rows show the result.
    QList<QByteArray> takeInOtherCopies(const QList<QByteArray> &lines);
    // Makes the rows hold `lines`, keeping the rows that stay with their selection.
    void showLines(const QList<QByteArray> &lines);
    void watchListFile();
    // Takes in what other copies wrote, without writing.
    void followListFile();
    void letMessagesRun();
    void setDisplayVisible(bool visible);

    QPointer<QTreeWidget> m_fileList;
    QPointer<QLabel> m_lblAnim;
    std::function<void(bool)> m_setDisplayVisible;
    std::function<void()> m_letMessagesRun;
    ListFileLocation m_location;
    DialogRunner m_runDialog;
    bool m_listFileUnreadable = false;
    // The lines the list file holds, as last read or written, and the file's stamp then.
    QList<QByteArray> m_fileLines;
    ListFile::Stamp m_fileStamp;
    QFileSystemWatcher *m_listWatch = nullptr;
    QTimer m_followDelay;

    QPointer<PlayList> m_playList;
};
