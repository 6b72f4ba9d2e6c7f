// tavlen_jump_benchmark: measures the deterministic player's exact jump and prints, for every
// section start, every section's middle (a section starts on a full-strength flash, which hides
// most of the picture) and ten random moments (a fixed seed), how close the frame after a jump is to
// the same frame of a run from the start, and how long the jump took:
//   - a plain run from the start at 60 fps keeps the frame of each moment (the first frame
//     whose music time is at or past it: what tavlen_capture --fps 60 writes there);
//   - a new player then jumps to every moment, in a shuffled order (backward and forward),
//     after a first jump to the last moment with no checkpoint kept yet; each landed frame is
//     compared (identical, or its PSNR in dB over the RGB channels) and redrawn, and the
//     redraw compared with it and timed (one frame drawn: what the jump costs beyond its
//     rehearsal; llvmpipe compiles the shaders of a state it has not drawn yet in this
//     context, so the first frame of a kind is slow whichever way it is reached);
//   - the median and worst jump, the first (cold) one; then a second pass over all moments
//     in another order, with every checkpoint kept and every shader compiled;
//   - for every section's middle, the PSNR of a naive jump that only moves the music clock
//     (the state of the first music frame, then two frames with forced music times: one
//     frame before the moment, which sets what the frame after it inherits directly, such as
//     the clear colour, then the moment): where it is identical the section depends on the
//     time alone, elsewhere on the frames before (clocks of frame time, swarms, random draws).
//
//   tavlen_jump_benchmark [WIDTHxHEIGHT] [FRAME_DIR]
//
// With FRAME_DIR, every landed frame is also written there as PNG (jump-<music ms>.png).
// It needs an X display (xvfb-run -s "-screen 0 1024x768x24" works) and the generated data/:
// it runs in the current folder when that holds data/, else in the build folder.
#include <time.h>      // Required for: clock_gettime()

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "LoadObject.h"
#include "image/TAV_PNGWriter.h"
#include "sys/TAV_Exception.h"

namespace {

const double kFrameMs = 1000.0 / 60.0;
const int kRandomMoments = 10;
// The music time of the closing's last frames: a random moment lies before it.
const int kLastMomentMs = 66000;

double nowMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// PSNR over the RGB channels; infinity for identical frames.
double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double squares = 0.0;
    size_t samples = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const double d = double(a[i]) - double(b[i]);
        squares += d * d;
        ++samples;
    }
    if (squares == 0.0)
        return INFINITY;
    return 10.0 * std::log10(255.0 * 255.0 / (squares / double(samples)));
}

struct Moment {
    int musicMs;
    const char* kind;  // "section" or "random"
    int section;
    std::vector<uint8_t> reference;
    int referenceFrame = -1;
    int referenceMusicMs = -1;  // music time of that frame
};

}  // namespace

