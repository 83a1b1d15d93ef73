#include "AudioOutput.h"
#include "HostileFiles.h"
#include "MediaLayer.h"
#include "MidiDecoder.h"
#include "MidiSynth.h"
#include "Mp3Decoder.h"
#include "Playback.h"
#include "TestMedia.h"
#include "WavDecoder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <sndfile.h>

// Plays the sounds through the layer on SDL's dummy driver, which takes sound at real-time
// pace: every check below waits for playback rather than for a fixed time.
class tst_sound_Playback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playsToTheEnd_data();
    void playsToTheEnd();
    void opensByAnyName_data();
    void opensByAnyName();
    void noSoundFont();
    void soundFontSearch();
    void hostileFiles_data();
    void hostileFiles();
    void unfinishedHeaders_data();
    void unfinishedHeaders();
    void mp3JoinedAtTwoRatesPlaysWhole();
    void widerLayoutsMixDown_data();
    void widerLayoutsMixDown();
    void repeatsWithoutSeam_data();
    void repeatsWithoutSeam();
    void replayTakesUpTheNextPass();
    void midiEndFades();
    void takenAwayWithoutClick();

private:
    QString mediaPath(const QString &name) const { return m_dir.filePath(name); }
    // Milliseconds of `frames` at `rate`, rounded to the nearest.
    static int ms(std::int64_t frames, int rate) { return int((frames * 1000 + rate / 2) / rate); }
    static int status(MediaLayer &layer, const char *what);
    static std::optional<std::int64_t> factCount(const QString &path);
    // Why `file` cannot be played on this machine, or null.
    const char *missing(const QString &file) const
    {
        return file.endsWith(u".mp3") && !m_haveMp3 ? "lame is not installed (scripts/setup)"
               : file.endsWith(u".mid") && !m_haveSoundFont
                   ? "no General MIDI soundfont installed (package timgm6mb-soundfont)"
                   : nullptr;
    }

    static constexpr int shortFrames = 4321; // short.wav, at 8000 Hz
    QTemporaryDir m_dir;
    bool m_haveSoundFont = false;
    bool m_haveMp3 = false;
};

namespace {

QString openCommand(const QString &path)
{
    return QStringLiteral("open \"") + path + QStringLiteral("\" alias med");
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

constexpr int hangGuardMs = 120000;

// The decoder a file's extension picks, on `synth` for MIDI.
std::unique_ptr<AudioDecoder> openDecoder(const QString &file, MidiSynth &synth)
{
    return file.endsWith(u".mp3")   ? Mp3Decoder::open(file)
           : file.endsWith(u".mid") ? std::unique_ptr<AudioDecoder>(MidiDecoder::open(file, synth))
                                    : WavDecoder::open(file);
}

struct Wav
{
    const char *name;
    int format;
    int rate;
    int channels;
    std::int64_t frames;
};
const Wav wavs[] = {
    {"pcm16-44100-stereo", SF_FORMAT_PCM_16, 44100, 2, 44100 * 6 / 10 + 7},
    {"u8-8000-mono", SF_FORMAT_PCM_U8, 8000, 1, 4321},
    {"pcm24-96000-stereo", SF_FORMAT_PCM_24, 96000, 2, 50000},
    {"float-48000-mono", SF_FORMAT_FLOAT, 48000, 1, 30001},
    {"ulaw-11025-mono", SF_FORMAT_ULAW, 11025, 1, 6000},
    {"ima-adpcm-22050-mono", SF_FORMAT_IMA_ADPCM, 22050, 1, 13001},
    {"ima-adpcm-44100-stereo", SF_FORMAT_IMA_ADPCM, 44100, 2, 30000},
    {"ms-adpcm-22050-stereo", SF_FORMAT_MS_ADPCM, 22050, 2, 14000},
};

} // namespace

int tst_sound_Playback::status(MediaLayer &layer, const char *what)
{
    const QString reply = layer.send(QStringLiteral("status med ") + QLatin1String(what));
    bool ok = false;
    const int value = reply.toInt(&ok);
    return ok ? value : -1;
}

// The sample count in a WAV file's fact chunk, read independently of the decoder.
std::optional<std::int64_t> tst_sound_Playback::factCount(const QString &path)
{
    const QByteArray d = readFile(path);
    const qsizetype at = d.indexOf("fact");
    if (at < 0 || at + 12 > d.size())
        return std::nullopt;
    return qFromLittleEndian<quint32>(d.constData() + at + 8);
}

void tst_sound_Playback::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A driver that does not exist stands for a machine whose sound device will not open.
    qputenv("SDL_AUDIODRIVER", "qx-no-such-driver");
    m_haveSoundFont = !MidiSynth::findSoundFont(MidiSynth::defaultCandidates()).isEmpty();

