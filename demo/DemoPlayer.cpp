#include "DemoPlayer.h"

#include <GL/gl.h>  // Required for: glReadPixels()

#include <unistd.h>  // Required for: access(), chdir()

#include <cmath>  // Required for: floor()

#include "LoadObject.h"
#include "fsound.h"
#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
#include "math/TAV_GlibcRandom.h"
#include "math/TAV_MATH_Util.h"
#include "sys/TAV_SYS_Config.h"
#include "sys/TAV_SYS_Util.h"

namespace {

// The fake engine clock that the root scene reads instead of the wall clock. It is the frame
// time multiplied by the frames since the frame time was last set, added to where the clock
// stood then: adding 1000/30 frame after frame drifts by binary fractions, and frame 180
// would read 5999 ms instead of 6000 and start the music a frame late.
double g_clockMs = 0.0;
double g_clockBaseMs = 0.0;
long g_framesSinceBase = 0;

// Lifts a clock meant to stand on a whole millisecond above the rounding error of the
// product; far below the smallest real fraction of a frame time (1/240 ms at 240 fps).
const double kWholeMsNudge = 1e-6;

int wholeMs(double clockMs)
{
    return int(std::floor(clockMs + kWholeMsNudge));
}

unsigned int playerClockMs()
{
    return static_cast<unsigned int>(wholeMs(g_clockMs));
}

// A checkpoint every second of the run: a jump rehearses at most a second of frames (about
// 60, a few ms each without drawing). Room for the whole run, whatever the frame time.
const int kCheckpointSpacingMs = 1000;
const int kCheckpointCount = LoadObject::RUN_LENGTH_MS / kCheckpointSpacingMs + 2;

int framesPerCheckpoint(double frameStepMs)
{
    const int frames = int(double(kCheckpointSpacingMs) / frameStepMs + 0.5);
    return frames > 1 ? frames : 1;
}

// Double or triple buffering: after a jump every back buffer in turn gets its bars cleared.
const int kBarsClearFrames = 3;

// Skips the drawing of the frames run while it lives, also when one of them throws.
class Rehearsal {
public:
    explicit Rehearsal(bool rehearsed) { TAV_Engine::m_drawingSkipped = rehearsed; }
    ~Rehearsal() { TAV_Engine::m_drawingSkipped = false; }
    Rehearsal(const Rehearsal&) = delete;
    Rehearsal& operator=(const Rehearsal&) = delete;
};

}  // namespace

DemoPlayer::DemoPlayer(double frameTimeMs, int widthPx, int heightPx, Target target)
    : frameStepMs(frameTimeMs), widthPx(widthPx), heightPx(heightPx),
      framesPerCheckpoint(::framesPerCheckpoint(frameTimeMs)), checkpoints(kCheckpointCount)
{
    g_clockMs = 0.0;
    g_clockBaseMs = 0.0;
    g_framesSinceBase = 0;
    TAV_SYS_Util::setClock(playerClockMs);
    FSOUND_SetManualClock(true);
    FSOUND_SetManualTime(0);
    // The sequence of a fresh process, which never seeds.
    TAV_MATH_Util::generator().seed(1);

    // Frames of the size asked for, whatever app.cfg says, kept for reading back; as fast as
    // they render. The studio's window is the one tavlen would open, in a window.
    TAV_Window::m_readBack = TAV_Window::m_offscreen = target == OFF_SCREEN;
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
    if (target != LIVE_WINDOW) {
        config->setKey("XRES", widthPx);
        config->setKey("YRES", heightPx);
        config->setKey("VSYNC", 0);
    }
    config->setKey("FULLSCREEN", 0);

    try {
        TAV_Engine::getInstance();
        sceneCurrent = new LoadObject();
    } catch (...) {
        delete TAV_Engine::m_instance;  // null when the engine itself could not start
        TAV_Engine::m_instance = nullptr;
        TAV_SYS_Util::setClock(nullptr);
        FSOUND_SetManualClock(false);
        TAV_Window::m_readBack = TAV_Window::m_offscreen = false;
        throw;
    }
    TAV_RootScene::getInstance()->setSubScene(sceneCurrent);
    if (target == LIVE_WINDOW) {
        this->widthPx = TAV_Window::m_frame.windowWidthPx();
        this->heightPx = TAV_Window::m_frame.windowHeightPx();
    }
    frameBuffer.resize(size_t(this->widthPx) * size_t(this->heightPx) * 4);

    // The engine's first frame draws no scene; its scene switch makes the demo current.
    TAV_Engine::getInstance()->step();

    // All the room jumps need, now: frames and seeks allocate nothing.
    for (DemoSnapshot& checkpoint : checkpoints)
        checkpoint.makeRoom(*sceneCurrent);
    beforeLast.makeRoom(*sceneCurrent);
    noteCheckpoint();
}

