// The frame driver on a real window and GL context (the engine on the test's Xvfb).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/TAV_RootScene.h"
#include "core/TAV_Scene.h"
#include "support/TestEngine.h"
#include "support/TestFiles.h"  // Required for: tavtest::framePath
#include "support/TestGLContext.h"  // Required for: tavtest::writeFramePNG, readBackPixel
#include "support/TestThrows.h"
#include "sys/TAV_Exception.h"
#include "sys/TAV_SYS_Util.h"

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
    void showed() override { TAV_Scene::showed(), events.push_back(name + ":showed"); }
    void hidden() override { TAV_Scene::hidden(), events.push_back(name + ":hidden"); }

    std::function<void()> draw;
    std::vector<int> frameTimes;

private:
    std::string name;
    Events& events;
};

// The frame driver's clock, moved by hand.
unsigned int g_nowMs = 0;
unsigned int manualClock() { return g_nowMs; }

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
    void SetUp() override
    {
        ASSERT_TRUE(engine.ok());
        TAV_SYS_Util::setClock(manualClock);
    }
    void TearDown() override { TAV_SYS_Util::setClock(nullptr); }

    TAV_RootScene* root() { return TAV_RootScene::getInstance(); }

    Events events;      // outlives the engine, which deletes the scenes
    TestEngine engine;  // an 800x600 window
};

// A scene handed over becomes current at the next swap and is updated from the next frame
// on; of two handed over before a swap only the last is shown and the other deleted; the
// old one is hidden, and deleted unless told otherwise or handed over again. Deleting the
// root hides and deletes its scenes, the pending one too; a shown scene refuses deletion.
TEST_F(RootScene, ScenesChangeAtTheSwapInOrder)
{
    ProbeScene* a = new ProbeScene("a", events);
    root()->setSubScene(a);
    EXPECT_EQ(a, root()->getSubScene());
    root()->update(0);  // a is only pending
    EXPECT_FALSE(a->isShowed());
    root()->swap();
    root()->update(0);
    root()->setSubScene(a, true);  // the current one again: shown again, not deleted
    root()->swap();
    std::unique_ptr<ProbeScene> b(new ProbeScene("b", events));
    root()->setSubScene(new ProbeScene("superseded", events));
    root()->setSubScene(b.get());
    root()->swap();
    root()->setSubScene(new ProbeScene("c", events), false);
    root()->swap();
    EXPECT_FALSE(b->isShowed());  // only hidden, so deleting it here is allowed
    root()->setSubScene(nullptr, true);
    EXPECT_EQ(nullptr, root()->getSubScene());
    root()->update(0);  // c still runs this frame
    root()->swap();
    root()->setSubScene(new ProbeScene("d", events));
    root()->swap();
    root()->setSubScene(new ProbeScene("pending", events));
    delete TAV_RootScene::m_instance;
    EXPECT_EQ(nullptr, TAV_RootScene::m_instance);
    EXPECT_EQ((Events{"a:showed", "a:update", "a:hidden", "a:showed", "a:hidden", "a:deleted", "superseded:deleted",
                      "b:showed", "b:hidden", "c:showed", "c:update", "c:hidden", "c:deleted", "d:showed", "d:hidden",
                      "d:deleted", "pending:deleted"}),
              events);

    ProbeScene* shown = new ProbeScene("shown", events);
    shown->showed();
    tavtest::expectThrown(-90, "unable to delete ROOT SCENE", [&] { delete shown; });
}

// Without a scene only the depth buffer is cleared; a scene's clear flag chooses the mask
// from the swap on. The frame time is the clock's difference since the previous frame
// (since the root scene was made, for the first), also across the clock's wrap; a GL
// error is consumed.
TEST_F(RootScene, TheSceneChoosesTheClearAndSeesTheTimeSinceThePreviousFrame)
{
    delete TAV_RootScene::m_instance;
    g_nowMs = 4294967000u;
    EXPECT_EQ(GLbitfield(GL_DEPTH_BUFFER_BIT), root()->getClearMask());
    ProbeScene* keeps = new ProbeScene("keeps", events, false);
    keeps->draw = [] { glEnable(GL_TEXTURE_2D + 12345); };  // an invalid enum
    root()->setSubScene(keeps);
    root()->swap();
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (unsigned int stepMs : {40u, 25u, 0u, 500u}) {
        g_nowMs += stepMs;
        root()->update(0);
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    }
    EXPECT_EQ((std::vector<int>{40, 25, 0, 500}), keeps->frameTimes);
    EXPECT_EQ(GREEN, readPixel(10, 10));

    root()->setSubScene(new ProbeScene("clears", events, true));
    root()->swap();
    EXPECT_EQ(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), root()->getClearMask());
    root()->update(0);
    EXPECT_EQ(BLACK, readPixel(10, 10));
}

