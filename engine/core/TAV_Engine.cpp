#include "core/TAV_Engine.h"

#include <GL/gl.h>   // Required for: glGetString()
#include <signal.h>  // Required for: sigprocmask()

#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
#include "io/TAV_IO_Keyboard.h"
#include "io/TAV_IO_LNX_XEvent.h"  // Required for: the event pump
#include "io/TAV_IO_Mouse.h"
#include "sys/TAV_SYS_Config.h"
#include "sys/TAV_SYS_Log.h"

namespace {

// The signals that end the program in order. SIGKILL is asked for as well, in vain: the
// system never lets it be caught, and the refusal is harmless.
const int HANDLED_SIGNALS[] = {SIGTERM, SIGKILL, SIGHUP, SIGQUIT, SIGABRT, SIGINT};
const int HANDLED_SIGNAL_COUNT = sizeof(HANDLED_SIGNALS) / sizeof(HANDLED_SIGNALS[0]);
// What the signals did before the engine took them, given back once it is gone.
sighandler_t previousHandlers[HANDLED_SIGNAL_COUNT];

void restoreSignalHandlers()
{
    for (int i = 0; i < HANDLED_SIGNAL_COUNT; ++i) {
        if (previousHandlers[i] != SIG_ERR)
            signal(HANDLED_SIGNALS[i], previousHandlers[i]);
    }
}

// Window sizes outside this range cannot be real settings (X sizes are 16-bit; 0 is refused
// by the server): such a setting falls back to its default.
const int MAX_WINDOW_SIZE_PX = 16384;

int windowSize(int configuredPx, int defaultPx)
{
    return (configuredPx >= 1 && configuredPx <= MAX_WINDOW_SIZE_PX) ? configuredPx : defaultPx;
}

const char* glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

TAV_Engine* TAV_Engine::m_instance = nullptr;
bool TAV_Engine::m_drawingSkipped = false;
volatile sig_atomic_t TAV_Engine::m_exitSignalled = 0;

TAV_Engine* TAV_Engine::getInstance()
{
    if (!m_instance)
        m_instance = new TAV_Engine();
    return m_instance;
}

TAV_Engine::~TAV_Engine()
{
    TAV_SYS_Log::getInstance()->log(">>>Tavlen Engine deleted");
    releaseServices();
    restoreSignalHandlers();
}

bool TAV_Engine::step()
{
    TAV_RootScene* root = TAV_RootScene::getInstance();
    root->update(0);
    msgHandling();
    // The signal handler cannot safely touch the root scene: this is where its request
    // becomes the same orderly exit the exit key asks for, within this very frame.
    if (m_exitSignalled) {
        m_endingSignal = m_exitSignalled;
        exit();
    }
    swapBuffers();
    // After the swap, so a scene is never deleted while its frame is still being presented.
    root->swap();
    return running;
}

int TAV_Engine::run()
{
    while (step()) {
    }
    return 0;
}

void TAV_Engine::exit()
{
    TAV_RootScene::getInstance()->setSubScene(nullptr, true);
    running = false;
    m_exitSignalled = 0;
}

void TAV_Engine::signalHandler(int signal)
{
    m_exitSignalled = signal;
}

TAV_Engine::TAV_Engine()
    : running(true)
{
    // First of all: from here on a signal can no longer kill the program half-way, with the
    // display in a changed state; it is honoured in the first frame instead.
    sigset_t handled;
    sigemptyset(&handled);
    for (int i = 0; i < HANDLED_SIGNAL_COUNT; ++i) {
        previousHandlers[i] = signal(HANDLED_SIGNALS[i], signalHandler);
        sigaddset(&handled, HANDLED_SIGNALS[i]);
    }
    // The guardian (TAV_Guardian) hands the program over with the termination signals
    // blocked, so that one sent during start-up waits for these handlers instead of killing.
    sigprocmask(SIG_UNBLOCK, &handled, nullptr);
    try {
        createWin();
        TAV_RootScene::getInstance()->init();
    } catch (...) {
        // No engine will exist to be deleted: undo here what start-up had done.
        releaseServices();
        restoreSignalHandlers();
        throw;
    }
    TAV_SYS_Log::getInstance()->log(">>>Tavlen Engine started");
}

void TAV_Engine::createWin()
{
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
    const int width = windowSize(config->getInt("XRES", 800), 800);
    const int height = windowSize(config->getInt("YRES", 600), 600);
    TAV_Window::createWin("Tavlen", width, height, 32);

    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    log->log("/*");
    log->log("/*GL_RENDERER: %s", glText(GL_RENDERER));
    log->log("/*GL_VERSION: %s", glText(GL_VERSION));
    log->log("/*GL_VENDOR: %s", glText(GL_VENDOR));
    log->log("/*");
}

void TAV_Engine::msgHandling()
{
    TAV_IO_LNX_XEvent::processEvents();
}

void TAV_Engine::swapBuffers()
{
    // A frame drawn for reading back stays where it was drawn; the window shows nothing. A
    // rehearsed frame has nothing to show.
    if (TAV_Window::m_readBack || m_drawingSkipped)
        return;
    // Also for a single-buffered visual, where it flushes.
    glXSwapBuffers(TAV_Window::dpy, TAV_Window::win);
}

void TAV_Engine::releaseServices()
{
    TAV_SYS_Config::deleteAllInstances();
    delete TAV_SYS_Log::m_instance;  // the destructors set their statics back to null
    delete TAV_IO_Keyboard::m_ioKeyboard;
    delete TAV_IO_Mouse::m_ioMouse;
    // Hides and deletes a remaining scene while the GL context is still there.
    delete TAV_RootScene::m_instance;
    TAV_Window::killWindow();
}
