#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

class AniGIF;
class GifPrefetch;
class QAction;
class QLabel;
class PlayList;
class QWidget;

// Putting an animation on show, and what follows each shown frame: the progress marker, the
// frame and pass counters, pass counting against the loop setting, the repeat and play-list
// switches, the pass-count menu, and moving on through the animation list.
//
// The main window hands over the controls it owns; each public slot is the handler of one of
// its events. The rows are read through the play list, which also knows the row clicked last. The
// switches are the visibility of the dots sh1 (repeat) and sh2 (play list).
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
        PlayList *playList = nullptr;
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

public slots:
    // Start values once the list is read: one pass, menu entry "1" ticked.
    void setStartValues();
    // The main window became active: shows the command line's animation, if any, every time.
    void showCommandLineAnimation();
    // The list's double click: shows the row clicked last, in place of the list.
    void showClickedRow();
    // The eject button: shows an animation chosen in the file dialog.
    void chooseAnimation();
    // Centres the display in the frame.
    void centreDisplay();
    // The display showed another frame (also run by the frame-step buttons).
    void frameChanged();
    // The repeat switch.
    void toggleRepeat();
    // The play-list switch.
    void togglePlayList();
    // Entry `index` (0 .. 5) of the pass-count menu.
    void choosePasses(int index);

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
    void showNothing();
    bool markFrameOnShow();
    void advanceToNextRow();
    bool atLastFrame() const;
    QWidget *listView() const;
    int clickedRowNumber() const;
    void setLabel(QLabel *label, int value);
    void setAnimationName(const QString &name);

    QPointer<PlayList> m_playList;
    QPointer<QWidget> m_frame;
    QPoint m_frameInnerOrigin;
    QPointer<AniGIF> m_display;
    QPointer<QLabel> m_lb1, m_lb2, m_Label3, m_Label4, m_lblAnim;
    QPointer<QWidget> m_im1, m_Sh1, m_Sh2;
    std::array<QPointer<QAction>, 6> m_q1;
    FileChooser m_chooseFile;
    QString m_executableDir;
    QString m_commandLine;
    GifPrefetch *m_prefetch = nullptr;
    std::function<void()> m_letMessagesRun;
    std::function<void(const QString &, bool)> m_loadReport;

    qint16 m_currentIndex = 0;
    qint16 m_loopCounter = 0;
};
