#include "DemoPlayer.h"

#include <GL/gl.h>  // Required for: glReadPixels()

#include <cmath>  // Required for: floor()

#include "LoadObject.h"
#include "fsound.h"
#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
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

}  // namespace

DemoPlayer::DemoPlayer(double frameTimeMs, int widthPx, int heightPx, Target target)
    : frameStepMs(frameTimeMs), widthPx(widthPx), heightPx(heightPx), frameBuffer(size_t(widthPx) * size_t(heightPx) * 4)
{
    g_clockMs = 0.0;
    g_clockBaseMs = 0.0;
    g_framesSinceBase = 0;
    TAV_SYS_Util::setClock(playerClockMs);
    FSOUND_SetManualClock(true);
    FSOUND_SetManualTime(0);

    // Frames of the size asked for, whatever app.cfg says, kept for reading back; as fast as
    // they render.
    TAV_Window::m_readBack = TAV_Window::m_offscreen = target == OFF_SCREEN;
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
    config->setKey("XRES", widthPx);
    config->setKey("YRES", heightPx);
    config->setKey("FULLSCREEN", 0);
    config->setKey("VSYNC", 0);

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

    // The engine's first frame draws no scene; its scene switch makes the demo current.
    TAV_Engine::getInstance()->step();
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
    if (exitRequested)
        return false;

    const int frameTimeMs = nextFrameTimeMs();
    g_clockMs = g_clockBaseMs + double(++g_framesSinceBase) * frameStepMs;
    // The music clock: 0 on the frame that starts the music, then the frame time added.
    if (sceneCurrent->readsMusicNextFrame()) {
        if (forcedMusicMs >= 0)
            musicMs = forcedMusicMs;
        else
            musicMs = sceneCurrent->musicStarted() ? musicMs + frameTimeMs : 0;
        forcedMusicMs = -1;
        FSOUND_SetManualTime(musicMs);
    }

    TAV_Engine::getInstance()->step();
    ++frames;
    // An exit asked for by this frame, its events or before it: the frame's scene switch has
    // deleted the scene.
    if (TAV_RootScene::getInstance()->getSubScene() == nullptr) {
        exitRequested = true;
        sceneCurrent = nullptr;
    }
    return !exitRequested;
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

int DemoPlayer::nextFrameTimeMs() const
{
    return wholeMs(g_clockBaseMs + double(g_framesSinceBase + 1) * frameStepMs) - wholeMs(g_clockMs);
}

void DemoPlayer::setFrameTimeMs(double frameTimeMs)
{
    g_clockBaseMs = g_clockMs;
    g_framesSinceBase = 0;
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
