#include <QTest>
class TestSoundPlayback : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestSoundPlayback)
#include "tst_sound_playback.moc"
