#pragma once

#include "GifDecoder.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>

// The animation display: shows one GIF on a background of RGB (45, 62, 132) and plays it.
// It is made hidden, named "AniGIF", 202 x 202 until the first load.
//
// Frames count from 0 to FrameCount() - 1. LoadFile() replaces the animation, resizes the
// widget to the animation's size, shows frame 0 and starts playing. Playing shows frame after
// frame, each for its delay measured against a clock, and raises FrameChanged(frame) for each
// frame it shows (for a one-frame animation: once per pass, after the frame's delay). A pass
// ends when the last frame is shown; after Loops() passes (0: never) playback halts on the
// last frame, and FrameChanged for that frame is raised after the halt, so a handler may load
// and play something else. Play() after such an end starts a new round of passes. Passes are
// counted only while Loops() is above 1, as the program's own pass counter counts them, so a
// change of Loops() finds both counts alike: passes played without end do not count.
//
// setFrame() shows a frame at once, also while halted, without raising FrameChanged; numbers
// outside 0 .. FrameCount() - 1 are clamped. While playing, that frame then gets its full
// delay. Stop() halts on the frame on show; Play() goes on from there. Play() while playing
// changes nothing.
//
// Every member may be called from a FrameChanged handler, which may also let events run:
// FrameChanged is never raised while an earlier one is still being handled; a frame that falls
// due meanwhile is shown once the handler returns.
//
// While the widget is hidden or its window minimised nothing is decoded; playback waits and
// goes on with the rest of the frame's delay when it is visible again.
//
// A file that cannot be loaded leaves the widget empty: FrameCount() and Frame() are 0,
// Play(), Stop() and setFrame() do nothing, FrameChanged is not raised, the widget keeps its
// size and shows only its background. Loops() keeps its value across loads.
class AniGIF : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint16 FrameCount READ FrameCount)
    Q_PROPERTY(qint16 Frame READ Frame WRITE setFrame)
    Q_PROPERTY(qint16 Loops READ Loops WRITE setLoops)

public:
    static constexpr QRgb kBackground = 0xff2d3e84; // RGB (45, 62, 132)
    // The size before the first load.
    static constexpr QSize kEmptySize{202, 202};

    explicit AniGIF(QWidget *parent = nullptr);
    ~AniGIF() override;

    Q_INVOKABLE bool LoadFile(const QString &path);
    // The same, taking over `opened` (the decoder of `path`, already loaded) when there is one.
    bool LoadFile(const QString &path, std::unique_ptr<GifDecoder> opened);
    qint16 FrameCount() const;
    qint16 Frame() const { return qint16(m_frame); }
    void setFrame(qint16 frame);
    qint16 Loops() const { return m_loops; }
    void setLoops(qint16 loops) { m_loops = loops; }
    Q_INVOKABLE void Play();
    Q_INVOKABLE void Stop();
    // Between Play() and a halt (Stop(), the end of the last pass, a failed load).
    bool isPlaying() const { return m_playing; }

    QSize sizeHint() const override;

signals:
    void FrameChanged(qint16 frame);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void tick();
    void advance();
    void arm(qint64 inMs);
    bool viewable() const;
    QRect shownArea() const;
    void display(int frame);
    void emitFrameChanged(int frame);

    std::unique_ptr<GifDecoder> m_decoder;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_due = 0;         // clock time at which the next frame is to be shown
    qint64 m_leftAtPause = 0; // rest of the frame's delay when playback was suspended
    int m_frame = 0;
    int m_passesDone = 0;
    qint16 m_loops = 0;
    bool m_playing = false;
    bool m_finished = false;
    bool m_suspended = false;
    bool m_tickPending = false;
    int m_inSignal = 0;
};
