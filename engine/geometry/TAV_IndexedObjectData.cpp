#include "geometry/TAV_IndexedObjectData.h"

#include <GL/gl.h>  // Required for: glInterleavedArrays(), glDrawElements()

#include <algorithm>  // Required for: std::copy_n(), std::all_of()
#include <cassert>    // Required for: assert()
#include <memory>     // Required for: std::unique_ptr
#include <vector>     // Required for: std::vector

#include "core/TAV_Engine.h"            // Required for: frames rehearsed without drawing
#include "geometry/TAV_ObjectData.h"  // Required for: TAV_ObjectData (getObjectDataCopy)
#include "math/TAV_MATH_Vector.h"     // Required for: TAV_MATH_Vector::calculateNormal(), normalize()
#include "sys/TAV_Exception.h"        // Required for: TAV_Exception

TAV_IndexedObjectData::TAV_IndexedObjectData(int count, int indexCount, bool normals, bool texCoords)
    : TAV_IObjectData(count, normals, texCoords)
    , m_indices(nullptr)
    , m_indexCount(indexCount)
{
    assert(indexCount >= 0);
    // Zero indices all name vertex 0, so an unfilled mesh is still safe to draw.
    m_indices = new unsigned int[static_cast<size_t>(indexCount)]();
}

TAV_IndexedObjectData::~TAV_IndexedObjectData()
{
    delete[] m_indices;
}

TAV_IndexedObjectData* TAV_IndexedObjectData::getCopy() const
{
    std::unique_ptr<TAV_IndexedObjectData> copy(new TAV_IndexedObjectData(m_count, m_indexCount, m_normals, m_texCoords));
    copy->csetData(m_data, m_indices);
    return copy.release();
}

TAV_ObjectData* TAV_IndexedObjectData::getObjectDataCopy() const
{
    assert(indicesInRange());
    const size_t stride = static_cast<size_t>(m_stride);
    std::vector<float> records(stride * static_cast<size_t>(m_indexCount));
    for (int k = 0; k < m_indexCount; ++k)
        std::copy_n(m_data + m_indices[k] * stride, stride, records.data() + static_cast<size_t>(k) * stride);
    std::unique_ptr<TAV_ObjectData> flat(new TAV_ObjectData(m_indexCount, m_normals, m_texCoords));
    flat->csetData(records.data());
    return flat.release();
}

void TAV_IndexedObjectData::csetData(const TAV_IObjectData* source)
{
    if (source->getType() != TYPE)
        throw new TAV_Exception(TAV_Exception::IMPOSSIBLE_OPERATION, "indexed object data needed");
    const TAV_IndexedObjectData* indexed = static_cast<const TAV_IndexedObjectData*>(source);
    assert(fitsLayoutOf(indexed) && indexed->m_indexCount >= m_indexCount);
    csetData(indexed->m_data, indexed->m_indices);
}

int TAV_IndexedObjectData::getType() const
{
    return TYPE;
}

void TAV_IndexedObjectData::flipNormals()
{
    negateNormals();
}

void TAV_IndexedObjectData::faceNormals()
{
    // A vertex shared by triangles facing different ways has room for one normal only.
    throw new TAV_Exception(TAV_Exception::IMPOSSIBLE_OPERATION, "unable to calculate face normals on a indexed shape");
}

void TAV_IndexedObjectData::vertexNormals()
{
    if (!m_normals)
        return;
    assert(indicesInRange());
    std::vector<TAV_Vertex> sums(static_cast<size_t>(m_count));
    for (int k = 0; k + 2 < m_indexCount; k += 3) {
        const unsigned int a = m_indices[k], b = m_indices[k + 1], d = m_indices[k + 2];
        TAV_Vertex normal;
        TAV_MATH_Vector::calculateNormal(getPosition(int(a)), getPosition(int(b)), getPosition(int(d)), normal);
        sums[a] = sums[a] + normal;
        sums[b] = sums[b] + normal;
        sums[d] = sums[d] + normal;
    }
    for (int v = 0; v < m_count; ++v) {
        TAV_MATH_Vector::normalize(sums[static_cast<size_t>(v)]);
        setNormal(v, sums[static_cast<size_t>(v)]);
    }
}

void TAV_IndexedObjectData::renderData() const
{
    if (TAV_Engine::m_drawingSkipped)
        return;
    glInterleavedArrays(m_format, 0, m_data);
    glDrawElements(GL_TRIANGLES, m_indexCount, GL_UNSIGNED_INT, m_indices);
}

void TAV_IndexedObjectData::csetData(const float* data, const unsigned int* indices)
{
    std::copy_n(data, static_cast<size_t>(m_stride) * static_cast<size_t>(m_count), m_data);
    std::copy_n(indices, static_cast<size_t>(m_indexCount), m_indices);
}

bool TAV_IndexedObjectData::indicesInRange() const
{
    return std::all_of(m_indices, m_indices + m_indexCount,
                       [this](unsigned int index) { return index < static_cast<unsigned int>(m_count); });
}
