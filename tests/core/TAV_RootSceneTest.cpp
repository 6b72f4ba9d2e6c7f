// The frame driver on a real window and GL context (the engine on the test's Xvfb).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/TAV_RootScene.h"
#include "core/TAV_Scene.h"
#include "core/TAV_Window.h"
#include "support/TestEngine.h"
#include "support/TestFiles.h"  // Required for: tavtest::framePath
#include "support/TestGLContext.h"  // Required for: tavtest::writeFramePNG, readBackPixel
#include "support/TestThrows.h"
#include "sys/TAV_Exception.h"

namespace {

using Events = std::vector<std::string>;

// A scene that records its life ("a:showed", "a:update", "a:hidden", "a:deleted") and runs
// an optional drawing action each frame.
class ProbeScene : public TAV_Scene {
public:
    ProbeScene(const char* name, Events& events, bool clearColour = true) : name(name), events(events)
    {
        clearColorBuffer = clearColour;
    }
    ~ProbeScene() { events.push_back(name + ":deleted"); }

    void update(int frameTime) override
    {
        events.push_back(name + ":update");
        frameTimes.push_back(frameTime);
        if (draw)
            draw();
    }
    void showed() override
    {
        TAV_Scene::showed();
        events.push_back(name + ":showed");
    }
    void hidden() override
    {
        TAV_Scene::hidden();
        events.push_back(name + ":hidden");
    }

    std::function<void()> draw;
    std::vector<int> frameTimes;

private:
    std::string name;
    Events& events;
};

// The window may have no alpha channel: compare colours only.
uint32_t readPixel(int x, int y)
{
    return tavtest::readBackPixel(x, y) | 0xff;
}

const uint32_t BLACK = 0x000000ff;
const uint32_t WHITE = 0xffffffff;
const uint32_t GREEN = 0x00ff00ff;

// Fills the current viewport, whatever matrices the frame left.
void fillViewport(float r, float g, float b)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(r, g, b, 1.0f);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
}

class RootScene : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.ok()); }

    TAV_RootScene* root() { return TAV_RootScene::getInstance(); }
    void frame()
    {
        root()->update(0);
        root()->swap();
    }

    Events events;      // outlives the engine, which deletes the scenes
    TestEngine engine;  // an 800x600 window
};

TEST_F(RootScene, WithoutASceneOnlyTheDepthBufferIsCleared)
{
    EXPECT_EQ(GLbitfield(GL_DEPTH_BUFFER_BIT), root()->getClearMask());
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    root()->update(0);
    EXPECT_EQ(GREEN, readPixel(400, 300));
}

TEST_F(RootScene, ASceneBecomesCurrentAtTheSwapAndIsUpdatedFromTheNextFrame)
{
    ProbeScene* a = new ProbeScene("a", events);
    root()->setSubScene(a);
    EXPECT_EQ(a, root()->getSubScene());
    root()->update(0);  // a is only pending
    EXPECT_FALSE(a->isShowed());
    root()->swap();
    EXPECT_TRUE(a->isShowed());
    root()->update(0);
    EXPECT_EQ((Events{"a:showed", "a:update"}), events);
    EXPECT_EQ(a, root()->getSubScene());
}

TEST_F(RootScene, TheSceneClearFlagChoosesTheClearMaskFromTheNextFrame)
{
    root()->setSubScene(new ProbeScene("keeps", events, false));
    root()->swap();
    EXPECT_EQ(GLbitfield(GL_DEPTH_BUFFER_BIT), root()->getClearMask());
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    root()->update(0);
    EXPECT_EQ(GREEN, readPixel(10, 10));

    root()->setSubScene(new ProbeScene("clears", events, true));
    root()->swap();
    EXPECT_EQ(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), root()->getClearMask());
    root()->update(0);
    EXPECT_EQ(BLACK, readPixel(10, 10));
}

TEST_F(RootScene, OfTwoScenesSetBeforeASwapOnlyTheLastIsShownAndTheOtherIsDeleted)
{
    root()->setSubScene(new ProbeScene("a", events));
    root()->setSubScene(new ProbeScene("b", events));
    root()->swap();
    EXPECT_EQ((Events{"a:deleted", "b:showed"}), events);
}

