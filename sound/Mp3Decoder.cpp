#include "Mp3Decoder.h"

#include "SoundLimits.h"

#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <mpg123.h>
#include <unistd.h>

std::unique_ptr<Mp3Decoder> Mp3Decoder::open(const QString &path)
{
    std::unique_ptr<Mp3Decoder> d(new Mp3Decoder);
    d->m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (d->m_fd < 0)
        return nullptr;
    int err = MPG123_OK;
    d->m_handle = mpg123_new(nullptr, &err);
    if (!d->m_handle)
        return nullptr;
    mpg123_param(d->m_handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    // Every rate is allowed, always as signed 16-bit samples; the audio path converts.
    mpg123_format_none(d->m_handle);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(d->m_handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    if (mpg123_open_fd(d->m_handle, d->m_fd) != MPG123_OK)
        return nullptr;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(d->m_handle, &rate, &channels, &encoding) != MPG123_OK)
        return nullptr;
    if (mpg123_scan(d->m_handle) != MPG123_OK)
        return nullptr;
    const off_t length = mpg123_length(d->m_handle);
    if (length < 0 || !SoundLimits::acceptable(int(rate), channels) || channels > 2)
        return nullptr;
    // Scanning leaves the stream at its start; lock the output format to what it begins with.
    mpg123_format_none(d->m_handle);
    mpg123_format(d->m_handle, rate, channels, MPG123_ENC_SIGNED_16);
    d->m_rate = int(rate);
    d->m_channels = channels;
    d->m_frames = length;
    return d;
}

Mp3Decoder::~Mp3Decoder()
{
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

// Decodes until `frames` frames are out, the scanned length is reached, or the stream fails or
// changes its format; a stream that ends early simply ends.
int Mp3Decoder::read(float *out, int frames)
{
    frames = int(std::min<std::int64_t>(frames, m_frames - m_framesRead));
    int done = 0;
    int idleCalls = 0;
    while (done < frames && !m_failed) {
        const std::size_t want = std::size_t(frames - done) * std::size_t(m_channels);
        m_pcm.resize(want);
        size_t bytes = 0;
        const int rc = mpg123_read(m_handle, m_pcm.data(), want * sizeof(short), &bytes);
        const int got = int(bytes / sizeof(short) / std::size_t(m_channels));
        for (int i = 0; i < got * m_channels; ++i)
            out[std::size_t(done) * std::size_t(m_channels) + std::size_t(i)] =
                float(m_pcm[std::size_t(i)]) / 32768.0f;
        done += got;
        idleCalls = got > 0 ? 0 : idleCalls + 1;
        if (idleCalls > 16) {
            m_failed = true;
        } else if (rc == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(m_handle, &rate, &channels, &encoding);
            if (rate != m_rate || channels != m_channels)
                m_failed = true;
        } else if (rc != MPG123_OK) {
            m_failed = true;
        }
    }
    m_framesRead += done;
    return done;
}

// Seeking to the first sample uses the frame index of the scan; in gapless mode libmpg123 cuts
// the encoder's delay again, so the next pass starts with the same sample as the first.
bool Mp3Decoder::rewind()
{
    if (mpg123_seek(m_handle, 0, SEEK_SET) != 0)
        return false;
    m_framesRead = 0;
    m_failed = false;
    return true;
}
