// tavlen_benchmark: plays the whole demo on the deterministic player with a fixed 60 Hz
// clock, as fast as the renderer allows, with glFinish after every frame, and prints:
//   - the start-up time of the real `tavlen`, from exec to its first demo frame (the median
//     of five runs, timed by a probe preloaded into it), and in this process;
//   - for the pre-roll, every section and the closing, the median and worst frame time;
//   - the peak memory of the process;
//   - the heap allocations made by the frame loop after the first music frame, both those of
//     C++ code (operator new: the engine and the demo) and all malloc calls (which also
//     counts the GL driver and Xlib);
//   - for the heaviest kinds of section, the time of a bare OpenGL loop drawing the same
//     quads, so the engine's overhead shows as a ratio;
//   - every group's median at 800x600 and at 1920x1080 side by side, with their ratio (the
//     demo is played once more at the size not measured yet; the picture of 1920x1080 is
//     1440x1080, 3.24 times the pixels of 800x600).
//
//   tavlen_benchmark [WIDTHxHEIGHT]      (the window of the main run; default 800x600)
//
// Swaps are never synchronised to the display here: the figures are render times.
//
// It needs an X display (xvfb-run -s "-screen 0 1024x768x24" works) and the generated data/:
// it runs in the current folder when that holds data/, else in the build folder.
#include <GL/gl.h>           // Required for: glFinish() and the bare comparison loops
#include <fcntl.h>           // Required for: open()
#include <poll.h>            // Required for: waiting for the start-up probe's reading
#include <signal.h>          // Required for: kill()
#include <sys/resource.h>    // Required for: getrusage(), peak memory
#include <sys/wait.h>        // Required for: wait4()
#include <time.h>            // Required for: clock_gettime()
#include <unistd.h>          // Required for: fork(), execl(), pipe()

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "LoadObject.h"
#include "core/TAV_Window.h"  // Required for: the swap-control method, for the heading
#include "sys/TAV_Exception.h"

// Under the sanitizers the allocator belongs to the sanitizer runtime: count nothing there.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVLEN_NO_ALLOCATION_COUNT 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TAVLEN_NO_ALLOCATION_COUNT 1
#endif

namespace {

// Set while the frame loop after the first music frame runs.
std::atomic<bool> g_counting{false};

}  // namespace

#ifndef TAVLEN_NO_ALLOCATION_COUNT
extern "C" char __executable_start;  // Required for: where this executable's code lies
extern "C" char etext;

namespace {

// Allocations are counted by who asked: code of this executable (the engine, the demo and
// the templates they instantiate) or a shared library (the GL driver, Xlib, libstdc++).
std::atomic<long> g_ours{0};
std::atomic<long> g_theirs{0};
// The first few distinct callers in our code, as offsets for addr2line.
const int kCallerSlots = 8;
std::atomic<uintptr_t> g_callers[kCallerSlots];

void countAllocation(void* caller)
{
    if (!g_counting.load(std::memory_order_relaxed))
        return;
    const char* at = static_cast<const char*>(caller);
    if (at >= &__executable_start && at < &etext) {
        g_ours.fetch_add(1, std::memory_order_relaxed);
        const uintptr_t offset = uintptr_t(at - &__executable_start);
        for (std::atomic<uintptr_t>& slot : g_callers) {
            uintptr_t expected = 0;
            if (slot.load() == offset || slot.compare_exchange_strong(expected, offset))
                break;
        }
    } else {
        g_theirs.fetch_add(1, std::memory_order_relaxed);
    }
}

}  // namespace
#endif

#ifndef TAVLEN_NO_ALLOCATION_COUNT
// The replaced operators below pair new with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
}

// glibc's allocator under its public names, so that every library's allocations count.
extern "C" {
void* malloc(size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size)
{
    countAllocation(__builtin_return_address(0));
    return __libc_realloc(p, size);
}
}

