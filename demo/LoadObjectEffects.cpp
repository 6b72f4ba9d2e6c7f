// The demo's overlay mode and full-screen effects: frame copies, radial blur, shake, film
// grain, flashes, masks and picture layers. Each sets the OpenGL enables, colour and blend
// function it needs and leaves them so (the timeline relies on that carry-over); only the
// matrix stacks are restored.
#include "LoadObject.h"

#include <GL/gl.h>  // Required for: immediate OpenGL state, matrices and frame-buffer copies

#include <algorithm>  // Required for: std::min()

#include "geometry/TAV_ObjectData.h"
#include "image/TAV_Texture.h"
#include "math/TAV_MATH_Util.h"
#include "core/TAV_Engine.h"  // Required for: frames rehearsed without drawing
#include "core/TAV_Window.h"  // Required for: the picture the frame copy reads

namespace {

// The frame the demo is laid out for; pixel overlays are stated in it.
const int kFrameWidthPx = 800;
const int kFrameHeightPx = 600;

// Radial blur: 25 layers, each 2 % larger and 0.008 fainter than the one before.
const int kBlurLayers = 25;
const float kBlurFirstAlpha = 0.2f;
const float kBlurAlphaStep = 0.008f;
const float kBlurScaleStep = 0.02f;

// A flash holds full strength for its first 80 ms, then fades as 80 / elapsed.
const float kFlashFadeMs = 80.0f;

}  // namespace

void LoadObject::enable2D(float left, float right, float bottom, float top)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void LoadObject::disable2D()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void LoadObject::copyTex()
{
    // The picture, at the window's resolution, lands in the texture's lower-left corner.
    const TAV_FrameMapping::Rect& picture = TAV_Window::m_frame.picture();
    if (picture.widthPx != m_copiedWidthPx || picture.heightPx != m_copiedHeightPx)
        fitCopyTexture();  // only after the window changed size
    glBindTexture(GL_TEXTURE_2D, m_copyTexture);
    // Never past the texture, whatever size the driver could give it.
    const int widthPx = std::min(picture.widthPx, m_copyTextureWidthPx);
    const int heightPx = std::min(picture.heightPx, m_copyTextureHeightPx);
    // A rehearsed frame drew nothing to copy; every frame that reads the copy makes it anew.
    if (widthPx > 0 && heightPx > 0 && !TAV_Engine::m_drawingSkipped)
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture.xPx, picture.yPx, widthPx, heightPx);
}

void LoadObject::radialBlur()
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_copyTexture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);

    // The screen spans -0.5 to 0.5 with y down, so scaling about the origin grows the
    // copy about the screen centre.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-0.5, 0.5, 0.5, -0.5, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);

    float alpha = kBlurFirstAlpha;
    for (int layer = 0; layer < kBlurLayers; ++layer) {
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
        glPushMatrix();
        const float scale = 1.0f + kBlurScaleStep * float(layer);
        glScalef(scale, scale, 1.0f);
        m_copyPlane->renderData();
        glPopMatrix();
        alpha -= kBlurAlphaStep;
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void LoadObject::shake(float rangeX, float rangeY)
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    copyTex();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_copyTexture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // additive onto black: the copy comes back unchanged
    glDisable(GL_CULL_FACE);

    // The black stays the clear colour for the following frames too.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    if (!TAV_Engine::m_drawingSkipped)
        glClear(GL_COLOR_BUFFER_BIT);

    enable2D(-0.5f, 0.5f, 0.5f, -0.5f);
    glPushMatrix();
    // y is drawn before x: the order of random draws fixes the sequence for a given seed.
    const float dy = TAV_MATH_Util::randomf(rangeY);
    const float dx = TAV_MATH_Util::randomf(rangeX);
    glTranslatef(dx, dy, 0.0f);
    m_copyPlane->renderData();
    glPopMatrix();
    disable2D();
}

void LoadObject::noise(float scale, float alpha)
{
    enable2D(0.0f, 4.0f * scale, 3.0f * scale, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    m_noiseTexture->activate();
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    // The grain jumps by up to 50 units every frame; the tile plane reaches 400 units out,
    // so the screen is always covered. Blending is whatever the timeline set.
    const float dy = TAV_MATH_Util::randomf(100.0f);
    const float dx = TAV_MATH_Util::randomf(100.0f);
    glTranslatef(dx, dy, 0.0f);
    m_tilePlane->renderData();
    glPopMatrix();
    disable2D();
}

void LoadObject::flash(int start, int now, bool white)
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    // Above 1 OpenGL clamps; a flash that has not started yet (now < start) shows nothing.
    const float alpha = (now == start) ? 1.0f : kFlashFadeMs / float(now - start);
    const float level = white ? 1.0f : 0.0f;
    glColor4f(level, level, level, alpha);
    enable2D(-0.5f, 0.5f, -0.5f, 0.5f);
    m_unitPlane->renderData();
    disable2D();
}

void LoadObject::mask(TAV_Texture* picture)
{
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    enable2D(-400.0f, 400.0f, 300.0f, -300.0f);
    glPushMatrix();
    glScalef(800.0f, 512.0f, 0.0f);  // the visible band of the letterboxed frame
    picture->activate();
    m_unitPlane->renderData();
    glPopMatrix();
    disable2D();
}

void LoadObject::textLayer(int x, int y, int width, int height, TAV_Texture* picture, bool shaky)
{
    enable2D(0.0f, float(kFrameWidthPx), float(kFrameHeightPx), 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    picture->activate();
    glPushMatrix();
    if (shaky) {
        // Up to +-10 pixels vertically, +-2 sideways and +-10 degrees, anew every frame.
        const float ty = float(y) + TAV_MATH_Util::randomf(20.0f);
        const float tx = float(x) + TAV_MATH_Util::randomf(4.0f);
        glTranslatef(tx, ty, 1.0f);
        glRotatef(TAV_MATH_Util::randomf(2.0f) * 10.0f, 0.0f, 0.0f, 1.0f);
    } else {
        glTranslatef(float(x), float(y), 0.0f);
    }
    glScalef(float(width), float(height), 1.0f);
    m_unitPlane->renderData();
    glPopMatrix();
    disable2D();
}
