#pragma once

#include "AudioDecoder.h"

#include <QString>
#include <memory>
#include <vector>

struct sf_private_tag;
struct SF_INFO;
struct RiffWaveLayout;

// WAV files in any encoding libsndfile reads (PCM, float, IMA and MS ADPCM, ...), and those whose
// header was never finished or lies out of order (see RiffWaveLayout).
class WavDecoder : public AudioDecoder
{
public:
    // Null when the file cannot be read as sound.
    static std::unique_ptr<WavDecoder> open(const QString &path);
    // The widest layout passed on whole; the audio path mixes up to this many down to stereo.
    static constexpr int maxMixedChannels = 8;
    ~WavDecoder() override;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_outChannels; }
    std::int64_t lengthFrames() const override { return m_frames; }
    int read(float *out, int frames) override;
    bool rewind() override;

private:
    struct RepairedFile;

    WavDecoder();
    bool openRepaired(const QString &path, const RiffWaveLayout &layout, SF_INFO &info);

    std::unique_ptr<RepairedFile> m_repaired; // outlives m_file, which reads through it
    sf_private_tag *m_file = nullptr;
    int m_rate = 0;
    int m_fileChannels = 0;
    int m_outChannels = 0;
    std::int64_t m_frames = 0;
    std::int64_t m_framesRead = 0;
    std::vector<float> m_wide; // scratch for files with more than two channels
};
