// TAV_RootScene: the frame driver at the top of the scene tree.
//
// Each frame (update): clear the buffers of the clear mask, measure the frame time, pace the
// frame rate, update the current sub-scene and, when motion blur is on, lay the previous
// frames over the new one. After the buffer swap, swap() performs a pending change of scene:
// the old scene is hidden (and deleted, if asked), the new one shown.
// Ownership: a scene handed over with setSubScene belongs to the root scene, which deletes it
// when it is replaced with deleteOld set, and at the end. A scene that is superseded by
// another setSubScene before it was ever shown is treated as replaced by that call (deleted at
// the next swap when it asks to delete the old scene), so an exit in the very first frame
// leaks nothing. Re-setting the current scene only hides and shows it again.
// Window sizes: the scene draws into the picture of TAV_Window::m_frame. Wherever the picture
// leaves bars, they are cleared black after the scene has drawn, every frame, whatever the
// scene cleared or drew; and for a few frames after the window changed size the whole window
// is cleared black first, so no buffer keeps a picture of the old size. Where the driver's
// limits make the picture render smaller than it shows (TAV_FrameMapping::isStretched), the
// rendered picture is stretched over its place at the end of each frame and put back 1:1
// before the next one, so the scene finds its picture and its OpenGL state as it left them.
// An overlay (setOverlay) is drawn over everything else, last in every frame, bars and stretch
// done: a tool's heads-up display. It is not owned, and must leave the OpenGL state exactly as
// it found it, since scenes carry their state from one frame into the next.
// Singleton, created by the engine; main thread only (signals never reach it directly).
#pragma once

#include <GL/gl.h>  // Required for: GLbitfield, GLuint

#include <vector>   // Required for: the scenes superseded before a swap

#include "core/TAV_FrameMapping.h"  // Required for: the window mapping last seen
#include "core/TAV_FramePacer.h"   // Required for: frame-rate pacing
#include "core/TAV_IUpdateable.h"  // Required for: the per-frame interface
#include "core/TAV_Scene.h"        // Required for: the sub-scenes

class TAV_RootScene : public TAV_IUpdateable {
public:
    static TAV_RootScene* getInstance();

    // Black clear colour and the clear depth; called once the GL context exists.
    void init();

    // Same as setSubScene(scene, true).
    void setSubScene(TAV_Scene* scene);
    // `scene` (null allowed) becomes current at the next swap(); the last call before a swap
    // wins. `deleteOld`: whether the scene it replaces is deleted then.
    void setSubScene(TAV_Scene* scene, bool deleteOld);
    // The pending scene while a switch waits, else the current one.
    TAV_Scene* getSubScene() const;
    // Performs a pending switch; the engine calls it once per frame after the buffer swap.
    void swap();

    // Colour and depth (on) or depth only (off). A scene becoming current sets it from its own
    // clear colour buffer flag.
    void enableColorBufferClear(bool on);
    GLbitfield getClearMask() const { return clearMask; }

    // Frames per second to pace to; 0 or less for none.
    void setFps(int fps);
    int getTargetFrameTime() const { return pacer.getTargetFrameTime(); }

    // Motion blur: the scene renders into the lower-left width x height pixels of the design
    // frame (scaled with it), the previous blurred frame is laid over it with alpha
    // 1 - frameTime / time, and the result is stretched over the picture. The size must fit
    // the design frame. A time of 0 or less (or an
    // empty size) turns it off, keeping the texture. Re-arming with the same size reuses the
    // texture. The first frame after arming draws no trail.
    void enableMotionBlur(float time, int width, int height);
    bool isMotionBlurEnabled() const { return motionBlurEnabled; }

    // `overlay` (null for none) is updated at the end of every drawn frame (not rehearsed
    // ones), after the scene and everything the root scene lays over it, with the frame's
    // time. Not owned.
    void setOverlay(TAV_IUpdateable* overlay) { m_overlay = overlay; }
    TAV_IUpdateable* getOverlay() const { return m_overlay; }

    // Raises a flag; no picture is taken.
    void screenshot();

    // The per-frame driver; the argument is ignored (the frame time is measured here).
    void update(int) override;

    // Hides and deletes the current scene (and deletes one still waiting to be shown).
    ~TAV_RootScene() override;

    static TAV_RootScene* m_instance;
    // Clock reading of the previous frame, in ms (TAV_SYS_Util::getCurrentTimeMS).
    static unsigned int m_timelast;

private:
    TAV_RootScene();
    TAV_RootScene(const TAV_RootScene&) = delete;
    TAV_RootScene& operator=(const TAV_RootScene&) = delete;

    // Lays the trail over the reduced area, keeps the result and stretches it over the window.
    void blendMotionBlur(int frameTimeMs);
    // One quad over the unit square of the blur projection, top image row at the top.
    void drawFullScreenQuad() const;
    // Gives the stretch texture room for the rendered picture when the picture is stretched.
    void fitStretchTexture();
    // Stretches the rendered picture over the place it shows in, keeping a copy of it.
    void stretchPicture();
    // Puts the copy back where the picture was rendered, as the scene left it.
    void restoreRenderedPicture() const;
    // The stretch texture's picture drawn over `target`, in tiles the viewport allows.
    void drawStretchTexture(const TAV_FrameMapping::Rect& target, GLint filter) const;
    void deleteSupersededScenes();
    // Black over the whole window (fresh) or only over the bars beside the picture.
    void clearOutsidePicture(bool wholeWindow) const;

    float clearDepth;
    TAV_Scene* currentScene;
    TAV_Scene* pendingScene;
    bool switchPending;
    bool deleteOldScene;
    bool screenshotRequested;
    TAV_FramePacer pacer;
    GLbitfield clearMask;
    bool motionBlurEnabled;
    bool blurFresh;           // armed since the last blurred frame: no trail yet
    float blurTimeMs;         // trail persistence
    GLuint blurTexture;       // 0 until motion blur is first armed
    int blurWidthPx;
    int blurHeightPx;
    TAV_FrameMapping lastFrame;  // the window's mapping as the previous frame found it
    int wholeClearFrames;        // frames still to clear the whole window after a resize
    GLuint stretchTexture;       // 0 until a picture is first stretched
    int stretchWidthPx;          // its size; 0 x 0 when it could not be allocated
    int stretchHeightPx;
    bool stretchHeld;            // it holds the last rendered picture, of the current size
    TAV_IUpdateable* m_overlay = nullptr;  // drawn last in each frame; not owned
    // Scenes handed over and superseded before any swap; deleted at the next swap. Their
    // number is tiny, and setSubScene is not called per frame.
    std::vector<TAV_Scene*> supersededScenes;
};
