#include "Particle.h"

#include <GL/gl.h>  // Required for: matrix stack, colour, point size, client vertex arrays

#include <cassert>  // Required for: assert()
#include <cstring>  // Required for: memcpy() of the saved state
#include <memory>   // Required for: std::unique_ptr (construction that may throw half-way)

// Required for: TAV_ObjectData (the sprite's vertex array, renderData())
#include "geometry/TAV_ObjectData.h"
// Required for: TAV_ObjectFactory::createPlaneData()
#include "geometry/TAV_ObjectFactory.h"
// Required for: TAV_Texture::activate()
#include "image/TAV_Texture.h"
// Required for: TAV_MATH_Util::randomf(), randomfP()
#include "math/TAV_MATH_Util.h"
#include "core/TAV_Engine.h"  // Required for: frames rehearsed without drawing
#include "core/TAV_Window.h"  // Required for: point sizes in design pixels

namespace {

// A new place anywhere in the area; x is drawn before y, which fixes the random sequence.
void placeAnew(float* position)
{
    position[0] = TAV_MATH_Util::randomfP(float(Particle::AREA_WIDTH_PX));
    position[1] = TAV_MATH_Util::randomfP(float(Particle::AREA_HEIGHT_PX));
}

// The factory's unit plane stretched to a square of sizePx pixels around the origin.
TAV_ObjectData* createSprite(float sizePx)
{
    TAV_ObjectData* sprite = TAV_ObjectFactory::createPlaneData(true, true);
    for (int i = 0; i < sprite->m_count; ++i) {
        float* position = sprite->m_data + i * sprite->m_stride + sprite->m_vertexOffset;
        position[0] *= sizePx;
        position[1] *= sizePx;
    }
    return sprite;
}

}  // namespace

Particle::Particle(int count, int lifetime, float speed, float size, TAV_Texture* texture, float r, float g,
                   float b, float a)
    : m_count(count),
      m_lifetime(lifetime),
      m_speed(speed),
      m_texture(texture),
      m_positions(nullptr),
      m_ages(nullptr),
      m_color(nullptr),
      m_size(size),
      m_textured(texture != nullptr),
      m_sprite(nullptr)
{
    assert(count >= 0);
    // update() takes ages modulo the lifetime.
    assert(lifetime > 0);

    std::unique_ptr<TAV_ObjectData> sprite(m_textured ? createSprite(size) : nullptr);
    std::unique_ptr<float[]> positions(new float[2 * count]);
    std::unique_ptr<int[]> ages(new int[count]);
    std::unique_ptr<float[]> color(new float[4]{r, g, b, a});

    // Ages start spread over the whole lifetime, so the particles do not all expire together.
    for (int i = 0; i < count; ++i) {
        placeAnew(&positions[2 * i]);
        ages[i] = int(TAV_MATH_Util::randomfP(float(lifetime)));
    }

    m_sprite = sprite.release();
    m_positions = positions.release();
    m_ages = ages.release();
    m_color = color.release();
}

Particle::~Particle()
{
    delete m_sprite;
    delete[] m_color;
    delete[] m_ages;
    delete[] m_positions;
}

void Particle::update(int frameTime)
{
    for (int i = 0; i < m_count; ++i) {
        float* position = m_positions + 2 * i;
        m_ages[i] += frameTime;
        if (m_ages[i] > m_lifetime) {
            // Keep the overshoot, so the particle's next life is already that much under way.
            m_ages[i] %= m_lifetime;
            placeAnew(position);
        } else {
            // A random walk; nothing keeps the particle inside the area.
            position[0] += TAV_MATH_Util::randomf(m_speed) * float(frameTime);
            position[1] += TAV_MATH_Util::randomf(m_speed) * float(frameTime);
        }
    }
}

void Particle::setColor(float r, float g, float b, float a)
{
    m_color[0] = r;
    m_color[1] = g;
    m_color[2] = b;
    m_color[3] = a;
}

void Particle::draw()
{
    glColor4fv(m_color);
    if (m_textured) {
        glEnable(GL_TEXTURE_2D);
        m_texture->activate();
        for (int i = 0; i < m_count; ++i) {
            glPushMatrix();
            glTranslatef(m_positions[2 * i], m_positions[2 * i + 1], 0.0f);
            m_sprite->renderData();
            glPopMatrix();
        }
    } else {
        glDisable(GL_TEXTURE_2D);
        glPointSize(TAV_Window::m_frame.toDeviceLength(m_size));
        if (TAV_Engine::m_drawingSkipped)
            return;
        // All points in one call, straight from the position array.
        glInterleavedArrays(GL_V2F, 0, m_positions);
        glDrawArrays(GL_POINTS, 0, m_count);
    }
}

size_t Particle::stateBytes() const
{
    return size_t(m_count) * (2 * sizeof(float) + sizeof(int)) + 4 * sizeof(float);
}

void Particle::saveState(unsigned char* to) const
{
    std::memcpy(to, m_positions, size_t(m_count) * 2 * sizeof(float));
    to += size_t(m_count) * 2 * sizeof(float);
    std::memcpy(to, m_ages, size_t(m_count) * sizeof(int));
    to += size_t(m_count) * sizeof(int);
    std::memcpy(to, m_color, 4 * sizeof(float));
}

void Particle::restoreState(const unsigned char* from)
{
    std::memcpy(m_positions, from, size_t(m_count) * 2 * sizeof(float));
    from += size_t(m_count) * 2 * sizeof(float);
    std::memcpy(m_ages, from, size_t(m_count) * sizeof(int));
    from += size_t(m_count) * sizeof(int);
    std::memcpy(m_color, from, 4 * sizeof(float));
}
