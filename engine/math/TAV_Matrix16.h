// TAV_Matrix16: a 4x4 transform in OpenGL's column-major order, the engine's shared matrix type.
//
// Sixteen floats and nothing else: the element in row i and column j is at index 4j + i, so
// indices 0-2, 4-6 and 8-10 hold the linear 3x3 part column by column, 12-14 the translation
// and 3, 7, 11, 15 the bottom row. data() can go straight to glLoadMatrixf/glGetFloatv and to
// every function that takes a `float*` matrix. A new matrix is the identity.
#pragma once

struct TAV_Matrix16 {
    float m[16];

    TAV_Matrix16() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

    float& operator[](int index) { return m[index]; }
    const float& operator[](int index) const { return m[index]; }

    float* data() { return m; }
    const float* data() const { return m; }
};

static_assert(sizeof(TAV_Matrix16) == 16 * sizeof(float), "TAV_Matrix16 must be exactly sixteen packed floats");
