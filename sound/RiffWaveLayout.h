#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

class QIODevice;

// Where the chunks of a RIFF WAVE file lie, read from the chunk headers alone.
//
// Some writers leave a file that libsndfile will not play although its sound is all there: a
// recorder that streamed its output or was stopped before it went back to fill in the sizes
// leaves a data size of 0, and a few tools write the format chunk after the data. For such a
// file, repairedHeader() gives the canonical header that the sound would have had; the sound
// itself is then read from the file where it lies (dataOffset, dataBytes).
struct RiffWaveLayout
{
    static std::optional<RiffWaveLayout> read(QIODevice &file);

    // The sound as the file holds it, with a data size of 0 taken as "to the end of the file".
    std::int64_t dataOffset = -1;
    std::int64_t dataBytes = 0;
    // The format chunk's body, as it stands in the file.
    QByteArray format;
    // The fact chunk's sample count, where there is one.
    std::optional<std::uint32_t> factSamples;
    // The data chunk's declared size was 0, or the format chunk follows the data.
    bool needsRepair = false;

    // "RIFF", "WAVE", the format chunk and the data chunk's header with the true sizes; empty
    // when there is no format or no sound.
    QByteArray repairedHeader() const;
    // The sound that header announces: all of it, up to what a RIFF file can hold.
    std::int64_t repairedDataBytes() const;

    // Format chunks larger than this are not taken (the largest real one is 40 bytes).
    static constexpr int maxFormatBytes = 4096;
};
