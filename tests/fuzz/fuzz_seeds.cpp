// Writes the fuzz targets' seed corpora under the given folder, one subfolder per target, from
// the tests' own generators plus the public GIF suites when present.
#include "GifWriter.h"
#include "MidiWriter.h"
#include "TestGifs.h"
#include "TestMedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sndfile.h>

namespace {

QDir g_out;

bool put(const QString &target, const QString &name, const QByteArray &bytes)
{
    g_out.mkpath(target);
    QFile file(g_out.filePath(target + QLatin1Char('/') + name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool gifSeeds()
{
    bool ok = true;
    ok &= put("gif", "mixed.gif", TestGifs::mixedAnimation(QSize(12, 9), 8, 7));
    ok &= put("gif", "mixed-covering.gif", TestGifs::mixedAnimation(QSize(16, 16), 12, 3, 4));
    ok &= put("gif", "plain-palettes.gif", TestGifs::plainAnimation(QSize(8, 6), 4, true));
    GifWriter odd(QSize(6, 4), TestGifs::palette());
    odd.setLoopCount(3);
    odd.addFrame(TestGifs::frame(QRect(4, 2, 4, 3), "RGBW/KKKK/tttt", 3, 7));
    odd.addEmptyImageWithData(1, 1);
    GifWriter::Frame wide = TestGifs::frame(QRect(0, 0, 2, 2), "RG/BW", 2);
    wide.codeSizeOverride = 9;
    odd.addFrame(wide);
    ok &= put("gif", "odd-records.gif", odd.finish());

    // The public suites' small files, when this checkout sits beside them.
    const QString suites = QStringLiteral(QX_TESTDATA "/gif");
    QDirIterator it(suites, {QStringLiteral("*.gif")}, QDir::Files, QDirIterator::Subdirectories);
    int copied = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFileInfo(path).size() > 64 * 1024)
            continue;
        ok &= put("gif", QStringLiteral("suite-%1.gif").arg(copied++), readAll(path));
    }
    std::printf("gif: %d files from %s\n", copied, qPrintable(suites));
    return ok;
}

bool listSeeds()
{
    bool ok = true;
    ok &= put("listfile", "two.inf", "/gif/a.gif\r\n/gif/b.gif\r\n");
    ok &= put("listfile", "line-ends.inf", "\xEF\xBB\xBF/a.gif\r/b\n.gif\r\n\r\n/c.gif");
    ok &= put("listfile", "latin1.inf", "/gif/caf\xE9.gif\r\n/gif/\xC3\xA9t\xC3\xA9.gif\r\n");
    ok &= put("listfile", "nul.inf", QByteArray("/a\0b.gif\r\n", 10));
    return ok;
}

bool commandSeeds()
{
    const char *commands[] = {
        "close all",
        "open \"/nonexistent/a.wav\" alias med",
        "open \"/nonexistent/b.MP3\" ALIAS Med",
        "open \"/nonexistent/c.mid\" alias med",
        "set med time format milliseconds",
        "set MED time format ms",
        "play med",
        "status med length",
        "Status\tMed  Position",
    };
    bool ok = true;
    int n = 0;
    for (const char *command : commands)
        ok &= put("mediacommand", QStringLiteral("command-%1.txt").arg(n++), command);
    return ok;
}

bool soundSeeds()
{
    QTemporaryDir temp;
    if (!temp.isValid())
        return false;
    const auto tone = [&](const QString &name, int format, int rate, int channels, int frames) {
        const QString path = temp.filePath(name);
        return TestMedia::writeTone(path, format, rate, channels, frames) &&
               put("wav", name, readAll(path));
    };
    bool ok = true;
    ok &= tone("pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 2, 200);
    ok &= tone("u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1, 300);
    ok &= tone("float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 11025, 1, 100);
    ok &= tone("ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 8000, 1, 505);
    ok &= tone("ms.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 8000, 2, 500);
    ok &= tone("three.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 8000, 3, 100);
    {
        // A recording whose header was never finished: the data size is 0.
        QByteArray unfinished = readAll(temp.filePath("pcm16.wav"));
        const qsizetype data = unfinished.indexOf("data");
        ok &= data > 0 && put("wav", "unfinished.wav",
                              unfinished.replace(data + 4, 4, QByteArray(4, '\0')));
    }

    if (TestMedia::lameAvailable()) {
        const QString wav = temp.filePath("source.wav");
        ok &= TestMedia::writeTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 3000, true);
        const struct
        {
            const char *name;
            QStringList arguments;
        } encodings[] = {
            {"cbr.mp3", {"-b", "32"}}, {"vbr.mp3", {"-V", "9"}}, {"notag.mp3", {"-b", "8", "-t"}}};
        for (const auto &e : encodings) {
            const QString mp3 = temp.filePath(e.name);
            ok &= TestMedia::encodeMp3(wav, mp3, e.arguments) && put("mp3", e.name, readAll(mp3));
        }
    } else {
        std::printf("mp3: lame is not installed; no seeds\n");
    }

    ok &= put("midi", "tempo-changes.mid", TestMedia::midiWithTempoChanges());
    MidiWriter format0(0, 96);
    format0.beginTrack();
    format0.programChange(0, 0, 5);
    format0.noteOn(0, 0, 60, 100);
    format0.raw(10, QByteArray("\x40\x50", 2)); // running status
    format0.noteOff(48, 0, 60);
    format0.raw(0, QByteArray("\xF0\x03\x7E\x7F\xF7", 5));
    format0.endOfTrack(1);
    ok &= put("midi", "format0.mid", format0.bytes());
    // Karaoke chunks among the tracks, and the same song wrapped in RIFF.
    QByteArray karaoke = TestMedia::midiWithTempoChanges();
    karaoke.insert(14, QByteArray("XFIH\x00\x00\x00\x03"
                                  "abc",
                                  11));
    karaoke += QByteArray("XFKM\x00\x00\x00\x02\x00\x00", 10);
    ok &= put("midi", "karaoke.mid", karaoke);
    const QByteArray smf = TestMedia::midiWithTempoChanges();
    QByteArray rmid = "RMIDdata" + QByteArray(4, '\0') + smf;
    for (int i = 0; i < 4; ++i)
        rmid[8 + i] = char((smf.size() >> (8 * i)) & 0xff);
    QByteArray riff = "RIFF" + QByteArray(4, '\0') + rmid;
    for (int i = 0; i < 4; ++i)
        riff[4 + i] = char((rmid.size() >> (8 * i)) & 0xff);
    ok &= put("midi", "wrapped.mid", riff);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    g_out = QDir(QString::fromLocal8Bit(argv[1]));
    if (!g_out.mkpath(QStringLiteral(".")))
        return 1;
    bool ok = gifSeeds();
    ok = listSeeds() && ok;
    ok = commandSeeds() && ok;
    ok = soundSeeds() && ok;
    if (!ok)
        std::fprintf(stderr, "fuzz_seeds: some seeds could not be written\n");
    return ok ? 0 : 1;
}
