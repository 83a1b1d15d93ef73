#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// The timing of a Standard MIDI File: how long it plays, from its own tempo map; and the copy
// of it that the synth's player reads. A RIFF MIDI file ("RIFF" ... "RMID") counts as the
// Standard MIDI File in its "data" chunk.
class MidiFile
{
public:
    // Playing time from the start to the last event of any track (end-of-track included), in
    // microseconds. Nothing for data that is not a Standard MIDI File with at least one track.
    // Truncated tracks and chunk lengths that run past the end are read as far as they go.
    static std::optional<double> durationMicroseconds(const QByteArray &data);
    // True when a track breaks the rules where readers part ways: an event that claims more
    // bytes than its track holds or runs past its end, a data byte with no status to run on, a
    // status byte among data; or when the file has more tracks than the player takes. Such a
    // file must not reach FluidSynth's player: read its own way, it can make the player allocate
    // a claimed length (up to 256 MB) or loop for ever.
    static bool isMalformed(const QByteArray &data);
    // The file as FluidSynth's player gets it: the header and the tracks only, built afresh, so
    // that chunks of other kinds, odd header lengths and chunk lengths that run past the end
    // never reach its reader. Empty for data that is not a Standard MIDI File.
    static QByteArray playableCopy(const QByteArray &data);

    // FluidSynth's player takes 128 tracks; the copy adds one of its own.
    static constexpr int maxTracks = 127;
};