// C++ allocations, counted by the code that asked for them (not by libstdc++'s operator).
void* operator new(std::size_t size)
{
    countAllocation(__builtin_return_address(0));
    if (void* p = __libc_malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    countAllocation(__builtin_return_address(0));
    if (void* p = __libc_malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Frame-time groups: the pre-roll, the 45 sections, the closing.
const int kPreRoll = 0;
const int kClosingGroup = LoadObject::SECTION_COUNT + 1;
const int kGroups = LoadObject::SECTION_COUNT + 2;

int groupOf(const DemoPlayer& player)
{
    if (player.musicTimeMs() < 0)
        return kPreRoll;
    return 1 + LoadObject::sectionAt(player.musicTimeMs());
}

const char* groupName(int group, char* buffer, size_t size)
{
    if (group == kPreRoll)
        return "pre-roll";
    if (group == kClosingGroup)
        return "closing";
    std::snprintf(buffer, size, "section %2d", group - 1);
    return buffer;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return (n % 2) ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// --- Bare OpenGL loops: the same quads as the heaviest effects, without the engine --------

void bareOrtho(double left, double right, double bottom, double top)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void bareQuad(float halfWidth, float halfHeight, float sMax, float tMax)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-halfWidth, -halfHeight);
    glTexCoord2f(sMax, 0.0f);
    glVertex2f(halfWidth, -halfHeight);
    glTexCoord2f(sMax, tMax);
    glVertex2f(halfWidth, halfHeight);
    glTexCoord2f(0.0f, tMax);
    glVertex2f(-halfWidth, halfHeight);
    glEnd();
}

// A frame copy and 25 blended full-screen layers, as the radial blur draws them.
void bareRadialBlur(GLuint copyTexture)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, copyTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 800, 600);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    bareOrtho(-0.5, 0.5, 0.5, -0.5);
    float alpha = 0.2f;
    for (int i = 0; i < 25; ++i) {
        glColor4f(1, 1, 1, alpha);
        glPushMatrix();
        glScalef(1.0f + 0.02f * i, 1.0f + 0.02f * i, 1.0f);
        bareQuad(0.5f, 0.5f, 0.78125f, 0.5859375f);
        glPopMatrix();
        alpha -= 0.008f;
    }
}

// 1580 sprites of 40 and 50 pixels and one portrait, as the particle scenes draw them.
void bareParticles(GLuint spriteTexture, const std::vector<float>& positions)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, spriteTexture);
    bareOrtho(0, 800, 600, 0);
    const size_t count = positions.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        const float size = i < 1500 ? 20.0f : 25.0f;
        glColor4f(i < 1500 ? 0.0f : 1.0f, i < 1500 ? 0.0f : 0.38f, i < 1500 ? 0.0f : 0.08f, i < 1500 ? 0.5f : 1.0f);
        glPushMatrix();
        glTranslatef(positions[2 * i], positions[2 * i + 1], 0.0f);
        bareQuad(size, size, 1.0f, 1.0f);
        glPopMatrix();
    }
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    glTranslatef(672.0f, 300.0f, 0.0f);
    bareQuad(192.0f, 256.0f, 1.0f, 1.0f);
    glPopMatrix();
}

// Ten stacked 800 x 800 unit boards in perspective with their pieces, as chess draws them.
void bareChess(GLuint boardTexture, GLuint spriteTexture)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.0414, 0.0414, -0.0414 * 0.75, 0.0414 * 0.75, 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-1.5f, 1.5f, -95.0f);
    for (int board = 0; board < 10; ++board) {
        glTranslatef(0.0f, 0.0f, 9.0f);
        glBindTexture(GL_TEXTURE_2D, boardTexture);
        glColor4f(1, 1, 1, 1);
        bareQuad(400.0f, 400.0f, 400.0f, 400.0f);
        glBindTexture(GL_TEXTURE_2D, spriteTexture);
        glColor4f(1.0f, 0.38f, 0.08f, 1.0f);
        for (int piece = 0; piece < 4; ++piece) {
            glPushMatrix();
            glTranslatef(piece - 1.5f, 0.5f, 0.0f);
            bareQuad(0.5f, 0.5f, 1.0f, 1.0f);
            glPopMatrix();
        }
    }
}

