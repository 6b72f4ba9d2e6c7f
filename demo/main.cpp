// The program entry of the Tavlen demo: builds the engine, hands the demo scene to the root
// scene and runs the frame loop. No command-line arguments; settings come from app.cfg.
//
// Exit status: 0 after an orderly end (the exit key, the end of the demo, or SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGABRT); 254 (-2) when a TAV_Exception reaches this function, whose
// message is then printed on stderr. Either way the engine is deleted first, which gives the
// display back as it was found. A guardian process (TAV_Guardian) gives it back when the demo
// dies in a way no code of its own can answer (SIGKILL, a crash, its X connection closed),
// and then exits with 128 + the signal number, or with the demo's own status
// (TAVLEN_GUARDIAN=0 in the environment runs without it). An app.cfg that exists but cannot
// be read is named in one line on stderr; its settings then take their defaults.
#include <unistd.h> // Required for: getcwd()

#include <climits>  // Required for: PATH_MAX
#include <cstdio>   // Required for: fprintf()
#include <memory>   // Required for: std::unique_ptr of the caught exception
#include <string>

#include "LoadObject.h"
#include "core/TAV_Engine.h"
#include "core/TAV_Guardian.h"
#include "core/TAV_RootScene.h"  // Required for: the demo scene's hand-over below
#include "sys/TAV_Exception.h"
#include "sys/TAV_SYS_Config.h"  // Required for: the settings file that cannot be read

int main()
{
    // Settings that cannot be read count as missing, and the defaults apply; a user whose
    // settings seem to do nothing learns why. Said once, before the guardian forks.
    if (const char* reason = TAV_SYS_Config::unreadableReason("app.cfg")) {
        char folder[PATH_MAX];
        std::fprintf(stderr, "tavlen: %s/app.cfg cannot be read (%s); the default settings apply\n",
                     getcwd(folder, sizeof(folder)) ? folder : ".", reason);
    }

    // First of all, before anything touches the display. The guardian process never returns
    // from here; this process goes on as the demo.
    TAV_Guardian::guard();

    int exitCode = 0;
    std::string failure;
    try {
        TAV_Engine* engine = TAV_Engine::getInstance();

        // The root scene owns the demo from here on and shows it at the end of the first
        // frame. A constructor that throws has already released everything it built.
        TAV_RootScene::getInstance()->setSubScene(new LoadObject());

        exitCode = engine->run();
    } catch (TAV_Exception* e) {
        const std::unique_ptr<TAV_Exception> owned(e);
        failure = e->getMessage();
        exitCode = -2;
    }

    delete TAV_Engine::m_instance;
    TAV_Engine::m_instance = nullptr;
    TAV_Guardian::reportOrderlyEnd();
    // After the deletion, so the message lands on a desktop that is back in its own mode.
    if (!failure.empty())
        std::fprintf(stderr, "tavlen: %s\n", failure.c_str());
    return exitCode;
}