    const int rate = 44100;
    QVERIFY(TestMedia::writeTone(mediaPath("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2,
                                 rate * 2, true));
    m_haveMp3 =
        TestMedia::encodeMp3(mediaPath("tone.wav"), mediaPath("cbr.mp3"), {"-b", "128"}) &&
        TestMedia::encodeMp3(mediaPath("tone.wav"), mediaPath("vbr.mp3"), {"-V", "2", "-t"}) &&
        TestMedia::encodeMp3(mediaPath("tone.wav"), mediaPath("mono.mp3"),
                             {"-m", "m", "-b", "64", "--resample", "22.05"}) &&
        TestMedia::encodeMp3(
            mediaPath("tone.wav"), mediaPath("tagged.mp3"),
            {"-b", "128", "--add-id3v2", "--pad-id3v2-size", "70000", "--tt", "Дождь"});
    QVERIFY(writeFile(mediaPath("tempo.mid"), TestMedia::midiWithTempoChanges()));
    for (const Wav &w : wavs)
        QVERIFY(TestMedia::writeTone(mediaPath(QLatin1String(w.name) + ".wav"),
                                     SF_FORMAT_WAV | w.format, w.rate, w.channels, w.frames));
    QVERIFY(TestMedia::writeTone(mediaPath("short.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1,
                                 shortFrames));
    QVERIFY(TestMedia::writeTone(mediaPath("loop.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2,
                                 rate / 4 + 7));
    QVERIFY(TestMedia::writeTone(mediaPath("loop-ms-adpcm.wav"), SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM,
                                 rate, 2, rate / 4 + 7));
    if (m_haveMp3) {
        QVERIFY(
            TestMedia::encodeMp3(mediaPath("loop.wav"), mediaPath("loop-cbr.mp3"), {"-b", "128"}));
        QVERIFY(
            TestMedia::encodeMp3(mediaPath("loop.wav"), mediaPath("loop-vbr.mp3"), {"-V", "2"}));
    }
    QVERIFY(writeFile(mediaPath("held.mid"), TestMedia::midiHeldNote(288)));
}

void tst_sound_Playback::playsToTheEnd_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("length");

    for (const Wav &w : wavs) {
        const QString path = mediaPath(QLatin1String(w.name) + ".wav");
        // ADPCM files end on whole blocks; their fact chunk holds the length.
        const std::int64_t frames = factCount(path).value_or(w.frames);
        QTest::newRow(w.name) << path << ms(frames, w.rate);
    }
    {
        // An ADPCM file whose fact chunk says the sound ends inside its last block, as most
        // encoders write it.
        const QString path = mediaPath("ima-adpcm-exact-fact.wav");
        QVERIFY(TestMedia::writeTone(path, SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 22050, 1, 13001));
        QByteArray d = readFile(path);
        qToLittleEndian<quint32>(13001, d.data() + d.indexOf("fact") + 8);
        QVERIFY(writeFile(path, d));
        QTest::newRow("ima-adpcm-exact-fact") << path << ms(13001, 22050);
    }

    // MP3: with its Info tag the encoder's delay and padding are cut, so the length is the
    // source's; without a tag it is every frame the file holds, counted here from the headers.
    QTest::newRow("mp3-cbr-info-tag") << mediaPath("cbr.mp3") << 2000;
    int rate = 0;
    const auto vbrSamples = TestMedia::mp3DecodedSamples(mediaPath("vbr.mp3"), &rate);
    QTest::newRow("mp3-vbr-no-xing")
        << mediaPath("vbr.mp3") << (vbrSamples ? ms(*vbrSamples, rate) : -2);
    QTest::newRow("mp3-mono-22050") << mediaPath("mono.mp3") << 2000;
    // Tags in front that run past the first block read, and behind.
    QTest::newRow("mp3-id3-tags") << mediaPath("tagged.mp3") << 2000;
    QTest::newRow("midi-tempo-changes")
        << mediaPath("tempo.mid") << TestMedia::midiWithTempoChangesMs;
}

// Opens, checks the length and the position at rest, plays, and follows the position to the
// end: never above the length, never going back, and equal to it at the end and after.
void tst_sound_Playback::playsToTheEnd()
{
    QFETCH(QString, file);
    QFETCH(int, length);
    if (const char *why = missing(file))
        QSKIP(why);

    MediaLayer layer;
    QCOMPARE(layer.send(openCommand(file)), QStringLiteral("1"));
    QCOMPARE(layer.send(QStringLiteral("set med time format milliseconds")), QString());
    QCOMPARE(status(layer, "length"), length);
    QThread::msleep(30);
    QCOMPARE(status(layer, "position"), 0);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(layer.send(QStringLiteral("play med")), QString());
    int last = 0;
    int samples = 0;
    int distinct = 0;
    while (true) {
        const int p = status(layer, "position");
        QVERIFY2(p >= last,
                 qPrintable(QStringLiteral("position went back: %1 after %2").arg(p).arg(last)));
        QVERIFY2(p <= length,
                 qPrintable(QStringLiteral("position %1 above length %2").arg(p).arg(length)));
        distinct += p != last ? 1 : 0;
        last = p;
        ++samples;
        if (p == length)
            break;
        QVERIFY2(clock.elapsed() < hangGuardMs, "playback never reached its end");
        QThread::msleep(5);
    }
    // The dummy driver paces playback (only roughly: its buffers run about 5% short, and the
    // first ones go at once), so a sound cannot be over in much less than its length.
    QVERIFY2(clock.elapsed() >= length / 2,
             qPrintable(QStringLiteral("ended after %1 ms").arg(clock.elapsed())));
    QVERIFY2(distinct >= 3, "the position should move while playing");
    QThread::msleep(60);
    QCOMPARE(status(layer, "position"), length);
    QCOMPARE(status(layer, "length"), length);
}

// The extension picks the decoder in any letter case, names outside ASCII reach the file, and
// a file renamed from one of the three formats to another plays as what it holds: as long as
// under its own name.
void tst_sound_Playback::opensByAnyName_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("name");
    QTest::newRow("WAV") << mediaPath("tone.wav") << "Case.WAV";
    QTest::newRow("Wav") << mediaPath("tone.wav") << "Case.Wav";
    QTest::newRow("MP3") << mediaPath("cbr.mp3") << "Case.MP3";
    QTest::newRow("MiD") << mediaPath("tempo.mid") << "Case.MiD";
    QTest::newRow("Cyrillic wav") << mediaPath("tone.wav") << "Звуки 音 ♪/Дождь «тихий».wav";
    QTest::newRow("Japanese mp3") << mediaPath("cbr.mp3") << "Звуки 音 ♪/雨の音.mp3";
    QTest::newRow("Greek mid") << mediaPath("tempo.mid") << "Звуки 音 ♪/Μελωδία.mid";
    QTest::newRow("wav named mp3") << mediaPath("pcm16-44100-stereo.wav") << "wav-as.mp3";
    QTest::newRow("adpcm wav named mid") << mediaPath("ima-adpcm-22050-mono.wav") << "wav-as.mid";
    QTest::newRow("mp3 named mid") << mediaPath("vbr.mp3") << "mp3-as.mid";
    QTest::newRow("mp3 named wav") << mediaPath("cbr.mp3") << "mp3-as.wav";
    QTest::newRow("midi named wav") << mediaPath("tempo.mid") << "mid-as.wav";
    QTest::newRow("midi named mp3") << mediaPath("tempo.mid") << "mid-as.mp3";
}

void tst_sound_Playback::opensByAnyName()
{
    QFETCH(QString, source);
    QFETCH(QString, name);
    if (const char *why = missing(source))
        QSKIP(why);
    const QString path = mediaPath(name);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile::remove(path);
    QVERIFY(QFile::copy(source, path));
    MediaLayer layer;
    QCOMPARE(layer.send(openCommand(source)), QStringLiteral("1"));
    const int length = status(layer, "length");
    QVERIFY(length > 0);
    layer.send(QStringLiteral("close all"));
    QCOMPARE(layer.send(openCommand(path)), QStringLiteral("1"));
    QCOMPARE(status(layer, "length"), length);
}

void tst_sound_Playback::noSoundFont()
{
    QTemporaryDir empty;
    MediaLayer layer(MediaLayer::Options{{empty.path(), empty.filePath("missing.sf2")}});
    QCOMPARE(layer.send(openCommand(mediaPath("tempo.mid"))), QString());
    QCOMPARE(layer.send(QStringLiteral("status med length")), QString());
    QCOMPARE(layer.send(QStringLiteral("play med")), QString());
    // Everything else goes on working.
    QCOMPARE(layer.send(openCommand(mediaPath("short.wav"))), QStringLiteral("1"));
    layer.send(QStringLiteral("play med"));
    QTRY_COMPARE_WITH_TIMEOUT(status(layer, "position"), ms(shortFrames, 8000), hangGuardMs);
}

void tst_sound_Playback::soundFontSearch()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("empty"));
    QVERIFY(QDir(dir.path()).mkpath("fonts"));
    const QByteArray sf2 = QByteArray("RIFF\x04\x00\x00\x00sfbk", 12);
    QVERIFY(writeFile(dir.filePath("fonts/b.sf2"), sf2));
    QVERIFY(writeFile(dir.filePath("fonts/A.sf2"), sf2));
    QVERIFY(writeFile(dir.filePath("fonts/0-not-a-soundfont.sf2"),
                      QByteArray("RIFF\x04\x00\x00\x00WAVE", 12)));
    QVERIFY(writeFile(dir.filePath("fonts/notes.txt"), sf2));
    QVERIFY(writeFile(dir.filePath("direct.sf2"), sf2));
    QVERIFY(writeFile(dir.filePath("text.sf2"), "not a soundfont"));
    const QString empty = dir.filePath("empty");
    const QString fonts = dir.filePath("fonts");
    QCOMPARE(MidiSynth::findSoundFont({}), QString());
    QCOMPARE(MidiSynth::findSoundFont({empty, dir.filePath("none.sf2"), dir.filePath("text.sf2")}),
             QString());
    QCOMPARE(MidiSynth::findSoundFont({empty, fonts}), dir.filePath("fonts/A.sf2"));
    QCOMPARE(MidiSynth::findSoundFont({dir.filePath("direct.sf2"), fonts}),
             dir.filePath("direct.sf2"));

    qputenv("QX_SOUNDFONT_PATH", QFile::encodeName(empty + u':' + fonts));
    QCOMPARE(MidiSynth::defaultCandidates(), QStringList({empty, fonts}));
    qputenv("QX_SOUNDFONT_PATH", "");
    QCOMPARE(MidiSynth::defaultCandidates(), QStringList());
    qunsetenv("QX_SOUNDFONT_PATH");
    QVERIFY(!MidiSynth::defaultCandidates().isEmpty());

    // A file that starts like a soundfont but is none loads as none.
    MidiSynth broken({dir.filePath("direct.sf2")});
    QVERIFY(!broken.synth());
    QVERIFY(!broken.loaded());
}

