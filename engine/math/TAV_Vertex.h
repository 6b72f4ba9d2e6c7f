// TAV_Vertex: a point or direction in 3D, the engine's shared vector value type.
//
// Exactly three floats x, y, z stored contiguously in that order and nothing else, so an
// array of vertices can be handed to OpenGL or laid over a mesh's position floats. It owns
// nothing and is copied by value. The operators are plain component-wise arithmetic; the
// geometric helpers (normalising, products, rotations) live in TAV_MATH_Vector.
#pragma once

struct TAV_Vertex {
    float x;
    float y;
    float z;

    // The origin, so that a vertex never starts with garbage.
    TAV_Vertex() : x(0.0f), y(0.0f), z(0.0f) {}
    TAV_Vertex(float x, float y, float z) : x(x), y(y), z(z) {}

    TAV_Vertex operator+(const TAV_Vertex& o) const { return TAV_Vertex(x + o.x, y + o.y, z + o.z); }
    TAV_Vertex operator-(const TAV_Vertex& o) const { return TAV_Vertex(x - o.x, y - o.y, z - o.z); }
    TAV_Vertex operator-() const { return TAV_Vertex(-x, -y, -z); }
    TAV_Vertex operator*(float s) const { return TAV_Vertex(x * s, y * s, z * s); }

    // Exact float comparison: meshes join corners whose positions are bit-for-bit equal.
    bool operator==(const TAV_Vertex& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const TAV_Vertex& o) const { return !(*this == o); }
};

static_assert(sizeof(TAV_Vertex) == 3 * sizeof(float), "TAV_Vertex must be exactly three packed floats");
