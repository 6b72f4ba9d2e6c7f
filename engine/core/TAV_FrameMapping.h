// TAV_FrameMapping: how the 800 x 600 design frame lands on a window of any size.
//
// Scenes are laid out for an 800 x 600 frame. In a window of another size the frame is drawn
// as the largest 4:3 rectangle that fits, centred, with black bars on the other axis
// (pillarbox on wide windows, letterbox on tall ones), and rendered at that rectangle's own
// resolution: every quantity a scene states in design pixels (scissor boxes, frame copies,
// point sizes) is turned into device pixels here, and nowhere else.
// At exactly 800 x 600 the mapping is the identity, so nothing changes there.
// Where the picture would be larger than the driver can render and copy (TAV_GLLimits), the
// frame is rendered at the largest 4:3 size within the limit, in the lower-left corner of
// the place it shows in, and the root scene stretches it over that place every frame.
// A plain value; TAV_Window keeps the current one (m_frame) and refits it on every resize.
// Device pixels count from the window's bottom-left corner, as OpenGL's do.
#pragma once

class TAV_FrameMapping {
public:
    static constexpr int DESIGN_WIDTH_PX = 800;
    static constexpr int DESIGN_HEIGHT_PX = 600;

    // A device rectangle: origin at the bottom left, as glViewport and glScissor take it.
    struct Rect {
        int xPx;
        int yPx;
        int widthPx;
        int heightPx;
    };

    // The identity: an 800 x 600 window.
    TAV_FrameMapping();

    // Fits the design frame into a window of the given size. Sizes below 1 count as 1, and the
    // picture is never smaller than 1 x 1 pixel. largestWidthPx x largestHeightPx: the
    // largest picture the driver renders (0: no limit).
    void fit(int windowWidthPx, int windowHeightPx, int largestWidthPx = 0, int largestHeightPx = 0);

    int windowWidthPx() const { return m_windowWidthPx; }
    int windowHeightPx() const { return m_windowHeightPx; }
    // The picture: the 4:3 rectangle the design frame is rendered into.
    const Rect& picture() const { return m_picture; }
    // Where the picture shows: the largest centred 4:3 rectangle of the window. The same as
    // picture() unless the picture is stretched.
    const Rect& shownPicture() const { return m_shown; }
    // True when the picture is rendered smaller than it shows, the driver's limits being
    // exceeded: it is then stretched from picture() over shownPicture().
    bool isStretched() const;
    // Device pixels per design pixel, in the rendered picture.
    float scale() const { return m_scale; }
    // True when the picture covers the whole window at scale 1 (an 800 x 600 window).
    bool isIdentity() const;
    // True when the shown picture leaves part of the window uncovered.
    bool hasBars() const;

    // A rectangle of the design frame (bottom-left origin) in device pixels. Both edges are
    // rounded, so rectangles that meet in the design frame meet on the screen too.
    Rect toDevice(int xPx, int yPx, int widthPx, int heightPx) const;
    // A length in design pixels (a point size, a line width) in device pixels.
    float toDeviceLength(float lengthPx) const { return lengthPx * m_scale; }

    // glViewport on the picture.
    void applyViewport() const;
    // glScissor on a rectangle of the design frame.
    void applyScissor(int xPx, int yPx, int widthPx, int heightPx) const;

    bool operator==(const TAV_FrameMapping& other) const;
    bool operator!=(const TAV_FrameMapping& other) const { return !(*this == other); }

private:
    int m_windowWidthPx;
    int m_windowHeightPx;
    Rect m_picture;
    Rect m_shown;
    float m_scale;
};
