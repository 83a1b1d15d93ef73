#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class AniGIF;
class QLabel;
class QWidget;

// The five transport buttons: stop, play, pause, next and previous frame. Each acts the moment
// any mouse button goes down on it and shows its pressed look while the button is held: its
// picture is hidden so the pressed button painted on the skin below shows through. The next
// release anywhere, whichever widget it reaches, shows the picture again.
class TransportButtons : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        AniGIF *display = nullptr;
        QWidget *im1 = nullptr;    // progress marker
        QLabel *lb2 = nullptr;     // frame on show
        QWidget *Image3 = nullptr; // stop
        QWidget *Image4 = nullptr; // play
        QWidget *Image5 = nullptr; // next frame
        QWidget *Image6 = nullptr; // previous frame
        QWidget *Image7 = nullptr; // pause
        // The frame-change routine, run after each frame step.
        std::function<void()> frameChanged;
    };

    explicit TransportButtons(const Controls &controls, QObject *parent = nullptr);
    ~TransportButtons() override;

public slots:
    // Stop and rewind: halt, first frame, marker home, frame label "00".
    void stopPressed();
    void stopReleased();
    // Play, or go on from where playback halted.
    void playPressed();
    void playReleased();
    // Next frame.
    void nextPressed();
    void nextReleased();
    // Previous frame.
    void previousPressed();
    void previousReleased();
    // Pause: halt on the frame on show.
    void pausePressed();
    void pauseReleased();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(QWidget *image);
    void release(QWidget *image);
    void stepFrame(int delta);

    QPointer<AniGIF> m_display;
    QPointer<QWidget> m_im1;
    QPointer<QLabel> m_lb2;
    QPointer<QWidget> m_Image3, m_Image4, m_Image5, m_Image6, m_Image7;
    std::function<void()> m_frameChanged;
    // The button whose picture a press has hidden, until the release.
    QPointer<QWidget> m_held;
    bool m_watchingReleases = false;
};