int main(int argc, char** argv)
{
    int widthPx = DemoPlayer::WIDTH;
    int heightPx = DemoPlayer::HEIGHT;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &widthPx, &heightPx) != 2) {
        std::fprintf(stderr, "usage: %s [WIDTHxHEIGHT] [FRAME_DIR]\n", argv[0]);
        return 2;
    }
    const std::string frameDir = argc > 2 ? argv[2] : "";
    if (!DemoPlayer::enterDataFolder(TAVLEN_BINARY_DIR)) {
        std::fprintf(stderr, "%s: no data/ here nor in %s\n", argv[0], TAVLEN_BINARY_DIR);
        return 1;
    }

    std::vector<Moment> moments;
    for (int section = 0; section < LoadObject::SECTION_COUNT; ++section) {
        const int startMs = LoadObject::sectionStartMs(section);
        moments.push_back(Moment{startMs, "start", section, {}});
        moments.push_back(Moment{(startMs + LoadObject::sectionStartMs(section + 1)) / 2, "middle", section, {}});
    }
    std::mt19937 random(20);
    std::uniform_int_distribution<int> anyTime(0, kLastMomentMs);
    for (int i = 0; i < kRandomMoments; ++i) {
        const int t = anyTime(random);
        moments.push_back(Moment{t, "random", LoadObject::sectionAt(t), {}});
    }

    try {
        // The reference: a run from the start, keeping the frame of every moment.
        const double referenceStartMs = nowMs();
        {
            DemoPlayer player(kFrameMs, widthPx, heightPx);
            while (player.step()) {
                if (player.musicTimeMs() < 0)
                    continue;
                const int frameMusicMs = player.musicTimeMs();
                const int previousMusicMs = frameMusicMs - 17;  // at most one frame before
                for (Moment& moment : moments) {
                    if (moment.referenceFrame < 0 && frameMusicMs >= moment.musicMs
                        && (previousMusicMs < moment.musicMs || moment.musicMs <= 0)) {
                        moment.reference = player.readFrame();
                        moment.referenceFrame = player.frameCount();
                        moment.referenceMusicMs = frameMusicMs;
                    }
                }
            }
        }
        std::printf("reference run from the start at %dx%d, 60 fps: %.1f s\n", widthPx, heightPx,
                    (nowMs() - referenceStartMs) / 1000.0);

        DemoPlayer player(kFrameMs, widthPx, heightPx);
        std::vector<size_t> order(moments.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), random);
        // The cold jump first: the latest moment, with only the start kept.
        const auto latest = std::max_element(order.begin(), order.end(), [&](size_t a, size_t b) {
            return moments[a].musicMs < moments[b].musicMs;
        });
        std::iter_swap(order.begin(), latest);

        std::printf("\n%-8s %7s %4s %7s %9s %9s %8s %9s\n", "moment", "music", "sec", "frame", "jump ms", "PSNR dB",
                    "redraw", "redraw ms");
        std::vector<double> jumpTimesMs;
        double coldMs = 0.0;
        int identical = 0;
        int redrawsIdentical = 0;
        double worstPsnr = INFINITY;
        for (size_t n = 0; n < order.size(); ++n) {
            const Moment& moment = moments[order[n]];
            const double startMs = nowMs();
            const bool landed = player.seekToMusicTime(moment.musicMs);
            // Timed up to the frame read back: the GL draws it by then.
            const std::vector<uint8_t> frame = player.readFrame();
            const double jumpMs = nowMs() - startMs;
            const double redrawStartMs = nowMs();
            player.redraw();
            player.readFrame();  // waits for the frame, like the jump's own reading above
            const double redrawMs = nowMs() - redrawStartMs;
            const bool redrawSame = player.readFrame() == frame;
            const double quality = psnr(frame, moment.reference);
            if (n == 0)
                coldMs = jumpMs;
            else
                jumpTimesMs.push_back(jumpMs);
            identical += std::isinf(quality) ? 1 : 0;
            redrawsIdentical += redrawSame ? 1 : 0;
            worstPsnr = std::min(worstPsnr, quality);
            char psnrText[32];
            if (std::isinf(quality))
                std::snprintf(psnrText, sizeof(psnrText), "identical");
            else
                std::snprintf(psnrText, sizeof(psnrText), "%.2f", quality);
            std::printf("%-8s %7d %4d %7d %9.1f %9s %8s %9.1f%s%s\n", moment.kind, moment.musicMs, moment.section,
                        player.frameCount(), jumpMs, psnrText, redrawSame ? "same" : "DIFFERS", redrawMs,
                        landed ? "" : "  (not landed)",
                        player.frameCount() != moment.referenceFrame ? "  (another frame)" : "");
            if (!frameDir.empty())
                TAV_PNGWriter::write((frameDir + "/jump-" + std::to_string(moment.musicMs) + ".png").c_str(),
                                     frame.data(), player.width(), player.height(), TAV_PNGWriter::RGBA_BOTTOM_UP, -1);
        }
        std::sort(jumpTimesMs.begin(), jumpTimesMs.end());
        std::printf("\n%zu jumps: %d identical to the run from the start, worst PSNR %s; redraw identical %d of %zu\n",
                    order.size(), identical, std::isinf(worstPsnr) ? "inf" : std::to_string(worstPsnr).c_str(),
                    redrawsIdentical, order.size());
        std::printf("first jump (no checkpoint but the start): %.1f ms\n", coldMs);
        std::printf("later jumps: median %.1f ms, worst %.1f ms\n", jumpTimesMs[jumpTimesMs.size() / 2],
                    jumpTimesMs.back());

        // Again, in another order: every checkpoint kept, every kind of frame drawn before.
        std::shuffle(order.begin(), order.end(), random);
        std::vector<double> againMs;
        int againIdentical = 0;
        for (size_t index : order) {
            const double startMs = nowMs();
            player.seekToMusicTime(moments[index].musicMs);
            const std::vector<uint8_t>& frame = player.readFrame();
            againMs.push_back(nowMs() - startMs);
            againIdentical += frame == moments[index].reference ? 1 : 0;
        }
        std::sort(againMs.begin(), againMs.end());
        std::printf("second pass, %zu jumps (%d identical): median %.1f ms, worst %.1f ms\n", againMs.size(),
                    againIdentical, againMs[againMs.size() / 2], againMs.back());

        std::printf("\nnaive jump (music clock only) to each section's middle, PSNR dB against the run:\n");
        std::string timeOnly;
        int column = 0;
        for (const Moment& moment : moments) {
            if (std::string(moment.kind) != "middle" || moment.musicMs <= 0)
                continue;
            player.seekToMusicTime(0);
            player.setNextMusicTimeMs(moment.referenceMusicMs - 17);
            player.step();
            player.setNextMusicTimeMs(moment.referenceMusicMs);
            player.step();
            const double quality = psnr(player.readFrame(), moment.reference);
            if (std::isinf(quality))
                timeOnly += " " + std::to_string(moment.section);
            std::printf("  %2d: %9s%s", moment.section,
                        std::isinf(quality) ? "identical" : std::to_string(quality).substr(0, 5).c_str(),
                        ++column % 6 == 0 ? "\n" : "");
        }
        std::printf("\nsections that depend on the music time alone:%s\n", timeOnly.c_str());
    } catch (TAV_Exception* e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e->getMessage());
        delete e;
        return 1;
    }
    return 0;
}
