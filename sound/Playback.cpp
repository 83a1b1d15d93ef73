#include "Playback.h"

#include "AudioDecoder.h"
#include "AudioOutput.h"

#include <SDL.h>
#include <algorithm>
#include <limits>

namespace {

constexpr int decodeChunkFrames = 1024;
constexpr int bytesPerOutputFrame = int(sizeof(float)) * AudioOutput::channels;

} // namespace

std::unique_ptr<Playback> Playback::create(std::unique_ptr<AudioDecoder> decoder)
{
    if (!decoder)
        return nullptr;
    std::unique_ptr<Playback> p(new Playback);
    p->m_stream =
        SDL_NewAudioStream(AUDIO_F32SYS, Uint8(decoder->channels()), decoder->sampleRate(),
                           AUDIO_F32SYS, Uint8(AudioOutput::channels), AudioOutput::rate);
    if (!p->m_stream)
        return nullptr;
    const std::int64_t rate = decoder->sampleRate();
    const std::int64_t ms = (decoder->lengthFrames() * 1000 + rate / 2) / rate;
    p->m_lengthMs =
        std::int32_t(std::min<std::int64_t>(ms, std::numeric_limits<std::int32_t>::max()));
    p->m_decoderChannels = decoder->channels();
    p->m_decodeBuffer.resize(std::size_t(decodeChunkFrames) * std::size_t(p->m_decoderChannels));
    p->m_decoder = std::move(decoder);
    return p;
}

Playback::~Playback()
{
    if (m_stream)
        SDL_FreeAudioStream(m_stream);
}

std::int32_t Playback::positionMs() const
{
    if (m_ended.load())
        return m_lengthMs;
    const std::int64_t ms = m_framesOut.load() * 1000 / AudioOutput::rate;
    return std::int32_t(std::clamp<std::int64_t>(ms, 0, std::max(0, m_lengthMs - 1)));
}

void Playback::render(float *out, int frames)
{
    int done = 0;
    if (m_playing.load() && !m_ended.load()) {
        while (done < frames) {
            const int available = SDL_AudioStreamAvailable(m_stream) / bytesPerOutputFrame;
            if (available > 0) {
                const int want = std::min(available, frames - done) * bytesPerOutputFrame;
                const int got =
                    SDL_AudioStreamGet(m_stream, out + done * AudioOutput::channels, want);
                if (got <= 0)
                    break;
                done += got / bytesPerOutputFrame;
                continue;
            }
            if (m_decoderDone) {
                m_ended.store(true);
                break;
            }
            const int decoded = m_decoder->read(m_decodeBuffer.data(), decodeChunkFrames);
            if (decoded <= 0 ||
                SDL_AudioStreamPut(m_stream, m_decodeBuffer.data(),
                                   decoded * m_decoderChannels * int(sizeof(float))) != 0) {
                SDL_AudioStreamFlush(m_stream);
                m_decoderDone = true;
            }
        }
        m_framesOut.fetch_add(done);
    }
    std::fill(out + done * AudioOutput::channels, out + frames * AudioOutput::channels, 0.0f);
}
