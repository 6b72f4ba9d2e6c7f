#include "core/TAV_RootScene.h"

#include <GL/glu.h>    // Required for: gluErrorString()

#include <algorithm>   // Required for: std::remove(), std::min()
#include <cstdio>      // Required for: fprintf() of a texture that cannot be had

#include "core/TAV_Engine.h"     // Required for: frames rehearsed without drawing
#include "core/TAV_GLLimits.h"   // Required for: textures checked, the largest viewport
#include "core/TAV_Window.h"     // Required for: the design frame on the window (m_frame)
#include "sys/TAV_SYS_Log.h"
#include "sys/TAV_SYS_Util.h"    // Required for: the frame clock and the pacing sleep

namespace {

// Double or triple buffering: after a resize every back buffer in turn gets its full clear.
const int kResizeClearFrames = 3;

// Restores the binding of GL_TEXTURE_2D, which the scene's drawing carries over between frames.
class TextureBindingKept {
public:
    TextureBindingKept() { glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding); }
    ~TextureBindingKept() { glBindTexture(GL_TEXTURE_2D, GLuint(binding)); }

private:
    GLint binding = 0;
};

int nextPowerOfTwo(int valuePx)
{
    int power = 1;
    while (power < valuePx)
        power *= 2;
    return power;
}

// Runs `clear` with the scissor on `box`, then restores the scissor and the clear colour.
class ScissorClear {
public:
    ScissorClear()
    {
        scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
        glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        glEnable(GL_SCISSOR_TEST);
        // Transparent black, the root scene's own clear colour.
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    }
    ~ScissorClear()
    {
        glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
        if (!scissorWasOn)
            glDisable(GL_SCISSOR_TEST);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    }
    void clear(int xPx, int yPx, int widthPx, int heightPx) const
    {
        if (widthPx <= 0 || heightPx <= 0)
            return;
        glScissor(xPx, yPx, widthPx, heightPx);
        glClear(GL_COLOR_BUFFER_BIT);
    }

private:
    GLboolean scissorWasOn;
    GLint scissorBox[4];
    GLfloat clearColour[4];
};

}  // namespace

TAV_RootScene* TAV_RootScene::m_instance = nullptr;
unsigned int TAV_RootScene::m_timelast = 0;

TAV_RootScene* TAV_RootScene::getInstance()
{
    if (!m_instance)
        m_instance = new TAV_RootScene();
    return m_instance;
}

void TAV_RootScene::init()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(clearDepth);
    // Before the first frame, so that frames only ever allocate after a resize.
    fitStretchTexture();
}

void TAV_RootScene::setSubScene(TAV_Scene* scene)
{
    setSubScene(scene, true);
}

void TAV_RootScene::setSubScene(TAV_Scene* scene, bool deleteOld)
{
    if (switchPending && pendingScene && pendingScene != scene && pendingScene != currentScene && deleteOld)
        supersededScenes.push_back(pendingScene);
    // A scene handed over again is no longer superseded.
    supersededScenes.erase(std::remove(supersededScenes.begin(), supersededScenes.end(), scene),
                           supersededScenes.end());
    pendingScene = scene;
    switchPending = true;
    deleteOldScene = deleteOld;
}

TAV_Scene* TAV_RootScene::getSubScene() const
{
    return switchPending ? pendingScene : currentScene;
}

void TAV_RootScene::swap()
{
    if (!switchPending)
        return;
    switchPending = false;
    TAV_Scene* oldScene = currentScene;
    TAV_Scene* newScene = pendingScene;
    pendingScene = nullptr;
    // No dangling current scene, even if a scene's destructor throws.
    currentScene = nullptr;
    if (oldScene) {
        oldScene->hidden();
        if (deleteOldScene && oldScene != newScene)
            delete oldScene;
    }
    deleteSupersededScenes();
    currentScene = newScene;
    if (newScene) {
        newScene->showed();
        enableColorBufferClear(newScene->isColorBufferCleared());
    }
}

void TAV_RootScene::enableColorBufferClear(bool on)
{
    clearMask = on ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT : GL_DEPTH_BUFFER_BIT;
}

void TAV_RootScene::setFps(int fps)
{
    pacer.setFps(fps);
}

