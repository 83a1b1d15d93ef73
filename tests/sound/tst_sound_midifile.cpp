#include "MidiFile.h"
#include "MidiWriter.h"
#include "TestMedia.h"

#include <QTest>

class TestSoundMidiFile : public QObject
{
    Q_OBJECT

private slots:
    void duration_data();
    void duration();
    void refused_data();
    void refused();
};

namespace {

QByteArray oneTrack(int division,
                    std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> tempos,
                    std::uint32_t endDelta, int format = 0)
{
    MidiWriter w(format, division);
    w.beginTrack();
    for (const auto &[delta, tempo] : tempos)
        w.tempo(delta, tempo);
    w.endOfTrack(endDelta);
    return w.bytes();
}

} // namespace

void TestSoundMidiFile::duration_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<double>("micros");

    QTest::newRow("default tempo 120 bpm") << oneTrack(480, {}, 960) << 1e6;
    QTest::newRow("tempo at start") << oneTrack(96, {{0, 1000000}}, 96 * 3) << 3e6;
    QTest::newRow("changes on the conductor track")
        << TestMedia::midiWithTempoChanges() << double(TestMedia::midiWithTempoChangesMs) * 1000;
    QTest::newRow("change exactly at the end is ignored")
        << oneTrack(480, {{0, 500000}, {480, 100}}, 0) << 0.5e6;
    QTest::newRow("odd tempo") << oneTrack(480, {{0, 600001}}, 480) << 600001.0;

    {
        // Format 1: a tempo change on a later track still applies, and the longest track counts.
        MidiWriter w(1, 100);
        w.beginTrack();
        w.endOfTrack(50);
        w.beginTrack();
        w.noteOn(0, 0, 60, 90);
        w.tempo(100, 250000); // after 0.5 s
        w.noteOff(200, 0, 60);
        w.endOfTrack(0);
        QTest::newRow("tempo on a note track") << w.bytes() << 0.5e6 + 0.5e6;
    }
    {
        // Running status: note events without repeating the status byte.
        MidiWriter w(0, 480);
        w.beginTrack();
        w.noteOn(0, 0, 60, 100);
        w.raw(480, QByteArray("\x40\x64", 2));
        w.raw(480, QByteArray("\x3c\x00", 2));
        w.endOfTrack(0);
        QTest::newRow("running status") << w.bytes() << 1e6;
    }
    {
        MidiWriter w(0, 480);
        w.beginTrack();
        w.raw(0, QByteArray("\xf0\x05\x7e\x7f\x09\x01\xf7", 7)); // sysex
        w.raw(480, QByteArray("\xff\x03\x04name", 7));           // track name
        w.endOfTrack(480);
        QTest::newRow("sysex and meta text") << w.bytes() << 1e6;
    }
    {
        // One track: 1 s of a note at 120 bpm, 1 s at 60 bpm, then 1 s of rest before its end.
        MidiWriter w(0, 480);
        w.beginTrack();
        w.noteOn(0, 0, 60, 100);
        w.noteOff(960, 0, 60);
        w.tempo(0, 1000000);
        w.noteOn(0, 0, 62, 100);
        w.noteOff(480, 0, 62);
        w.endOfTrack(480);
        const QByteArray whole = w.bytes();
        QTest::newRow("whole") << whole << 3e6;
        // Cut inside its end-of-track event: read up to the last whole event.
        QTest::newRow("truncated") << whole.chopped(2) << 2e6;
    }
    {
        // A track length that claims far more than the file holds.
        QByteArray d = oneTrack(480, {}, 480);
        d[18] = char(0x7f);
        QTest::newRow("lying track length") << d << 0.5e6;
    }
    {
        MidiWriter w(0, 480);
        w.beginTrack();
        w.raw(0, QByteArray("\xff\x7f\x00", 3));
        w.endOfTrack(0xfffffff);
        QTest::newRow("largest delta") << w.bytes() << double(0xfffffff) * 500000 / 480;
    }
    {
        // 25 frames a second, 40 ticks a frame: 1000 ticks a second.
        QByteArray d = oneTrack(0, {{0, 1000000}}, 1500);
        d[12] = char(0xe7);
        d[13] = char(40);
        QTest::newRow("time code division") << d << 1.5e6;
    }
    {
        QByteArray d = oneTrack(480, {}, 480);
        d.insert(14, QByteArray("XFIH\x00\x00\x00\x02zz", 10)); // a chunk of another kind first
        QTest::newRow("alien chunk skipped") << d << 0.5e6;
    }
}

void TestSoundMidiFile::duration()
{
    QFETCH(QByteArray, data);
    QFETCH(double, micros);
    const std::optional<double> got = MidiFile::durationMicroseconds(data);
    QVERIFY(got.has_value());
    QCOMPARE(*got, micros);
}

void TestSoundMidiFile::refused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not MIDI") << QByteArray("RIFF\x10\x00\x00\x00WAVEfmt ", 16);
    QTest::newRow("header only") << QByteArray("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0", 14);
    QTest::newRow("short header") << QByteArray("MThd\x00\x00\x00\x04\x00\x00\x00\x01\x01\xe0", 14);
    QTest::newRow("format 3") << QByteArray("MThd\x00\x00\x00\x06\x00\x03\x00\x01\x01\xe0", 14);
    QTest::newRow("no tracks") << QByteArray("MThd\x00\x00\x00\x06\x00\x00\x00\x00\x01\xe0", 14);
    QTest::newRow("division 0") << QByteArray("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x00", 14);
}

void TestSoundMidiFile::refused()
{
    QFETCH(QByteArray, data);
    QVERIFY(!MidiFile::durationMicroseconds(data).has_value());
}

QTEST_GUILESS_MAIN(TestSoundMidiFile)
#include "tst_sound_midifile.moc"