void tst_sound_Playback::hostileFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("claimsHours"); // may open as hours or years of sound

    QRandomGenerator random(20240601);
    QByteArray noise(200000, 0);
    for (char &c : noise)
        c = char(random.bounded(256));
    const QByteArray wav = readFile(mediaPath("tone.wav"));
    const QByteArray adpcm = readFile(mediaPath("ima-adpcm-22050-mono.wav"));
    const QByteArray mp3 = readFile(mediaPath("vbr.mp3"));
    const QByteArray mid = TestMedia::midiWithTempoChanges();

    QTest::newRow("empty wav") << "empty.wav" << QByteArray() << false;
    QTest::newRow("noise wav") << "noise.wav" << noise << false;
    QTest::newRow("wav header only") << "head.wav" << wav.left(44) << false;
    QTest::newRow("truncated wav") << "cut.wav" << wav.left(wav.size() / 3) << false;
    QByteArray lying = wav;
    lying[40] = lying[41] = lying[42] = char(0xff);
    lying[43] = char(0x7f);
    QTest::newRow("wav data size lies") << "lying.wav" << lying << false;
    QByteArray badRate = wav;
    badRate[24] = badRate[25] = badRate[26] = badRate[27] = char(0xff);
    QTest::newRow("wav rate nonsense") << "rate.wav" << badRate << false;
    QTest::newRow("truncated adpcm")
        << "cut-adpcm.wav" << adpcm.left(adpcm.size() / 2 + 17) << false;
    QTest::newRow("empty mp3") << "empty.mp3" << QByteArray() << false;
    QTest::newRow("noise mp3") << "noise.mp3" << noise << false;
    QTest::newRow("zeros mp3") << "zeros.mp3" << QByteArray(100000, 0) << false;
    QTest::newRow("wav named mp3") << "wav.mp3" << wav.left(100000) << false;
    if (!mp3.isEmpty()) {
        QTest::newRow("truncated mp3") << "cut.mp3" << mp3.left(mp3.size() / 2 + 3) << false;
        QByteArray holes = mp3;
        for (qsizetype i = 1000; i < holes.size(); i += 997)
            holes[i] = char(random.bounded(256));
        QTest::newRow("damaged mp3") << "holes.mp3" << holes << false;
    }
    QTest::newRow("noise mid") << "noise.mid" << noise << false;
    QTest::newRow("midi header only") << "head.mid" << mid.left(14) << false;
    QTest::newRow("truncated midi") << "cut.mid" << mid.left(mid.size() - 20) << false;
    QByteArray midNoise = mid.left(22) + noise.left(5000);
    QTest::newRow("midi with noise track") << "noisetrack.mid" << midNoise << false;
    // Found by fuzzing: a meta event claiming 256 MB made the player allocate that much.
    QByteArray overlong = mid.left(22);
    overlong += QByteArray("\x00\xff\x01\xff\xff\xff\x7f", 7) + QByteArray(64, 'x');
    QTest::newRow("midi event claiming 256 MB") << "overlong.mid" << overlong << false;
    // Found by fuzzing: after a chunk of another kind the synth's reader takes the next bytes as
    // a length, here -8, back to a length of 0, and so on for ever.
    QByteArray selfLoop = mid;
    selfLoop[11] = char(selfLoop[11] + 1);
    selfLoop += QByteArray("XFIH\x00\x00\x00\x00\xff\xff\xff\xf8", 12);
    QTest::newRow("midi chunk leading back into itself") << "selfloop.mid" << selfLoop << false;
    // Headers that claim hours or years of sound.
    QTest::newRow("WAV sizes claim 4 GB")
        << "huge.wav" << HostileFiles::wav(44100, 0xffffffff, 0xfffffff0) << true;
    QTest::newRow("WAV data size 0") << "zero.wav" << HostileFiles::wav(44100, -1, 0) << true;
    QTest::newRow("MIDI at its slowest tempo, longest delta")
        << "slow.mid" << HostileFiles::midi(0xffffff, 1, 0x0fffffff) << true;
    QTest::newRow("MIDI at 1 us a quarter")
        << "fast.mid" << HostileFiles::midi(1, 0x7fff, 0x0fffffff) << true;
    QTest::newRow("MIDI tempo 0") << "zero.mid" << HostileFiles::midi(0, 480, 480) << true;
    QTest::newRow("MIDI track length lies")
        << "lyingtrack.mid" << HostileFiles::midiLyingTrackLength() << true;
}