TEST_F(RootScene, SettingNoSceneHidesAndDeletesTheCurrentOneAtTheSwap)
{
    root()->setSubScene(new ProbeScene("a", events));
    frame();
    root()->setSubScene(nullptr, true);
    EXPECT_EQ(nullptr, root()->getSubScene());
    root()->update(0);  // a still runs this frame
    root()->swap();
    EXPECT_EQ((Events{"a:showed", "a:update", "a:hidden", "a:deleted"}), events);
    EXPECT_EQ(nullptr, root()->getSubScene());
    // With no scene the clear mask keeps its last value.
    EXPECT_EQ(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), root()->getClearMask());
}

TEST_F(RootScene, ASceneReplacedWithoutDeleteIsOnlyHidden)
{
    std::unique_ptr<ProbeScene> a(new ProbeScene("a", events));
    root()->setSubScene(a.get());
    root()->swap();
    root()->setSubScene(new ProbeScene("b", events), false);
    root()->swap();
    EXPECT_EQ((Events{"a:showed", "a:hidden", "b:showed"}), events);
    EXPECT_FALSE(a->isShowed());  // so deleting it here is allowed
}

TEST_F(RootScene, SettingTheCurrentSceneAgainShowsItAgainWithoutDeletingIt)
{
    ProbeScene* a = new ProbeScene("a", events);
    root()->setSubScene(a);
    root()->swap();
    root()->setSubScene(a, true);
    root()->swap();
    root()->update(0);
    EXPECT_EQ((Events{"a:showed", "a:hidden", "a:showed", "a:update"}), events);
}

TEST_F(RootScene, DeletingTheRootHidesAndDeletesItsScenes)
{
    root()->setSubScene(new ProbeScene("current", events));
    root()->swap();
    root()->setSubScene(new ProbeScene("pending", events));
    delete TAV_RootScene::m_instance;
    EXPECT_EQ(nullptr, TAV_RootScene::m_instance);
    EXPECT_EQ((Events{"current:showed", "current:hidden", "current:deleted", "pending:deleted"}), events);
}

TEST_F(RootScene, DeletingAShownSceneThrowsMinus90)
{
    ProbeScene* a = new ProbeScene("a", events);
    a->showed();
    tavtest::expectThrown(-90, "unable to delete ROOT SCENE", [&] { delete a; });
}

TEST_F(RootScene, TheFrameTimeIsTheTimeSinceThePreviousFrame)
{
    ProbeScene* a = new ProbeScene("a", events);
    root()->setSubScene(a);
    root()->swap();  // current before the root's first frame
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    root()->update(0);  // counts from the root scene's construction
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    root()->update(0);
    root()->update(0);
    ASSERT_EQ(3u, a->frameTimes.size());
    EXPECT_GE(a->frameTimes[0], 40);
    EXPECT_GE(a->frameTimes[1], 25);
    EXPECT_LT(a->frameTimes[1], 5000);
    EXPECT_GE(a->frameTimes[2], 0);
    EXPECT_LT(a->frameTimes[2], a->frameTimes[1]);
}

TEST_F(RootScene, PacingHoldsFramesToTheTargetRate)
{
    EXPECT_EQ(0, root()->getTargetFrameTime());
    root()->setFps(25);
    EXPECT_EQ(40, root()->getTargetFrameTime());
    for (int i = 0; i < 3; ++i)  // settle the balance after start-up
        root()->update(0);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i)
        root()->update(0);
    const auto elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    // Unpaced, ten empty frames take a few milliseconds; paced, about 400. A slow machine can
    // only make this longer.
    EXPECT_GE(elapsedMs, 300);
    root()->setFps(-1);
    EXPECT_EQ(0, root()->getTargetFrameTime());
}

TEST_F(RootScene, AGLErrorIsConsumedAndTheFrameGoesOn)
{
    ProbeScene* a = new ProbeScene("a", events);
    a->draw = [] { glEnable(GL_TEXTURE_2D + 12345); };  // an invalid enum
    root()->setSubScene(a);
    frame();
    root()->update(0);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ(1u, a->frameTimes.size());
}

