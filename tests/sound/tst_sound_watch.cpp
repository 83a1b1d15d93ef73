#include <QTest>
class TestSoundWatch : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestSoundWatch)
#include "tst_sound_watch.moc"
