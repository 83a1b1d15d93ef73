// qx-demogif OUTPUT.gif: writes the demo animation, a looping colour plasma, with giflib.
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gif_lib.h>
#include <numbers>
#include <vector>

namespace {

constexpr int Width = 200;
constexpr int Height = 150;
constexpr int Frames = 36;
constexpr int DelayHundredths = 6;

// A smooth cyclic palette: three phase-shifted waves that pass through deep blue, cyan, gold
// and magenta.
std::array<GifColorType, 256> plasmaPalette()
{
    std::array<GifColorType, 256> colours{};
    for (int i = 0; i < 256; ++i) {
        const double a = 2 * std::numbers::pi * i / 256.0;
        auto channel = [&](double phase, double low, double high) {
            return GifByteType(std::lround(low + (high - low) * (0.5 + 0.5 * std::sin(a + phase))));
        };
        colours[i].Red = channel(0.0, 20, 250);
        colours[i].Green = channel(2.1, 30, 220);
        colours[i].Blue = channel(4.2, 90, 255);
    }
    return colours;
}

// Sum of travelling sine waves; t runs once round the loop, so the last frame leads smoothly
// into the first.
GifPixelType plasmaIndex(int x, int y, double t)
{
    const double phase = 2 * std::numbers::pi * t;
    const double cx = x - Width / 2.0, cy = y - Height / 2.0;
    double v = std::sin(x / 17.0 + phase) + std::sin((x + y) / 23.0 - phase) +
               std::sin(std::sqrt(cx * cx + cy * cy) / 11.0 - 2 * phase) +
               std::sin(y / 13.0 + std::sin(phase) * 2.0);
    const double cycle = v / 4.0 * 0.5 + 0.5 + t;
    return GifPixelType(int(std::floor(cycle * 256.0)) & 255);
}

bool writeLoopExtension(GifFileType *gif)
{
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A',
                                              'P', 'E', '2', '.', '0'};
    static const GifByteType forever[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof application, application) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof forever, forever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.gif\n", argv[0]);
        return 2;
    }
    int error = 0;
    GifFileType *gif = EGifOpenFileName(argv[1], false, &error);
    if (!gif) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[1], GifErrorString(error));
        return 1;
    }
    auto colours = plasmaPalette();
    ColorMapObject *map = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, Width, Height, 8, 0, map) == GIF_OK && writeLoopExtension(gif);

    std::vector<GifPixelType> line(Width);
    for (int frame = 0; ok && frame < Frames; ++frame) {
        GraphicsControlBlock control{DISPOSE_DO_NOT, false, DelayHundredths, NO_TRANSPARENT_COLOR};
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, Width, Height, false, nullptr) == GIF_OK;
        const double t = double(frame) / Frames;
        for (int y = 0; ok && y < Height; ++y) {
            for (int x = 0; x < Width; ++x)
                line[x] = plasmaIndex(x, y, t);
            ok = EGifPutLine(gif, line.data(), Width) == GIF_OK;
        }
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    // giflib creates its files readable by their owner only.
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(argv[1],
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::others_read,
                    ignored);
    return 0;
}