const float LONG_TRAIL_MS = 1.0e7f;  // alpha 1 - frameTime / 1e7: the trail stays whole

// The scene renders into the reduced area, which is stretched over the window keeping the
// top row on top. The previous frame trails over the next until the blur is armed again or
// a frame lasts as long as the blur time; a time or size of zero or less turns it off.
TEST_F(RootScene, MotionBlurStretchesTheReducedAreaAndTrailsForTheBlurTime)
{
    ProbeScene* scene = new ProbeScene("blur", events);
    root()->setSubScene(scene);
    root()->swap();
    // One frame `frameTimeMs` after the last, in which the scene runs `draw` (if any); the
    // scene's blend function decides how the trail mixes.
    const auto blurredFrame = [&](std::function<void()> draw, unsigned int frameTimeMs) {
        scene->draw = [draw] {
            if (draw)
                draw();
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        };
        g_nowMs += frameTimeMs;
        root()->update(0);
    };
    const auto white = [] { fillViewport(1.0f, 1.0f, 1.0f); };
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    EXPECT_TRUE(root()->isMotionBlurEnabled());
    // White over the top-left quarter of the scene's 400x300 area, a grey bar in the middle
    // of its bottom half.
    blurredFrame([] {
        fillViewport(0.0f, 0.0f, 0.0f);
        glColor3f(0.5f, 0.5f, 0.5f);
        glRectf(-0.25f, -0.75f, 0.25f, -0.25f);
        glColor3f(1.0f, 1.0f, 1.0f);
        glRectf(-1.0f, 0.0f, 0.0f, 1.0f);
    }, 10);
    tavtest::writeFramePNG(tavtest::framePath("motion-blur-stretched.png"), 800, 600, tavtest::readBackFrame(800, 600));
    // Window rows count from the bottom: the white quarter is x 0..400, y 300..600; the bar
    // x 300..500, y 75..225. The edges opposite the white quarter take nothing from it.
    for (const auto& p : {std::make_pair(10, 590), {390, 310}})
        EXPECT_EQ(WHITE, readPixel(p.first, p.second)) << p.first << ", " << p.second;
    for (const auto& p : {std::make_pair(410, 590), {10, 290}, {400, 60}, {290, 150}, {799, 500}, {100, 0}})
        EXPECT_EQ(BLACK, readPixel(p.first, p.second)) << p.first << ", " << p.second;
    EXPECT_NEAR(128.0, double(readPixel(400, 150) >> 24), 2.0);

    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    blurredFrame(white, 10);
    blurredFrame(nullptr, 10);  // draws nothing: the white frame trails over the cleared one
    EXPECT_GE(readPixel(400, 300) >> 24, 250u);
    // Re-armed with the same size: the texture still holds white, but no trail is drawn.
    root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
    blurredFrame(nullptr, 10);
    EXPECT_EQ(BLACK, readPixel(400, 300));
    root()->enableMotionBlur(5.0f, 400, 300);
    blurredFrame(white, 10);
    blurredFrame(nullptr, 5);
    EXPECT_EQ(BLACK, readPixel(400, 300));

    const struct {
        float timeMs;
        int width, height;
    } off[] = {{0.0f, 400, 300}, {-5.0f, 400, 300}, {LONG_TRAIL_MS, -400, 300}, {LONG_TRAIL_MS, 400, 0}};
    for (const auto& o : off) {
        root()->enableMotionBlur(LONG_TRAIL_MS, 400, 300);
        root()->enableMotionBlur(o.timeMs, o.width, o.height);
        EXPECT_FALSE(root()->isMotionBlurEnabled()) << o.timeMs << " ms, " << o.width << " x " << o.height;
    }
    // Off: the scene draws into the whole window, and nothing trails.
    blurredFrame(white, 10);
    blurredFrame([] {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(800, viewport[2]);
        EXPECT_EQ(600, viewport[3]);
    }, 10);
    EXPECT_EQ(BLACK, readPixel(400, 300));
}

}  // namespace
