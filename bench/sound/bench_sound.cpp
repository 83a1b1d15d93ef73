// Prints figures for the sound layer on whatever audio driver SDL picks (set SDL_AUDIODRIVER,
// e.g. "dummy" or "pulseaudio"):
//   - open time per format, the first MIDI open (soundfont load) apart from later ones;
//   - CPU use of the whole process while each format plays, and once a sound has ended, and
//     the time 'close all' takes while a sound plays (its fade);
//   - the replay gap: from the moment a sound has been handed out to the device to the first
//     position of its replay that the watch reads, with the watch ticking every 100 ms (the
//     sound itself runs on into its next pass without a gap: see bench_sound_seams);
//   - position error: reported position against the audio handed to the device.
#include "AudioOutput.h"
#include "MediaLayer.h"
#include "MidiSynth.h"
#include "MidiWriter.h"
#include "SoundWatch.h"
#include "TestMedia.h"
#include "mdlSound.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <sndfile.h>
#include <sys/resource.h>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QString openCommand(const QString &path)
{
    return QStringLiteral("open \"") + path + QStringLiteral("\" alias med");
}

// A 30 s piece on four channels with a tempo change every bar.
QByteArray busyMidi()
{
    MidiWriter w(1, 480);
    w.beginTrack();
    for (int bar = 0; bar < 15; ++bar)
        w.tempo(bar == 0 ? 0 : 1920, bar % 2 ? 500000 : 450000);
    w.endOfTrack(1920);
    for (int ch = 0; ch < 4; ++ch) {
        w.beginTrack();
        w.programChange(0, ch, ch * 8);
        for (int n = 0; n < 120; ++n) {
            const int key = 48 + ch * 7 + (n * 5) % 24;
            w.noteOn(0, ch, key, 90);
            w.noteOff(240, ch, key);
        }
        w.endOfTrack(0);
    }
    return w.bytes();
}

struct Media
{
    const char *label;
    QString path;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const auto path = [&](const char *name) { return dir.filePath(QLatin1String(name)); };

