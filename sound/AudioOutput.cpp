#include "AudioOutput.h"

#include "Playback.h"

#include <SDL.h>
#include <cstring>

namespace {

int openOutputs = 0;

} // namespace

AudioOutput::~AudioOutput()
{
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        --openOutputs;
    }
    m_current.reset();
    if (m_subsystemStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioOutput::openWithCurrentDriver()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
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
    if (m_device)
        return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Quorbanex");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Background sound");
    bool opened = openWithCurrentDriver();
    if (!opened && openOutputs == 0) {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        opened = openWithCurrentDriver();
    }
    if (!opened)
        return false;
    ++openOutputs;
    const char *driver = SDL_GetCurrentAudioDriver();
    m_driver = QString::fromLatin1(driver ? driver : "");
    SDL_PauseAudioDevice(m_device, 0);
    return true;
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

void AudioOutput::callback(void *self, std::uint8_t *stream, int bytes)
{
    auto *output = static_cast<AudioOutput *>(self);
    const int frames = bytes / int(sizeof(float) * channels);
    if (output->m_current)
        output->m_current->render(reinterpret_cast<float *>(stream), frames);
    else
        std::memset(stream, 0, std::size_t(bytes));
}
