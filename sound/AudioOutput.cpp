#include "AudioOutput.h"

#include "Playback.h"

#include <SDL.h>
#include <cstring>
#include <mutex>

namespace {

int openOutputs = 0;

// Held around every call that opens or closes devices or the audio subsystem, since a device
// may be closing on a thread of its own meanwhile.
std::mutex &deviceSetUp()
{
    static std::mutex lock;
    return lock;
}

} // namespace

AudioOutput::~AudioOutput()
{
    closeDevice();
    m_current.reset();
}

void AudioOutput::closeDevice()
{
    if (m_releasing.joinable())
        m_releasing.join();
    const std::lock_guard lock(deviceSetUp());
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
        --openOutputs;
    }
    if (m_subsystemStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_subsystemStarted = false;
}

void AudioOutput::release()
{
    if (!m_device || m_current)
        return;
    if (m_releasing.joinable())
        m_releasing.join();
    // Paused first, here: its callback then never runs again, not even beside that of a device
    // opened before the close is through.
    SDL_PauseAudioDevice(m_device, 1);
    m_releasing = std::thread([device = m_device] {
        {
            const std::lock_guard lock(deviceSetUp());
            SDL_CloseAudioDevice(device);
        }
        SDL_TLSCleanup(); // what SDL keeps for this thread, which is not one of its own
    });
    m_device = 0;
    --openOutputs;
    m_driver.clear();
}

bool AudioOutput::openWithCurrentDriver()
{
    const std::lock_guard lock(deviceSetUp());
    if (!m_subsystemStarted && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_subsystemStarted = true;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = channels;
    want.samples = bufferFrames;
    want.callback = &AudioOutput::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device)
        return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_subsystemStarted = false;
    return false;
}

bool AudioOutput::open()
{
    // After the server went away, a new sound waits for it as a playing one does, rather than
    // go to the dummy driver for good.
    reopenIfLost();
    if (m_device || m_lost)
        return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Quorbanex");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Background sound");
    // A driver kept started since the device was released may hold a connection to a server
    // that has gone away since: it is started afresh once before the dummy driver is taken.
    const bool startedBefore = m_subsystemStarted;
    bool opened = openWithCurrentDriver();
    if (!opened && startedBefore)
        opened = openWithCurrentDriver();
    if (!opened && openOutputs == 0) {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        opened = openWithCurrentDriver();
    }
    if (!opened)
        return false;
    started();
    return true;
}

void AudioOutput::started()
{
    ++openOutputs;
    m_lost = false;
    const char *driver = SDL_GetCurrentAudioDriver();
    m_driver = QString::fromLatin1(driver ? driver : "");
    SDL_PauseAudioDevice(m_device, 0);
}

// SDL goes on calling back at the device's pace after the server drops it, but what it is fed
// is lost; the device reports itself stopped. Its driver holds the dropped connection, so the
// audio subsystem is started afresh, which connects to whatever server now runs.
void AudioOutput::reopenIfLost()
{
    if (m_device && SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_STOPPED)
        return;
    if (!m_device && !m_lost)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (m_device) {
        closeDevice();
        m_lost = true;
        m_driver.clear();
    } else if (now - m_lastAttempt < std::chrono::seconds(1)) {
        return;
    }
    m_lastAttempt = now;
    if (openWithCurrentDriver())
        started();
}

std::unique_ptr<Playback> AudioOutput::exchange(std::unique_ptr<Playback> next)
{
    if (m_device)
        SDL_LockAudioDevice(m_device);
    m_current.swap(next);
    if (m_device)
        SDL_UnlockAudioDevice(m_device);
    return next;
}

void AudioOutput::fadeOutCurrent()
{
    if (!m_device || !m_current || m_current->silent() ||
        SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_PLAYING)
        return;
    m_current->fadeOut();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(fadeWaitMs);
    while (!m_current->silent() && std::chrono::steady_clock::now() < deadline)
        SDL_Delay(2);
}

void AudioOutput::callback(void *self, std::uint8_t *stream, int bytes)
{
    auto *output = static_cast<AudioOutput *>(self);
    const int frames = bytes / int(sizeof(float) * channels);
    if (output->m_current)
        output->m_current->render(reinterpret_cast<float *>(stream), frames);
    else
        std::memset(stream, 0, std::size_t(bytes));
}