void TAV_RootScene::enableMotionBlur(float time, int width, int height)
{
    if (!(time > 0.0f) || width <= 0 || height <= 0) {  // also catches NaN
        motionBlurEnabled = false;
        return;
    }
    motionBlurEnabled = true;
    blurTimeMs = time;
    if (blurTexture != 0 && width == blurWidthPx && height == blurHeightPx) {
        blurFresh = true;
        return;
    }
    if (blurTexture != 0)
        glDeleteTextures(1, &blurTexture);
    glGenTextures(1, &blurTexture);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    // No pixels: the first blurred frame copies into it before anything reads it. Defined
    // at the size the frames copy, which the driver must be able to hold.
    const TAV_FrameMapping::Rect blurBox = TAV_Window::m_frame.toDevice(0, 0, width, height);
    if (!TAV_GLLimits::defineTexture2D(GL_RGB, blurBox.widthPx, blurBox.heightPx, GL_RGB)) {
        TAV_SYS_Log::getInstance()->log("/*Motion blur off: no %d x %d texture", blurBox.widthPx, blurBox.heightPx);
        glDeleteTextures(1, &blurTexture);
        blurTexture = 0;
        blurWidthPx = 0;
        blurHeightPx = 0;
        motionBlurEnabled = false;
        return;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Stretched with linear filtering, a repeating texture would bleed its left column into
    // the window's right edge and its top row into the bottom one.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    blurWidthPx = width;
    blurHeightPx = height;
    blurFresh = true;
}

void TAV_RootScene::screenshot()
{
    screenshotRequested = true;
}

void TAV_RootScene::update(int)
{
    // An 800 x 600 window never gets here: its mapping is the one lastFrame starts with.
    if (TAV_Window::m_frame != lastFrame) {
        lastFrame = TAV_Window::m_frame;
        wholeClearFrames = kResizeClearFrames;
        fitStretchTexture();
        stretchHeld = false;
    }
    // A rehearsed frame (TAV_Engine::m_drawingSkipped) clears nothing: whoever draws after
    // rehearsals makes the picture's surroundings what the frames skipped would have left.
    const bool drawing = !TAV_Engine::m_drawingSkipped;
    if (wholeClearFrames > 0) {
        --wholeClearFrames;
        if (drawing)
            clearOutsidePicture(true);
    } else if (stretchHeld && TAV_Window::m_frame.isStretched() && drawing) {
        // The stretch drew over the rendered picture; the scene goes on from what it left
        // there (the demo's letterbox bars keep the black of its last full clear).
        restoreRenderedPicture();
    }
    if (drawing)
        glClear(clearMask);
    glLoadIdentity();

    const unsigned int nowMs = TAV_SYS_Util::getCurrentTimeMS();
    // The clock wraps: only the unsigned difference is meaningful.
    const int frameTimeMs = int(nowMs - m_timelast);
    m_timelast = nowMs;

    const int sleepMs = pacer.sleepTimeFor(frameTimeMs);
    if (sleepMs > 0)
        TAV_SYS_Util::sleepMS(sleepMs);

    if (motionBlurEnabled) {
        const TAV_FrameMapping::Rect blurBox = TAV_Window::m_frame.toDevice(0, 0, blurWidthPx, blurHeightPx);
        glViewport(blurBox.xPx, blurBox.yPx, blurBox.widthPx, blurBox.heightPx);
    }
    if (currentScene)
        currentScene->update(frameTimeMs);
    if (motionBlurEnabled)
        blendMotionBlur(frameTimeMs);
    if (TAV_Window::m_frame.isStretched() && drawing)
        stretchPicture();
    if (TAV_Window::m_frame.hasBars() && drawing)
        clearOutsidePicture(false);
    // Last, so that nothing the root scene keeps of the picture (the stretch copy, the blur
    // trail) holds it, and the next frame's clear takes it away. Not over rehearsed frames.
    if (m_overlay && drawing)
        m_overlay->update(frameTimeMs);

    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        TAV_SYS_Log::getInstance()->log("GLerror: %s\n", reinterpret_cast<const char*>(gluErrorString(error)));
}

TAV_RootScene::~TAV_RootScene()
{
    TAV_Scene* shownScene = currentScene;
    currentScene = nullptr;
    // A scene handed over but never shown is ours as well.
    if (switchPending && pendingScene && pendingScene != shownScene)
        supersededScenes.push_back(pendingScene);
    switchPending = false;
    pendingScene = nullptr;
    if (shownScene) {
        shownScene->hidden();
        delete shownScene;
    }
    deleteSupersededScenes();
    if (blurTexture != 0)
        glDeleteTextures(1, &blurTexture);
    if (stretchTexture != 0)
        glDeleteTextures(1, &stretchTexture);
    m_instance = nullptr;
}

TAV_RootScene::TAV_RootScene()
    : clearDepth(1.0f),
      currentScene(nullptr),
      pendingScene(nullptr),
      switchPending(false),
      deleteOldScene(false),
      screenshotRequested(false),
      clearMask(GL_DEPTH_BUFFER_BIT),
      motionBlurEnabled(false),
      blurFresh(false),
      blurTimeMs(0.0f),
      blurTexture(0),
      blurWidthPx(0),
      blurHeightPx(0),
      wholeClearFrames(0),
      stretchTexture(0),
      stretchWidthPx(0),
      stretchHeightPx(0),
      stretchHeld(false)
{
    m_timelast = TAV_SYS_Util::getCurrentTimeMS();
}

void TAV_RootScene::blendMotionBlur(int frameTimeMs)
{
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    // The blend function is the scene's: it decides how the trail mixes.
    glEnable(GL_BLEND);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1.0, 1.0, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    // Right after arming, the texture holds an old or undefined picture: no trail from it.
    if (!blurFresh) {
        // At or beyond the blur time the alpha is 0 or less, which GL clamps: no trail.
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f - float(frameTimeMs) / blurTimeMs);
        drawFullScreenQuad();
    }
    const TAV_FrameMapping::Rect blurBox = TAV_Window::m_frame.toDevice(0, 0, blurWidthPx, blurHeightPx);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, blurBox.xPx, blurBox.yPx, blurBox.widthPx, blurBox.heightPx, 0);

    TAV_Window::m_frame.applyViewport();
    glDisable(GL_BLEND);
    drawFullScreenQuad();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    blurFresh = false;
}

