// The MP3 decoder's open-and-measure path.
#include "DecoderFuzzRun.h"
#include "Mp3Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzzDecoder<Mp3Decoder>(data, size);
}
