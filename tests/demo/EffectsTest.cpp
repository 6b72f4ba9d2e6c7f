// The screen effects, drawn in the demo's own window by the demo scene and read back.
#include <gtest/gtest.h>

#include "DemoTestSupport.h"

#include <cmath>
#include <functional>
#include <vector>

#include "LoadObject.h"
#include "image/TAV_Texture.h"

namespace {

using demotest::near;
using demotest::rgb;

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        player = demotest::startPlayer();
        ASSERT_TRUE(player);
        scene = player->scene();
        // A clean slate: the whole frame, no blending, nothing textured.
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glLoadIdentity();
        clearTo(0.0f, 0.0f, 0.0f);
    }

    void clearTo(float r, float g, float b)
    {
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Fills a rectangle (GL coordinates, origin bottom left) with a colour.
    void fill(int x, int y, int width, int height, float r, float g, float b)
    {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, y, width, height);
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }

    std::unique_ptr<DemoPlayer> player;
    LoadObject* scene = nullptr;
};

TEST_F(EffectsTest, OverlaysCoverWhatTheyShouldWithTheRightStrength)
{
    const uint8_t red[4] = {255, 0, 0, 255}, blue[4] = {0, 0, 255, 255}, white[4] = {255, 255, 255, 255};
    TAV_Texture* const redOverBlue = demotest::twoBandTexture(red, blue);
    TAV_Texture* const allWhite = demotest::twoBandTexture(white, white);
    TAV_Texture* const address = scene->m_urlTexture;
    struct Probe { int x, y; uint32_t rgb; int tolerance = 2; };
    struct Case {
        const char* what;
        float background;  // grey level the frame is cleared to first
        std::function<void()> draw;
        std::vector<Probe> probes;
    };
    const uint32_t W = rgb(255, 255, 255), K = rgb(0, 0, 0), R = rgb(255, 0, 0), B = rgb(0, 0, 255);
    const Case cases[] = {
        {"a white flash at its start is opaque", 0.0f, [&] { scene->flash(1000, 1000, true); }, {{400, 300, W}, {0, 0, W}}},
        // A black flash 160 ms old: alpha 80/160 = 0.5; at 800 ms 0.1; before its start nothing.
        {"a black flash 160 ms old", 1.0f, [&] { scene->flash(1000, 1160, false); }, {{400, 300, rgb(128, 128, 128)}}},
        {"a black flash 800 ms old", 1.0f, [&] { scene->flash(1000, 1800, false); }, {{400, 300, rgb(230, 230, 230)}}},
        {"a flash not yet started", 1.0f, [&] { scene->flash(1000, 900, false); }, {{400, 300, W}}},
        // The picture's top at the top of the screen, the corners covered.
        {"a text layer over the whole frame", 0.0f, [&] { scene->textLayer(400, 300, 800, 600, redOverBlue, false); },
         {{400, 590, R}, {400, 10, B}, {0, 599, R}, {799, 0, B}}},
        {"a mask", 0.0f, [&] { scene->mask(allWhite); },
         {{0, 44, W}, {400, 555, W}, {799, 44, W}, {0, 43, K}, {400, 556, K}, {799, 556, K}}},
        // The closing's address alone once the cards have faded: 512 pixels wide.
        {"the closing at 8250 ms", 0.0f, [&] { scene->m_urlTexture = allWhite;
                                                scene->date(8250);
                                                scene->m_urlTexture = address; },
         {{400, 300, W}, {650, 300, W}, {662, 300, K}}},
        // No dots draw nothing; one dot of 50 pixels, 1000 ms at 0.2 pixels per ms from x = 60.
        {"a row of no dots", 0.0f, [&] { scene->hDot(0, 1000, 0, 60, 300, 60, 50, 0.2f); }, {{260, 300, K}}},
        {"a row of one dot", 0.0f, [&] { scene->m_dotColor[0] = scene->m_dotColor[1] = scene->m_dotColor[2] = scene->m_dotColor[3] = 1.0f;
                                         scene->hDot(0, 1000, 1, 60, 300, 60, 50, 0.2f); },
         {{260, 300, W, 127}, {60, 300, K}}},
    };
    for (const Case& c : cases) {
        clearTo(c.background, c.background, c.background);
        c.draw();
        for (const Probe& p : c.probes)
            EXPECT_TRUE(near(player->pixel(p.x, p.y), p.rgb, p.tolerance)) << c.what << " at " << p.x << ", " << p.y << ": "
                                                                 << std::hex << player->pixel(p.x, p.y);
    }
    delete redOverBlue;
    delete allWhite;
}

