#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

class AniGIF;
class GifPrefetch;
class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Putting an animation on show, and what follows each shown frame: the progress marker, the
// frame and pass counters, pass counting against the loop setting, the repeat and play-list
// switches, the pass-count menu, and moving on through the animation list.
//
// The main window hands over the controls it owns; each public slot is the handler of one of
// its events. The list rows carry the caption in column 0, the size text in column 1 and the
// full path as Qt::UserRole data of column 0. The switches are the visibility of the dots sh1
// (repeat) and sh2 (play list).
//
// Messages are let run in the middle of the show sequence and of the move to the next row, so
// other handlers, this one included, may run inside them. Controls that are gone by then are
// skipped, and a viewer deleted meanwhile stops at once.
//
// Failures end a handler quietly at the step that fails: a file that cannot be loaded, a name
// too short to have an extension, a cancelled file choice, a 16-bit counter that would
// overflow. What was done before that step stays done.
class AnimationViewer : public QObject
{
    Q_OBJECT

public:
    // Asks the user for one file: starting folder, title, filter as "Label|*.ext". Returns false
    // when the user cancels.
    using FileChooser = std::function<bool(const QString &initDir, const QString &title,
                                           const QString &filter, QString &fileName)>;

    struct Controls
    {
        QTreeWidget *fileList = nullptr;
        // The frame the display is centred in; its outer size, border included, is used.
        QWidget *frame = nullptr;
        // Where the frame's inner area (inside its border) starts, in frame coordinates.
        QPoint frameInnerOrigin{1, 1};
        AniGIF *display = nullptr;
        QLabel *lb1 = nullptr;     // frame total
        QLabel *lb2 = nullptr;     // frame on show
        QLabel *Label3 = nullptr;  // passes chosen in the menu
        QLabel *Label4 = nullptr;  // pass now playing
        QLabel *lblAnim = nullptr; // name of the animation
        QWidget *im1 = nullptr;    // progress marker
        QWidget *Sh1 = nullptr;    // repeat switch
        QWidget *Sh2 = nullptr;    // play-list switch
        QMenu *q = nullptr;        // pass-count menu
        std::array<QAction *, 6> q1{};

        FileChooser chooseFile;
        // The executable's folder; the file choice starts in its "gif" folder.
        QString executableDir;
        // The path given on the command line (see ViewerFormulas::commandLineText); empty for
        // none.
        QString commandLine;
        // That animation, opened beside the start-up; the first load of its path takes it over.
        // Outlives the viewer. May be null.
        GifPrefetch *prefetch = nullptr;
        // Lets pending window messages run once; QCoreApplication::processEvents() when empty.
        std::function<void()> letMessagesRun;
        // Told after each load of a file into the display, whether it loaded.
        std::function<void(const QString &path, bool loaded)> loadReport;
    };

    static inline const QString kDialogTitle = QStringLiteral("Выбор GIF анимации...");
    static inline const QString kDialogFilter = QStringLiteral("Файлы анимации|*.gif");

    explicit AnimationViewer(const Controls &controls, QObject *parent = nullptr);

    // Row number (from 1) of the row last put on show from the list; 0 before any.
    qint16 currentIndex() const { return m_currentIndex; }
    // Passes counted towards the loop setting.
    qint16 loopCounter() const { return m_loopCounter; }
    // The number of the row clicked last, now; 0 when none was clicked or it has been removed.
    int clickedRowNumber() const;

public slots:
    // Start values once the list is read: one pass, menu entry "1" ticked.
    void Form_Load();
    // The main window became active: shows the command line's animation, if any, every time.
    void Form_Activate();
    // The list's row click: the row the double click will show.
    void setClickedItem(QTreeWidgetItem *item);
    // The list's double click: shows the row clicked last, in place of the list.
    void FileList_DblClick();
    // The eject button: shows an animation chosen in the file dialog.
    void Image2_Click();
    // Centres the display in the frame.
    void CentreDisplay();
    // The display showed another frame (also run by the frame-step buttons).
    void AniGIF_FrameChanged();
    // The repeat switch.
    void Image8_Click();
    // The play-list switch.
    void Image9_Click();
    // Entry `index` (0 .. 5) of the pass-count menu.
    void q1_Click(int index);
    // The "ML" button: the pass-count menu at the pointer.
    void Image21_Click();

private:
    enum class Shown
    {
        Yes,
        NotLoaded,
        ViewerGone
    };
    bool letMessagesRun(int times);
    Shown showAnimation(const QString &path);
    bool loadFile(const QString &path);
    void advanceToNextRow();
    bool atLastFrame() const;
    int rowCount() const;
    QString rowPath(int rowNumber) const;
    void setLabel(QLabel *label, int value);
    void setAnimationName(const QString &name);

    QPointer<QTreeWidget> m_fileList;
    QPointer<QWidget> m_frame;
    QPoint m_frameInnerOrigin;
    QPointer<AniGIF> m_display;
    QPointer<QLabel> m_lb1, m_lb2, m_Label3, m_Label4, m_lblAnim;
    QPointer<QWidget> m_im1, m_Sh1, m_Sh2;
    QPointer<QMenu> m_q;
    std::array<QPointer<QAction>, 6> m_q1;
    FileChooser m_chooseFile;
    QString m_executableDir;
    QString m_commandLine;
    GifPrefetch *m_prefetch = nullptr;
    std::function<void()> m_letMessagesRun;
    std::function<void(const QString &, bool)> m_loadReport;

    qint16 m_currentIndex = 0;
    qint16 m_loopCounter = 0;
    QPersistentModelIndex m_clickedItem;
};
