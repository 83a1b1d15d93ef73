#include "Mp3Decoder.h"

#include "SoundLimits.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mpg123.h>
#include <optional>
#include <unistd.h>

// The file behind libmpg123's reader callbacks, read a block at a time.
struct Mp3Decoder::BufferedFile
{
    int fd = -1;
    std::vector<char> block = std::vector<char>(64 * 1024);
    std::size_t at = 0;
    std::size_t filled = 0;

    ~BufferedFile()
    {
        if (fd >= 0)
            ::close(fd);
    }

    static ssize_t read(void *self, void *out, std::size_t bytes)
    {
        auto *f = static_cast<BufferedFile *>(self);
        auto *to = static_cast<char *>(out);
        std::size_t done = 0;
        while (done < bytes) {
            if (f->at == f->filled) {
                ssize_t got;
                do
                    got = ::read(f->fd, f->block.data(), f->block.size());
                while (got < 0 && errno == EINTR);
                if (got < 0 && done == 0)
                    return -1;
                if (got <= 0)
                    break;
                f->at = 0;
                f->filled = std::size_t(got);
            }
            const std::size_t n = std::min(bytes - done, f->filled - f->at);
            std::copy_n(f->block.data() + f->at, n, to + done);
            f->at += n;
            done += n;
        }
        return ssize_t(done);
    }

    // A seek from the current place counts from what libmpg123 has taken, not from what the
    // block read ahead.
    static off_t seek(void *self, off_t offset, int whence)
    {
        auto *f = static_cast<BufferedFile *>(self);
        if (whence == SEEK_CUR)
            offset -= off_t(f->filled - f->at);
        const off_t to = ::lseek(f->fd, offset, whence);
        f->at = f->filled = 0;
        return to;
    }
};

Mp3Decoder::Mp3Decoder() = default;

namespace {

// Files joined one after another may change their rate at a join; libmpg123 then resamples the
// later parts to the first one's rate, but its scan counts their samples at their own rates, so
// the sound would be cut short or run on in silence. For a joined stream, the frames' headers are
// walked again and each counted at the first rate. That count leaves the encoders' delay and
// padding in, so it may run a few milliseconds long: the sound then ends where the decoder does.
// Nothing when the stream is not joined or keeps its rate.
std::optional<std::int64_t> joinedLength(mpg123_handle *handle, long rate)
{
    long joined = 0;
    double unused = 0;
    if (mpg123_getstate(handle, MPG123_FRANKENSTEIN, &joined, &unused) != MPG123_OK || !joined)
        return std::nullopt;
    double samples = 0;
    bool rateChanges = false;
    if (mpg123_seek(handle, 0, SEEK_SET) < 0)
        return std::nullopt;
    for (int rc = mpg123_framebyframe_next(handle); rc == MPG123_OK || rc == MPG123_NEW_FORMAT;
         rc = mpg123_framebyframe_next(handle)) {
        mpg123_frameinfo frame{};
        if (mpg123_info(handle, &frame) != MPG123_OK || frame.rate <= 0)
            continue;
        rateChanges = rateChanges || frame.rate != rate;
        samples += double(mpg123_spf(handle)) * double(rate) / double(frame.rate);
    }
    return rateChanges ? std::optional<std::int64_t>(std::int64_t(samples)) : std::nullopt;
}

} // namespace

std::unique_ptr<Mp3Decoder> Mp3Decoder::open(const QString &path)
{
    std::unique_ptr<Mp3Decoder> d(new Mp3Decoder);
    d->m_file = std::make_unique<BufferedFile>();
    d->m_file->fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (d->m_file->fd < 0)
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

    if (mpg123_replace_reader_handle(d->m_handle, &BufferedFile::read, &BufferedFile::seek,
                                     nullptr) != MPG123_OK ||
        mpg123_open_handle(d->m_handle, d->m_file.get()) != MPG123_OK)
        return nullptr;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(d->m_handle, &rate, &channels, &encoding) != MPG123_OK)
        return nullptr;
    if (mpg123_scan(d->m_handle) != MPG123_OK)
        return nullptr;
    off_t length = mpg123_length(d->m_handle);
    if (length < 0 || !SoundLimits::acceptable(int(rate), channels) || channels > 2)
        return nullptr;
    if (const std::optional<std::int64_t> joined = joinedLength(d->m_handle, rate))
        length = off_t(*joined);
    if (mpg123_tell(d->m_handle) != 0 && mpg123_seek(d->m_handle, 0, SEEK_SET) < 0)
        return nullptr;
    // Lock the output format to what the stream begins with.
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
    if (mpg123_seek(m_handle, 0, SEEK_SET) < 0)
        return false;
    m_framesRead = 0;
    m_failed = false;
    return true;
}
