#include "MediaLayer.h"
#include "SimulatedLayer.h"
#include "SoundWatch.h"
#include "TestMedia.h"
#include "mdlSound.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sndfile.h>

namespace {

const QString rain = QStringLiteral("/home/u/snd/Rain.mp3");

} // namespace

class TestSoundWatch : public QObject
{
    Q_OBJECT

private slots:
    void marker_data();
    void marker();
    void startClosesOpensAndPlays();
    void markerFollowsTheSound();
    void endWithRepeatOff();
    void endWithRepeatOn();
    void unopenableFile();
    void overflowSkipsOnlyItsStep();
    void realLayerRepeatsAndStops();
};

void TestSoundWatch::marker_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<double>("left");
    QTest::newRow("start") << 1000 << 0 << true << 186.0;
    QTest::newRow("half") << 1000 << 500 << true << 306.0;
    QTest::newRow("end") << 1000 << 1000 << true << 426.0;
    QTest::newRow("division first") << 3 << 1 << true << (240.0 / 3) * 1 + 186;
    QTest::newRow("long sound") << 2147483647 << 2147483647 << true << 426.0;
    QTest::newRow("length 0") << 0 << 0 << false << 0.0;
    QTest::newRow("length 0, position read") << 0 << 50 << false << 0.0;
}

void TestSoundWatch::marker()
{
    QFETCH(int, length);
    QFETCH(int, position);
    QFETCH(bool, moves);
    QFETCH(double, left);
    const std::optional<double> got = SoundWatch::markerLeft(length, position);
    QCOMPARE(got.has_value(), moves);
    if (moves)
        QCOMPARE(*got, left);
}

void TestSoundWatch::startClosesOpensAndPlays()
{
    SimulatedLayer layer;
    layer.lengths[rain] = 3000;
    mdlSound sound(layer);
    SoundWatch watch(sound);
    QVERIFY(!watch.running());
    watch.start(rain);
    QVERIFY(watch.running());
    QCOMPARE(watch.soundPath(), rain);
    QCOMPARE(layer.log, QStringList({"close all", "open \"" + rain + "\" alias med",
                                     "set med time format milliseconds", "play med"}));
}

void TestSoundWatch::markerFollowsTheSound()
{
    SimulatedLayer layer;
    layer.lengths[rain] = 2400;
    mdlSound sound(layer);
    SoundWatch watch(sound);
    watch.start(rain);
    layer.log.clear();
    layer.nowMs = 1200;
    const SoundWatch::Tick t = watch.tick(false);
    QCOMPARE(t.markerLeft.value_or(-1), 306.0);
    QVERIFY(!t.atEnd && !t.stopTimer && !t.restarted);
    QVERIFY(watch.running());
    // Two pairs of fresh reads, nothing else.
    QCOMPARE(layer.log, QStringList({"status med length", "status med position",
                                     "status med length", "status med position"}));
}

void TestSoundWatch::endWithRepeatOff()
{
    SimulatedLayer layer;
    layer.lengths[rain] = 1000;
    mdlSound sound(layer);
    SoundWatch watch(sound);
    watch.start(rain);
    layer.nowMs = 1000;
    layer.log.clear();
    const SoundWatch::Tick t = watch.tick(false);
    QCOMPARE(t.markerLeft.value_or(-1), 426.0);
    QVERIFY(t.atEnd && t.stopTimer && !t.restarted);
    QVERIFY(!watch.running());
    QCOMPARE(layer.log.mid(4), QStringList({"close all"}));
    QVERIFY(!layer.isOpen());
}

void TestSoundWatch::endWithRepeatOn()
{
    SimulatedLayer layer;
    layer.lengths[rain] = 1000;
    mdlSound sound(layer);
    SoundWatch watch(sound);
    watch.start(rain);
    layer.nowMs = 1050;
    layer.log.clear();
    const SoundWatch::Tick t = watch.tick(true);
    QVERIFY(t.atEnd && t.restarted && !t.stopTimer);
    QVERIFY(watch.running());
    QCOMPARE(layer.log.mid(4), QStringList({"close all", "open \"" + rain + "\" alias med",
                                            "set med time format milliseconds", "play med"}));
    // The next tick brings the marker back near the start.
    layer.nowMs += 100;
    QCOMPARE(watch.tick(true).markerLeft.value_or(-1), 186.0 + 240.0 / 1000 * 100);
}

