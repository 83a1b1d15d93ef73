#include "TestMedia.h"

#include "MidiWriter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <cmath>
#include <numbers>
#include <sndfile.h>
#include <vector>

bool TestMedia::writeTone(const QString &path, int sfFormat, int rate, int channels,
                          std::int64_t frames, bool silentHalf)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = sfFormat;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> data(std::size_t(frames) * std::size_t(channels));
    for (std::int64_t f = 0; f < frames; ++f) {
        const bool silent = silentHalf && f >= frames / 2;
        const double v =
            silent ? 0.0 : 0.5 * std::sin(2 * std::numbers::pi * 440.0 * double(f) / rate);
        for (int c = 0; c < channels; ++c)
            data[std::size_t(f * channels + c)] = float(v);
    }
    const sf_count_t written = sf_writef_float(file, data.data(), frames);
    sf_close(file);
    return written == frames;
}

bool TestMedia::lameAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty();
}

bool TestMedia::encodeMp3(const QString &wav, const QString &mp3, const QStringList &arguments)
{
    if (!lameAvailable())
        return false;
    QProcess lame;
    lame.start(QStringLiteral("lame"),
               QStringList{QStringLiteral("--quiet")} + arguments + QStringList{wav, mp3});
    return lame.waitForFinished(120000) && lame.exitStatus() == QProcess::NormalExit &&
           lame.exitCode() == 0;
}

std::optional<std::int64_t> TestMedia::mp3DecodedSamples(const QString &path, int *rateOut)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray d = file.readAll();
    const auto at = [&](qsizetype i) { return unsigned(static_cast<unsigned char>(d[i])); };
    static const int bitratesV1[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
    static const int bitratesV2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int ratesV1[] = {44100, 48000, 32000};
    qsizetype i = 0;
    if (d.startsWith("ID3") && d.size() >= 10)
        i = 10 + ((at(6) << 21) | (at(7) << 14) | (at(8) << 7) | at(9));
    std::int64_t samples = 0;
    int frames = 0;
    while (i + 4 <= d.size()) {
        if (at(i) != 0xff || (at(i + 1) & 0xe0) != 0xe0)
            break;
        const unsigned version = (at(i + 1) >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
        const unsigned layer = (at(i + 1) >> 1) & 3;   // 1: layer III
        const unsigned bitrateIndex = at(i + 2) >> 4;
        const unsigned rateIndex = (at(i + 2) >> 2) & 3;
        const unsigned padding = (at(i + 2) >> 1) & 1;
        if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
            break;
        const bool v1 = version == 3;
        const int rate = ratesV1[rateIndex] / (v1 ? 1 : version == 2 ? 2 : 4);
        const int bitrate = (v1 ? bitratesV1 : bitratesV2)[bitrateIndex] * 1000;
        const int perFrame = v1 ? 1152 : 576;
        const int size = perFrame / 8 * bitrate / rate + int(padding);
        if (rateOut)
            *rateOut = rate;
        samples += perFrame;
        ++frames;
        i += size;
    }
    if (frames == 0)
        return std::nullopt;
    return samples;
}

QByteArray TestMedia::midiWithTempoChanges()
{
    MidiWriter w(1, 480);
    w.beginTrack(); // tempo map
    w.tempo(0, 500000);
    w.tempo(960, 1000000);
    w.tempo(480, 250000);
    w.endOfTrack(960);
    w.beginTrack(); // notes, ending at the same tick
    w.programChange(0, 0, 0);
    w.noteOn(0, 0, 60, 100);
    w.noteOff(960, 0, 60);
    w.noteOn(0, 0, 64, 100);
    w.noteOff(480, 0, 64);
    w.noteOn(0, 0, 67, 100);
    w.noteOff(960, 0, 67);
    w.endOfTrack(0);
    return w.bytes();
}

QByteArray TestMedia::midiHeldNote(int ticks)
{
    MidiWriter w(0, 480);
    w.beginTrack();
    w.programChange(0, 0, 19);
    w.noteOn(0, 0, 60, 110);
    w.noteOff(std::uint32_t(ticks), 0, 60);
    w.endOfTrack(0);
    return w.bytes();
}
