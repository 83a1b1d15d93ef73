#include "Playback.h"

#include "AudioDecoder.h"
#include "AudioOutput.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
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
    p->m_passFrames = std::int64_t(
        std::llround(double(decoder->lengthFrames()) * AudioOutput::rate / double(rate)));
    p->m_decoderChannels = decoder->channels();
    p->m_decodeBuffer.resize(std::size_t(decodeChunkFrames) * std::size_t(p->m_decoderChannels));
    decoder->watchRepeat(&p->m_repeat);
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
    if (m_ended.load() || passEndPending())
        return m_lengthMs;
    const std::int64_t ms = m_passFramesOut.load() * 1000 / AudioOutput::rate;
    return std::int32_t(std::clamp<std::int64_t>(ms, 0, std::max(0, m_lengthMs - 1)));
}

void Playback::setRepeat(bool on)
{
    m_repeat.store(on);
    if (!on && passEndPending())
        m_ended.store(true);
}

void Playback::feed()
{
    int decoded = m_decoder->read(m_decodeBuffer.data(), decodeChunkFrames);
    if (decoded <= 0 && m_repeat.load() && m_passDecoded > 0) {
        const std::int64_t missing = m_decoder->lengthFrames() - m_passDecoded;
        if (missing > 0) {
            decoded = int(std::min<std::int64_t>(missing, decodeChunkFrames));
            std::fill_n(m_decodeBuffer.begin(),
                        std::size_t(decoded) * std::size_t(m_decoderChannels), 0.0f);
        } else if (m_decoder->rewind()) {
            m_passDecoded = 0;
            ++m_rewindsAhead;
            return;
        }
    }
    if (decoded <= 0 || SDL_AudioStreamPut(m_stream, m_decodeBuffer.data(),
                                           decoded * m_decoderChannels * int(sizeof(float))) != 0) {
        SDL_AudioStreamFlush(m_stream);
        m_decoderDone = true;
        return;
    }
    m_passDecoded += decoded;
}

// Hands out the stream. Where a rewind lies ahead, the output stops at the end of the pass: the
// pass end is counted there, or, with repeat switched off since the rewind, the sound ends.
void Playback::render(float *out, int frames)
{
    int done = 0;
    if (m_playing.load() && !m_ended.load() && !m_faded.load()) {
        while (done < frames) {
            const std::int64_t passLeft = m_passFrames - m_passFramesOut.load();
            if (m_rewindsAhead > 0 && passLeft <= 0) {
                if (!m_repeat.load()) {
                    m_ended.store(true);
                    break;
                }
                --m_rewindsAhead;
                m_passFramesOut.store(-passLeft);
                m_passEnds.fetch_add(1);
                continue;
            }
            const int available = SDL_AudioStreamAvailable(m_stream) / bytesPerOutputFrame;
            if (available > 0) {
                std::int64_t want = std::min(available, frames - done);
                if (m_rewindsAhead > 0)
                    want = std::min(want, passLeft);
                const int got = SDL_AudioStreamGet(m_stream, out + done * AudioOutput::channels,
                                                   int(want) * bytesPerOutputFrame) /
                                bytesPerOutputFrame;
                if (got <= 0)
                    break;
                done += got;
                m_framesOut.fetch_add(got);
                m_passFramesOut.fetch_add(got);
                continue;
            }
            if (m_decoderDone) {
                m_ended.store(true);
                break;
            }
            feed();
        }
    }
    std::fill(out + done * AudioOutput::channels, out + frames * AudioOutput::channels, 0.0f);
    if (m_fadeRequested.load() && !m_faded.load()) {
        for (int i = 0; i < frames; ++i) {
            const int left = std::max(0, fadeOutFrames - m_fadeRendered - i);
            const float gain = float(left) / float(fadeOutFrames);
            for (int channel = 0; channel < AudioOutput::channels; ++channel)
                out[i * AudioOutput::channels + channel] *= gain;
        }
        m_fadeRendered = std::min(fadeOutFrames, m_fadeRendered + frames);
        if (m_fadeRendered == fadeOutFrames)
            m_faded.store(true);
    }
}
