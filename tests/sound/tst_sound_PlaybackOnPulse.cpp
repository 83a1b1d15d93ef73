#include "MediaLayer.h"
#include "PulseNullSink.h"
#include "TestMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <sndfile.h>
#include <vector>

// Proves that sound really leaves the program: a PulseAudio server of the test's own with a
// null sink, a recording of the sink's monitor, and the sounding length of what was recorded
// compared with the source's.
class tst_sound_PlaybackOnPulse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void soundReachesTheSink_data();
    void soundReachesTheSink();
    void soundGoesOnWhenTheServerRestarts();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PulseNullSink> m_sink;
};

namespace {

struct Sounding
{
    double start = 0; // seconds into the recording
    double end = 0;
    double longestGap = 0; // the longest silence between start and end
};

// Where a recording is louder than `threshold`, in seconds; nothing when it is silent
// throughout.
std::optional<Sounding> soundingSpan(const QString &path, float threshold)
{
    const std::optional<PulseNullSink::Samples> recorded = PulseNullSink::samples(path);
    if (!recorded)
        return std::nullopt;
    const std::vector<float> &pcm = recorded->pcm;
    const sf_count_t frames = recorded->frames;
    const int channels = recorded->channels;
    sf_count_t first = -1;
    sf_count_t last = -1;
    sf_count_t longestGap = 0;
    for (sf_count_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            if (std::abs(pcm[std::size_t(i * channels + c)]) > threshold) {
                if (first < 0)
                    first = i;
                if (last >= 0)
                    longestGap = std::max(longestGap, i - last - 1);
                last = i;
            }
        }
    }
    if (first < 0)
        return std::nullopt;
    const double rate = recorded->rate;
    return Sounding{first / rate, (last + 1) / rate, longestGap / rate};
}

} // namespace

void tst_sound_PlaybackOnPulse::initTestCase()
{
    const QString missing = PulseNullSink::missingTool();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing + " is not installed; scripts/setup installs pulseaudio and "
                                   "pulseaudio-utils"));
    QVERIFY(m_dir.isValid());
    m_sink = std::make_unique<PulseNullSink>();
    QVERIFY(m_sink->isRunning());
    const int rate = 44100;
    QVERIFY(TestMedia::writeTone(m_dir.filePath("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate,
                                 2, rate * 3 / 2));
}

void tst_sound_PlaybackOnPulse::cleanupTestCase()
{
    m_sink.reset();
}

void tst_sound_PlaybackOnPulse::soundReachesTheSink_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("wav") << m_dir.filePath("tone.wav");
    if (TestMedia::encodeMp3(m_dir.filePath("tone.wav"), m_dir.filePath("tone.mp3"), {"-b", "192"}))
        QTest::newRow("mp3") << m_dir.filePath("tone.mp3");
    else
        qInfo("lame is not installed: the MP3 case is left out");
}

void tst_sound_PlaybackOnPulse::soundReachesTheSink()
{
    QFETCH(QString, file);
    const QString recording = m_dir.filePath(QFileInfo(file).fileName() + ".rec.wav");
    QProcess *recorder = m_sink->record(recording);
    QVERIFY(recorder);

    {
        MediaLayer layer;
        QCOMPARE(layer.send("open \"" + file + "\" alias med"), QStringLiteral("1"));
        QCOMPARE(layer.audioDriver(), QStringLiteral("pulseaudio"));
        const int length = layer.send(QStringLiteral("status med length")).toInt();
        QCOMPARE(length, 1500);
        layer.send(QStringLiteral("play med"));
        QTRY_COMPARE_WITH_TIMEOUT(layer.send(QStringLiteral("status med position")).toInt(), length,
                                  120000);
        QThread::msleep(500); // let the device's buffer drain into the sink
        QCOMPARE(m_sink->streamsOf(QStringLiteral("Quorbanex")), 1);
        layer.send(QStringLiteral("close all"));
        // Once the sound has ended the server lists nothing playing; the next sound opens the
        // device again.
        QTRY_COMPARE(m_sink->streamsOf(QStringLiteral("Quorbanex")), 0);
        QVERIFY(PulseNullSink::stopRecording(recorder));
        QCOMPARE(layer.send("open \"" + file + "\" alias med"), QStringLiteral("1"));
        layer.send(QStringLiteral("play med"));
        QTRY_VERIFY(layer.send(QStringLiteral("status med position")).toInt() > 0);
        QCOMPARE(m_sink->streamsOf(QStringLiteral("Quorbanex")), 1);
    }

    const auto span = soundingSpan(recording, 0.05f);
    QVERIFY2(span, "nothing was heard at the sink");
    const double sounding = span->end - span->start;
    qInfo("sounding %.4f s (from %.3f s), longest silence within %.4f s", sounding, span->start,
          span->longestGap);
    QVERIFY2(std::abs(sounding - 1.5) <= 0.050,
             qPrintable(QStringLiteral("sounded for %1 s instead of 1.5 s (longest dropout %2 s)")
                            .arg(sounding)
                            .arg(span->longestGap)));
}

// The sound server ends under a repeating sound; the sound is opened again while none runs, and
// then another server starts: the position queries of the sound's watch open the device again,
// and the sound is heard from the new server.
void tst_sound_PlaybackOnPulse::soundGoesOnWhenTheServerRestarts()
{
    MediaLayer layer;
    layer.setRepeat(true);
    const QString open = "open \"" + m_dir.filePath("tone.wav") + "\" alias med";
    QCOMPARE(layer.send(open), QStringLiteral("1"));
    layer.send(QStringLiteral("play med"));
    QTRY_VERIFY(layer.send(QStringLiteral("status med position")).toInt() > 0);
    m_sink.reset();
    QTRY_VERIFY(layer.send(QStringLiteral("status med position")).toInt() >= 0 &&
                layer.audioDriver().isEmpty());
    layer.send(QStringLiteral("close all"));
    QCOMPARE(layer.send(open), QStringLiteral("1"));
    layer.send(QStringLiteral("play med"));
    m_sink = std::make_unique<PulseNullSink>();
    QVERIFY(m_sink->isRunning());
    const QString recording = m_dir.filePath("restart.rec.wav");
    QProcess *recorder = m_sink->record(recording);
    QVERIFY(recorder);
    for (int tick = 0; tick < 40; ++tick) { // four seconds of the watch's ticks
        layer.send(QStringLiteral("status med position"));
        QThread::msleep(100);
    }
    QVERIFY(PulseNullSink::stopRecording(recorder));
    QVERIFY2(soundingSpan(recording, 0.05f), "nothing was heard from the new server");
    QCOMPARE(layer.audioDriver(), QStringLiteral("pulseaudio"));
}

QTEST_GUILESS_MAIN(tst_sound_PlaybackOnPulse)
#include "tst_sound_PlaybackOnPulse.moc"
