// tavlen_frames: plays the demo on the deterministic player and writes the frames drawn at
// chosen demo times as PNG files, the reference pictures for another build of the demo
// (the browser version's tests compare its frames with these).
//
//   tavlen_frames [--size WxH] [--frame-ms MS] OUTDIR DEMO_MS...
//
// Every frame lasts MS (20 by default) of frame time and of music time, as in the player.
// The demo time of a frame is the pre-roll time before the music and 6000 + the music time
// after, so with a frame time that divides 6000 the frames fall on multiples of it; a time
// no frame falls on is an error. OUTDIR/<DEMO_MS>.png is written for each, the whole
// window (bars included), RGB, top row first. The window is 800x600 unless --size says
// otherwise.
//
// It needs an X display (xvfb-run -s "-screen 0 1024x768x24" works) and the generated data/:
// it runs in the current folder when that holds data/, else in the build folder.
#include <png.h>     // Required for: writing the PNG

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "LoadObject.h"
#include "sys/TAV_Exception.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tavlen_frames [--size WxH] [--frame-ms MS] OUTDIR DEMO_MS...\n");
    return 2;
}

// Writes the player's frame (RGBA, bottom row first) as an RGB PNG, top row first.
bool writePNG(const std::string& path, const std::vector<uint8_t>& frame, int widthPx, int heightPx)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<uint8_t> row(size_t(widthPx) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(widthPx), png_uint_32(heightPx), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = heightPx - 1; y >= 0; --y) {
        const uint8_t* source = &frame[size_t(y) * size_t(widthPx) * 4];
        for (int x = 0; x < widthPx; ++x)
            std::copy(source + x * 4, source + x * 4 + 3, &row[size_t(x) * 3]);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

int demoTimeMs(const DemoPlayer& player)
{
    return player.musicTimeMs() >= 0 ? LoadObject::PRE_ROLL_MS + player.musicTimeMs() : player.scene()->m_loadTime;
}

}  // namespace

int main(int argc, char** argv)
{
    int widthPx = DemoPlayer::WIDTH;
    int heightPx = DemoPlayer::HEIGHT;
    double frameMs = 20.0;
    int arg = 1;
    for (; arg + 1 < argc && argv[arg][0] == '-'; arg += 2) {
        const std::string option = argv[arg];
        if (option == "--size") {
            if (std::sscanf(argv[arg + 1], "%dx%d", &widthPx, &heightPx) != 2 || widthPx < 16 || heightPx < 16
                || widthPx > 16384 || heightPx > 16384)
                return usage();
        } else if (option == "--frame-ms") {
            frameMs = std::atof(argv[arg + 1]);
            if (!(frameMs >= 1.0 && frameMs <= 1000.0))
                return usage();
        } else {
            return usage();
        }
    }
    if (argc - arg < 2)
        return usage();
    char* outDir = realpath(argv[arg], nullptr);
    if (!outDir) {
        std::fprintf(stderr, "tavlen_frames: no folder %s\n", argv[arg]);
        return 1;
    }
    const std::string outPath(outDir);
    std::free(outDir);
    std::vector<int> timesMs;
    for (++arg; arg < argc; ++arg)
        timesMs.push_back(std::atoi(argv[arg]));
    std::sort(timesMs.begin(), timesMs.end());
    if (!DemoPlayer::enterDataFolder(TAVLEN_BINARY_DIR)) {
        std::fprintf(stderr, "tavlen_frames: no data/ here nor in %s: build the tavlen_data target first\n",
                     TAVLEN_BINARY_DIR);
        return 1;
    }

    try {
        DemoPlayer player(frameMs, widthPx, heightPx);
        for (int timeMs : timesMs) {
            while (!player.exited() && demoTimeMs(player) < timeMs)
                player.step();
            if (player.exited() || demoTimeMs(player) != timeMs) {
                std::fprintf(stderr, "tavlen_frames: no frame falls on %d ms\n", timeMs);
                return 1;
            }
            const std::string path = outPath + "/" + std::to_string(timeMs) + ".png";
            if (!writePNG(path, player.readFrame(), widthPx, heightPx)) {
                std::fprintf(stderr, "tavlen_frames: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    } catch (TAV_Exception* e) {
        std::fprintf(stderr, "tavlen_frames: %s\n", e->getMessage());
        delete e;
        return 1;
    }
    return 0;
}
