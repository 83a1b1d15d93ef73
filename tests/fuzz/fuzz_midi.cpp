// The MIDI path: the tempo-map measure on the bytes, then the decoder's open on the shared synth
// (soundfont loaded once) and a little rendering.
#include "FuzzFile.h"
#include "MidiDecoder.h"
#include "MidiFile.h"
#include "MidiSynth.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzFile file;
    static MidiSynth synth(MidiSynth::defaultCandidates());
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    volatile double sink = MidiFile::durationMicroseconds(bytes).value_or(-1.0);
    const std::unique_ptr<MidiDecoder> decoder = MidiDecoder::open(file.write(data, size), synth);
    if (!decoder)
        return 0;
    sink = sink + double(decoder->lengthFrames());
    float out[2 * 256];
    for (int i = 0; i < 2 && decoder->read(out, 256) > 0; ++i)
        sink = sink + double(out[0]);
    return 0;
}
