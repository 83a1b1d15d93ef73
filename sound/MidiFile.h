#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// The timing of a Standard MIDI File: how long it plays, from its own tempo map.
class MidiFile
{
public:
    // Playing time from the start to the last event of any track (end-of-track included), in
    // microseconds. Nothing for data that is not a Standard MIDI File with at least one track.
    // Truncated tracks and chunk lengths that run past the end are read as far as they go.
    static std::optional<double> durationMicroseconds(const QByteArray &data);
    // True when the file breaks the rules where readers part ways: an event that claims more
    // bytes than its track holds or runs past its end, a data byte with no status to run on, a
    // status byte among data, a chunk of another kind among the tracks, a header of another
    // length, lengths of 2 GB or more, more than 255 tracks. Such a file must not reach
    // FluidSynth's player: read its own way, it can make the player allocate a claimed length
    // (up to 256 MB) or loop for ever.
    static bool isMalformed(const QByteArray &data);
};
