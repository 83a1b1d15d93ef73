// qx-demosound: writes the demo sound, a short chime as a 16-bit mono WAV file.
//
//   qx-demosound OUTPUT.wav

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

void put16(std::vector<unsigned char> &out, unsigned v)
{
    out.push_back(v & 0xff);
    out.push_back((v >> 8) & 0xff);
}

void put32(std::vector<unsigned char> &out, std::uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qx-demosound OUTPUT.wav\n");
        return 2;
    }
    // Four bell-like notes of a major chord, each with a few decaying partials.
    constexpr int rate = 22050;
    constexpr double noteSeconds = 0.45;
    constexpr double tailSeconds = 1.2;
    const double notes[] = {523.25, 659.25, 783.99, 1046.5};
    const double partials[][2] = {{1.0, 1.0}, {2.0, 0.35}, {3.01, 0.15}, {4.2, 0.08}};
    const int total = int((noteSeconds * 4 + tailSeconds) * rate);
    std::vector<double> mix(std::size_t(total), 0.0);
    for (int n = 0; n < 4; ++n) {
        const int start = int(n * noteSeconds * rate);
        for (int i = start; i < total; ++i) {
            const double t = double(i - start) / rate;
            double v = 0;
            for (const auto &[ratio, gain] : partials)
                v += gain * std::sin(2 * std::numbers::pi * notes[n] * ratio * t) *
                     std::exp(-t * (2.5 + ratio));
            mix[std::size_t(i)] += v * std::min(1.0, t * 200); // no click at the onset
        }
    }
    std::vector<unsigned char> out;
    const std::uint32_t dataBytes = std::uint32_t(total) * 2;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
    for (double v : mix) {
        const long s = std::lround(std::clamp(v * 0.3, -1.0, 1.0) * 32767);
        put16(out, unsigned(std::uint16_t(std::int16_t(s))));
    }
    std::FILE *file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fclose(file)) {
        std::fprintf(stderr, "qx-demosound: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
