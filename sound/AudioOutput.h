#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

class Playback;

// The one audio device: float stereo at 44.1 kHz through SDL, fed by the current playback
// (silence when there is none). Opened on first use; when no real device opens, SDL's dummy
// driver takes over, which consumes sound at real-time pace so that positions still advance.
// A device that the sound server drops (it ended or restarted) is opened again, see
// reopenIfLost().
class AudioOutput
{
public:
    static constexpr int rate = 44100;
    static constexpr int channels = 2;
    // Frames per device buffer (about 46 ms); the position moves in steps of this.
    static constexpr int bufferFrames = 2048;

    AudioOutput() = default;
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // Opens the device, or opens a lost one again (see reopenIfLost()).
    bool open();
    // Closes the device while nothing is to be heard, so that no stream of silence runs on (a
    // sound server lists such a stream as playing, and its thread wakes some twenty times a
    // second); the next open() opens it again. Nothing happens while a playback is in place.
    // SDL waits two device buffers for the sound to drain as it closes a device (about 90 ms),
    // so the close runs on a thread of its own rather than hold up the caller.
    void release();
    bool isOpen() const { return m_device != 0; }
    // Opens the device again when the sound server has dropped it, so that the current playback
    // goes on from where it stands; while none opens, it is tried again at most once a second
    // and the playback waits. Until then open() succeeds without a device.
    void reopenIfLost();
    // The SDL audio driver in use ("pulseaudio", "alsa", "dummy", ...), empty before open and
    // while a lost device has not opened again.
    QString driverName() const { return m_driver; }

    // Puts `next` in place of the current playback under the audio lock and hands back the
    // previous one, so that it is destroyed outside the lock.
    std::unique_ptr<Playback> exchange(std::unique_ptr<Playback> next);
    // Lets the current playback fade out before it is taken away, waiting for the device to
    // render the fade: about one device buffer, at most fadeWaitMs. Returns at once when
    // nothing sounds or the device does not run.
    void fadeOutCurrent();
    static constexpr int fadeWaitMs = 200;
    Playback *current() const { return m_current.get(); }

private:
    static void callback(void *self, std::uint8_t *stream, int bytes);
    bool openWithCurrentDriver();
    void closeDevice();
    void started();

    std::uint32_t m_device = 0;
    std::thread m_releasing;
    bool m_subsystemStarted = false;
    QString m_driver;
    std::unique_ptr<Playback> m_current;
    bool m_lost = false;
    std::chrono::steady_clock::time_point m_lastAttempt;
};
