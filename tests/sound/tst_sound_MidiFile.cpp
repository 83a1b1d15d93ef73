#include "AudioOutput.h"
#include "MidiDecoder.h"
#include "MidiFile.h"
#include "MidiSynth.h"
#include "MidiWriter.h"
#include "TestMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <vector>

class tst_sound_MidiFile : public QObject
{
    Q_OBJECT

private slots:
    void duration_data();
    void duration();
    void malformed_data();
    void malformed();
    void otherChunks_data();
    void otherChunks();
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

void tst_sound_MidiFile::duration_data()
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
        QTest::newRow("slowest tempo, longest delta")
            << oneTrack(1, {{0, 0xffffff}}, 0x0fffffff) << double(0x0fffffff) * 0xffffff;
        QTest::newRow("1 us a quarter")
            << oneTrack(0x7fff, {{0, 1}}, 0x0fffffff) << double(0x0fffffff) / 0x7fff;
    }
    {
        QByteArray d = oneTrack(480, {}, 480);
        d.insert(14, QByteArray("XFIH\x00\x00\x00\x02zz", 10)); // a chunk of another kind first
        QTest::newRow("alien chunk skipped") << d << 0.5e6;
    }
}

void tst_sound_MidiFile::duration()
{
    QFETCH(QByteArray, data);
    QFETCH(double, micros);
    const std::optional<double> got = MidiFile::durationMicroseconds(data);
    QVERIFY(got.has_value());
    QCOMPARE(*got, micros);
}

