// LoadObject: the demo itself. One scene that owns every picture, quad, particle swarm, the
// LED figure, the frame-copy texture and the music stream, and whose update() is the
// 73-second choreography: two seconds of nothing, four of the loading strip, 45 sections
// chosen by the music's playback position, then the closing cards on a clock of their own.
//
// Ownership: the constructor creates everything up front (nothing is loaded or allocated
// while frames run) and the destructor releases all of it; the TAV_Container base stays empty.
// Thread: the main thread with the OpenGL context current. The root scene owns the object.
// Invariant: drawing and clearing stay inside the 800x512 letterbox band from the first
// music frame on; the 44-pixel bars above and below keep the black of the last full clear.
// Everything is stated in the 800x600 design frame; TAV_Window::m_frame turns the pixel
// quantities (scissor boxes, the frame copy, point sizes) into the window's device pixels.
//
// The member fields are public on purpose: the timeline writes the LED figure's fields the
// same way, and tests and tools read the clocks and resources of a running demo.
// Sources: LoadObject.cpp (building, releasing, the escape key), LoadObjectTimeline.cpp,
// LoadObjectEffects.cpp and LoadObjectSequences.cpp, in the order of the sections below.
#pragma once

#include <cstddef>                         // Required for: size_t

#include "core/TAV_Scene.h"                // Required for: TAV_Scene, the primary base
#include "io/TAV_IO_KeyboardAdapter.h"     // Required for: TAV_IO_KeyboardAdapter (escape key)
#include "scene/TAV_Container.h"           // Required for: TAV_Container (kept empty)
#include "fsound.h"                        // Required for: FSOUND_STREAM, the music stream handle

class CowQube;
class Particle;
class TAV_ObjectData;
class TAV_Texture;

class LoadObject : public TAV_Scene, public TAV_Container, public TAV_IO_KeyboardAdapter {
public:
    // Builds everything the demo shows, hides the cursor, sets the letterbox scissor,
    // registers the escape key and opens (but does not start) the music. A picture that
    // cannot be loaded throws TAV_Exception* after everything built so far is released.
    LoadObject();
    // Removes the keyboard listener first, then releases every resource the scene created.
    virtual ~LoadObject();

    // The timeline: pre-roll, music sections, closing and exit (LoadObjectTimeline.cpp).
    virtual void update(int frameTime) override;
    // Escape (27) ends the demo at the end of the current frame; other keys are ignored.
    virtual void keyPressed(int key) override;

    // --- The demo's times, for the drivers (the players, the capture, the tools) ---------
    // Frame time of pre-roll: 2000 ms of nothing, then the loading strip; the first frame that
    // finds this much starts the music.
    static constexpr int PRE_ROLL_MS = 6000;
    // The closing's clock starts where the music sections end (sectionStartMs(SECTION_COUNT))
    // and counts frame time; the demo exits on the frame that finds it at this value.
    static constexpr int CLOSING_END_MS = 67000;
    // The whole run in demo time: pre-roll, then music and closing on one continued clock.
    static constexpr int RUN_LENGTH_MS = PRE_ROLL_MS + CLOSING_END_MS;
    // Whether the music has been started (by the frame after the pre-roll).
    bool musicStarted() const { return m_musicStarted; }
    // Whether the next frame reads the music's position: the frame that starts it and every
    // frame after. A driver with its own music clock sets it before such a frame.
    bool readsMusicNextFrame() const { return m_musicStarted || m_loadTime >= PRE_ROLL_MS; }

    // --- The section table, for tests and tools -----------------------------------------
    // Music sections; the number SECTION_COUNT itself stands for the closing.
    static constexpr int SECTION_COUNT = 45;
    // The section that music time t selects (a negative time selects section 0).
    static int sectionAt(int musicTimeMs);
    // Music time at which a section starts; sectionStartMs(SECTION_COUNT) is the closing's.
    static int sectionStartMs(int section);

    // The letterbox band every music frame draws in, in the 800x600 design frame: 800 x 512
    // pixels with 44-pixel bars below and above.
    static constexpr int BAND_BOTTOM_PX = 44;
    static constexpr int BAND_WIDTH_PX = 800;
    static constexpr int BAND_HEIGHT_PX = 512;

    // --- The state between frames, for drivers that rewind the demo (LoadObject.cpp) -----
    // Everything the next frame depends on that the scene itself keeps: its clocks, the LED
    // figure's, both swarms, the dot colour and the logo's mipmap level. Not in it: the random
    // generator and the OpenGL state (the driver saves those: TAV_GlibcRandom, TAV_GLState),
    // the frame copy (every frame that shows it copies it first) and the window's size.
    // stateBytes() is the room saveState() fills; it stays the same for the scene's life.
    // Nothing is allocated. restoreState() binds the logo's texture: restore the OpenGL state
    // after it.
    size_t stateBytes() const;
    void saveState(unsigned char* to) const;
    void restoreState(const unsigned char* from);
    // Makes the whole window transparent black, as a run from the start leaves the letterbox
    // bars (the pre-roll's last full clear; no frame after it touches them): for a driver that
    // draws a frame after frames it rehearsed without drawing. The OpenGL state is kept.
    void clearBars();

