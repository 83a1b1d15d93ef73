#include "WavDecoder.h"

#include "RiffWaveLayout.h"
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

} // namespace

// A file whose header was never finished, read as if it had been: the repaired header, then the
// sound from where it lies in the file.
struct WavDecoder::RepairedFile
{
    QByteArray header;
    QFile file;
    std::int64_t dataOffset = 0;
    std::int64_t dataBytes = 0;
    std::int64_t position = 0;

    std::int64_t length() const { return header.size() + dataBytes; }

    static sf_count_t fileLength(void *self) { return static_cast<RepairedFile *>(self)->length(); }
    static sf_count_t tell(void *self) { return static_cast<RepairedFile *>(self)->position; }
    static sf_count_t seek(sf_count_t offset, int whence, void *self)
    {
        auto *f = static_cast<RepairedFile *>(self);
        const std::int64_t base = whence == SEEK_CUR   ? f->position
                                  : whence == SEEK_END ? f->length()
                                                       : 0;
        f->position = std::clamp<std::int64_t>(base + offset, 0, f->length());
        return f->position;
    }
    static sf_count_t read(void *out, sf_count_t count, void *self)
    {
        auto *f = static_cast<RepairedFile *>(self);
        auto *to = static_cast<char *>(out);
        count = std::min<sf_count_t>(count, f->length() - f->position);
        sf_count_t done = 0;
        if (f->position < f->header.size()) {
            done = std::min<sf_count_t>(count, f->header.size() - f->position);
            std::copy_n(f->header.constData() + f->position, done, to);
        }
        if (done < count) {
            const std::int64_t at = f->position + done - f->header.size();
            if (!f->file.seek(f->dataOffset + at))
                return done;
            const qint64 got = f->file.read(to + done, count - done);
            done += std::max<qint64>(got, 0);
        }
        f->position += done;
        return done;
    }
    static sf_count_t write(const void *, sf_count_t, void *) { return 0; }
};

WavDecoder::WavDecoder() = default;

bool WavDecoder::openRepaired(const QString &path, const RiffWaveLayout &layout, SF_INFO &info)
{
    auto repaired = std::make_unique<RepairedFile>();
    repaired->header = layout.repairedHeader();
    repaired->file.setFileName(path);
    if (repaired->header.isEmpty() || !repaired->file.open(QIODevice::ReadOnly))
        return false;
    repaired->dataOffset = layout.dataOffset;
    repaired->dataBytes = layout.repairedDataBytes();
    static SF_VIRTUAL_IO io{&RepairedFile::fileLength, &RepairedFile::seek, &RepairedFile::read,
                            &RepairedFile::write, &RepairedFile::tell};
    SF_INFO repairedInfo{};
    SNDFILE *file = sf_open_virtual(&io, SFM_READ, &repairedInfo, repaired.get());
    if (!file)
        return false;
    info = repairedInfo;
    if (m_file)
        sf_close(m_file);
    m_file = file;
    m_repaired = std::move(repaired);
    return true;
}

// Plain files go straight to libsndfile; one it refuses or finds empty is read once more through
// a repaired header, where its chunks show that the sound is there. The chunks are walked at
// most once, and only for such a file or a compressed one.
std::unique_ptr<WavDecoder> WavDecoder::open(const QString &path)
{
    std::unique_ptr<WavDecoder> d(new WavDecoder);
    SF_INFO info{};
    d->m_file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    bool walked = false;
    std::optional<RiffWaveLayout> layout;
    const auto chunks = [&]() -> const std::optional<RiffWaveLayout> & {
        QFile file(path);
        if (!walked && file.open(QIODevice::ReadOnly))
            layout = RiffWaveLayout::read(file);
        walked = true;
        return layout;
    };
    if ((!d->m_file || info.frames == 0) && chunks() && chunks()->needsRepair)
        d->openRepaired(path, *chunks(), info);
    if (!d->m_file)
        return nullptr;
    if (!SoundLimits::acceptable(info.samplerate, info.channels) || info.frames < 0)
        return nullptr;
    d->m_rate = info.samplerate;
    d->m_fileChannels = info.channels;
    // Layouts of up to eight channels (quad, 5.1, 7.1) go on whole and are mixed down to stereo
    // on the way to the device, so that a centre or surround channel is heard; wider files are
    // folded to their first two channels.
    d->m_outChannels = info.channels <= maxMixedChannels ? info.channels : 2;
    d->m_frames = info.frames;
    // Compressed encodings (ADPCM) fill their last block with padding; the fact chunk says where
    // the sound really ends, and libsndfile does not use it.
    if (isBlockCompressed(info.format)) {
        chunks();
        if (layout && layout->factSamples && *layout->factSamples > 0 &&
            *layout->factSamples < info.frames)
            d->m_frames = *layout->factSamples;
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
