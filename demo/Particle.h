// Particle: a swarm of flat sprites (or plain points) wandering at random over an 800 x 600
// pixel area, each placed anew when its lifetime runs out.
//
// One object holds the whole swarm; positions are in pixels, for an overlay projection with
// the y axis pointing down. The swarm owns its arrays and its sprite mesh; the sprite texture
// is borrowed and must outlive it. Random draws come from the process-wide generator behind
// TAV_MATH_Util, in a fixed order, so a given seed gives a given swarm. update() and draw()
// allocate nothing. Main thread only; drawing needs the OpenGL context.
#pragma once

#include <cstddef>  // Required for: size_t

// Pointers only: the sources include the engine headers.
class TAV_ObjectData;
class TAV_Texture;

class Particle {
public:
    // Area the particles are placed in, in pixels.
    static constexpr int AREA_WIDTH_PX = 800;
    static constexpr int AREA_HEIGHT_PX = 600;

    // count >= 0 particles living `lifetime` ms (> 0), stepping up to +-speed/2 pixels per ms
    // on each axis, drawn `size` pixels wide in the colour (r, g, b, a). Without a texture
    // the particles are drawn as points of that size.
    Particle(int count, int lifetime, float speed, float size, TAV_Texture* texture, float r, float g,
             float b, float a);
    virtual ~Particle();

    Particle(const Particle&) = delete;
    Particle& operator=(const Particle&) = delete;

    // Ages every particle by frameTime ms; one past its lifetime is placed anew, every other
    // one takes a random step proportional to frameTime.
    void update(int frameTime);
    // Colour of the whole swarm from the next draw() on.
    void setColor(float r, float g, float b, float a);
    // Draws the swarm with the current matrices; blending and depth testing are the caller's.
    void draw();

    // The swarm's state between frames (places, ages, colour) as bytes, for a driver that
    // rewinds the demo: stateBytes() is the room saveState() fills and restoreState() reads;
    // it stays the same for the swarm's life. Nothing is allocated.
    size_t stateBytes() const;
    void saveState(unsigned char* to) const;
    void restoreState(const unsigned char* from);

    int m_count;                // number of particles
    int m_lifetime;             // ms after which a particle is placed anew
    float m_speed;              // range of the random step per ms, in pixels
    TAV_Texture* m_texture;     // sprite picture, borrowed; null for a point swarm
    float* m_positions;         // x y of each particle, pixels
    int* m_ages;                // age of each particle, ms
    float* m_color;             // RGBA of the whole swarm
    float m_size;               // sprite edge or point size, pixels
    bool m_textured;            // the swarm has a sprite picture
    TAV_ObjectData* m_sprite;   // square of m_size pixels around the origin; null for points
};