// Files that the synth's own reader would read differently are found, so its player never
// allocates a claimed length or loops for ever. Most rows come from fuzzing.
void tst_sound_MidiFile::malformed_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("malformed");
    QTest::addColumn<bool>("measured");

    const auto track = [](const QByteArray &events, int division = 480) {
        MidiWriter w(0, division);
        w.beginTrack();
        w.tempo(0, 500000);
        w.raw(0, events);
        w.endOfTrack(10);
        return w.bytes();
    };
    QTest::newRow("meta claiming 256 MB")
        << track(QByteArray("\xff\x01\xff\xff\xff\x7f\x41\x42", 8)) << true << true;
    QTest::newRow("meta one byte too long") << track(QByteArray("\xff\x01\x0c"
                                                                "ABCDEFG",
                                                                10))
                                            << true << true;
    QTest::newRow("sysex claiming 2 MB")
        << track(QByteArray("\xf0\xff\xff\x7f\x7e\xf7", 6)) << true << true;
    QTest::newRow("escape claiming past the end")
        << track(QByteArray("\xf7\x81\x00\x01", 4)) << true << true;
    QTest::newRow("meta that fits") << track(QByteArray("\xff\x01\x03"
                                                        "abc",
                                                        6))
                                    << false << true;
    QTest::newRow("sysex that fits")
        << track(QByteArray("\xf0\x03\x7e\x7f\xf7", 5)) << false << true;
    QTest::newRow("tempo changes") << TestMedia::midiWithTempoChanges() << false << true;
    QTest::newRow("minimized fuzz input")
        << QByteArray("MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xe0"
                      "MTrk\x00\x00\x00\x1c\x00\xffQ\x03\x07\xa1\x20\x87\x40\xffQ\x03\x0f"
                      "\x00\x22\x00\xff\xff\xff\xff\xff\x7f\xed\xed\xed\xed\x17\x60\x80\x40"
                      "\x00\x00\x90\x43\x64\x87\x40\x80\x43\x00\x00\xff\x2f\x00",
                      66)
        << true << true;
    // Found by fuzzing: a status byte where a note-off's data belongs; the synth's own reader
    // went on to find an end-of-track claiming 256 MB.
    QTest::newRow("status byte among channel data")
        << QByteArray("MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xe0"
                      "MTrk\x00\x00\x00\x1c\x00\xffQ\x03\x07\xff\xa1\x20\x87\x49\xffI"
                      "\x03\xd0\xbd\xbf|Q\x03\x07\x9f\x00Q\x03\x03\xd0\x90\x87\x40\xff/\xff\xff"
                      "\xff\x7fn\x00",
                      59)
        << true << true;

    const QByteArray good = track(QByteArray("\xff\x01\x03"
                                             "abc",
                                             6));
    // Files that are no Standard MIDI File with a track, whatever follows a header that breaks a
    // rule: not measured, and not malformed ones either.
    const auto header = [&good](int at, const QByteArray &fields) {
        return QByteArray(good).replace(at, fields.size(), fields);
    };
    const std::pair<const char *, QByteArray> notMidi[] = {
        {"not MIDI", QByteArray("RIFF\xff\xff\xff\x7f", 8)},
        {"empty", QByteArray()},
        {"WAV", QByteArray("RIFF\x10\x00\x00\x00WAVEfmt ", 16)},
        {"header only", QByteArray("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0", 14)},
        {"short header", QByteArray("MThd\x00\x00\x00\x04\x00\x00\x00\x01\x01\xe0", 14)},
        {"format 3", header(8, QByteArray("\x00\x03", 2))},
        {"no tracks", header(10, QByteArray(2, '\0'))},
        {"division 0", header(12, QByteArray(2, '\0'))}};
    for (const auto &[name, data] : notMidi)
        QTest::newRow(name) << data << false << false;

    // The synth's reader never takes a new chunk name after a chunk of another kind: it reads
    // the next four bytes as a length, here -8, back to a length of 0 before it, for ever.
    QTest::newRow("chunk leading back into itself")
        << good + QByteArray("XFIH\x00\x00\x00\x00\xff\xff\xff\xf8", 12) << false << true;
    QByteArray twoTracks = good + QByteArray("XFIH\x00\x00\x00\x00\xff\xff\xff\xf8", 12);
    twoTracks[11] = 2;
    QTest::newRow("chunk leading back into itself, as a track") << twoTracks << false << true;
    QByteArray alien = good;
    alien.insert(14, QByteArray("XFIH\x00\x00\x00\x02zz", 10));
    QTest::newRow("alien chunk before the track") << alien << false << true;
    QByteArray negative = good;
    negative += QByteArray("MTrk\xff\xff\xff\xf0\x00\xff\x2f\x00", 12);
    negative[11] = 2;
    QTest::newRow("track of -16 bytes") << negative << false << true;
    // A data byte after a meta event runs on the meta status for the synth: a meta event whose
    // type is that byte and whose length comes next, here 256 MB.
    QTest::newRow("data byte after a meta event")
        << track(QByteArray("\xff\x01\x01x\x00\x01\xff\xff\xff\x7f", 10)) << true << true;
    {
        MidiWriter w(0, 480);
        w.beginTrack();
        w.raw(0, QByteArray("\x40\x40", 2));
        w.endOfTrack(10);
        QTest::newRow("data byte opening a track") << w.bytes() << true << true;
    }
    QTest::newRow("running status after a note")
        << track(QByteArray("\x90\x40\x40\x00\x41\x40", 6)) << false << true;
    QByteArray longHeader = good;
    longHeader[7] = 8;
    longHeader.insert(14, QByteArray(2, '\0'));
    QTest::newRow("header of 8 bytes") << longHeader << false << true;
    QByteArray manyTracks = good;
    manyTracks[10] = 1;
    QTest::newRow("256 tracks claimed, one there") << manyTracks << false << true;
    QByteArray tooMany = good;
    tooMany[11] = char(MidiFile::maxTracks + 1);
    for (int i = 0; i < MidiFile::maxTracks; ++i)
        tooMany += good.mid(14);
    QTest::newRow("more tracks than the player takes") << tooMany << true << true;
    QTest::newRow("note cut off by the end of its track")
        << good.left(22) + QByteArray("\x00\x90\x40", 3) << true << true;
    // Stopping between events is fine; the synth stops there too.
    QTest::newRow("track ending between events")
        << good.left(22) + QByteArray("\x00\x90\x40\x40", 4) << false << true;
}

void tst_sound_MidiFile::malformed()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, malformed);
    QFETCH(bool, measured);
    QCOMPARE(MidiFile::isMalformed(data), malformed);
    // The tempo map is still read as far as it goes.
    QCOMPARE(MidiFile::durationMicroseconds(data).has_value(), measured);
}