GLuint bareTexture(int size, bool checker)
{
    std::vector<unsigned char> pixels(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool on = checker ? ((y < size / 2) == (x < size / 2)) : ((x - size / 2) * (x - size / 2) + (y - size / 2) * (y - size / 2) < size * size / 4);
            unsigned char* p = &pixels[(size_t(y) * size + x) * 4];
            p[0] = p[1] = p[2] = 255;
            p[3] = on ? 255 : 0;
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, checker ? GL_NEAREST : GL_LINEAR);
    return name;
}

template <class Draw>
double bareMedianMs(int frames, Draw draw)
{
    std::vector<double> times;
    times.reserve(size_t(frames));
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        draw();
        glFinish();
        times.push_back(msSince(start));
    }
    return median(times);
}

int64_t monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Starts the real program with the first-frame probe preloaded; returns the time from just
// before exec to its first demo frame in ms, or a negative value when there was none. The
// program is ended with SIGTERM right after.
double timeRealStartup()
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1.0;
    const int64_t startNs = monotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        setenv("TAVLEN_PROBE_FD", fd.c_str(), 1);
        setenv("LD_PRELOAD", TAVLEN_PROBE_LIBRARY, 1);
        // Its music on OpenAL's null output unless told otherwise: a machine without sound
        // starts the same way, and says nothing about it five times over.
        setenv("ALSOFT_DRIVERS", "null", 0);
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0)
            dup2(quiet, 2);
        execl(TAVLEN_BINARY_DIR "/tavlen", "tavlen", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    double startupMs = -1.0;
    pollfd reading = {fds[0], POLLIN, 0};
    if (pid > 0 && poll(&reading, 1, 30000) == 1) {
        char text[32] = {};
        if (read(fds[0], text, sizeof(text) - 1) > 0)
            startupMs = double(std::atoll(text) - startNs) / 1e6;
    }
    close(fds[0]);
    if (pid > 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    return startupMs;
}

// Plays the whole demo at the given window size and returns every group's frame times.
std::vector<std::vector<double>> playFrameTimes(int widthPx, int heightPx)
{
    std::vector<std::vector<double>> frameTimes(kGroups);
    for (std::vector<double>& group : frameTimes)
        group.reserve(8192);
    DemoPlayer player(1000.0 / 60.0, widthPx, heightPx);
    while (!player.exited()) {
        const Clock::time_point start = Clock::now();
        if (!player.step())
            break;
        glFinish();
        frameTimes[size_t(groupOf(player))].push_back(msSince(start));
    }
    return frameTimes;
}

std::vector<double> mediansOf(const std::vector<std::vector<double>>& frameTimes)
{
    std::vector<double> medians;
    for (const std::vector<double>& times : frameTimes)
        medians.push_back(median(times));
    return medians;
}

// The heaviest section (by median) among the given ones.
int heaviest(const std::vector<double>& medians, std::initializer_list<int> sections)
{
    int best = *sections.begin();
    for (int section : sections)
        if (medians[size_t(1 + section)] > medians[size_t(1 + best)])
            best = section;
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    int widthPx = DemoPlayer::WIDTH;
    int heightPx = DemoPlayer::HEIGHT;
    if (argc > 2 || (argc == 2 && (std::sscanf(argv[1], "%dx%d", &widthPx, &heightPx) != 2 || widthPx < 1
                                   || heightPx < 1 || widthPx > 16384 || heightPx > 16384))) {
        std::fprintf(stderr, "usage: %s [WIDTHxHEIGHT]\n", argv[0]);
        return 2;
    }
    if (!DemoPlayer::enterDataFolder(TAVLEN_BINARY_DIR)) {
        std::fprintf(stderr, "no data/ here nor in %s: build the tavlen_data target first\n", TAVLEN_BINARY_DIR);
        return 1;
    }

    std::vector<std::vector<double>> frameTimes(kGroups);
    for (std::vector<double>& group : frameTimes)
        group.reserve(8192);  // reserved up front: the loop below must not allocate itself

    // The real program first, while nothing else runs.
    std::vector<double> realStartups;
    for (int run = 0; run < 5; ++run) {
        const double ms = timeRealStartup();
        if (ms >= 0.0)
            realStartups.push_back(ms);
    }

    try {
        const Clock::time_point playerStart = Clock::now();
        DemoPlayer player(1000.0 / 60.0, widthPx, heightPx);
        player.step();
        glFinish();
        const double playerStartupMs = msSince(playerStart);

        bool musicSeen = false;
        long framesCounted = 0;
        const Clock::time_point playStart = Clock::now();
        while (!player.exited()) {
            const Clock::time_point start = Clock::now();
            if (!player.step())
                break;
            glFinish();
            const double elapsed = msSince(start);
            frameTimes[size_t(groupOf(player))].push_back(elapsed);
            if (musicSeen)
                ++framesCounted;
            // Counting starts once the first music frame is done: the music has started and
            // every lazily made driver object exists.
            if (!musicSeen && player.musicTimeMs() >= 0) {
                musicSeen = true;
                g_counting = true;
            }
        }
        g_counting = false;
        const double playMs = msSince(playStart);

        std::printf("Tavlen frame-time benchmark: fixed 60 Hz clock, glFinish per frame, %dx%d window\n",
                    widthPx, heightPx);
        std::printf("swap control: %s, swaps %s\n\n", TAV_Window::m_swapControl,
                    TAV_Window::m_swapSynchronised ? "synchronised (unexpected here)" : "not synchronised");
        if (realStartups.empty())
            std::printf("start-up of tavlen: not measured (no first frame seen)\n");
        else
            std::printf("start-up of tavlen, exec to first demo frame: median %.1f ms of %zu runs (%.1f to %.1f)\n",
                        median(realStartups), realStartups.size(),
                        *std::min_element(realStartups.begin(), realStartups.end()),
                        *std::max_element(realStartups.begin(), realStartups.end()));
        std::printf("start-up in this process, engine and scene to first demo frame: %.1f ms\n", playerStartupMs);
        std::printf("whole demo played in %.1f s (%d frames, %.1f s of demo time)\n\n", playMs / 1000.0,
                    player.frameCount(), player.frameCount() / 60.0);
        std::printf("%-12s %7s %9s %9s\n", "", "frames", "median", "worst");
        std::vector<double> medians(kGroups, 0.0);
        for (int group = 0; group < kGroups; ++group) {
            const std::vector<double>& times = frameTimes[size_t(group)];
            char name[32];
            medians[size_t(group)] = median(times);
            const double worst = times.empty() ? 0.0 : *std::max_element(times.begin(), times.end());
            std::printf("%-12s %7zu %6.2f ms %6.2f ms\n", groupName(group, name, sizeof(name)), times.size(),
                        medians[size_t(group)], worst);
        }

        struct rusage usage = {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("\npeak memory (max RSS): %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
#ifndef TAVLEN_NO_ALLOCATION_COUNT
        std::printf("heap allocations in the %ld frames after the first music frame:\n", framesCounted);
        std::printf("  by the engine and the demo (code of this executable): %ld\n", g_ours.load());
        std::printf("  by shared libraries (GL driver, Xlib, libstdc++):     %ld\n", g_theirs.load());
        for (const std::atomic<uintptr_t>& slot : g_callers)
            if (slot.load())
                std::printf("    caller at offset 0x%zx (addr2line -f -C -e <this program>)\n", size_t(slot.load()));
#else
        std::printf("heap allocations: not counted under the sanitizers\n");
#endif

        // The bare loops run in the same window and context, after the demo has ended.
        const GLuint copyTexture = bareTexture(1024, false);
        const GLuint spriteTexture = bareTexture(128, false);
        const GLuint boardTexture = bareTexture(64, true);
        std::vector<float> positions;
        for (int i = 0; i < 1580; ++i) {
            positions.push_back(float((i * 7919) % 800));
            positions.push_back(float((i * 104729) % 600));
        }
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_SCISSOR_TEST);
        const int blurSection = heaviest(medians, {10, 20, 21, 27, 28, 37, 38});
        const int particleSection = heaviest(medians, {1, 3, 6, 12, 13, 18, 24, 26, 31, 33, 34, 39, 41});
        const int chessSection = heaviest(medians, {5, 11, 16, 30});
        const double bareBlur = bareMedianMs(120, [&] { bareRadialBlur(copyTexture); });
        const double bareSwarm = bareMedianMs(120, [&] { bareParticles(spriteTexture, positions); });
        const double bareBoards = bareMedianMs(120, [&] { bareChess(boardTexture, spriteTexture); });
        std::printf("\nheaviest kinds of section against a bare OpenGL loop drawing the same quads:\n");
        std::printf("  %-34s section %2d %6.2f ms   bare %6.2f ms   ratio %.2f\n", "frame copy + radial blur",
                    blurSection, medians[size_t(1 + blurSection)], bareBlur, medians[size_t(1 + blurSection)] / bareBlur);
        std::printf("  %-34s section %2d %6.2f ms   bare %6.2f ms   ratio %.2f\n", "1580 particle sprites + portrait",
                    particleSection, medians[size_t(1 + particleSection)], bareSwarm,
                    medians[size_t(1 + particleSection)] / bareSwarm);
        std::printf("  %-34s section %2d %6.2f ms   bare %6.2f ms   ratio %.2f\n", "ten chessboards in perspective",
                    chessSection, medians[size_t(1 + chessSection)], bareBoards,
                    medians[size_t(1 + chessSection)] / bareBoards);
        std::printf("  (the sections draw masks, noise, flashes and the LED figure on top, so a ratio\n"
                    "   above 1 is their extra work as much as the engine's)\n");
        glDeleteTextures(1, &copyTexture);
        glDeleteTextures(1, &spriteTexture);
        glDeleteTextures(1, &boardTexture);
    } catch (TAV_Exception* e) {
        std::fprintf(stderr, "%s\n", e->getMessage());
        delete e;
        return 1;
    }

    // The same groups at the design size and at a common full-HD screen, the one not played
    // yet played now (after the player above has gone: one engine at a time).
    try {
        const bool mainIsDesign = widthPx == DemoPlayer::WIDTH && heightPx == DemoPlayer::HEIGHT;
        const bool mainIsFullHd = widthPx == 1920 && heightPx == 1080;
        const std::vector<double> designMedians =
            mainIsDesign ? mediansOf(frameTimes) : mediansOf(playFrameTimes(DemoPlayer::WIDTH, DemoPlayer::HEIGHT));
        const std::vector<double> fullHdMedians = mainIsFullHd ? mediansOf(frameTimes) : mediansOf(playFrameTimes(1920, 1080));
        std::printf("\nmedian frame time by window size (1920x1080 draws a 1440x1080 picture: 3.24 x the pixels)\n");
        std::printf("%-12s %10s %10s %7s\n", "", "800x600", "1920x1080", "ratio");
        for (int group = 0; group < kGroups; ++group) {
            char name[32];
            const double design = designMedians[size_t(group)];
            const double fullHd = fullHdMedians[size_t(group)];
            std::printf("%-12s %7.2f ms %7.2f ms %7.2f\n", groupName(group, name, sizeof(name)), design, fullHd,
                        design > 0.0 ? fullHd / design : 0.0);
        }
    } catch (TAV_Exception* e) {
        std::fprintf(stderr, "%s\n", e->getMessage());
        delete e;
        return 1;
    }
    return 0;
}
