#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Sound files that the tests make for themselves.
class TestMedia
{
public:
    // A sine tone of `frames` frames written by libsndfile in `sfFormat` (SF_FORMAT_* flags).
    // `silentHalf` makes the second half silent, so that a VBR encoder varies its frame sizes.
    static bool writeTone(const QString &path, int sfFormat, int rate, int channels,
                          std::int64_t frames, bool silentHalf = false);

    // Encodes a WAV file with Debian's lame; `arguments` come before the two file names.
    // False when lame is not installed or fails.
    static bool encodeMp3(const QString &wav, const QString &mp3, const QStringList &arguments);
    static bool lameAvailable();

    // Counts the MPEG audio frames of a file by walking their headers and returns the samples
    // they decode to (frames times samples per frame); nothing when it is not MPEG audio.
    static std::optional<std::int64_t> mp3DecodedSamples(const QString &path, int *rate = nullptr);

    // A one-second-scale MIDI file with tempo changes: 480 ticks per quarter; 960 ticks at 120
    // bpm (1000 ms), a change to 60 bpm for 480 ticks (1000 ms), then to 240 bpm for 960 ticks
    // (500 ms), on two tracks: 2500 ms in all.
    static QByteArray midiWithTempoChanges();
    static constexpr int midiWithTempoChangesMs = 2500;

    // A church organ's middle C held to the very end of the file, `ticks` long at 480 ticks a
    // quarter and 120 bpm (960 ticks a second).
    static QByteArray midiHeldNote(int ticks);
};
