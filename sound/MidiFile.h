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
    // True when a system-exclusive or meta event claims more bytes than its track holds. Such a
    // file must not reach FluidSynth's player, which allocates the claimed length (up to 256 MB)
    // before it reads the event.
    static bool hasOverlongEvent(const QByteArray &data);
};
