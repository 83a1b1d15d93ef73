#pragma once

#include "AniGIF.h"
#include "AnimationViewer.h"
#include "PlayList.h"
#include "TransportButtons.h"
#include "ViewerFormulas.h"

#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

// A transport button stand-in: reports its presses and releases as the skin's image controls do.
class PressButton : public QWidget
{
    Q_OBJECT
public:
    PressButton(QWidget *parent, QRect place);

signals:
    void mousePressed(Qt::MouseButton button, QPoint position);
    void mouseReleased(Qt::MouseButton button, QPoint position);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// Stand-ins for the main window's viewer controls, laid out as on the skin, with the viewer
// handlers wired to them by the main window's own wiring, and GIFs made for the test.
class ViewerFixture
{
public:
    // `commandLine` is handed to the viewer; `letMessagesRun`, when set, replaces the message
    // pump (it should still let the messages run).
    explicit ViewerFixture(const QString &commandLine = QString(),
                           std::function<void()> letMessagesRun = {});
    ~ViewerFixture();

    // A GIF of `frames` full-canvas frames of `size`, each shown `delayCs` hundredths of a
    // second (a minute by default: playback then never moves on by itself during a test).
    QString gif(const QString &name, QSize size, int frames, int delayCs = 6000);
    // A path in the fixture's folder where no file lies.
    QString missing(const QString &name) const;
    // Appends a list row as the animation list makes them.
    QTreeWidgetItem *addRow(const QString &path);
    // Shows row `number` as a double click on it does.
    void doubleClickRow(int number);
    // Shows each frame of the animation on show in turn and runs the frame-change routine,
    // as playback does, `passes` times over.
    void playPasses(int passes);
    // Shows frame `frame` and runs the frame-change routine for it.
    void showFrame(int frame);

    QTemporaryDir dir;
    std::unique_ptr<QWidget> window;
    QWidget *pic = nullptr;
    QWidget *Picture1 = nullptr;
    QTreeWidget *FileList = nullptr;
    AniGIF *display = nullptr;
    QLabel *lb1 = nullptr, *lb2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *lblAnim = nullptr;
    QWidget *im1 = nullptr, *Sh1 = nullptr, *Sh2 = nullptr;
    QMenu *q = nullptr;
    std::array<QAction *, 6> q1{};
    PressButton *Image3 = nullptr, *Image4 = nullptr, *Image5 = nullptr, *Image6 = nullptr,
                *Image7 = nullptr;

    PlayList *playList = nullptr;
    AnimationViewer *viewer = nullptr;
    TransportButtons *transport = nullptr;

    // What the file chooser was asked, and what it answers.
    struct Choice
    {
        QString initDir, title, filter;
        int calls = 0;
    } asked;
    bool chooserAccepts = true;
    QString chooserAnswer;
};
