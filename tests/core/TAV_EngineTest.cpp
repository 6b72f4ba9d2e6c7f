// The engine in the test's own process, on its private Xvfb (no video-mode extension).
#include <gtest/gtest.h>

#include <signal.h>   // Required for: raise(), sigaction()

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Scene.h"
#include "core/TAV_Window.h"
#include "io/TAV_IO_Keyboard.h"
#include "support/TestEngine.h"
#include "support/TestThrows.h"
#include "sys/TAV_Exception.h"
#include "sys/TAV_SYS_Config.h"
#include "sys/TAV_SYS_Log.h"

namespace {

using Events = std::vector<std::string>;

// Records its life; in frame 2 ends the loop with `ending` (a signal, or 0 for exit()).
class LoopScene : public TAV_Scene {
public:
    explicit LoopScene(Events& events, int ending = 0) : events(events), ending(ending) {}
    ~LoopScene() { events.push_back("deleted"); }
    void update(int) override
    {
        events.push_back("update " + std::to_string(++frames));
        if (frames == 2 && ending)
            raise(ending);
        else if (frames == 2)
            TAV_Engine::getInstance()->exit();
    }
    void showed() override
    {
        TAV_Scene::showed();
        events.push_back("showed");
    }
    void hidden() override
    {
        TAV_Scene::hidden();
        events.push_back("hidden");
    }

private:
    Events& events;
    const int ending;
    int frames = 0;
};

bool handlerIsDefault(int signalNumber)
{
    struct sigaction current;
    sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

// Once the engine is gone: every service, the window and the signals are released.
void expectNothingLeft()
{
    EXPECT_EQ(nullptr, TAV_Engine::m_instance);
    EXPECT_EQ(nullptr, TAV_SYS_Config::m_instances);
    EXPECT_EQ(nullptr, TAV_SYS_Log::m_instance);
    EXPECT_EQ(nullptr, TAV_IO_Keyboard::m_ioKeyboard);
    EXPECT_EQ(nullptr, TAV_RootScene::m_instance);
    EXPECT_EQ(nullptr, TAV_Window::dpy);
    for (int signalNumber : {SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGINT})
        EXPECT_TRUE(handlerIsDefault(signalNumber)) << sigabbrev_np(signalNumber);
}

// exit() and a termination signal end the frame they arrive in; the scene is then hidden
// and deleted in order, and the loop returns 0. (tavlen's own runs end by SIGINT, SIGHUP
// and SIGQUIT as well; SIGABRT is only ever raised inside the process.)
class EngineEnding : public ::testing::TestWithParam<int> {};

TEST_P(EngineEnding, EndsTheFrameItArrivesInAndDropsTheSceneInOrder)
{
    Events events;
    {
        TestEngine engine;
        ASSERT_TRUE(engine.ok());
        TAV_RootScene::getInstance()->setSubScene(new LoopScene(events, GetParam()));
        EXPECT_EQ(0, engine->run());
        EXPECT_FALSE(engine->isRunning());
        EXPECT_EQ((Events{"showed", "update 1", "update 2", "hidden", "deleted"}), events);
        EXPECT_EQ(nullptr, TAV_RootScene::getInstance()->getSubScene());
        TAV_IO_Keyboard::getInstance();
    }
    expectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(ExitAndSignals, EngineEnding, ::testing::Values(0, SIGTERM, SIGABRT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param ? sigabbrev_np(info.param) : "exit");
                         });

TEST(Engine, ASignalBeforeTheLoopStartsEndsTheFirstFrameAndLeaksNoScene)
{
    Events events;
    TestEngine engine;
    ASSERT_TRUE(engine.ok());
    TAV_RootScene::getInstance()->setSubScene(new LoopScene(events));
    raise(SIGTERM);  // while the demo would still be loading
    EXPECT_EQ(0, engine->run());
    // Never shown, so never updated; still deleted (LeakSanitizer would tell otherwise).
    EXPECT_EQ((Events{"deleted"}), events);
}

// A window takes the configured size; nonsense falls back to 800x600.
TEST(Engine, AWindowTakesTheConfiguredSize)
{
    const struct {
        TestEngine::Settings settings;
        unsigned int width, height;
    } cases[] = {
        {{{"FULLSCREEN", "0"}, {"XRES", "640"}, {"YRES", "480"}}, 640, 480},
        {{{"FULLSCREEN", "2"}, {"XRES", "-640"}, {"YRES", "lots"}}, 800, 600},
    };
    for (const auto& c : cases) {
        TestEngine engine(c.settings);
        ASSERT_TRUE(engine.ok());
        EXPECT_FALSE(TAV_Window::m_fullscreen);
        EXPECT_EQ(c.width, TAV_Window::m_width);
        EXPECT_EQ(c.height, TAV_Window::m_height);
    }
}

TEST(Engine, ADisplayThatCannotBeOpenedThrowsAndLeavesNothingBehind)
{
    const char* previous = std::getenv("DISPLAY");
    const std::string saved = previous ? previous : "";
    setenv("DISPLAY", ":64999", 1);
    tavtest::expectThrown(TAV_Exception::DISPLAY_UNAVAILABLE, "unable to open X display :64999",
                          [] { TAV_Engine::getInstance(); });
    if (previous)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
    expectNothingLeft();
}

}  // namespace
