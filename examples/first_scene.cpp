// first_scene: opens a window through the Tavlen engine and runs FirstScene until Escape.
//
// The window follows app.cfg in the working folder like the demo (XRES, YRES, and
// FULLSCREEN=0 for a normal window). See FirstScene.cpp for the scene itself.
#include <cstdio>  // Required for: fprintf()
#include <memory>  // Required for: std::unique_ptr of the caught exception
#include <string>

#include "FirstScene.h"
#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "sys/TAV_Exception.h"

int main()
{
    int exitCode = 0;
    std::string failure;
    try {
        // Initialization: the engine opens the window and the OpenGL context, which the
        // scene needs for its texture, so the engine comes first. The root scene owns the
        // scene from then on, shows it after the first frame and deletes it at the end.
        TAV_Engine* engine = TAV_Engine::getInstance();
        TAV_RootScene::getInstance()->setSubScene(new FirstScene());

        // Update and Draw: once per frame, until Escape (or a signal) ends the loop.
        exitCode = engine->run();
    } catch (TAV_Exception* e) {
        const std::unique_ptr<TAV_Exception> owned(e);
        failure = e->getMessage();
        exitCode = -2;
    }

    // De-Initialization: the engine gives the display back as it found it.
    delete TAV_Engine::m_instance;
    TAV_Engine::m_instance = nullptr;
    if (!failure.empty())
        std::fprintf(stderr, "first_scene: %s\n", failure.c_str());
    return exitCode;
}
