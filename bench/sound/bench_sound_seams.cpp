// Prints the silence at the seams of a sound that repeats, as it reaches the speakers: a
// PulseAudio server of the benchmark's own with a null sink, recorded from the sink's monitor
// while a one-second sound of each format plays 21 times under the 100 ms watch with the repeat
// switch on. Each seam is the longest run of near-silence around the place where one pass must
// end; the 20 seams of each format are printed as median and maximum. Then the click, if any,
// when a playing sound is taken away for another one.
#include "MediaLayer.h"
#include "PulseNullSink.h"
#include "SoundWatch.h"
#include "TestMedia.h"
#include "mdlSound.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <sndfile.h>
#include <vector>

namespace {

constexpr int repeats = 20;
constexpr int rate = 44100;
// Below this on both channels a frame counts as silent (the sounds play at 0.1 to 0.5).
constexpr float silence = 0.01f;

// The seams in a recording of passes of `passFrames` each, in milliseconds.
// `inside` gets the longest quiet run within the passes (20 ms from either end), which shows
// what dropouts of a busy machine alone put into the sound.
std::vector<double> seams(const QString &recording, std::int64_t passFrames, double &inside)
{
    const std::optional<PulseNullSink::Samples> recorded = PulseNullSink::samples(recording);
    if (!recorded)
        return {};
    const std::vector<float> &pcm = recorded->pcm;
    const std::int64_t frames = recorded->frames;
    const int channels = recorded->channels;
    const auto loud = [&](std::int64_t i) {
        for (int c = 0; c < channels; ++c)
            if (std::abs(pcm[std::size_t(i * channels + c)]) > silence)
                return true;
        return false;
    };
    std::int64_t start = 0;
    while (start < frames && !loud(start))
        ++start;
    std::vector<double> out;
    for (int k = 0; k < repeats; ++k) {
        // The longest quiet run from a quarter pass before the expected end to half a pass
        // after it; the next pass starts where that run ends.
        const std::int64_t expected = start + passFrames;
        const std::int64_t from = std::max<std::int64_t>(0, expected - passFrames / 4);
        const std::int64_t to = std::min(frames, expected + passFrames / 2);
        std::int64_t bestLength = 0;
        std::int64_t bestEnd = expected;
        std::int64_t run = 0;
        for (std::int64_t i = from; i < to; ++i) {
            run = loud(i) ? 0 : run + 1;
            if (run > bestLength) {
                bestLength = run;
                bestEnd = i + 1;
            }
        }
        if (to <= from)
            break;
        out.push_back(double(bestLength) * 1000.0 / recorded->rate);
        std::int64_t quiet = 0;
        const std::int64_t margin = recorded->rate / 50;
        for (std::int64_t i = start + margin; i < std::min(frames, start + passFrames - margin);
             ++i) {
            run = loud(i) ? 0 : run + 1;
            quiet = std::max(quiet, run);
        }
        inside = std::max(inside, double(quiet) * 1000.0 / recorded->rate);
        start = bestLength > 2 ? bestEnd : expected;
    }
    return out;
}

// The largest step between neighbouring samples of a recording, on either channel.
double largestStep(const QString &recording)
{
    const std::optional<PulseNullSink::Samples> recorded = PulseNullSink::samples(recording);
    if (!recorded)
        return -1;
    const std::vector<float> &pcm = recorded->pcm;
    const std::int64_t frames = recorded->frames;
    const int channels = recorded->channels;
    double step = 0;
    for (std::int64_t i = channels; i < frames * channels; ++i)
        step =
            std::max(step, double(std::abs(pcm[std::size_t(i)] - pcm[std::size_t(i - channels)])));
    return step;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString missing = PulseNullSink::missingTool();
    if (!missing.isEmpty()) {
        std::printf("%s is not installed (scripts/setup installs pulseaudio and "
                    "pulseaudio-utils): no figures\n",
                    qPrintable(missing));
        return 0;
    }
    QTemporaryDir dir;
    const auto path = [&](const char *name) { return dir.filePath(QLatin1String(name)); };
    PulseNullSink sink;
    if (!sink.isRunning()) {
        std::printf("the PulseAudio server did not start: no figures\n");
        return 1;
    }

    struct Media
    {
        const char *label;
        QString path;
    };
    TestMedia::writeTone(path("one.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, rate);
    std::vector<Media> media = {{"WAV", path("one.wav")}};
    if (TestMedia::encodeMp3(path("one.wav"), path("cbr.mp3"), {"-b", "128"}) &&
        TestMedia::encodeMp3(path("one.wav"), path("vbr.mp3"), {"-V", "2"})) {
        media.push_back({"MP3 CBR 128k", path("cbr.mp3")});
        media.push_back({"MP3 VBR -V 2", path("vbr.mp3")});
    } else {
        std::printf("lame not installed: no MP3 figures\n");
    }
    QFile mid(path("organ.mid"));
    if (mid.open(QIODevice::WriteOnly))
        mid.write(TestMedia::midiHeldNote(960));
    mid.close();
    media.push_back({"MIDI", path("organ.mid")});

    MediaLayer layer;
    mdlSound sound(layer);
    std::printf("%d repeats of a 1 s sound each, heard at a PulseAudio null sink\n", repeats);
    std::printf("%-16s %12s %12s %12s   %s\n", "seams", "median (ms)", "max (ms)", "inside (ms)",
                "each seam (ms)");
    for (const Media &m : media) {
        const QString recording = m.path + QStringLiteral(".rec.wav");
        QProcess *recorder = sink.record(recording);
        if (!recorder) {
            std::printf("%-16s %12s\n", m.label, "no recording");
            continue;
        }

        layer.setRepeat(true);
        SoundWatch watch(sound);
        watch.start(m.path);
        const std::int32_t lengthMs = sound.SoundLength();
        if (lengthMs <= 0) {
            std::printf("%-16s %12s\n", m.label, "does not open");
            PulseNullSink::stopRecording(recorder);
            continue;
        }
        int restarts = 0;
        QElapsedTimer clock;
        clock.start();
        qint64 nextTick = SoundWatch::tickIntervalMs;
        while (watch.running() && clock.elapsed() < 120000) {
            const qint64 sleep = nextTick - clock.elapsed();
            if (sleep > 0)
                QThread::msleep(std::uint32_t(sleep));
            nextTick += SoundWatch::tickIntervalMs;
            // As the window does: the layer hears of the switch, and the watch acts on it.
            const bool repeat = restarts < repeats;
            layer.setRepeat(repeat);
            if (watch.tick(repeat).restarted)
                ++restarts;
        }
        sound.SoundCloseAll();
        QThread::msleep(500); // the device's buffer drains into the sink
        PulseNullSink::stopRecording(recorder);

        double inside = 0;
        std::vector<double> s = seams(recording, std::int64_t(lengthMs) * rate / 1000, inside);
        if (s.empty()) {
            std::printf("%-16s %12s\n", m.label, "no recording");
            continue;
        }
        std::vector<double> sorted = s;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%-16s %12.1f %12.1f %12.1f   ", m.label, sorted[sorted.size() / 2],
                    sorted.back(), inside);
        for (double seam : s)
            std::printf(" %.0f", seam);
        std::printf("\n");
    }

    // Ten changes of sound, each taking the last one away in the middle of its tone, as a
    // person choosing sounds one after another does: a sound cut off mid-wave clicks, a step
    // far larger than any within the tone.
    const QString changes = path("changes.rec.wav");
    if (QProcess *recorder = sink.record(changes)) {
        layer.setRepeat(false);
        for (int i = 0; i < 10; ++i) {
            sound.SoundCloseAll();
            sound.SoundOpen(media[std::size_t(i) % std::min<std::size_t>(media.size(), 2)].path);
            sound.SoundPlay();
            QThread::msleep(std::uint32_t(300 + 37 * i));
        }
        sound.SoundCloseAll();
        QThread::msleep(500);
        PulseNullSink::stopRecording(recorder);
        std::printf("largest step between samples over 10 changes of sound: %.3f (within the "
                    "440 Hz tone at 0.5: %.3f)\n",
                    largestStep(changes), std::sin(std::numbers::pi * 440 / rate));
    }
    return 0;
}
