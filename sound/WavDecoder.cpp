#include "WavDecoder.h"

#include "SoundLimits.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <sndfile.h>

namespace {

bool isBlockCompressed(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return false;
    default:
        return true;
    }
}

// The sample count of a RIFF WAVE file's fact chunk. Compressed encodings (ADPCM) fill their
// last block with padding; the fact chunk says where the sound really ends, and libsndfile
// does not use it.
std::optional<std::int64_t> factSampleCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;
    for (int chunks = 0; chunks < 64; ++chunks) {
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return std::nullopt;
        const auto le = [](const QByteArray &b, int at) {
            return std::uint32_t(std::uint8_t(b[at])) |
                   std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
                   std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
                   std::uint32_t(std::uint8_t(b[at + 3])) << 24;
        };
        const std::uint32_t size = le(header, 4);
        if (header.startsWith("fact")) {
            const QByteArray body = file.read(4);
            if (size < 4 || body.size() < 4)
                return std::nullopt;
            return std::int64_t(le(body, 0));
        }
        if (header.startsWith("data"))
            return std::nullopt;
        if (!file.seek(file.pos() + qint64(size) + (size & 1)))
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::unique_ptr<WavDecoder> WavDecoder::open(const QString &path)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return nullptr;
    std::unique_ptr<WavDecoder> d(new WavDecoder);
    d->m_file = file;
    if (!SoundLimits::acceptable(info.samplerate, info.channels) || info.frames < 0)
        return nullptr;
    d->m_rate = info.samplerate;
    d->m_fileChannels = info.channels;
    // Layouts of up to eight channels (quad, 5.1, 7.1) go on whole and are mixed down to stereo
    // on the way to the device, so that a centre or surround channel is heard; wider files are
    // folded to their first two channels.
    d->m_outChannels = info.channels <= maxMixedChannels ? info.channels : 2;
    d->m_frames = info.frames;
    if (isBlockCompressed(info.format)) {
        const std::optional<std::int64_t> fact = factSampleCount(path);
        if (fact && *fact > 0 && *fact < info.frames)
            d->m_frames = *fact;
    }
    return d;
}

WavDecoder::~WavDecoder()
{
    if (m_file)
        sf_close(m_file);
}

int WavDecoder::read(float *out, int frames)
{
    frames = int(std::min<std::int64_t>(frames, m_frames - m_framesRead));
    if (frames <= 0)
        return 0;
    sf_count_t got = 0;
    if (m_fileChannels == m_outChannels) {
        got = sf_readf_float(m_file, out, frames);
    } else {
        m_wide.resize(std::size_t(frames) * std::size_t(m_fileChannels));
        got = sf_readf_float(m_file, m_wide.data(), frames);
        for (sf_count_t f = 0; f < got; ++f) {
            out[2 * f] = m_wide[std::size_t(f * m_fileChannels)];
            out[2 * f + 1] = m_wide[std::size_t(f * m_fileChannels + 1)];
        }
    }
    if (got < 0)
        got = 0;
    m_framesRead += got;
    return int(got);
}

bool WavDecoder::rewind()
{
    if (sf_seek(m_file, 0, SEEK_SET) != 0)
        return false;
    m_framesRead = 0;
    return true;
}