    // --- Overlay and screen effects (LoadObjectEffects.cpp) -------------------------------
    // Orthographic overlay: pushes the projection; a bottom above the top points y down.
    void enable2D(float left, float right, float bottom, float top);
    // Pops the projection pushed by enable2D; the model-view stack is not touched.
    void disable2D();
    // Copies the picture (800x600 at the design size) into the lower-left corner of
    // m_copyTexture (left bound); after a resize it first fits the texture to the new size.
    void copyTex();
    // 25 enlarged, fading copies of m_copyTexture over the frame (call copyTex() first).
    void radialBlur();
    // Redraws the frame at a random offset of up to half the given screen fractions, on black.
    void shake(float rangeX, float rangeY);
    // The tiled film grain at a random offset, over a 4:3 area of `scale` units.
    void noise(float scale, float alpha);
    // Full-screen white or black layer of alpha 80 / (now - start), full strength at start.
    void flash(int start, int now, bool white);
    // A picture over the 800x512 visible band.
    void mask(TAV_Texture* picture);
    // A picture on a width x height rectangle centred on (x, y) in 800x600 pixels, y down;
    // a shaky layer trembles anew every frame.
    void textLayer(int x, int y, int width, int height, TAV_Texture* picture, bool shaky);

    // --- Picture sequences (LoadObjectSequences.cpp) -------------------------------------
    // The opening logo condensing out of 16 jittered, blurred copies; time is music time.
    void startLogo(int frameTime, int time);
    // The square emblem across the middle of a 4:3 screen.
    void ormLogo();
    // The LED figure in pattern 1 to 8, optionally turning about (1, 1, 0).
    void cow(int frameTime, int pattern, bool rotate);
    // Both particle swarms and the portrait (mode 1 still, 2 breathing, 3 breathing upside down).
    void cowPart(int frameTime, int time, int mode);
    // The loading strip: a 40-pixel scissor strip at time x 0.2 pixels over the white figure.
    void loading(int time);
    // The closing date cards and the address card; advances m_dateTime.
    void date(int frameTime);
    // The flight over ten stacked see-through chessboards; advances m_chessTime.
    void chess(int frameTime);
    // A row (hDot) or column (vDot) of dots in m_dotColor, moving by (to - from) x speed pixels.
    void hDot(int from, int to, int count, int x, int y, int spacing, int size, float speed);
    void vDot(int from, int to, int count, int x, int y, int spacing, int size, float speed);

    // --- Members, in the order the demo builds and documents them -------------------------
    TAV_ObjectData* m_screenPlane = nullptr;   // 800 x 600 quad centred on the origin
    TAV_ObjectData* m_bigPlane = nullptr;      // 1500 x 1500 quad, texture coordinates -1 to 2
    TAV_ObjectData* m_unitPlane = nullptr;     // the factory's unit plane, behind every layer
    TAV_ObjectData* m_copyPlane = nullptr;     // shows exactly the 800x600 copied texels, y negated
    TAV_ObjectData* m_picturePlane = nullptr;  // square picture centred on a 4:3 screen, y negated
    TAV_ObjectData* m_tilePlane = nullptr;     // 800 x 800 units, texture repeated 400 times
    TAV_Texture* m_logoTexture = nullptr;
    TAV_Texture* m_lensTexture = nullptr;
    TAV_Texture* m_demopeopleTexture = nullptr;
    TAV_Texture* m_cowTexture = nullptr;       // also the particle and loading-bar sprite
    TAV_Texture* m_noiseTexture = nullptr;
    TAV_Texture* m_datumTextures[5] = {};
    TAV_Texture* m_urlTexture = nullptr;
    TAV_Texture* m_ormTexture = nullptr;
    TAV_Texture* m_pennantTexture = nullptr;
    TAV_Texture* m_chessTexture = nullptr;     // 64 x 64 checkerboard made in code, repeating
    TAV_Texture* m_dotTexture = nullptr;
    TAV_Texture* m_maskTexture = nullptr;
    TAV_Texture* m_noise1Texture = nullptr;
    TAV_Texture* m_backgroundTexture = nullptr;
    TAV_Texture* m_actTexture = nullptr;
    TAV_Texture* m_nobTexture = nullptr;
    TAV_Texture* m_sympaTexture = nullptr;
    TAV_Texture* m_ideeTexture = nullptr;
    TAV_Texture* m_creditsTexture = nullptr;
    Particle* m_particles[2] = {};
    CowQube* m_cowQube = nullptr;
    FSOUND_STREAM* m_stream = nullptr;
    int m_loadTime = 0;        // ms of frame time summed during the pre-roll
    int m_chessTime = 0;       // ms, clock of chess()
    int m_dateTime = 0;        // ms, clock of date()
    int m_endTime = 52743;     // ms, closing clock; the demo exits when it reaches CLOSING_END_MS
    bool m_musicStarted = false;
    float m_cowAngle = 0.0f;   // degrees, turn of the LED figure in cow()
    float m_dotColor[4] = {1.0f, 0.38f, 0.08f, 1.0f};
    int m_logoLevel = 0;       // mipmap base level startLogo set last on m_logoTexture
    unsigned int m_copyTexture = 0;  // GL name of the frame-copy texture (1024 x 1024 at 800x600)
    int m_copyTextureWidthPx = 0;    // its size; 0 x 0 while it has no storage
    int m_copyTextureHeightPx = 0;

private:
    // Releases whatever exists; shared by the destructor and a constructor that throws.
    void release();
    // count dots of `size` pixels from (x, y), each (stepX, stepY) after the one before.
    void dotLine(float x, float y, float stepX, float stepY, int count, int size);
    // Makes m_copyTexture hold the window's picture (growing it when it is too small) and
    // points m_copyPlane's texture coordinates at exactly the copied texels.
    void fitCopyTexture();
    // Defines the bound m_copyTexture with room for neededWidthPx x neededHeightPx (at least
    // 1024 x 1024), cleared to zero, and records its size; false, recording none, when the
    // driver cannot give it storage.
    bool defineCopyTexture(int neededWidthPx, int neededHeightPx);
    int m_copiedWidthPx = 0;   // picture size m_copyPlane is set up for
    int m_copiedHeightPx = 0;
    // Whether the keyboard listener was added, so release() removes only what it added.
    bool m_listening = false;
};
