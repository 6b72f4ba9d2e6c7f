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
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "LoadObject.h"
#include "image/TAV_PNGWriter.h"
#include "sys/TAV_Exception.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tavlen_frames [--size WxH] [--frame-ms MS] OUTDIR DEMO_MS...\n");
    return 2;
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
            TAV_PNGWriter::write(path.c_str(), player.readFrame().data(), widthPx, heightPx,
                                 TAV_PNGWriter::RGBA_BOTTOM_UP, 1);
        }
    } catch (TAV_Exception* e) {
        std::fprintf(stderr, "tavlen_frames: %s\n", e->getMessage());
        delete e;
        return 1;
    }
    return 0;
}