// Whatever a damaged or mislabelled file holds: no crash, and a file that opens reports a
// length that is a number and plays, to its end unless it claims hours; and the layer opens
// the next file as usual.
void tst_sound_Playback::hostileFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(bool, claimsHours);
    const QString path = mediaPath(QStringLiteral("hostile-") + name);
    QVERIFY(writeFile(path, data));
    MediaLayer layer;
    const QString reply = layer.send(openCommand(path));
    if (reply.isEmpty()) {
        qInfo("refused");
        QCOMPARE(layer.send(QStringLiteral("status med length")), QString());
    } else {
        QCOMPARE(reply, QStringLiteral("1"));
        bool ok = false;
        const qint64 length = layer.send(QStringLiteral("status med length")).toLongLong(&ok);
        qInfo("opens, %lld ms long", length);
        QVERIFY(ok && length >= 0);
        layer.send(QStringLiteral("play med"));
        if (claimsHours) {
            QTRY_VERIFY_WITH_TIMEOUT(status(layer, "position") > 0 || length == 0, hangGuardMs);
        } else {
            QVERIFY2(length < 60000, qPrintable(QStringLiteral("length %1").arg(length)));
            QTRY_COMPARE_WITH_TIMEOUT(status(layer, "position"), int(length), hangGuardMs);
        }
        QCOMPARE(layer.send(QStringLiteral("close all")), QString());
    }
    QCOMPARE(layer.send(openCommand(mediaPath("short.wav"))), QStringLiteral("1"));
    QCOMPARE(status(layer, "length"), ms(shortFrames, 8000));
}

