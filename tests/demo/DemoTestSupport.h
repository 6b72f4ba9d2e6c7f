// Helpers shared by the demo room's tests: a demo player in the build folder (where data/
// is generated) on the process's private Xvfb, frames written as PNG, and small pixel checks.
//
// Include <gtest/gtest.h> first: the engine's headers pull in Xlib.
#pragma once

#include <GL/gl.h>
#include <unistd.h>  // Required for: chdir()

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "image/TAV_ImageData.h"
#include "image/TAV_Texture.h"
#include "support/TestFiles.h"
#include "support/TestGLContext.h"
#include "support/TestXServer.h"

namespace demotest {

// A player on the shared Xvfb, run in the build folder; fails the test when it cannot start.
inline std::unique_ptr<DemoPlayer> startPlayer(double frameTimeMs = 20.0, int widthPx = DemoPlayer::WIDTH,
                                               int heightPx = DemoPlayer::HEIGHT,
                                               DemoPlayer::Target target = DemoPlayer::OFF_SCREEN)
{
    if (!TestXServer::sharedXvfb())
        return nullptr;
    if (chdir(TAVLEN_BINARY_DIR) != 0) {
        ADD_FAILURE() << "cannot enter " << TAVLEN_BINARY_DIR;
        return nullptr;
    }
    auto player = std::make_unique<DemoPlayer>(frameTimeMs, widthPx, heightPx, target);
    // The GL driver stays mapped to the end, so LeakSanitizer can name its caches.
    tavtest::pinGLDriverLibraries();
    return player;
}

// Writes the player's last frame where tavtest::framePath() keeps frames for people to see.
inline void keepFrame(DemoPlayer& player, const std::string& name)
{
    tavtest::writeFramePNG(tavtest::framePath(name + ".png"), player.width(), player.height(), player.readFrame());
}

// A 64 x 64 picture whose upper half (the picture's top rows) is one RGBA colour and lower
// half another, clamped at its edges; the caller deletes it.
inline TAV_Texture* twoBandTexture(const uint8_t top[4], const uint8_t bottom[4])
{
    auto* image = new TAV_ImageData(64, 64, 4);
    for (int i = 0; i < 64 * 64 * 4; ++i)
        image->m_data[i] = i < 32 * 64 * 4 ? top[i % 4] : bottom[i % 4];
    auto* texture = new TAV_Texture(image);
    texture->setTexWrapParametri(GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
    return texture;
}

inline TAV_Texture* solidTexture(uint8_t r, uint8_t g, uint8_t b)
{
    const uint8_t colour[4] = {r, g, b, 255};
    return twoBandTexture(colour, colour);
}

// Whether every channel of a is within `tolerance` of b (0xRRGGBBAA, alpha ignored).
inline bool near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 8; shift <= 24; shift += 8) {
        const int d = int((a >> shift) & 0xff) - int((b >> shift) & 0xff);
        if (d > tolerance || d < -tolerance)
            return false;
    }
    return true;
}

inline uint32_t rgb(int r, int g, int b) { return (uint32_t(r) << 24) | (uint32_t(g) << 16) | (uint32_t(b) << 8) | 0xff; }

// The darkest and brightest channel value in a rectangle of a frame (GL coordinates).
struct Range {
    int low = 255;
    int high = 0;
};
inline Range channelRange(const std::vector<uint8_t>& frame, int x0, int y0, int x1, int y1)
{
    Range range;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c) {
                const int v = frame[(size_t(y) * DemoPlayer::WIDTH + x) * 4 + c];
                range.low = std::min(range.low, v);
                range.high = std::max(range.high, v);
            }
    return range;
}

}  // namespace demotest