DemoPlayer::~DemoPlayer()
{
    // The program's own way out: exit, the frame that honours it (the scene is hidden and
    // deleted there), then the engine.
    if (!exitRequested) {
        TAV_Engine::getInstance()->exit();
        TAV_Engine::getInstance()->step();
    }
    delete TAV_Engine::m_instance;
    TAV_Engine::m_instance = nullptr;
    TAV_SYS_Util::setClock(nullptr);
    FSOUND_SetManualClock(false);
    TAV_Window::m_readBack = TAV_Window::m_offscreen = false;
}

bool DemoPlayer::step()
{
    return fixedFrame(true);
}

bool DemoPlayer::playToMusicTime(int musicTimeMs)
{
    while (!exitRequested) {
        if (sceneCurrent->readsMusicNextFrame()) {
            const int next = sceneCurrent->musicStarted() ? musicMs + nextFrameTimeMs() : 0;
            if (sceneCurrent->musicStarted() && musicMs >= musicTimeMs)
                return false;  // already there or past it
            if (next >= musicTimeMs) {
                forcedMusicMs = musicTimeMs;
                return step();
            }
        }
        step();
    }
    return false;
}

bool DemoPlayer::playToLoadTime(int loadTimeMs)
{
    if (exitRequested || sceneCurrent->m_loadTime >= loadTimeMs)
        return false;
    while (step() && sceneCurrent->m_loadTime < loadTimeMs) {
    }
    return !exitRequested;
}

bool DemoPlayer::seekToMusicTime(int musicTimeMs)
{
    return seek(Goal{MUSIC_TIME, musicTimeMs});
}

bool DemoPlayer::seekToLoadTime(int loadTimeMs)
{
    return seek(Goal{LOAD_TIME, loadTimeMs});
}

bool DemoPlayer::seekToFrame(int frame)
{
    return seek(Goal{FRAME, frame});
}

void DemoPlayer::redraw()
{
    if (exitRequested || !beforeLast.valid())
        return;
    const DemoSnapshot::PlayerValues after = afterLast;
    takeBack(beforeLast);
    // The frame's own clock and music time, as it ran.
    g_clockMs = after.clockMs;
    g_clockBaseMs = after.clockBaseMs;
    g_framesSinceBase = after.framesSinceBase;
    musicMs = after.musicMs;
    runFrame(true, true);
    onTimeline = after.onTimeline;
}

bool DemoPlayer::stepLive(double frameTimeMs)
{
    if (exitRequested)
        return false;
    keep(beforeLast);
    g_clockBaseMs = g_clockMs + frameTimeMs;
    g_framesSinceBase = 0;
    g_clockMs = g_clockBaseMs;
    if (sceneCurrent->readsMusicNextFrame()) {
        // The stream's clock once, handed to the frame as the manual time, so the frame and
        // musicTimeMs() agree to the millisecond. Before the music starts it reads 0.
        if (sceneCurrent->musicStarted()) {
            FSOUND_SetManualClock(false);
            musicMs = FSOUND_Stream_GetTime(sceneCurrent->m_stream);
            FSOUND_SetManualClock(true);
        } else {
            musicMs = 0;
        }
    }
    onTimeline = false;
    runFrame(true, true);
    return !exitRequested;
}

