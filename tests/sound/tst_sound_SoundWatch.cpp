#include "SimulatedLayer.h"
#include "SoundWatch.h"
#include "mdlSound.h"

#include <QTest>

namespace {

const QString rain = QStringLiteral("/home/u/snd/Rain.mp3");

} // namespace

// The watch's start, its marker, its ticks at and before the end with either repeat setting, an
// unopenable file and the real layer are checked through the panel that drives it
// (tst_sound_SoundPanel).
class tst_sound_SoundWatch : public QObject
{
    Q_OBJECT

private slots:
    void overflowSkipsOnlyItsStep();
};

// A length out of range skips the marker step; an end test that cannot be read is no proof
// of the end, so the sound plays on until a readable test finds its end.
void tst_sound_SoundWatch::overflowSkipsOnlyItsStep()
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

QTEST_GUILESS_MAIN(tst_sound_SoundWatch)
#include "tst_sound_SoundWatch.moc"