// A file of more than two channels with its tone on one speaker only: the tone is heard, louder
// on the side of that speaker, or alike on both for one in the middle; a centre or surround
// channel is not lost.
namespace {

// Every frame a decoder gives, from its start.
std::vector<float> decodeAll(AudioDecoder &decoder)
{
    std::vector<float> pcm;
    std::vector<float> chunk(4096 * std::size_t(decoder.channels()));
    while (const int got = decoder.read(chunk.data(), 4096))
        pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + got * decoder.channels());
    return pcm;
}

} // namespace

void tst_sound_Playback::unfinishedHeaders_data()
{
    QTest::addColumn<QString>("intact");
    QTest::addColumn<QByteArray>("damaged");
    QTest::addColumn<qint64>("frames");

    const QString pcm = mediaPath("pcm16-44100-stereo.wav");
    const QString adpcm = mediaPath("ima-adpcm-22050-mono.wav");
    const qint64 pcmFrames = 44100 * 6 / 10 + 7;
    const QByteArray wav = readFile(pcm);
    const qsizetype data = wav.indexOf("data");
    const auto sizes = [](QByteArray d, bool riff, qsizetype dataAt) {
        if (riff)
            qToLittleEndian<quint32>(0, d.data() + 4);
        qToLittleEndian<quint32>(0, d.data() + dataAt + 4);
        return d;
    };
    // A recorder that streamed its output, or was stopped before it wrote the sizes back.
    QTest::newRow("data size 0") << pcm << sizes(wav, false, data) << pcmFrames;
    QTest::newRow("RIFF and data sizes 0") << pcm << sizes(wav, true, data) << pcmFrames;
    QTest::newRow("sizes 0, last frame cut short")
        << pcm << sizes(wav, true, data).chopped(3) << pcmFrames - 1;
    const QByteArray ima = readFile(adpcm);
    QTest::newRow("ADPCM, data size 0")
        << adpcm << sizes(ima, false, ima.indexOf("data")) << qint64(factCount(adpcm).value_or(-1));
    QByteArray formatLast = wav.left(12) + wav.mid(data) + wav.mid(12, data - 12);
    QTest::newRow("format after the data") << pcm << formatLast << pcmFrames;
    // An empty data chunk that other chunks follow is empty, not the start of a noise.
    QByteArray empty = wav.left(data) + QByteArray("data\0\0\0\0LIST\4\0\0\0INFO", 20);
    QTest::newRow("empty data chunk, then a list") << pcm << empty << qint64(0);
}

