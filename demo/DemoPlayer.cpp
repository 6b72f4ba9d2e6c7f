#include "DemoPlayer.h"

#include <GL/gl.h>   // Required for: glReadPixels()
#include <GL/glx.h>  // Required for: glXSwapBuffers()

#include <cmath>  // Required for: floor()

#include "LoadObject.h"
#include "fsound.h"
#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
#include "io/TAV_IO_LNX_XEvent.h"
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

const int kPreRollMs = 6000;  // the frame that finds this much pre-roll starts the music

}  // namespace

DemoPlayer::DemoPlayer(double frameTimeMs, int widthPx, int heightPx)
    : frameStepMs(frameTimeMs), widthPx(widthPx), heightPx(heightPx), frameBuffer(size_t(widthPx) * size_t(heightPx) * 4)
{
    g_clockMs = 0.0;
    g_clockBaseMs = 0.0;
    g_framesSinceBase = 0;
    TAV_SYS_Util::setClock(playerClockMs);
    FSOUND_SetManualClock(true);
    FSOUND_SetManualTime(0);

    // A window of the size asked for, whatever app.cfg says; frames as fast as they render.
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
        throw;
    }
    TAV_RootScene::getInstance()->setSubScene(sceneCurrent);

    // The engine's first pass draws no scene; its scene switch makes the demo current.
    TAV_RootScene::getInstance()->update(0);
    framePending = true;
    finishFrame();
}

DemoPlayer::~DemoPlayer()
{
    // The program's own way out: exit, a last pass that deletes the scene, then the engine.
    if (!exitRequested) {
        TAV_Engine::getInstance()->exit();
        exitRequested = true;
        framePending = true;
    }
    if (framePending)
        finishFrame();
    delete TAV_Engine::m_instance;
    TAV_Engine::m_instance = nullptr;
    TAV_SYS_Util::setClock(nullptr);
    FSOUND_SetManualClock(false);
}

bool DemoPlayer::step()
{
    TAV_RootScene* root = TAV_RootScene::getInstance();
    // An exit asked for between two frames (a key event a test sent itself) takes effect at
    // the end of a frame, as in the engine's loop.
    if (!exitRequested && root->getSubScene() == nullptr) {
        exitRequested = true;
        framePending = true;
    }
    if (framePending)
        finishFrame();
    if (exitRequested)
        return false;

    const int frameTimeMs = nextFrameTimeMs();
    g_clockMs = g_clockBaseMs + double(++g_framesSinceBase) * frameStepMs;
    // The music clock: 0 on the frame that starts the music, then the frame time added.
    const bool musicReadNow = sceneCurrent->m_musicStarted || sceneCurrent->m_loadTime >= kPreRollMs;
    if (musicReadNow) {
        if (forcedMusicMs >= 0)
            musicMs = forcedMusicMs;
        else
            musicMs = sceneCurrent->m_musicStarted ? musicMs + frameTimeMs : 0;
        forcedMusicMs = -1;
        FSOUND_SetManualTime(musicMs);
    }

    root->update(0);
    framePending = true;
    ++frames;
    // The timeline's exit leaves no scene pending; the frame's end deletes it.
    if (root->getSubScene() == nullptr)
        exitRequested = true;
    return !exitRequested;
}

bool DemoPlayer::playToMusicTime(int musicTimeMs)
{
    while (!exitRequested) {
        const bool musicReadNext = sceneCurrent->m_musicStarted || sceneCurrent->m_loadTime >= kPreRollMs;
        if (musicReadNext) {
            const int next = sceneCurrent->m_musicStarted ? musicMs + nextFrameTimeMs() : 0;
            if (sceneCurrent->m_musicStarted && musicMs >= musicTimeMs)
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
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, widthPx, heightPx, GL_RGBA, GL_UNSIGNED_BYTE, frameBuffer.data());
    return frameBuffer;
}

uint32_t DemoPlayer::pixel(int x, int y) const
{
    uint8_t p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void DemoPlayer::finishFrame()
{
    TAV_IO_LNX_XEvent::processEvents();
    glXSwapBuffers(TAV_Window::dpy, TAV_Window::win);
    TAV_RootScene* root = TAV_RootScene::getInstance();
    // An exit asked for by this frame or its key events: the scene switch deletes the scene.
    if (root->getSubScene() == nullptr) {
        exitRequested = true;
        sceneCurrent = nullptr;
    }
    root->swap();
    framePending = false;
}