class MotionBlur : public RootScene {
protected:
    void SetUp() override
    {
        RootScene::SetUp();
        scene = new ProbeScene("blur", events);
        root()->setSubScene(scene);
        root()->swap();
        // The scene's blend function decides how the trail mixes.
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    // One frame in which the scene fills its area with `colour` (or draws nothing).
    void blurredFrame(std::function<void()> draw)
    {
        scene->draw = [draw] {
            if (draw)
                draw();
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        };
        root()->update(0);
    }

    ProbeScene* scene = nullptr;
};

const float LONG_TRAIL_MS = 1.0e7f;  // alpha 1 - frameTime / 1e7: the trail stays whole

TEST_F(MotionBlur, TheSceneRendersIntoTheReducedAreaWhichIsStretchedOverTheWindow)
{
    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    EXPECT_TRUE(root()->isMotionBlurEnabled());
    // White over the top-left quarter of the scene's 400x300 area, a grey bar in the middle
    // of its bottom half: the stretch must keep the top row on top.
    blurredFrame([] {
        fillViewport(0.0f, 0.0f, 0.0f);
        glColor3f(0.5f, 0.5f, 0.5f);
        glRectf(-0.25f, -0.75f, 0.25f, -0.25f);
        glColor3f(1.0f, 1.0f, 1.0f);
        glRectf(-1.0f, 0.0f, 0.0f, 1.0f);
    });
    tavtest::writeFramePNG(tavtest::framePath("motion-blur-stretched.png"), 800, 600, tavtest::readBackFrame(800, 600));
    // Window rows count from the bottom: the white quarter is x 0..400, y 300..600.
    EXPECT_EQ(WHITE, readPixel(10, 590));
    EXPECT_EQ(WHITE, readPixel(390, 310));
    EXPECT_EQ(BLACK, readPixel(410, 590));
    EXPECT_EQ(BLACK, readPixel(10, 290));
    // The bar, half as wide and high as the area's bottom half: x 300..500, y 75..225.
    EXPECT_NEAR(128.0, double(readPixel(400, 150) >> 24), 2.0);
    EXPECT_EQ(BLACK, readPixel(400, 60));
    EXPECT_EQ(BLACK, readPixel(290, 150));
    // The edges opposite the white quarter take nothing from it.
    EXPECT_EQ(BLACK, readPixel(799, 500));
    EXPECT_EQ(BLACK, readPixel(100, 0));
}

TEST_F(MotionBlur, ThePreviousFrameTrailsUntilTheBlurIsArmedAgain)
{
    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    blurredFrame([] { fillViewport(1.0f, 1.0f, 1.0f); });
    ASSERT_EQ(WHITE, readPixel(400, 300));

    // The scene draws nothing: the white frame trails over the cleared one.
    blurredFrame(nullptr);
    EXPECT_GE(readPixel(400, 300) >> 24, 250u);

    // Re-armed with the same size: the texture still holds white, but no trail is drawn.
    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    blurredFrame(nullptr);
    EXPECT_EQ(BLACK, readPixel(400, 300));
}

TEST_F(MotionBlur, AFrameLongerThanTheBlurTimeLeavesNoTrail)
{
    root()->enableMotionBlur(1.0f, 400, 300);  // one millisecond of persistence
    blurredFrame([] { fillViewport(1.0f, 1.0f, 1.0f); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    blurredFrame(nullptr);
    EXPECT_EQ(BLACK, readPixel(400, 300));
}

TEST_F(MotionBlur, AZeroOrNegativeTimeTurnsItOff)
{
    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    blurredFrame([] { fillViewport(1.0f, 1.0f, 1.0f); });
    root()->enableMotionBlur(0.0f, 400, 300);
    EXPECT_FALSE(root()->isMotionBlurEnabled());
    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    root()->enableMotionBlur(-5.0f, 400, 300);
    EXPECT_FALSE(root()->isMotionBlurEnabled());
    // Off: the scene draws into the whole window, and nothing trails.
    blurredFrame([] {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(800, viewport[2]);
        EXPECT_EQ(600, viewport[3]);
    });
    EXPECT_EQ(BLACK, readPixel(400, 300));
}

TEST_F(MotionBlur, AnEmptySizeTurnsItOffInsteadOfAllocating)
{
    root()->enableMotionBlur(LONG_TRAIL_MS, -400, 300);
    EXPECT_FALSE(root()->isMotionBlurEnabled());
    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 0);
    EXPECT_FALSE(root()->isMotionBlurEnabled());
}

}  // namespace