// A WAV file whose header was never finished plays all the sound it holds, sample for sample as
// the intact file does.
void tst_sound_Playback::unfinishedHeaders()
{
    QFETCH(QString, intact);
    QFETCH(QByteArray, damaged);
    QFETCH(qint64, frames);
    const QString path = mediaPath(QStringLiteral("unfinished-") + QTest::currentDataTag());
    QVERIFY(writeFile(path, damaged));
    const std::unique_ptr<WavDecoder> original = WavDecoder::open(intact);
    const std::unique_ptr<WavDecoder> decoder = WavDecoder::open(path);
    QVERIFY(original);
    if (frames == 0) {
        QVERIFY(!decoder || decoder->lengthFrames() == 0);
        return;
    }
    QVERIFY(decoder);
    QCOMPARE(decoder->lengthFrames(), frames);
    QCOMPARE(decoder->sampleRate(), original->sampleRate());
    QCOMPARE(decoder->channels(), original->channels());
    std::vector<float> expected = decodeAll(*original);
    expected.resize(std::size_t(frames * original->channels()));
    QVERIFY(decodeAll(*decoder) == expected);
    QVERIFY(decoder->rewind());
    QVERIFY(decodeAll(*decoder) == expected);
}

// Two MP3 files of 2 s joined one after the other, at 22.05 and 44.1 kHz, in either order: both
// are heard whole, the second resampled to the first one's rate, and the length ends within a
// few milliseconds after the sound.
void tst_sound_Playback::mp3JoinedAtTwoRatesPlaysWhole()
{
    if (const char *why = missing(QStringLiteral(".mp3")))
        QSKIP(why);
    const QByteArray low = readFile(mediaPath("mono.mp3"));
    const QByteArray high = readFile(mediaPath("cbr.mp3"));
    for (const auto &[bytes, rate] : {std::pair(low + high, 22050), std::pair(high + low, 44100)}) {
        const QString joined = mediaPath("joined-rates.mp3");
        QVERIFY(writeFile(joined, bytes));
        const std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::open(joined);
        QVERIFY(decoder);
        QCOMPARE(decoder->sampleRate(), rate);
        const std::int64_t heard = std::int64_t(decodeAll(*decoder).size()) / decoder->channels();
        QVERIFY2(std::abs(heard - 4 * rate) < rate / 10, qPrintable(QString::number(heard)));
        QVERIFY(decoder->lengthFrames() >= heard);
        QVERIFY(decoder->lengthFrames() - heard < rate / 10);
    }
}

void tst_sound_Playback::widerLayoutsMixDown_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("sounding");
    QTest::addColumn<int>("side"); // -1 left, 0 middle, 1 right
    QTest::newRow("5.1 centre") << 6 << 2 << 0;
    QTest::newRow("5.1 back left") << 6 << 4 << -1;
    QTest::newRow("5.1 back right") << 6 << 5 << 1;
    QTest::newRow("quad back right") << 4 << 3 << 1;
    QTest::newRow("7.1 side left") << 8 << 6 << -1;
    QTest::newRow("3 channels, third") << 3 << 2 << 0;
    QTest::newRow("10 channels, first") << 10 << 0 << -1;
}

void tst_sound_Playback::widerLayoutsMixDown()
{
    QFETCH(int, channels);
    QFETCH(int, sounding);
    QFETCH(int, side);
    const QString path = mediaPath(QStringLiteral("layout-%1-%2.wav").arg(channels).arg(sounding));
    const int frames = 22050;
    {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = channels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        QVERIFY(f);
        std::vector<float> pcm(std::size_t(frames * channels), 0.0f);
        for (int i = 0; i < frames; ++i)
            pcm[std::size_t(i * channels + sounding)] = float(0.5 * std::sin(i * 0.0627));
        QCOMPARE(sf_writef_float(f, pcm.data(), frames), sf_count_t(frames));
        sf_close(f);
    }
    const std::unique_ptr<Playback> playback = Playback::create(WavDecoder::open(path));
    QVERIFY(playback);
    playback->play();
    std::vector<float> out(std::size_t(2 * frames));
    playback->render(out.data(), frames);
    float peak[2] = {0, 0};
    for (std::size_t i = 0; i < out.size(); ++i)
        peak[i % 2] = std::max(peak[i % 2], std::abs(out[i]));
    const QByteArray heard = QByteArray::number(peak[0]) + " / " + QByteArray::number(peak[1]);
    QVERIFY2(std::max(peak[0], peak[1]) > 0.03f && std::max(peak[0], peak[1]) <= 1.0f, heard);
    const float louder = peak[1] - peak[0];
    QVERIFY2(side == 0 ? std::abs(louder) < 0.01f : louder * float(side) > 0.01f, heard);
}

