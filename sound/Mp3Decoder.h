#pragma once

#include "AudioDecoder.h"

#include <QString>
#include <memory>
#include <vector>

struct mpg123_handle_struct;

// MPEG audio (MP3) through libmpg123. The whole file is scanned once at open, so the length is
// exact for VBR files without a Xing header and for files joined one after another too (within
// a few milliseconds where the joined parts differ in rate, all played at the first one's), and
// gapless information is honoured. The file is read in large blocks: libmpg123 asks for each
// frame on its own, and the scan of a two-hour file took over half a million reads.
class Mp3Decoder : public AudioDecoder
{
public:
    static std::unique_ptr<Mp3Decoder> open(const QString &path);
    ~Mp3Decoder() override;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    std::int64_t lengthFrames() const override { return m_frames; }
    int read(float *out, int frames) override;
    bool rewind() override;

private:
    struct BufferedFile;

    Mp3Decoder();

    mpg123_handle_struct *m_handle = nullptr;
    std::unique_ptr<BufferedFile> m_file; // outlives m_handle, which reads through it
    int m_rate = 0;
    int m_channels = 0;
    std::int64_t m_frames = 0;
    std::int64_t m_framesRead = 0;
    bool m_failed = false;
    std::vector<short> m_pcm;
};
