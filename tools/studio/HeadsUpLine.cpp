#include "HeadsUpLine.h"

#include <GL/gl.h>  // Required for: the attribute and matrix stacks, immediate-mode quads

#include <algorithm>  // Required for: std::min(), std::max()
#include <cstdio>     // Required for: snprintf()

#include "BitmapFont.h"
#include "LoadObject.h"
#include "core/TAV_Window.h"  // Required for: the picture and its band on the window (m_frame)

namespace {

// Characters a full line has at most: the scale keeps them in the band.
const int kFullLineCharacters = 76;
// Font pixels around the text on its backing, and between backing and band edge.
const int kPaddingPx = 3;
const int kMarginPx = 4;
const float kBackingAlpha = 0.8f;
// Font pixels from one line's base to the next one's.
const int kLineStepPx = BitmapFont::GLYPH_HEIGHT + 2 * kPaddingPx + 2;

}  // namespace

void HeadsUpLine::update(int)
{
    Reading reading;
    source.readHeadsUp(reading);
    char line[MAX_TEXT];
    char typedLine[MAX_TEXT];
    format(reading, line);
    formatTyped(reading, typedLine);
    const char* lines[2] = {nullptr, nullptr};
    int count = 0;
    if (shown)
        lines[count++] = line;
    if (typedLine[0] != '\0')
        lines[count++] = typedLine;
    if (count > 0)
        draw(lines[0], lines[1]);
}

void HeadsUpLine::format(const Reading& reading, char (&text)[MAX_TEXT])
{
    char position[48];
    if (reading.inPreRoll) {
        std::snprintf(position, sizeof(position), "pre-roll %d ms", reading.loadTimeMs);
    } else {
        const int section = LoadObject::sectionAt(reading.musicTimeMs);
        if (section >= LoadObject::SECTION_COUNT)
            std::snprintf(position, sizeof(position), "%d ms  closing from %d", reading.musicTimeMs,
                          LoadObject::sectionStartMs(section));
        else
            std::snprintf(position, sizeof(position), "%d ms  section %d: %d-%d", reading.musicTimeMs, section,
                          LoadObject::sectionStartMs(section), LoadObject::sectionStartMs(section + 1));
    }
    const char* state = reading.heldAtEnd ? "at end" : reading.paused ? "paused" : "playing";
    std::snprintf(text, MAX_TEXT, "%s  %s  %s  frame %.1f ms  %d fps", position, reading.speedLabel, state,
                  reading.frameTimeMs, reading.framesPerSecond);
}

void HeadsUpLine::formatTyped(const Reading& reading, char (&text)[MAX_TEXT])
{
    text[0] = '\0';
    if (reading.typed[0] != '\0')
        std::snprintf(text, MAX_TEXT, "go to %s_", reading.typed);
}

int HeadsUpLine::scaleFor(int pictureWidthPx)
{
    const int lineWidthPx = BitmapFont::GLYPH_ADVANCE * kFullLineCharacters + 2 * (kPaddingPx + kMarginPx);
    return std::min(3, std::max(1, pictureWidthPx / lineWidthPx));
}

void HeadsUpLine::draw(const char* bottomLine, const char* upperLine) const
{
    const TAV_FrameMapping& frame = TAV_Window::m_frame;
    const TAV_FrameMapping::Rect band =
        frame.toDevice(0, LoadObject::BAND_BOTTOM_PX, LoadObject::BAND_WIDTH_PX, LoadObject::BAND_HEIGHT_PX);
    const int scale = scaleFor(band.widthPx);
    const int paddingPx = kPaddingPx * scale;
    const int leftPx = band.xPx + (kMarginPx + kPaddingPx) * scale;
    const int bandRightPx = band.xPx + band.widthPx;

    // Every piece of state the scene carries into its next frame is put back.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum capability : {GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_COLOR_MATERIAL, GL_FOG,
                              GL_ALPHA_TEST, GL_STENCIL_TEST, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_POLYGON_STIPPLE,
                              GL_COLOR_LOGIC_OP, GL_DITHER})
        glDisable(capability);
    // Never outside the band, which the scene clears: nothing of the line outlives its frame.
    glEnable(GL_SCISSOR_TEST);
    glScissor(band.xPx, band.yPx, band.widthPx, band.heightPx);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, frame.windowWidthPx(), frame.windowHeightPx());
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, frame.windowWidthPx(), 0.0, frame.windowHeightPx(), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const char* lines[2] = {bottomLine, upperLine};
    for (int row = 0; row < 2 && lines[row]; ++row) {
        const int bottomPx = band.yPx + (kMarginPx + kPaddingPx + row * kLineStepPx) * scale;
        const int topPx = bottomPx + BitmapFont::GLYPH_HEIGHT * scale;
        // A line too long for the band ends at the band's edge.
        const int rightPx = std::min(leftPx + BitmapFont::textWidthPx(lines[row], scale) + paddingPx, bandRightPx);
        glEnable(GL_BLEND);
        glColor4f(0.0f, 0.0f, 0.0f, kBackingAlpha);
        glBegin(GL_QUADS);
        glVertex2i(leftPx - paddingPx, bottomPx - paddingPx);
        glVertex2i(rightPx, bottomPx - paddingPx);
        glVertex2i(rightPx, topPx + paddingPx);
        glVertex2i(leftPx - paddingPx, topPx + paddingPx);
        glEnd();
        glDisable(GL_BLEND);
        glColor4f(0.92f, 0.92f, 0.86f, 1.0f);
        glBegin(GL_QUADS);
        BitmapFont::drawQuads(lines[row], leftPx, topPx, scale);
        glEnd();
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}