TEST_F(EffectsTest, RadialBlurSmearsOutwardWith25FadingLayers)
{
    // A white stripe 200 pixels wide down the middle of a black frame, a red centre mark.
    fill(300, 0, 200, 600, 1.0f, 1.0f, 1.0f);
    fill(390, 290, 20, 20, 1.0f, 0.0f, 0.0f);
    scene->copyTex();
    scene->radialBlur();
    demotest::keepFrame(*player, "demo-radial-blur");

    // The centre keeps its hue: every layer shows the red mark there.
    const uint32_t centre = player->pixel(400, 300);
    EXPECT_TRUE(near(centre, rgb(255, 0, 0), 3)) << std::hex << centre;

    // 125 pixels right of the centre lies outside the stripe (half width 100); layer i
    // shows white there when 125 / (1 + 0.02 i) < 100, that is from layer 13 on. Compose the
    // 25 layers with their alphas 0.2, 0.192, ... as the blend does, rounding each step.
    double expected = 0.0;
    float alpha = 0.2f;
    for (int layer = 0; layer < 25; ++layer) {
        const double source = (layer >= 13) ? 255.0 : 0.0;
        expected = std::round(alpha * source + (1.0 - alpha) * expected);
        alpha -= 0.008f;
    }
    const int measured = tavtest::red(player->pixel(525, 150));
    EXPECT_NEAR(measured, expected, 4);
    EXPECT_GT(measured, 40);  // smeared outward, not black
    // Far outside (beyond 1.48 x 100 pixels) no layer reaches: still black.
    EXPECT_TRUE(near(player->pixel(560, 150), rgb(0, 0, 0), 1));
    // Inside the stripe it stays white.
    EXPECT_TRUE(near(player->pixel(450, 150), rgb(255, 255, 255), 2));
}

TEST_F(EffectsTest, NoiseRepeatsEvery400PixelsAtScaleOne)
{
    // A picture of two colours, top half and bottom half, in place of the grain: at scale 1
    // one repetition spans 2 of the 4 units across, 400 pixels, so it repeats at +400 but
    // not at +200 (vertically, where the two halves differ).
    const uint8_t red[4] = {255, 0, 0, 255};
    const uint8_t green[4] = {0, 255, 0, 255};
    TAV_Texture* grain = demotest::twoBandTexture(red, green);
    grain->setTexWrapParametri(GL_REPEAT, GL_REPEAT);
    TAV_Texture* const original = scene->m_noiseTexture;
    scene->m_noiseTexture = grain;
    scene->noise(1.0f, 1.0f);
    const std::vector<uint8_t> frame = player->readFrame();
    scene->m_noiseTexture = original;
    delete grain;

    auto at = [&](int x, int y) {
        const uint8_t* p = &frame[(size_t(y) * DemoPlayer::WIDTH + x) * 4];
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | 0xff;
    };
    int repeats = 0;
    int differsAtHalf = 0;
    int samples = 0;
    for (int y = 5; y < 200; y += 13)
        for (int x = 7; x < 800; x += 97) {
            ++samples;
            if (at(x, y) == at(x, y + 400))
                ++repeats;
            if (at(x, y) != at(x, y + 200))
                ++differsAtHalf;
        }
    // Sample rows on a colour edge may blend; almost all others agree.
    EXPECT_GE(repeats, samples * 9 / 10);
    EXPECT_GE(differsAtHalf, samples * 8 / 10);
}

TEST_F(EffectsTest, OpeningLogoSharpensAsTheMusicTimeNears10500AndThenPulses)
{
    // The base level the last of the 16 layers was drawn with: at 0 ms the layers from 9 on
    // take level 5 (the first nine 6); at 10500 the logo is sharp; then it pulses.
    auto lastLevel = [&](int musicMs) {
        scene->startLogo(20, musicMs);
        scene->m_logoTexture->activate();
        GLint level = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, &level);
        return level;
    };
    EXPECT_EQ(lastLevel(0), 5);
    EXPECT_EQ(lastLevel(10500), 0);
    EXPECT_EQ(lastLevel(10525), 1);
    EXPECT_EQ(lastLevel(10550), 3);
    EXPECT_EQ(lastLevel(10490), 0);  // level 0 - 1 is never set below 0
    demotest::keepFrame(*player, "demo-start-logo");
}

TEST_F(EffectsTest, EverySequenceLeavesTheMatrixStacksBalanced)
{
    // The opening logo pushes twice; both are undone, so a frame never grows the stack.
    GLint before = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &before);
    for (int frame = 0; frame < 40; ++frame)
        scene->startLogo(20, frame * 300);
    scene->cow(20, 7, true);
    scene->cowPart(20, 13000, 2);
    scene->chess(20);
    scene->date(20);
    scene->hDot(0, 100, 8, 60, 500, 60, 50, 0.2f);
    scene->copyTex();
    scene->radialBlur();
    scene->shake(0.1f, 0.1f);
    GLint after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    EXPECT_EQ(after, before);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &after);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