void tst_sound_Playback::repeatsWithoutSeam_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("wav") << mediaPath("loop.wav");
    QTest::newRow("wav ima adpcm") << mediaPath("ima-adpcm-44100-stereo.wav");
    QTest::newRow("wav ms adpcm") << mediaPath("loop-ms-adpcm.wav");
    QTest::newRow("mp3 cbr") << mediaPath("loop-cbr.mp3");
    QTest::newRow("mp3 vbr") << mediaPath("loop-vbr.mp3");
    QTest::newRow("midi") << mediaPath("held.mid");
}

// Every decoder sounds, at the strength of its source and within full scale. With repeat on,
// each pass follows the last frame of the one before at once: the output repeats the first pass
// frame for frame. The end of a pass reads as the position equal to the
// length until it is noted; switched off, the repeat ends the sound at the end of its pass.
void tst_sound_Playback::repeatsWithoutSeam()
{
    QFETCH(QString, file);
    if (const char *why = missing(file))
        QSKIP(why);
    MidiSynth synth(MidiSynth::defaultCandidates()); // outlives the decoder that plays on it
    std::unique_ptr<AudioDecoder> decoder = openDecoder(file, synth);
    QVERIFY(decoder);
    QCOMPARE(decoder->sampleRate(), AudioOutput::rate);
    const std::int64_t pass = decoder->lengthFrames();
    const std::unique_ptr<Playback> playback = Playback::create(std::move(decoder));
    QVERIFY(playback);
    playback->setRepeat(true);
    playback->play();

    const int chunk = AudioOutput::bufferFrames;
    std::vector<float> out;
    const auto render = [&](std::int64_t frames) {
        while (std::int64_t(out.size()) / 2 < frames) {
            out.resize(out.size() + std::size_t(2 * chunk));
            playback->render(out.data() + out.size() - std::size_t(2 * chunk), chunk);
        }
    };
    render(pass + 1);
    QVERIFY(playback->passEndPending());
    QCOMPARE(playback->positionMs(), playback->lengthMs());
    playback->notePassEnds();
    QVERIFY(playback->positionMs() < 100);
    render(pass * 5 / 2);
    QVERIFY(!playback->ended());
    playback->notePassEnds();
    playback->setRepeat(false);
    render(pass * 4);
    QVERIFY(playback->ended());
    QCOMPARE(playback->positionMs(), playback->lengthMs());

    // Each pass sounds as soon after its start as the first one did (to the synth's block for
    // MIDI): nothing lies between one pass and the next. Decoded sounds repeat their first pass
    // frame for frame; MIDI lets the notes of one pass ring on under the next, so only the
    // starts are compared there.
    const auto at = [&](std::int64_t frame) { return std::abs(out[std::size_t(2 * frame)]); };
    float level = 0;
    for (std::int64_t f = 0; f < pass; ++f)
        level = std::max(level, at(f));
    QVERIFY2(level > 0.05f, qPrintable(QStringLiteral("level %1").arg(level)));
    float peak = 0;
    for (float v : out)
        peak = std::max(peak, std::abs(v));
    QVERIFY2(peak <= 1.0f, qPrintable(QStringLiteral("peak %1").arg(peak)));
    const auto sounding = [&](std::int64_t from) {
        std::int64_t f = from;
        while (f < from + pass && at(f) < level / 4)
            ++f;
        return f - from;
    };
    const std::int64_t first = sounding(0);
    QVERIFY2(sounding(pass) <= first + 128 && sounding(2 * pass) <= first + 128,
             qPrintable(QStringLiteral("passes sound after %1, %2 and %3 frames")
                            .arg(first)
                            .arg(sounding(pass))
                            .arg(sounding(2 * pass))));
    if (!file.endsWith(u".mid")) {
        float worst = 0;
        for (std::int64_t i = 2 * pass; i < 6 * pass; ++i)
            worst =
                std::max(worst, std::abs(out[std::size_t(i)] - out[std::size_t(i % (2 * pass))]));
        QVERIFY2(worst < 1e-4f, qPrintable(QStringLiteral("passes differ by %1").arg(worst)));
    }
    for (std::size_t i = std::size_t(6 * pass); i < out.size(); ++i)
        QCOMPARE(out[i], 0.0f);
}

