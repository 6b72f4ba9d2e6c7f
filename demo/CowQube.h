// CowQube: the demo's LED figure, 62 small cubes laid out flat in the XY plane, and the
// patterns that light, fly, breathe and twist it.
//
// Owns its LED positions, the cube mesh every LED is drawn with and the cow picture that the
// breathing patterns reflect on the cubes (all released by the destructor). The demo scene
// reads and writes m_zoom, m_zoomIn, m_onColor and m_offColor between frames and borrows
// m_texture as a mask picture. Every pattern keeps its own millisecond clock, advanced by the
// frame time it is given (a negative frame time runs it backwards). Main thread only, with
// the OpenGL context current from construction to destruction.
#pragma once

// Pointers only: the sources include the engine headers.
class TAV_ObjectData;
class TAV_Texture;

class CowQube {
public:
    // LEDs in the figure, and the room m_points has (three floats per LED).
    static constexpr int LED_COUNT = 62;
    static constexpr int LED_CAPACITY = 64;

    // The four lit/unlit patterns, for isLit().
    enum LedPattern { LED_DOT, LED_RING, LED_LINE, LED_DOUBLE_LINE };

    // Builds the figure and loads "data/cow_cube.png"; the picture's exceptions pass through
    // and leave nothing behind.
    CowQube();
    virtual ~CowQube();

    CowQube(const CowQube&) = delete;
    CowQube& operator=(const CowQube&) = delete;

    // All LEDs in one colour, untextured, at their places.
    void draw(float r, float g, float b, float a);
    // All LEDs white, flying towards the viewer at 10 units per second from one unit behind.
    void drawPuls(int frameTime);
    // A lit disc growing from the centre.
    void drawLedDot(int frameTime);
    // A lit ring expanding from the centre.
    void drawLedRing(int frameTime);
    // A lit vertical bar sweeping from left to right.
    void drawLedLine(int frameTime);
    // Two lit bars moving apart from the centre.
    void drawLedDoubleLine(int frameTime);
    // The figure breathing between 1 and 5 times its size, the cow picture reflected on it.
    void draw(int frameTime);
    // As draw(int), each LED also turned more the further out the figure breathes.
    void drawRot(int frameTime);

    // Whether LED `index` is lit by `pattern` at that pattern's current clock: the rule the
    // lit/unlit patterns draw by.
    bool isLit(LedPattern pattern, int index) const;

    // The figure's state between frames (zoom, pattern clocks, colours) as plain values, for
    // a driver that rewinds the demo. The LED places, mesh and picture never change.
    struct State {
        float zoom;
        bool zoomIn;
        int drawTime, rotTime, dotTime, ringTime, lineTime, doubleLineTime, pulsTime;
        float onColor[3];
        float offColor[3];
    };
    void saveState(State& to) const;
    void restoreState(const State& from);

    float* m_points;             // LED positions, x y z per LED, room for LED_CAPACITY
    TAV_ObjectData* m_ledMesh;   // unit cube, -0.5 to 0.5, with normals and texture coordinates
    float m_zoom;                // position factor of draw(int) and drawRot, between 1 and 5
    bool m_zoomIn;               // m_zoom is growing (true) or shrinking (false)
    TAV_Texture* m_texture;      // "data/cow_cube.png", sphere-mapped by draw(int) and drawRot
    int m_drawTime;              // ms, clock of draw(int)
    int m_rotTime;               // ms, clock of drawRot
    int m_dotTime;               // ms, clock of drawLedDot
    int m_ringTime;              // ms, clock of drawLedRing
    int m_lineTime;              // ms, clock of drawLedLine
    int m_doubleLineTime;        // ms, clock of drawLedDoubleLine
    float m_onColor[3];          // RGB of lit LEDs
    float m_offColor[3];         // RGB of unlit LEDs
    int m_pulsTime;              // ms, clock of drawPuls

private:
    // Draws the lit/unlit pattern whose clock has just been advanced.
    void drawLitPattern(LedPattern pattern);
    // The breathing step shared by draw(int) and drawRot: m_zoom moves between 1 and 5.
    void breathe(int frameTimeMs);
    // Draws the sphere-mapped LEDs at m_zoom times their places, twisted when asked.
    void drawBreathing(bool twisted, int frameTimeMs);
};
