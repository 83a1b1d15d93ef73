#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class mdlSound;

// The replay watch without its widgets: starting a chosen sound, and what each tick of the
// 100 ms watch timer does. The window owns the timer, the marker and the repeat switch, and
// acts on what tick() returns.
class SoundWatch
{
public:
    static constexpr int tickIntervalMs = 100;
    // The marker's left edge in window pixels: at rest and at position 0, and its track length.
    static constexpr double markerRest = 186.0;
    static constexpr double markerTrack = 240.0;

    struct Tick
    {
        // Where to put the marker's left edge; nothing leaves it where it is.
        std::optional<double> markerLeft;
        // The sound was found at its end: it has been closed, and then either started again
        // (repeat on) or left closed with the watch stopped (repeat off).
        bool atEnd = false;
        bool restarted = false;
        bool stopTimer = false;
    };

    explicit SoundWatch(mdlSound &sound) : m_sound(sound) {}

    // The last steps of a sound choice: closes all sound, opens `path` (which becomes the
    // sound path), plays it, and starts the watch.
    void start(const QString &path);

    // One timer tick. `repeat` is the sound repeat switch. A failing marker step (a reply number
    // out of range) is skipped; a failing end test counts as "not at the end". A sound whose
    // length reads 0 at its end is not replayed: the watch stops as with repeat off.
    Tick tick(bool repeat);

    bool running() const { return m_running; }
    QString soundPath() const { return m_path; }

    // (240 / length) * position + 186, in double precision, division first; nothing when the
    // length is 0.
    static std::optional<double> markerLeft(std::int32_t length, std::int32_t position);

private:
    mdlSound &m_sound;
    QString m_path;
    bool m_running = false;
};
