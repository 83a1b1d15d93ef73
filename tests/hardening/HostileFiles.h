#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Broken and hostile files, made by the tests' own writers, for the hardening tests and
// bench/hostile. Each must be shown as far as it decodes or refused quietly.
namespace HostileFiles {

// GIF
QByteArray gifScreen(int width, int height); // one 1 x 1 frame on a screen of this size
// A 16 x 16 frame whose LZW stream runs on for about a megabyte (the codes of a 1024 x 1024
// picture), with neither an end code nor a block terminator: the file just stops.
QByteArray gifEndlessLzw();
QByteArray gifTinyFrames(int count); // 1 x 1 frames, one after another
// An 8 x 8 screen whose first frame is 65535 x 65535, with data for a few rows.
QByteArray gifFirstFrameLargerThanScreen();
// A 65535 x 512 screen (just under the pixel cap) with `frames` frames that cover it.
QByteArray gifWideScreen(int frames);

// Sound
// 16-bit stereo PCM at 44.1 kHz, `frames` frames of a tone, with the RIFF and data sizes given
// (-1: the true ones).
QByteArray wav(int frames, qint64 riffSize = -1, qint64 dataSize = -1);
// A MIDI file of one note with the given tempo (microseconds per quarter, 1 .. 0xFFFFFF),
// ticks per quarter and the delta before the end of the track.
QByteArray midi(quint32 tempo, int division, quint32 endDelta);
// A MIDI track whose chunk length claims far more than the file holds.
QByteArray midiLyingTrackLength();
QByteArray noise(int bytes, quint32 seed);

// List files
QByteArray listWithNulBytes();
QByteArray listWithInvalidUtf8();
QByteArray listWithLongLine(int bytes);
QByteArray listOfLines(int count);

struct Case
{
    QString name;
    QString fileName; // its suffix says what it is for the program
    QByteArray bytes;
};
// Every hostile file above (and a truncated MP3 when lame is installed, encoded in `scratch`).
QList<Case> all(const QString &scratch);

} // namespace HostileFiles
