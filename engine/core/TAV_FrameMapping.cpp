#include "core/TAV_FrameMapping.h"

#include <GL/gl.h>  // Required for: glViewport(), glScissor()

#include <cmath>    // Required for: std::lround()

TAV_FrameMapping::TAV_FrameMapping()
    : m_windowWidthPx(DESIGN_WIDTH_PX),
      m_windowHeightPx(DESIGN_HEIGHT_PX),
      m_picture{0, 0, DESIGN_WIDTH_PX, DESIGN_HEIGHT_PX},
      m_scale(1.0f)
{
}

void TAV_FrameMapping::fit(int windowWidthPx, int windowHeightPx)
{
    m_windowWidthPx = windowWidthPx < 1 ? 1 : windowWidthPx;
    m_windowHeightPx = windowHeightPx < 1 ? 1 : windowHeightPx;
    // Integer arithmetic (64-bit: 16384 x 600 fits either way), so 1920 x 1080 gives exactly
    // 1440 x 1080 and the scale is exactly 1.8. The axis that limits the picture is filled
    // completely; the other one gets the rounded-down 4:3 share and the bars.
    const long long width = m_windowWidthPx;
    const long long height = m_windowHeightPx;
    if (width * DESIGN_HEIGHT_PX >= height * DESIGN_WIDTH_PX) {
        m_picture.heightPx = m_windowHeightPx;
        m_picture.widthPx = int(height * DESIGN_WIDTH_PX / DESIGN_HEIGHT_PX);
        m_scale = float(double(m_picture.heightPx) / DESIGN_HEIGHT_PX);
    } else {
        m_picture.widthPx = m_windowWidthPx;
        m_picture.heightPx = int(width * DESIGN_HEIGHT_PX / DESIGN_WIDTH_PX);
        m_scale = float(double(m_picture.widthPx) / DESIGN_WIDTH_PX);
    }
    if (m_picture.widthPx < 1)
        m_picture.widthPx = 1;
    if (m_picture.heightPx < 1)
        m_picture.heightPx = 1;
    m_picture.xPx = (m_windowWidthPx - m_picture.widthPx) / 2;
    m_picture.yPx = (m_windowHeightPx - m_picture.heightPx) / 2;
}

bool TAV_FrameMapping::isIdentity() const
{
    return m_windowWidthPx == DESIGN_WIDTH_PX && m_windowHeightPx == DESIGN_HEIGHT_PX;
}

bool TAV_FrameMapping::hasBars() const
{
    return m_picture.widthPx != m_windowWidthPx || m_picture.heightPx != m_windowHeightPx;
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
    return m_windowWidthPx == other.m_windowWidthPx && m_windowHeightPx == other.m_windowHeightPx;
}