void TAV_RootScene::drawFullScreenQuad() const
{
    // Texture rows run bottom-up, the projection's y top-down: t = 1 goes to the top.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 0.0f);
    glEnd();
}

void TAV_RootScene::fitStretchTexture()
{
    const TAV_FrameMapping& frame = TAV_Window::m_frame;
    const TAV_FrameMapping::Rect& rendered = frame.picture();
    if (!frame.isStretched() || (rendered.widthPx <= stretchWidthPx && rendered.heightPx <= stretchHeightPx))
        return;
    int widthPx = rendered.widthPx;
    int heightPx = rendered.heightPx;
    if (!TAV_GLLimits::hasNonPowerOfTwoTextures()) {
        widthPx = nextPowerOfTwo(widthPx);
        heightPx = nextPowerOfTwo(heightPx);
    }
    const TextureBindingKept binding;
    if (stretchTexture == 0)
        glGenTextures(1, &stretchTexture);
    glBindTexture(GL_TEXTURE_2D, stretchTexture);
    stretchWidthPx = 0;
    stretchHeightPx = 0;
    // RGBA: the restore before the next frame gives the scene back its alpha too.
    if (!TAV_GLLimits::defineTexture2D(GL_RGBA, widthPx, heightPx, GL_RGBA)) {
        std::fprintf(stderr, "Tavlen: no %d x %d texture to scale the picture up with; it shows unscaled\n", widthPx,
                     heightPx);
        return;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    stretchWidthPx = widthPx;
    stretchHeightPx = heightPx;
}

void TAV_RootScene::stretchPicture()
{
    const TAV_FrameMapping& frame = TAV_Window::m_frame;
    const TAV_FrameMapping::Rect& rendered = frame.picture();
    if (rendered.widthPx > stretchWidthPx || rendered.heightPx > stretchHeightPx)
        return;  // no texture: the picture stays as rendered
    const TextureBindingKept binding;
    glBindTexture(GL_TEXTURE_2D, stretchTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, rendered.xPx, rendered.yPx, rendered.widthPx, rendered.heightPx);
    drawStretchTexture(frame.shownPicture(), GL_LINEAR);
    stretchHeld = true;
}

void TAV_RootScene::restoreRenderedPicture() const
{
    // Pixel for pixel: nearest texels at their own size.
    drawStretchTexture(TAV_Window::m_frame.picture(), GL_NEAREST);
}

void TAV_RootScene::drawStretchTexture(const TAV_FrameMapping::Rect& target, GLint filter) const
{
    const TAV_FrameMapping::Rect& rendered = TAV_Window::m_frame.picture();
    // The scene's next frame starts from the state it left: all of it is put back.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBindTexture(GL_TEXTURE_2D, stretchTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    for (GLenum capability : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_LIGHTING, GL_FOG,
                              GL_ALPHA_TEST, GL_STENCIL_TEST, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_POLYGON_STIPPLE})
        glDisable(capability);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    for (GLenum matrix : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(matrix);
        glPushMatrix();
        glLoadIdentity();
    }
    glMatrixMode(GL_PROJECTION);
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);

    // In tiles no larger than the largest viewport: the window may be larger still.
    const float sMax = float(rendered.widthPx) / float(stretchWidthPx);
    const float tMax = float(rendered.heightPx) / float(stretchHeightPx);
    const int largestWidthPx = TAV_GLLimits::maxViewportWidthPx();
    const int largestHeightPx = TAV_GLLimits::maxViewportHeightPx();
    const int tileWidthPx = largestWidthPx > 0 ? std::min(largestWidthPx, target.widthPx) : target.widthPx;
    const int tileHeightPx = largestHeightPx > 0 ? std::min(largestHeightPx, target.heightPx) : target.heightPx;
    for (int yPx = 0; yPx < target.heightPx; yPx += tileHeightPx) {
        const int heightPx = std::min(tileHeightPx, target.heightPx - yPx);
        const float t0 = tMax * float(yPx) / float(target.heightPx);
        const float t1 = tMax * float(yPx + heightPx) / float(target.heightPx);
        for (int xPx = 0; xPx < target.widthPx; xPx += tileWidthPx) {
            const int widthPx = std::min(tileWidthPx, target.widthPx - xPx);
            const float s0 = sMax * float(xPx) / float(target.widthPx);
            const float s1 = sMax * float(xPx + widthPx) / float(target.widthPx);
            glViewport(target.xPx + xPx, target.yPx + yPx, widthPx, heightPx);
            glBegin(GL_QUADS);
            glTexCoord2f(s0, t0);
            glVertex2f(0.0f, 0.0f);
            glTexCoord2f(s1, t0);
            glVertex2f(1.0f, 0.0f);
            glTexCoord2f(s1, t1);
            glVertex2f(1.0f, 1.0f);
            glTexCoord2f(s0, t1);
            glVertex2f(0.0f, 1.0f);
            glEnd();
        }
    }

    for (GLenum matrix : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(matrix);
        glPopMatrix();
    }
    glPopAttrib();
}