// A file that does not open reads as length 0 and position 0: at its end at once, with
// nothing to replay. The watch stops at the first tick whatever the repeat switch says, and
// does not try to open the file again; the marker never moves.
void TestSoundWatch::unopenableFile()
{
    for (const bool repeat : {false, true}) {
        SimulatedLayer layer;
        mdlSound sound(layer);
        SoundWatch watch(sound);
        watch.start(QStringLiteral("/snd/broken.wav"));
        layer.log.clear();
        const SoundWatch::Tick t = watch.tick(repeat);
        QVERIFY(!t.markerLeft);
        QVERIFY(t.atEnd && t.stopTimer && !t.restarted);
        QVERIFY(!watch.running());
        QCOMPARE(layer.log.mid(4), QStringList({"close all"}));
    }
}

// A length out of range skips the marker step; an end test that cannot be read is no proof
// of the end, so the sound plays on until a readable test finds its end.
void TestSoundWatch::overflowSkipsOnlyItsStep()
{
    SimulatedLayer layer;
    layer.lengths[rain] = 1000;
    mdlSound sound(layer);
    SoundWatch watch(sound);
    watch.start(rain);
    layer.nowMs = 500;
    layer.lengthReply = QStringLiteral("9999999999");
    SoundWatch::Tick t = watch.tick(false);
    QVERIFY(!t.markerLeft);
    QVERIFY(!t.atEnd && !t.stopTimer);
    QVERIFY(watch.running());
    QVERIFY(layer.playing());

    layer.lengthReply.clear();
    layer.nowMs = 1000;
    t = watch.tick(false);
    QCOMPARE(t.markerLeft.value_or(-1), 426.0);
    QVERIFY(t.atEnd && t.stopTimer);
}

// The watch on the real layer and SDL's dummy driver, ticking every 100 ms: the marker climbs
// from 186 to 426; with repeat on the sound starts again at the first tick that finds it at
// its end; then with repeat off it stops and all sound is closed.
void TestSoundWatch::realLayerRepeatsAndStops()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Звук.wav"));
    QVERIFY(TestMedia::writeTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 22050 * 4 / 10));
    MediaLayer layer(MediaLayer::Options{});
    mdlSound sound(layer);
    SoundWatch watch(sound);
    watch.start(path);
    QCOMPARE(sound.SoundLength(), 400);

    double lastMarker = SoundWatch::markerRest;
    int restarts = 0;
    bool repeat = true;
    QElapsedTimer guard;
    guard.start();
    while (watch.running()) {
        QVERIFY2(guard.elapsed() < 120000, "the watch never stopped");
        QThread::msleep(SoundWatch::tickIntervalMs);
        const SoundWatch::Tick t = watch.tick(repeat);
        if (t.markerLeft) {
            QVERIFY(*t.markerLeft >= SoundWatch::markerRest);
            QVERIFY(*t.markerLeft <= SoundWatch::markerRest + SoundWatch::markerTrack);
            if (t.atEnd)
                QCOMPARE(*t.markerLeft, 426.0);
            lastMarker = *t.markerLeft;
        }
        if (t.restarted) {
            ++restarts;
            QCOMPARE(sound.SoundPosition(), 0);
            QCOMPARE(sound.SoundLength(), 400);
            if (restarts == 2)
                repeat = false;
        }
    }
    QCOMPARE(restarts, 2);
    QCOMPARE(lastMarker, 426.0);
    QCOMPARE(layer.send(QStringLiteral("status med length")), QString());
}

QTEST_GUILESS_MAIN(TestSoundWatch)
#include "tst_sound_watch.moc"
