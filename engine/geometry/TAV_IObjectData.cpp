#include "geometry/TAV_IObjectData.h"

#include <cassert>  // Required for: assert()

#include "math/TAV_MATH_Util.h"  // Required for: TAV_MATH_Util::interpolateCubic(), interpolateLinear()

namespace {

// Calls visit(k) for the index k of every float a morph changes, in the order the morph
// walks them: per vertex the three normal floats (when present), then the three position
// floats. Texture coordinates are never visited.
template <typename Visit>
void forEachMorphedFloat(const TAV_IObjectData& mesh, Visit visit)
{
    for (int i = 0; i < mesh.m_count; ++i) {
        const int record = i * mesh.m_stride;
        if (mesh.m_normals) {
            for (int c = 0; c < 3; ++c)
                visit(record + mesh.m_normalOffset + c);
        }
        for (int c = 0; c < 3; ++c)
            visit(record + mesh.m_vertexOffset + c);
    }
}

}  // namespace

TAV_IObjectData::~TAV_IObjectData()
{
    delete[] m_data;
}

void TAV_IObjectData::interpolateCubic(float t, const TAV_IObjectData* before, const TAV_IObjectData* target,
                                       const TAV_IObjectData* after, TAV_IObjectData* out) const
{
    assert(fitsLayoutOf(before) && fitsLayoutOf(target) && fitsLayoutOf(after) && fitsLayoutOf(out));
    const float* p0 = before->m_data;
    const float* p2 = target->m_data;
    const float* p3 = after->m_data;
    float* result = out->m_data;
    forEachMorphedFloat(*this, [&](int k) {
        result[k] = TAV_MATH_Util::interpolateCubic(t, p0[k], m_data[k], p2[k], p3[k]);
    });
}

void TAV_IObjectData::interpolateLinear(float t, const TAV_IObjectData* target, TAV_IObjectData* out) const
{
    assert(fitsLayoutOf(target) && fitsLayoutOf(out));
    const float* to = target->m_data;
    float* result = out->m_data;
    forEachMorphedFloat(*this, [&](int k) { result[k] = TAV_MATH_Util::interpolateLinear(t, m_data[k], to[k]); });
}

TAV_Vertex TAV_IObjectData::getPosition(int i) const
{
    const float* p = m_data + i * m_stride + m_vertexOffset;
    return TAV_Vertex(p[0], p[1], p[2]);
}

void TAV_IObjectData::setPosition(int i, const TAV_Vertex& position)
{
    float* p = m_data + i * m_stride + m_vertexOffset;
    p[0] = position.x;
    p[1] = position.y;
    p[2] = position.z;
}

TAV_Vertex TAV_IObjectData::getNormal(int i) const
{
    assert(m_normals);
    const float* n = m_data + i * m_stride + m_normalOffset;
    return TAV_Vertex(n[0], n[1], n[2]);
}

void TAV_IObjectData::setNormal(int i, const TAV_Vertex& normal)
{
    assert(m_normals);
    float* n = m_data + i * m_stride + m_normalOffset;
    n[0] = normal.x;
    n[1] = normal.y;
    n[2] = normal.z;
}

TAV_IObjectData::TAV_IObjectData(int count, bool normals, bool texCoords)
    : m_data(nullptr)
    , m_count(count)
    , m_stride(3 + (normals ? 3 : 0) + (texCoords ? 2 : 0))
    , m_vertexOffset((texCoords ? 2 : 0) + (normals ? 3 : 0))
    // The normal sits after the texture coordinate whether or not normals are present, so
    // the offset is defined (and must not be used) in the layouts without normals too.
    , m_normalOffset(texCoords ? 2 : 0)
    , m_texCoordOffset(0)
    , m_texCoords(texCoords)
    , m_normals(normals)
    , m_format(normals ? (texCoords ? GL_T2F_N3F_V3F : GL_N3F_V3F) : (texCoords ? GL_T2F_V3F : GL_V3F))
{
    assert(count >= 0);
    // Zero-filled rather than left undefined: a mesh drawn before it is filled shows nothing
    // instead of garbage.
    m_data = new float[static_cast<size_t>(m_stride) * static_cast<size_t>(count)]();
}

void TAV_IObjectData::negateNormals()
{
    // Without normals the offset points at texture coordinates or positions: leave them.
    if (!m_normals)
        return;
    for (int i = 0; i < m_count; ++i) {
        float* n = m_data + i * m_stride + m_normalOffset;
        n[0] = -n[0];
        n[1] = -n[1];
        n[2] = -n[2];
    }
}

bool TAV_IObjectData::fitsLayoutOf(const TAV_IObjectData* other) const
{
    // The stride alone tells the layout apart: 3, 6, 5 and 8 floats belong to one flag pair each.
    return other != nullptr && other->m_stride == m_stride && other->m_count >= m_count;
}