bool DemoPlayer::atEnd() const
{
    return exitRequested || sceneCurrent->m_endTime >= LoadObject::CLOSING_END_MS;
}

int DemoPlayer::nextFrameTimeMs() const
{
    return wholeMs(g_clockBaseMs + double(g_framesSinceBase + 1) * frameStepMs) - wholeMs(g_clockMs);
}

void DemoPlayer::setFrameTimeMs(double frameTimeMs)
{
    g_clockBaseMs = g_clockMs;
    g_framesSinceBase = 0;
    if (frameTimeMs != frameStepMs) {
        // Another timeline: only the start is common to both.
        for (size_t k = 1; k < checkpoints.size(); ++k)
            checkpoints[k].invalidate();
        onTimeline = onTimeline && frames == 0;
        framesPerCheckpoint = ::framesPerCheckpoint(frameTimeMs);
    }
    frameStepMs = frameTimeMs;
}

const std::vector<uint8_t>& DemoPlayer::readFrame()
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(TAV_Window::frameReadBuffer());
    glReadPixels(0, 0, widthPx, heightPx, GL_RGBA, GL_UNSIGNED_BYTE, frameBuffer.data());
    return frameBuffer;
}

uint32_t DemoPlayer::pixel(int x, int y) const
{
    uint8_t p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(TAV_Window::frameReadBuffer());
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

bool DemoPlayer::seek(Goal goal)
{
    if (exitRequested)
        return false;
    // From the latest checkpoint before the goal, or from here when the run stands on the
    // timeline between that checkpoint and the goal.
    const DemoSnapshot* from = nullptr;
    for (const DemoSnapshot& checkpoint : checkpoints) {
        const Position at{checkpoint.player.frames, checkpoint.musicStarted, checkpoint.player.musicMs,
                          checkpoint.loadTimeMs};
        if (checkpoint.valid() && isBefore(goal, at) && (!from || at.frames > from->player.frames))
            from = &checkpoint;
    }
    const Position here{frames, sceneCurrent->musicStarted(), musicMs, sceneCurrent->m_loadTime};
    const bool goOnFromHere = onTimeline && forcedMusicMs < 0 && isBefore(goal, here)
                              && (!from || frames >= from->player.frames);
    if (!goOnFromHere) {
        if (!from)
            return false;  // a goal before the first frame: none comes before it
        takeBack(*from);
    }

    while (true) {
        if (atEnd()) {
            // The goal lies past the end: the last frame it is, drawn.
            if (!exitRequested)
                redraw();
            return false;
        }
        const bool goalNext = !isBefore(goal, nextPosition());
        if (!fixedFrame(goalNext))
            return false;
        if (goalNext)
            return true;
    }
}

bool DemoPlayer::isBefore(const Goal& goal, const Position& at)
{
    if (at.frames == 0)
        return true;  // no frame yet: every goal is a frame of the run
    switch (goal.kind) {
    case MUSIC_TIME: return !at.musicStarted || at.musicMs < goal.value;
    case LOAD_TIME: return !at.musicStarted && at.loadTimeMs < goal.value;
    case FRAME: return at.frames < goal.value;
    }
    return false;
}

DemoPlayer::Position DemoPlayer::nextPosition() const
{
    const int frameTimeMs = nextFrameTimeMs();
    Position next{frames + 1, false, musicMs, sceneCurrent->m_loadTime};
    if (sceneCurrent->readsMusicNextFrame()) {
        next.musicStarted = true;
        next.musicMs = sceneCurrent->musicStarted() ? musicMs + frameTimeMs : 0;
    } else {
        next.loadTimeMs += frameTimeMs;
    }
    return next;
}

bool DemoPlayer::fixedFrame(bool drawn)
{
    if (exitRequested)
        return false;
    // The closing's last frames are kept as well, so that a seek past the end can draw the
    // last one after rehearsing it.
    const bool kept = drawn || sceneCurrent->m_endTime > LoadObject::sectionStartMs(LoadObject::SECTION_COUNT);
    if (kept)
        keep(beforeLast);
    const int frameTimeMs = nextFrameTimeMs();
    g_clockMs = g_clockBaseMs + double(++g_framesSinceBase) * frameStepMs;
    // The music clock: 0 on the frame that starts the music, then the frame time added.
    if (sceneCurrent->readsMusicNextFrame()) {
        if (forcedMusicMs >= 0) {
            musicMs = forcedMusicMs;
            onTimeline = false;
        } else {
            musicMs = sceneCurrent->musicStarted() ? musicMs + frameTimeMs : 0;
        }
        forcedMusicMs = -1;
    }
    runFrame(drawn, kept);
    return !exitRequested;
}

void DemoPlayer::runFrame(bool drawn, bool keepAfter)
{
    if (sceneCurrent->readsMusicNextFrame()) {
        FSOUND_SetManualTime(musicMs);
        if (!sceneCurrent->musicStarted())
            musicStartFrameNumber = frames + 1;
    }
    if (drawn && barsToClear > 0) {
        sceneCurrent->clearBars();
        --barsToClear;
    }
    {
        const Rehearsal rehearsal(!drawn);
        TAV_Engine::getInstance()->step();
    }
    ++frames;
    if (keepAfter)
        afterLast = values();
    // An exit asked for by this frame, its events or before it: the frame's scene switch has
    // deleted the scene.
    if (TAV_RootScene::getInstance()->getSubScene() == nullptr) {
        exitRequested = true;
        sceneCurrent = nullptr;
        return;
    }
    noteCheckpoint();
}

DemoSnapshot::PlayerValues DemoPlayer::values() const
{
    DemoSnapshot::PlayerValues player;
    player.clockMs = g_clockMs;
    player.clockBaseMs = g_clockBaseMs;
    player.framesSinceBase = g_framesSinceBase;
    player.musicMs = musicMs;
    player.frames = frames;
    player.musicStartFrame = musicStartFrameNumber;
    player.onTimeline = onTimeline;
    return player;
}

void DemoPlayer::keep(DemoSnapshot& snapshot) const
{
    snapshot.save(*sceneCurrent, values());
}

void DemoPlayer::takeBack(const DemoSnapshot& snapshot)
{
    snapshot.restore(*sceneCurrent);
    const DemoSnapshot::PlayerValues& player = snapshot.player;
    g_clockMs = player.clockMs;
    g_clockBaseMs = player.clockBaseMs;
    g_framesSinceBase = player.framesSinceBase;
    musicMs = player.musicMs;
    forcedMusicMs = -1;
    frames = player.frames;
    musicStartFrameNumber = player.musicStartFrame;
    onTimeline = player.onTimeline;
    // The root scene measures the next frame's time from this clock reading.
    TAV_RootScene::m_timelast = playerClockMs();
    barsToClear = kBarsClearFrames;
}

void DemoPlayer::noteCheckpoint()
{
    if (!onTimeline || frames % framesPerCheckpoint != 0)
        return;
    const size_t index = size_t(frames / framesPerCheckpoint);
    if (index < checkpoints.size() && !checkpoints[index].valid())
        keep(checkpoints[index]);
}

bool DemoPlayer::enterDataFolder(const char* buildFolder)
{
    // Any of the generated pictures tells that data/ is complete enough to start.
    const char* const probe = "data/o14_logo.png";
    if (access(probe, R_OK) == 0)
        return true;
    return chdir(buildFolder) == 0 && access(probe, R_OK) == 0;
}