    // Three minutes of 44.1 kHz stereo, the usual size of a background song.
    const std::int64_t songFrames = 44100LL * 180;
    TestMedia::writeTone(path("song.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, songFrames,
                         true);
    TestMedia::writeTone(path("song-adpcm.wav"), SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 44100, 2,
                         songFrames, true);
    const bool mp3 = TestMedia::encodeMp3(path("song.wav"), path("cbr.mp3"), {"-b", "192"}) &&
                     TestMedia::encodeMp3(path("song.wav"), path("vbr.mp3"), {"-V", "2", "-t"});
    QFile mid(path("busy.mid"));
    if (mid.open(QIODevice::WriteOnly))
        mid.write(busyMidi());
    mid.close();
    TestMedia::writeTone(path("short.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 44100,
                         false);

    std::vector<Media> media = {{"WAV PCM 16 (3 min)", path("song.wav")},
                                {"WAV IMA ADPCM (3 min)", path("song-adpcm.wav")}};
    if (mp3) {
        media.push_back({"MP3 CBR 192k (3 min)", path("cbr.mp3")});
        media.push_back({"MP3 VBR, no Xing (3 min)", path("vbr.mp3")});
        // Two hours: the length comes from a scan of every frame.
        QFile part(path("cbr.mp3"));
        QFile joined(path("joined.mp3"));
        if (part.open(QIODevice::ReadOnly) && joined.open(QIODevice::WriteOnly)) {
            const QByteArray bytes = part.readAll();
            for (int i = 0; i < 40; ++i)
                joined.write(bytes);
            media.push_back({"MP3, 40 joined (2 h)", path("joined.mp3")});
        }
    } else {
        std::printf("lame not installed: no MP3 figures\n");
    }
    media.push_back({"MIDI, 4 channels (30 s)", path("busy.mid")});

    MediaLayer layer;
    layer.send(openCommand(path("short.wav"))); // opens the audio device
    layer.send(QStringLiteral("close all"));
    std::printf("audio driver: %s\n", qPrintable(layer.audioDriver()));
    std::printf("soundfont: %s\n\n",
                qPrintable(MidiSynth::findSoundFont(MidiSynth::defaultCandidates())));

    std::printf("%-28s %12s %12s\n", "open time", "first (ms)", "later (ms)");
    for (const Media &m : media) {
        double first = 0;
        double later = 1e9;
        for (int i = 0; i < 4; ++i) {
            QElapsedTimer t;
            t.start();
            const QString reply = layer.send(openCommand(m.path));
            const double ms = double(t.nsecsElapsed()) / 1e6;
            layer.send(QStringLiteral("close all"));
            if (reply.isEmpty()) {
                first = -1;
                break;
            }
            if (i == 0)
                first = ms;
            else
                later = std::min(later, ms);
        }
        if (first < 0)
            std::printf("%-28s %12s\n", m.label, "does not open");
        else
            std::printf("%-28s %12.2f %12.2f\n", m.label, first, later);
    }

    // The close includes the fade that keeps a sound taken away mid-wave from clicking; the
    // window waits for it when another sound is chosen.
    std::printf("\n%-28s %12s %12s\n", "while playing (5 s)", "CPU (%)", "close (ms)");
    for (const Media &m : media) {
        if (layer.send(openCommand(m.path)).isEmpty())
            continue;
        layer.send(QStringLiteral("play med"));
        QThread::msleep(300);
        const double c0 = cpuSeconds();
        QElapsedTimer t;
        t.start();
        QThread::msleep(5000);
        const double used = cpuSeconds() - c0;
        QElapsedTimer close;
        close.start();
        layer.send(QStringLiteral("close all"));
        std::printf("%-28s %12.2f %12.2f\n", m.label, 100.0 * used / (double(t.elapsed()) / 1000),
                    double(close.nsecsElapsed()) / 1e6);
    }

    // What the process costs once the sound has ended and the watch has closed it.
    layer.send(openCommand(path("short.wav")));
    layer.send(QStringLiteral("play med"));
    while (layer.send(QStringLiteral("status med position")) !=
           layer.send(QStringLiteral("status med length")))
        QThread::msleep(20);
    layer.send(QStringLiteral("close all"));
    {
        const double c0 = cpuSeconds();
        QElapsedTimer t;
        t.start();
        QThread::msleep(5000);
        std::printf("%-28s %12.2f\n", "after the sound ended",
                    100.0 * (cpuSeconds() - c0) / (double(t.elapsed()) / 1000));
    }

    // Replay gap and position error on one-second sounds of each format, five ends each.
    std::printf("\n%-28s %14s %14s %16s\n", "replay (repeat on)", "gap mean (ms)", "gap max (ms)",
                "pos. error (ms)");
    TestMedia::writeTone(path("one.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 44100, false);
    std::vector<Media> shortMedia = {{"WAV", path("one.wav")}};
    if (mp3 && TestMedia::encodeMp3(path("one.wav"), path("one.mp3"), {"-b", "128"}))
        shortMedia.push_back({"MP3", path("one.mp3")});
    {
        MidiWriter w(0, 480);
        w.beginTrack();
        w.noteOn(0, 0, 60, 100);
        w.noteOff(960, 0, 60);
        w.endOfTrack(0);
        QFile f(path("one.mid"));
        if (f.open(QIODevice::WriteOnly))
            f.write(w.bytes());
    }
    shortMedia.push_back({"MIDI", path("one.mid")});
    // The window tells the layer of the repeat switch, as here, so that a sound runs on into its
    // next pass.
    layer.setRepeat(true);
    mdlSound sound(layer);
    for (const Media &m : shortMedia) {
        SoundWatch watch(sound);
        watch.start(m.path);
        if (sound.SoundLength() == 0) {
            std::printf("%-28s %14s\n", m.label, "does not open");
            continue;
        }
        QElapsedTimer clock;
        clock.start();
        qint64 nextTick = SoundWatch::tickIntervalMs;
        qint64 endedAt = -1;
        std::vector<double> gaps;
        double worstError = 0;
        while (gaps.size() < 5 && clock.elapsed() < 60000) {
            QThread::usleep(500);
            const std::int32_t length = sound.SoundLength();
            const std::int32_t position = sound.SoundPosition();
            const qint64 handedOut = layer.framesHandedOut();
            const double handedMs = double(handedOut) * 1000 / AudioOutput::rate;
            // The device's count runs on across passes: the error is read in the first one.
            if (position < length && gaps.empty() && endedAt < 0)
                worstError = std::max(worstError, handedMs - position);
            if (endedAt < 0 && length > 0 && position == length)
                endedAt = clock.nsecsElapsed() / 1000;
            if (endedAt >= 0 && position > 0 && position < length) {
                gaps.push_back(double(clock.nsecsElapsed() / 1000 - endedAt) / 1000);
                endedAt = -1;
            }
            if (clock.elapsed() >= nextTick) {
                watch.tick(true);
                nextTick += SoundWatch::tickIntervalMs;
            }
        }
        sound.SoundCloseAll();
        double sum = 0;
        double worst = 0;
        for (double g : gaps) {
            sum += g;
            worst = std::max(worst, g);
        }
        std::printf("%-28s %14.1f %14.1f %16.1f\n", m.label,
                    gaps.empty() ? 0 : sum / double(gaps.size()), worst, worstError);
    }
    std::printf("\nThe gap includes the wait for the next 100 ms watch tick.\n");
    return 0;
}
