#include "HostileFiles.h"

#include "GifWriter.h"
#include "MidiWriter.h"
#include "TestGifs.h"
#include "TestMedia.h"

#include <QFile>
#include <QRandomGenerator>
#include <cmath>
#include <numbers>
#include <sndfile.h>

namespace {

void putLe(QByteArray &out, qint64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

// Where the first record starts: after the header, the screen descriptor and the global
// palette.
qsizetype firstRecord(const QByteArray &gif)
{
    const uchar flags = uchar(gif[10]);
    return 13 + ((flags & 0x80) ? 3 << ((flags & 7) + 1) : 0);
}

// The first image descriptor (the writer's graphic control blocks hold no ',').
qsizetype firstImage(const QByteArray &gif)
{
    return gif.indexOf(',', firstRecord(gif));
}

QByteArray solidFrames(QSize screen, QSize frame, int count)
{
    GifWriter writer(screen, TestGifs::palette());
    for (int i = 0; i < count; ++i) {
        GifWriter::Frame f;
        f.rect = QRect(QPoint(0, 0), frame);
        f.pixels.assign(size_t(frame.width()) * size_t(frame.height()), uchar(1 + i % 5));
        f.disposal = 1;
        f.delayCs = 10;
        writer.addFrame(f);
    }
    return writer.finish();
}

void setFrameSize(QByteArray &gif, qsizetype descriptor, int width, int height)
{
    gif[descriptor + 5] = char(width & 0xff);
    gif[descriptor + 6] = char(width >> 8);
    gif[descriptor + 7] = char(height & 0xff);
    gif[descriptor + 8] = char(height >> 8);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

namespace HostileFiles {

QByteArray gifScreen(int width, int height)
{
    QByteArray gif = solidFrames(QSize(1, 1), QSize(1, 1), 1);
    gif[6] = char(width & 0xff);
    gif[7] = char(width >> 8);
    gif[8] = char(height & 0xff);
    gif[9] = char(height >> 8);
    return gif;
}

QByteArray gifEndlessLzw()
{
    GifWriter writer(QSize(16, 16), TestGifs::palette());
    GifWriter::Frame f;
    f.rect = QRect(0, 0, 1024, 1024);
    QRandomGenerator random(11);
    f.pixels.resize(1024 * 1024);
    for (uchar &p : f.pixels)
        p = uchar(random.bounded(7));
    writer.addFrame(f);
    QByteArray gif = writer.finish();
    setFrameSize(gif, firstImage(gif), 16, 16);
    // Drop the end of the stream: trailer, block terminator and the last sub-block, which
    // holds the end code.
    gif.chop(2);
    const qsizetype image = firstImage(gif);
    qsizetype block = image + 10 + 1;
    qsizetype last = block;
    while (block < gif.size()) {
        last = block;
        block += 1 + uchar(gif[block]);
    }
    gif.truncate(last);
    return gif;
}

QByteArray gifTinyFrames(int count)
{
    const QByteArray one = solidFrames(QSize(64, 64), QSize(1, 1), 1);
    const qsizetype start = firstRecord(one); // the frame with its graphic control block
    const QByteArray frame = one.mid(start, one.size() - 1 - start);
    QByteArray gif = one.left(start);
    gif.reserve(gif.size() + frame.size() * count + 1);
    for (int i = 0; i < count; ++i)
        gif += frame;
    return gif + ';';
}

QByteArray gifFirstFrameLargerThanScreen()
{
    QByteArray gif = solidFrames(QSize(8, 8), QSize(256, 16), 2);
    setFrameSize(gif, firstImage(gif), 65535, 65535);
    return gif;
}

QByteArray gifWideScreen(int frames)
{
    return solidFrames(QSize(65535, 512), QSize(65535, 512), frames);
}

QByteArray wav(int frames, qint64 riffSize, qint64 dataSize)
{
    const qint64 bytes = qint64(frames) * 4;
    QByteArray out("RIFF");
    putLe(out, riffSize >= 0 ? riffSize : 36 + bytes, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);         // PCM
    putLe(out, 2, 2);         // channels
    putLe(out, 44100, 4);     // rate
    putLe(out, 44100 * 4, 4); // bytes per second
    putLe(out, 4, 2);         // block align
    putLe(out, 16, 2);        // bits
    out += "data";
    putLe(out, dataSize >= 0 ? dataSize : bytes, 4);
    for (int f = 0; f < frames; ++f) {
        const auto v = qint16(8000 * std::sin(2 * std::numbers::pi * 440.0 * f / 44100));
        putLe(out, v, 2);
        putLe(out, v, 2);
    }
    return out;
}

QByteArray midi(quint32 tempo, int division, quint32 endDelta)
{
    MidiWriter w(0, division);
    w.beginTrack();
    w.tempo(0, tempo);
    w.noteOn(0, 0, 60, 100);
    w.noteOff(division > 0 ? quint32(division) : 1, 0, 60);
    w.endOfTrack(endDelta);
    return w.bytes();
}

QByteArray midiLyingTrackLength()
{
    QByteArray bytes = midi(500000, 480, 480);
    const qsizetype track = bytes.indexOf("MTrk");
    bytes[track + 4] = char(0x7f);
    bytes[track + 5] = bytes[track + 6] = bytes[track + 7] = char(0xff);
    return bytes;
}

QByteArray noise(int bytes, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray out(bytes, 0);
    for (char &c : out)
        c = char(random.bounded(256));
    return out;
}

QByteArray listWithNulBytes()
{
    return QByteArray("/g/a\0b.gif\r\n\0\r\n/g/c.gif\r\n", 25);
}

QByteArray listWithInvalidUtf8()
{
    return QByteArray("/g/caf\xE9.gif\r\n/g/\xFF\xFE\xC0\x80.gif\r\n/g/\xED\xA0\x80.gif\r\n");
}

QByteArray listWithLongLine(int bytes)
{
    return "/g/" + QByteArray(bytes, 'x') + ".gif\r\n/g/b.gif\r\n";
}

QByteArray listOfLines(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += "/home/ann/gif/animation-" + QByteArray::number(i) + ".gif\r\n";
    return out;
}

QList<Case> all(const QString &scratch)
{
    QList<Case> cases{
        {"65535 x 65535 screen", "screen.gif", gifScreen(65535, 65535)},
        {"LZW stream that never ends", "endless.gif", gifEndlessLzw()},
        {"100,000 tiny frames", "tiny.gif", gifTinyFrames(100000)},
        {"first frame larger than screen", "large-first.gif", gifFirstFrameLargerThanScreen()},
        {"65535 x 512 screen, 4 full frames", "wide.gif", gifWideScreen(4)},
        {"WAV sizes claim 4 GB", "lying.wav", wav(44100, 0xffffffff, 0xfffffff0)},
        {"WAV data size 0", "zero.wav", wav(44100, -1, 0)},
        {"WAV cut in its header", "cut.wav", wav(44100).left(30)},
        {"garbage named .mp3", "garbage.mp3", noise(1 << 20, 7)},
        {"MIDI tempo 16.7 s a quarter", "slow.mid", midi(0xffffff, 1, 0x0fffffff)},
        {"MIDI tempo 1 us a quarter", "fast.mid", midi(1, 0x7fff, 0x0fffffff)},
        {"MIDI track length lies", "lying.mid", midiLyingTrackLength()},
        {"list with NUL bytes", "nul.inf", listWithNulBytes()},
        {"list with invalid UTF-8", "utf8.inf", listWithInvalidUtf8()},
        {"list with a line of 1 MB", "long.inf", listWithLongLine(1 << 20)},
        {"list of 100,000 lines", "many.inf", listOfLines(100000)},
    };
    const QString tone = scratch + QStringLiteral("/hostile-tone.wav");
    const QString mp3 = scratch + QStringLiteral("/hostile-tone.mp3");
    if (TestMedia::writeTone(tone, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 44100 * 3) &&
        TestMedia::encodeMp3(tone, mp3, {QStringLiteral("-b"), QStringLiteral("128")})) {
        const QByteArray whole = readFile(mp3);
        cases.append({"truncated MP3", "cut.mp3", whole.left(whole.size() / 2 + 3)});
    }
    QFile::remove(tone);
    QFile::remove(mp3);
    return cases;
}

} // namespace HostileFiles
