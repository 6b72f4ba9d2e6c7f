#include "geometry/TAV_ObjectData.h"

#include <GL/gl.h>  // Required for: glInterleavedArrays(), glDrawArrays()

#include <algorithm>  // Required for: std::copy_n()
#include <cassert>    // Required for: assert()
#include <memory>     // Required for: std::unique_ptr
#include <vector>     // Required for: std::vector

#include "core/TAV_Engine.h"       // Required for: frames rehearsed without drawing
#include "math/TAV_MATH_Vector.h"  // Required for: TAV_MATH_Vector::calculateNormal(), normalize()

TAV_ObjectData::TAV_ObjectData(int count, bool normals, bool texCoords)
    : TAV_IObjectData(count, normals, texCoords)
{
}

TAV_ObjectData* TAV_ObjectData::getCopy() const
{
    std::unique_ptr<TAV_ObjectData> copy(new TAV_ObjectData(m_count, m_normals, m_texCoords));
    copy->csetData(m_data);
    return copy.release();
}

void TAV_ObjectData::csetData(const TAV_IObjectData* source)
{
    assert(fitsLayoutOf(source));
    csetData(source->m_data);
}

int TAV_ObjectData::getType() const
{
    return TYPE;
}

void TAV_ObjectData::flipNormals()
{
    negateNormals();
}

void TAV_ObjectData::faceNormals()
{
    if (!m_normals)
        return;
    for (int i = 0; i + 2 < m_count; i += 3) {
        TAV_Vertex normal;
        TAV_MATH_Vector::calculateNormal(getPosition(i), getPosition(i + 1), getPosition(i + 2), normal);
        setNormal(i, normal);
        setNormal(i + 1, normal);
        setNormal(i + 2, normal);
    }
}

void TAV_ObjectData::vertexNormals()
{
    if (!m_normals)
        return;
    faceNormals();

    // Summed into a separate array so that every vertex averages the same face normals,
    // whatever order the vertices come in.
    std::vector<TAV_Vertex> smoothed(static_cast<size_t>(m_count));
    for (int i = 0; i < m_count; ++i) {
        const TAV_Vertex position = getPosition(i);
        TAV_Vertex sum;
        int sharing = 0;
        for (int j = 0; j < m_count; ++j) {
            // Exact equality: generators place shared corners at bit-identical positions.
            if (getPosition(j) == position) {
                sum = sum + getNormal(j);
                ++sharing;
            }
        }
        // A vertex matches itself unless its position holds a not-a-number; such a vertex
        // gets a zero normal rather than a division by zero.
        if (sharing > 0)
            sum = TAV_Vertex(sum.x / sharing, sum.y / sharing, sum.z / sharing);
        TAV_MATH_Vector::normalize(sum);
        smoothed[static_cast<size_t>(i)] = sum;
    }
    for (int i = 0; i < m_count; ++i)
        setNormal(i, smoothed[static_cast<size_t>(i)]);
}

void TAV_ObjectData::renderData() const
{
    if (TAV_Engine::m_drawingSkipped)
        return;
    glInterleavedArrays(m_format, 0, m_data);
    glDrawArrays(GL_TRIANGLES, 0, m_count);
}

void TAV_ObjectData::csetData(const float* data)
{
    std::copy_n(data, static_cast<size_t>(m_stride) * static_cast<size_t>(m_count), m_data);
}