void TAV_RootScene::clearOutsidePicture(bool wholeWindow) const
{
    const TAV_FrameMapping& frame = TAV_Window::m_frame;
    const TAV_FrameMapping::Rect& picture = frame.shownPicture();
    const int windowWidthPx = frame.windowWidthPx();
    const int windowHeightPx = frame.windowHeightPx();
    const int pictureRightPx = picture.xPx + picture.widthPx;
    const int pictureTopPx = picture.yPx + picture.heightPx;
    const ScissorClear black;
    if (wholeWindow) {
        black.clear(0, 0, windowWidthPx, windowHeightPx);
        return;
    }
    black.clear(0, 0, picture.xPx, windowHeightPx);
    black.clear(pictureRightPx, 0, windowWidthPx - pictureRightPx, windowHeightPx);
    black.clear(picture.xPx, 0, picture.widthPx, picture.yPx);
    black.clear(picture.xPx, pictureTopPx, picture.widthPx, windowHeightPx - pictureTopPx);
}

void TAV_RootScene::deleteSupersededScenes()
{
    // Swapped out first: a scene's destructor may hand over scenes itself.
    std::vector<TAV_Scene*> scenes;
    scenes.swap(supersededScenes);
    for (TAV_Scene* scene : scenes)
        delete scene;
}
