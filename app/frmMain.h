#pragma once

#include "ListFileLocation.h"

#include <QWidget>
#include <array>
#include <optional>

class AniGIF;
class AnimationList;
class AnimationViewer;
class CommonDialog;
class GifPrefetch;
class ImageControl;
class PictureBox;
class PlayList;
class QAction;
class QMenu;
class QTimer;
class QTreeWidget;
class ShapeDot;
class SoundPanel;
class TransportButtons;
class SkinLabel;

// The main window: a frameless deck painted by one skin picture, with every control at its
// place on it. The controls are public so that each part of the program can be handed the
// ones it drives.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    // `animation` is the one named on the command line (empty for none), `prefetch` that
    // animation being opened beside the start-up (may be null; it must outlive the window),
    // `listFile` where the play list is kept.
    explicit frmMain(const QString &animation = QString(), GifPrefetch *prefetch = nullptr,
                     const ListFileLocation &listFile = ListFileLocation::forThisProgram(),
                     QWidget *parent = nullptr);
    ~frmMain() override;

    static constexpr QSize FirstSize{521, 568};
    // The animation frame, Picture1, in which the display is centred.
    static constexpr QSize DisplayFrameSize{486, 324};
    static constexpr QColor DisplayBackColor{45, 62, 132};

    // Runs once after the window is made and before it is first shown.
    void Form_Load();

    // Places a control inside the frame's border, at (x, y) of its inner area.
    void placeInFrame(QWidget *control, int x, int y) const;

    // Window heights of the fold buttons: the skin's full height, partly folded, a strip.
    static constexpr int UnfoldedHeight = 549;
    static constexpr int PartlyFoldedHeight = 406;
    static constexpr int StripHeight = 17;

    // The window's own handling: dragging by the skin, folding, minimising, ending, about.
    void pic_MouseDown(Qt::MouseButton button, QPointF position);
    void pic_MouseMove(Qt::MouseButtons buttons, QPointF position, QPointF globalPosition);
    void pic_MouseUp(Qt::MouseButtons held);
    void Image16_Click();
    void Image18_Click();
    void Image19_Click();
    void Image1_Click();
    void Image17_Click();
    void Image20_Click(int index);
    void Image21_Click();

    // The about message's six lines.
    static QStringList aboutLines();

    // What ending the program, closing every sound and showing the about message do; tests
    // replace them.
    std::function<void()> endProgram;
    std::function<void()> closeAllSounds;
    std::function<void(const QString &title, const QString &text)> showMessage;

    // The skin and the frame over its display area.
    PictureBox *pic = nullptr;
    PictureBox *Picture1 = nullptr;
    QTreeWidget *FileList = nullptr;
    class AniGIF *AniGIF = nullptr;
    CommonDialog *CDialog = nullptr;
    QTimer *Timer1 = nullptr;

    // Hot spots over the buttons painted on the skin.
    ImageControl *Image1 = nullptr;
    ImageControl *Image2 = nullptr;
    ImageControl *Image8 = nullptr;
    ImageControl *Image9 = nullptr;
    ImageControl *Image10 = nullptr;
    ImageControl *Image11 = nullptr;
    ImageControl *Image12 = nullptr;
    ImageControl *Image13 = nullptr;
    ImageControl *Image14 = nullptr;
    ImageControl *Image15 = nullptr;
    ImageControl *Image16 = nullptr;
    ImageControl *Image17 = nullptr;
    ImageControl *Image18 = nullptr;
    ImageControl *Image19 = nullptr;
    std::array<ImageControl *, 2> Image20{};
    ImageControl *Image21 = nullptr;
    ImageControl *Image22 = nullptr;

    // Transport buttons in their raised look.
    ImageControl *Image3 = nullptr; // stop
    ImageControl *Image4 = nullptr; // play
    ImageControl *Image5 = nullptr; // next frame
    ImageControl *Image6 = nullptr; // previous frame
    ImageControl *Image7 = nullptr; // pause

    // Progress markers on the two grooves.
    ImageControl *im1 = nullptr;
    ImageControl *im2 = nullptr;

    // Switch indicators: repeat, play list, sound repeat.
    ShapeDot *Sh1 = nullptr;
    ShapeDot *Sh2 = nullptr;
    ShapeDot *Sh3 = nullptr;

    // Counters and names on the lower display.
    SkinLabel *lb1 = nullptr;
    SkinLabel *Label1 = nullptr;
    SkinLabel *lb2 = nullptr;
    std::array<SkinLabel *, 2> Label2{};
    SkinLabel *Label3 = nullptr;
    SkinLabel *Label5 = nullptr;
    SkinLabel *Label4 = nullptr;
    SkinLabel *lblSnd = nullptr;
    SkinLabel *lblAnim = nullptr;

    // The pass-count menu, shown only as a pop-up.
    QMenu *q = nullptr;
    std::array<QAction *, 6> q1{};

    // The play list's rows as FileList holds them, with the row clicked last.
    PlayList *playList = nullptr;
    // The play list's commands and the background sound's choice and watch, on these controls.
    AnimationList *animationList = nullptr;
    SoundPanel *soundPanel = nullptr;
    // Showing animations, counting frames and passes, moving through the list; the transport.
    AnimationViewer *viewer = nullptr;
    TransportButtons *transport = nullptr;

    // Runs each time the program's own window becomes active: after start-up shows it, and
    // when the folder import dialog closes.
    void Form_Activate();

    // The shared file dialog: asks for one file; false when the user cancels.
    bool chooseFile(const QString &initDir, const QString &title, const QString &filter,
                    QString &fileName);

    // Files dropped on the window: one sound file is chosen as the loudspeaker button chooses
    // it; GIF files and the GIFs of folders are appended to the list.
    void dropFiles(const QList<QUrl> &urls);
    // Rows added or removed since the list file was last written are written to it: as soon as
    // they change, and again before the program ends, however it ends. A failed write leaves the
    // old file and does not stop the end.
    void keepTheList();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The window system closes the window: the program ends.
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createShortcuts();
    void applyFontsAndIcon();
    void applyCursors();
    void faultInBackingStore();
    void connectWindowHandling();
    void connectList(const ListFileLocation &listFile);
    void connectSound();
    void connectViewer(const QString &animation, GifPrefetch *prefetch);
    void createFrame();
    void createHotSpots();
    void createTransport();
    void createMarkersAndDots();
    void createLabels();
    void createMenu();

    // Where the press that began the gesture now under way was on the skin, in the skin's
    // pixels; empty when that gesture did not begin on the skin, or none is under way.
    std::optional<QPointF> m_grab;
    bool m_cursorsSet = false;
    const uchar *m_faultedInStore = nullptr;
};
