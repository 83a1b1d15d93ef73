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
};
