#include "core/TAV_FrameMapping.h"

#include <GL/gl.h>  // Required for: glViewport(), glScissor()

#include <cmath>    // Required for: std::lround()

namespace {

// The largest 4:3 rectangle inside width x height (at least 1 x 1), and its device pixels
// per design pixel. Integer arithmetic (64-bit: 16384 x 600 fits either way), so 1920 x 1080
// gives exactly 1440 x 1080 and the scale is exactly 1.8. The axis that limits the picture
// is filled completely; the other one gets the rounded-down 4:3 share.
void fitDesignFrame(int widthPx, int heightPx, TAV_FrameMapping::Rect& rect, float& scale)
{
    const int designWidthPx = TAV_FrameMapping::DESIGN_WIDTH_PX;
    const int designHeightPx = TAV_FrameMapping::DESIGN_HEIGHT_PX;
    const long long width = widthPx;
    const long long height = heightPx;
    if (width * designHeightPx >= height * designWidthPx) {
        rect.heightPx = heightPx;
        rect.widthPx = int(height * designWidthPx / designHeightPx);
        scale = float(double(rect.heightPx) / designHeightPx);
    } else {
        rect.widthPx = widthPx;
        rect.heightPx = int(width * designHeightPx / designWidthPx);
        scale = float(double(rect.widthPx) / designWidthPx);
    }
    if (rect.widthPx < 1)
        rect.widthPx = 1;
    if (rect.heightPx < 1)
        rect.heightPx = 1;
}

}  // namespace

TAV_FrameMapping::TAV_FrameMapping()
    : m_windowWidthPx(DESIGN_WIDTH_PX),
      m_windowHeightPx(DESIGN_HEIGHT_PX),
      m_picture{0, 0, DESIGN_WIDTH_PX, DESIGN_HEIGHT_PX},
      m_shown{0, 0, DESIGN_WIDTH_PX, DESIGN_HEIGHT_PX},
      m_scale(1.0f)
{
}

void TAV_FrameMapping::fit(int windowWidthPx, int windowHeightPx, int largestWidthPx, int largestHeightPx)
{
    m_windowWidthPx = windowWidthPx < 1 ? 1 : windowWidthPx;
    m_windowHeightPx = windowHeightPx < 1 ? 1 : windowHeightPx;
    fitDesignFrame(m_windowWidthPx, m_windowHeightPx, m_shown, m_scale);
    m_shown.xPx = (m_windowWidthPx - m_shown.widthPx) / 2;
    m_shown.yPx = (m_windowHeightPx - m_shown.heightPx) / 2;
    m_picture = m_shown;
    const bool tooWide = largestWidthPx > 0 && m_shown.widthPx > largestWidthPx;
    const bool tooHigh = largestHeightPx > 0 && m_shown.heightPx > largestHeightPx;
    if (tooWide || tooHigh) {
        // Rendered in the shown place's lower-left corner: inside the window, and covered
        // again by the stretched copy.
        fitDesignFrame(tooWide ? largestWidthPx : m_shown.widthPx, tooHigh ? largestHeightPx : m_shown.heightPx,
                       m_picture, m_scale);
    }
}

bool TAV_FrameMapping::isStretched() const
{
    return m_picture.widthPx != m_shown.widthPx || m_picture.heightPx != m_shown.heightPx;
}

bool TAV_FrameMapping::isIdentity() const
{
    return m_windowWidthPx == DESIGN_WIDTH_PX && m_windowHeightPx == DESIGN_HEIGHT_PX && !isStretched();
}

bool TAV_FrameMapping::hasBars() const
{
    return m_shown.widthPx != m_windowWidthPx || m_shown.heightPx != m_windowHeightPx;
}

TAV_FrameMapping::Rect TAV_FrameMapping::toDevice(int xPx, int yPx, int widthPx, int heightPx) const
{
    if (isIdentity())
        return Rect{xPx, yPx, widthPx, heightPx};
    const double scale = m_scale;
    const int left = int(std::lround(xPx * scale));
    const int bottom = int(std::lround(yPx * scale));
    const int right = int(std::lround((xPx + widthPx) * scale));
    const int top = int(std::lround((yPx + heightPx) * scale));
    return Rect{m_picture.xPx + left, m_picture.yPx + bottom, right - left, top - bottom};
}

void TAV_FrameMapping::applyViewport() const
{
    glViewport(m_picture.xPx, m_picture.yPx, m_picture.widthPx, m_picture.heightPx);
}

void TAV_FrameMapping::applyScissor(int xPx, int yPx, int widthPx, int heightPx) const
{
    const Rect box = toDevice(xPx, yPx, widthPx, heightPx);
    glScissor(box.xPx, box.yPx, box.widthPx, box.heightPx);
}

bool TAV_FrameMapping::operator==(const TAV_FrameMapping& other) const
{
    return m_windowWidthPx == other.m_windowWidthPx && m_windowHeightPx == other.m_windowHeightPx
        && m_picture.widthPx == other.m_picture.widthPx && m_picture.heightPx == other.m_picture.heightPx;
}