// Files with chunks of other kinds among their tracks (karaoke files, for one), or wrapped in
// RIFF, play with the length of their tracks; what cannot be read stays refused.
void tst_sound_MidiFile::otherChunks_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("ms"); // -1: refused

    MidiWriter w(1, 480);
    w.beginTrack(); // one second of a note
    w.programChange(0, 0, 19);
    w.noteOn(0, 0, 60, 110);
    w.noteOff(960, 0, 60);
    w.endOfTrack(0);
    w.beginTrack(); // the tempo, for half as long
    w.tempo(0, 500000);
    w.endOfTrack(480);
    const QByteArray plain = w.bytes();
    const qsizetype second = plain.indexOf("MTrk", 15);
    const QByteArray xfih("XFIH\x00\x00\x00\x05"
                          "abcde",
                          13);
    const QByteArray xfkm("XFKM\x00\x00\x00\x04\x00\x00\x00\x00", 12);
    const QByteArray huge("XFKM\xff\xff\xff\xf0xy", 10);
    const auto at = [](QByteArray d, qsizetype i, const QByteArray &chunk) {
        return d.insert(i, chunk);
    };
    const auto le = [](qsizetype v) {
        QByteArray out;
        for (int i = 0; i < 4; ++i)
            out += char((v >> (8 * i)) & 0xff);
        return out;
    };
    const auto riff = [&](const QByteArray &before, const QByteArray &smf) {
        const QByteArray body = "RMID" + before + "data" + le(smf.size()) + smf;
        return "RIFF" + le(body.size()) + body;
    };

    QTest::newRow("plain") << plain << 1000;
    QTest::newRow("chunk before the tracks") << at(plain, 14, xfih) << 1000;
    QTest::newRow("chunk between the tracks") << at(plain, second, xfkm) << 1000;
    QTest::newRow("chunk after the tracks") << plain + xfkm << 1000;
    QTest::newRow("chunks everywhere") << at(at(plain, second, xfkm), 14, xfih) + xfkm << 1000;
    QTest::newRow("huge chunk after the tracks") << plain + huge << 1000;
    QTest::newRow("huge chunk between the tracks takes the rest")
        << at(plain, second, huge) << 1000;
    QTest::newRow("huge chunk before the tracks") << at(plain, 14, huge) << -1;
    QTest::newRow("RIFF") << riff({}, plain) << 1000;
    QTest::newRow("RIFF, odd chunk before the data") << riff(QByteArray("LIST\x03\x00\x00\x00"
                                                                        "abc\x00",
                                                                        12),
                                                             at(plain, 14, xfih))
                                                     << 1000;
    QTest::newRow("RIFF without data") << riff({}, {}).replace("data", "date") << -1;
    // Time code: 25 frames a second of 40 ticks, 1000 ticks a second; tempo events do not count.
    const auto timeCode = [](QByteArray d) {
        d[12] = char(0xe7);
        d[13] = char(40);
        return d;
    };
    QTest::newRow("time code") << timeCode(plain) << 960;
    MidiWriter late(0, 480);
    late.beginTrack(); // a note from 100 ms to 1 s, after a tempo of 8 s a quarter
    late.tempo(0, 0x7fffff);
    late.noteOn(100, 0, 60, 110);
    late.noteOff(900, 0, 60);
    late.endOfTrack(0);
    QTest::newRow("time code with a tempo event") << timeCode(late.bytes()) << 1000;
    QByteArray damaged = at(plain, 14, xfih);
    damaged[14 + 13 + 8 + 1] = char(0x40); // the program change's status byte becomes data
    QTest::newRow("damaged track among other chunks") << damaged << -1;
}

void tst_sound_MidiFile::otherChunks()
{
    QFETCH(QByteArray, data);
    QFETCH(int, ms);
    MidiSynth synth(MidiSynth::defaultCandidates());
    if (!synth.synth())
        QSKIP("no General MIDI soundfont installed");
    QTemporaryDir dir;
    QFile file(dir.filePath("song.mid"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    file.close();
    const std::unique_ptr<MidiDecoder> decoder = MidiDecoder::open(file.fileName(), synth);
    if (ms < 0) {
        QVERIFY(!decoder);
        return;
    }
    QVERIFY(decoder);
    QCOMPARE(decoder->lengthFrames(), std::int64_t(AudioOutput::rate) * ms / 1000);
    std::vector<float> pcm(std::size_t(AudioOutput::rate / 5 * 2));
    QCOMPARE(decoder->read(pcm.data(), int(pcm.size() / 2)), int(pcm.size() / 2));
    double sum = 0;
    for (float v : pcm)
        sum += double(v) * v;
    QVERIFY2(std::sqrt(sum / double(pcm.size())) > 0.01, "the synth played nothing");
}

QTEST_GUILESS_MAIN(tst_sound_MidiFile)
#include "tst_sound_MidiFile.moc"
