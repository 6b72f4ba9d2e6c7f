// The program entry of the browser build: the C functions the page calls (tavlen.js exports
// them). The page owns the loop: its animation callback calls tavlen_frame once per frame,
// which is the engine's one-frame step, exactly as the desktop's run() repeats it.
//
// A run: tavlen_start (inside the Play click, so audio may start) builds the engine on the
// canvas and a fresh demo scene; tavlen_frame steps until the demo ends (by itself or by
// Escape, delivered by the engine's event pump) and then deletes the engine and stops the
// music, as the desktop's main does on its way out; tavlen_start may then run it again.
// In the deterministic mode the deterministic player (DemoPlayer) drives the same step with
// its fixed frame and music clocks, for frames that match the desktop's at the same demo time.
// Failures become one plain sentence for the page (tavlen_error). Main thread only.
#include <GL/gl.h>                  // Required for: glReadPixels()
#include <emscripten/emscripten.h>  // Required for: EMSCRIPTEN_KEEPALIVE

#include <cstdint>  // Required for: uint8_t
#include <memory>   // Required for: std::unique_ptr
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "LoadObject.h"
#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
#include "fsound.h"
#include "fsound_web.h"
#include "math/TAV_GlibcRandom.h"
#include "math/TAV_MATH_Util.h"
#include "sys/TAV_Exception.h"

namespace {

std::string g_error;
bool g_running = false;
double g_deterministicFrameMs = 0.0;  // 0: real time
DemoPlayer* g_player = nullptr;
int g_widthPx = 800;                  // the drawing-buffer size the page last gave
int g_heightPx = 600;
int g_demoTimeMs = 0;
std::vector<uint8_t> g_frame;

LoadObject* currentScene()
{
    return static_cast<LoadObject*>(TAV_RootScene::getInstance()->getSubScene());
}

// What the desktop's main does after its loop: the engine deleted (scene, services, window),
// then the music silenced, which the ended process would do there.
void endRun()
{
    if (g_player != nullptr) {
        delete g_player;
        g_player = nullptr;
    } else {
        delete TAV_Engine::m_instance;
        TAV_Engine::m_instance = nullptr;
    }
    FSOUND_Close();
    g_running = false;
}

void fail(TAV_Exception* e)
{
    const std::unique_ptr<TAV_Exception> owned(e);
    g_error = e->getMessage();
    // A run that failed half-way is ended as in order as it can be.
    endRun();
}

void noteDemoTime()
{
    LoadObject* scene = currentScene();
    if (scene == nullptr)
        return;
    g_demoTimeMs = scene->musicStarted() ? LoadObject::PRE_ROLL_MS + FSOUND_Web_LastTimeMs() : scene->m_loadTime;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int tavlen_start(void)
{
    g_error.clear();
    if (g_running)
        endRun();
    g_demoTimeMs = 0;
    // The random sequence of a fresh process, as the desktop program starts every run with.
    TAV_MATH_Util::generator().seed(1);
    try {
        TAV_Window::resize(g_widthPx, g_heightPx);
        if (g_deterministicFrameMs > 0.0) {
            g_player = new DemoPlayer(g_deterministicFrameMs, g_widthPx, g_heightPx, DemoPlayer::IN_WINDOW);
        } else {
            TAV_Engine::getInstance();
            // The root scene owns the demo from here on and shows it at the end of the first
            // frame. A constructor that throws has already released everything it built.
            TAV_RootScene::getInstance()->setSubScene(new LoadObject());
        }
    } catch (TAV_Exception* e) {
        fail(e);
        return 1;
    }
    g_running = true;
    return 0;
}

EMSCRIPTEN_KEEPALIVE int tavlen_frame(void)
{
    if (!g_running)
        return 0;
    // Frames drawn for reading back (the deterministic player) never swap: the window
    // learns here that the browser may have presented and cleared the canvas.
    TAV_Window::beginBrowserTask();
    bool goesOn = false;
    try {
        goesOn = g_player != nullptr ? g_player->step() : TAV_Engine::getInstance()->step();
    } catch (TAV_Exception* e) {
        fail(e);
        return 0;
    }
    if (!goesOn) {
        endRun();
        return 0;
    }
    noteDemoTime();
    return 1;
}

EMSCRIPTEN_KEEPALIVE void tavlen_resize(int widthPx, int heightPx)
{
    g_widthPx = widthPx > 0 ? widthPx : 1;
    g_heightPx = heightPx > 0 ? heightPx : 1;
    TAV_Window::resize(g_widthPx, g_heightPx);
}

EMSCRIPTEN_KEEPALIVE const char* tavlen_error(void)
{
    return g_error.c_str();
}

EMSCRIPTEN_KEEPALIVE void tavlen_set_deterministic(double frameMs)
{
    g_deterministicFrameMs = frameMs > 0.0 ? frameMs : 0.0;
}

EMSCRIPTEN_KEEPALIVE int tavlen_demo_time_ms(void)
{
    return g_demoTimeMs;
}

EMSCRIPTEN_KEEPALIVE double tavlen_music_clock_ms(void)
{
    return FSOUND_Web_LastClockMs();
}

EMSCRIPTEN_KEEPALIVE double tavlen_music_clock_at_ms(void)
{
    return FSOUND_Web_LastReadingAtMs();
}

EMSCRIPTEN_KEEPALIVE const uint8_t* tavlen_read_frame(void)
{
    const size_t bytes = size_t(TAV_Window::m_width) * size_t(TAV_Window::m_height) * 4;
    if (bytes == 0)
        return nullptr;
    if (g_frame.size() != bytes)
        g_frame.resize(bytes);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(TAV_Window::m_width), GLsizei(TAV_Window::m_height), GL_RGBA, GL_UNSIGNED_BYTE,
                 g_frame.data());
    return g_frame.data();
}

}  // extern "C"
