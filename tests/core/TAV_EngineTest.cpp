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

// Records its life and runs `onUpdate(frameNumber)` in each update.
class LoopScene : public TAV_Scene {
public:
    explicit LoopScene(Events& events) : events(events) {}
    ~LoopScene() { events.push_back("deleted"); }
    void update(int) override
    {
        ++frames;
        events.push_back("update " + std::to_string(frames));
        if (onUpdate)
            onUpdate(frames);
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

    void (*onUpdate)(int frame) = nullptr;

private:
    Events& events;
    int frames = 0;
};

bool handlerIsDefault(int signalNumber)
{
    struct sigaction current;
    sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

TEST(Engine, RunsFramesUntilExitThenDropsTheSceneInOrder)
{
    Events events;
    TestEngine engine;
    ASSERT_TRUE(engine.ok());
    LoopScene* scene = new LoopScene(events);
    scene->onUpdate = [](int frame) {
        if (frame == 3)
            TAV_Engine::getInstance()->exit();
    };
    TAV_RootScene::getInstance()->setSubScene(scene);
    EXPECT_EQ(0, engine->run());
    EXPECT_FALSE(engine->isRunning());
    EXPECT_EQ((Events{"showed", "update 1", "update 2", "update 3", "hidden", "deleted"}), events);
    EXPECT_EQ(nullptr, TAV_RootScene::getInstance()->getSubScene());
}

class EngineSignal : public ::testing::TestWithParam<int> {};

TEST_P(EngineSignal, EndsTheFrameItArrivesInLikeTheExitKey)
{
    Events events;
    TestEngine engine;
    ASSERT_TRUE(engine.ok());
    LoopScene* scene = new LoopScene(events);
    static int signalToRaise;
    signalToRaise = GetParam();
    scene->onUpdate = [](int frame) {
        if (frame == 2)
            raise(signalToRaise);
    };
    TAV_RootScene::getInstance()->setSubScene(scene);
    EXPECT_EQ(0, engine->run());
    EXPECT_EQ((Events{"showed", "update 1", "update 2", "hidden", "deleted"}), events);
}

INSTANTIATE_TEST_SUITE_P(TerminationSignals, EngineSignal,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
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

// Settings: the size of a window, nonsense falling back to 800x600. Deleting the engine
// releases every service and the window and gives the signals back.
TEST(Engine, AWindowTakesTheConfiguredSizeAndDeletionReleasesEverything)
{
    const struct {
        TestEngine::Settings settings;
        unsigned int width, height;
    } cases[] = {
        {{{"FULLSCREEN", "0"}, {"XRES", "640"}, {"YRES", "480"}}, 640, 480},
        {{{"FULLSCREEN", "2"}, {"XRES", "-640"}, {"YRES", "lots"}}, 800, 600},
    };
    for (const auto& c : cases) {
        {
            TestEngine engine(c.settings);
            ASSERT_TRUE(engine.ok());
            EXPECT_FALSE(TAV_Window::m_fullscreen);
            EXPECT_EQ(c.width, TAV_Window::m_width);
            EXPECT_EQ(c.height, TAV_Window::m_height);
            TAV_IO_Keyboard::getInstance();
            EXPECT_FALSE(handlerIsDefault(SIGTERM));
        }
        EXPECT_EQ(nullptr, TAV_Engine::m_instance);
        EXPECT_EQ(nullptr, TAV_SYS_Config::m_instances);
        EXPECT_EQ(nullptr, TAV_SYS_Log::m_instance);
        EXPECT_EQ(nullptr, TAV_IO_Keyboard::m_ioKeyboard);
        EXPECT_EQ(nullptr, TAV_RootScene::m_instance);
        EXPECT_EQ(nullptr, TAV_Window::dpy);
        EXPECT_EQ(0u, TAV_Window::m_width);
        for (int signalNumber : {SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGINT})
            EXPECT_TRUE(handlerIsDefault(signalNumber)) << sigabbrev_np(signalNumber);
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
    EXPECT_EQ(nullptr, TAV_Engine::m_instance);
    EXPECT_EQ(nullptr, TAV_SYS_Config::m_instances);
    EXPECT_EQ(nullptr, TAV_SYS_Log::m_instance);
    EXPECT_EQ(nullptr, TAV_RootScene::m_instance);
    EXPECT_TRUE(handlerIsDefault(SIGTERM));
}

}  // namespace
