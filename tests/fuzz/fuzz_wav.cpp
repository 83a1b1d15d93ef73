// The WAV decoder's open-and-measure path.
#include "DecoderFuzzRun.h"
#include "WavDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzzDecoder<WavDecoder>(data, size);
}