// The replay of a sound that has run on into its next pass takes that pass up: "close all" and
// the open of the same file keep the sound going, and the position starts within the new pass.
// Any other command after "close all" closes it as usual.
void tst_sound_Playback::replayTakesUpTheNextPass()
{
    MediaLayer layer;
    const QString file = mediaPath("loop.wav");
    layer.setRepeat(true);
    QCOMPARE(layer.send(openCommand(file)), QStringLiteral("1"));
    const int length = status(layer, "length");
    layer.send(QStringLiteral("play med"));
    QTRY_COMPARE_WITH_TIMEOUT(status(layer, "position"), length, hangGuardMs);
    QCOMPARE(layer.send(QStringLiteral("close all")), QString());
    QCOMPARE(layer.send(openCommand(file)), QStringLiteral("1"));
    QVERIFY(status(layer, "position") < length);
    QVERIFY(layer.framesHandedOut() >= std::int64_t(length) * AudioOutput::rate / 1000);

    QTRY_COMPARE_WITH_TIMEOUT(status(layer, "position"), length, hangGuardMs);
    layer.send(QStringLiteral("close all"));
    QCOMPARE(layer.send(QStringLiteral("status med length")), QString());
    QCOMPARE(layer.send(openCommand(file)), QStringLiteral("1"));
    QCOMPARE(status(layer, "position"), 0);

    // Switched off in the meantime, the repeat leaves nothing to take up.
    layer.send(QStringLiteral("play med"));
    QTRY_COMPARE_WITH_TIMEOUT(status(layer, "position"), length, hangGuardMs);
    layer.setRepeat(false);
    QCOMPARE(layer.send(QStringLiteral("close all")), QString());
    QCOMPARE(layer.send(openCommand(file)), QStringLiteral("1"));
    QCOMPARE(status(layer, "position"), 0);
}

// A MIDI sound whose note still sounds at its last event fades out over its last milliseconds
// instead of dropping to silence from one frame to the next; its length stays that of its
// events.
void tst_sound_Playback::midiEndFades()
{
    if (!m_haveSoundFont)
        QSKIP("no General MIDI soundfont installed");
    MidiSynth synth(MidiSynth::defaultCandidates());
    const std::unique_ptr<MidiDecoder> decoder = MidiDecoder::open(mediaPath("held.mid"), synth);
    QVERIFY(decoder);
    QCOMPARE(decoder->lengthFrames(), std::int64_t(AudioOutput::rate) * 300 / 1000);
    std::vector<float> pcm = decodeAll(*decoder);
    QCOMPARE(pcm.size(), std::size_t(decoder->lengthFrames() * 2));
    pcm.push_back(0.0f); // the silence after the end
    pcm.push_back(0.0f);
    const auto peak = [&](std::size_t from, std::size_t to) {
        float p = 0;
        for (std::size_t i = from; i < to; ++i)
            p = std::max(p, std::abs(pcm[i]));
        return p;
    };
    const std::size_t end = pcm.size() - 2;
    const std::size_t ms = 2 * AudioOutput::rate / 1000;
    const float level = peak(end - 30 * ms, end - 10 * ms);
    QVERIFY2(level > 0.05f, qPrintable(QStringLiteral("level %1").arg(level)));
    QVERIFY2(peak(end - ms, end) < level / 4,
             qPrintable(QStringLiteral("%1 in the last ms").arg(peak(end - ms, end))));
    float step = 0;
    for (std::size_t i = end - 10 * ms; i + 2 < pcm.size(); ++i)
        step = std::max(step, std::abs(pcm[i + 2] - pcm[i]));
    QVERIFY2(step < level / 4, qPrintable(QStringLiteral("step %1").arg(step)));
}

// A sound taken away in the middle of a wave (another sound chosen, the program closed) falls to
// silence over a few milliseconds instead of from one frame to the next, and stays silent.
void tst_sound_Playback::takenAwayWithoutClick()
{
    const std::unique_ptr<Playback> playback =
        Playback::create(WavDecoder::open(mediaPath("pcm16-44100-stereo.wav")));
    QVERIFY(playback);
    playback->play();
    const int cut = 1025; // near a crest of the 440 Hz tone
    std::vector<float> out(std::size_t(2 * 3 * AudioOutput::bufferFrames));
    playback->render(out.data(), cut);
    QVERIFY(!playback->silent());
    playback->fadeOut();
    playback->render(out.data() + 2 * cut, AudioOutput::bufferFrames);
    QVERIFY(playback->silent());
    playback->render(out.data() + 2 * (cut + AudioOutput::bufferFrames), AudioOutput::bufferFrames);
    float step = 0;
    for (std::size_t i = 2; i < out.size(); ++i)
        step = std::max(step, std::abs(out[i] - out[i - 2]));
    QVERIFY2(step < 0.05f, qPrintable(QStringLiteral("step %1").arg(step)));
    const auto silentFrom = std::size_t(2 * (cut + Playback::fadeOutFrames));
    QVERIFY(std::all_of(out.begin() + std::ptrdiff_t(silentFrom), out.end(),
                        [](float v) { return v == 0.0f; }));
}

QTEST_GUILESS_MAIN(tst_sound_Playback)
#include "tst_sound_Playback.moc"
