#include "geometry/TAV_ObjectFactory.h"

#include <algorithm>  // Required for: std::copy_n()
#include <cassert>    // Required for: assert()
#include <iterator>   // Required for: std::begin(), std::end()
#include <memory>     // Required for: std::unique_ptr
#include <vector>     // Required for: std::vector

#include "math/TAV_Vertex.h"     // Required for: TAV_Vertex
#include "scene/TAV_Object.h"   // Required for: the object wrappers

namespace {

// One vertex with every part present; packed into the requested layout by buildMesh().
struct Corner {
    float s, t;
    TAV_Vertex normal;
    TAV_Vertex position;
};

// A new mesh holding the corners in order, with the parts the flags ask for.
TAV_ObjectData* buildMesh(const std::vector<Corner>& corners, bool normals, bool texCoords)
{
    std::unique_ptr<TAV_ObjectData> mesh(new TAV_ObjectData(static_cast<int>(corners.size()), normals, texCoords));
    std::vector<float> records;
    records.reserve(corners.size() * static_cast<size_t>(mesh->m_stride));
    for (const Corner& c : corners) {
        if (texCoords)
            records.insert(records.end(), {c.s, c.t});
        if (normals)
            records.insert(records.end(), {c.normal.x, c.normal.y, c.normal.z});
        records.insert(records.end(), {c.position.x, c.position.y, c.position.z});
    }
    mesh->csetData(records.data());
    return mesh.release();
}

// The first triangle of the plane; also the whole of the triangle primitive.
const Corner UPPER_LEFT_TRIANGLE[3] = {
    {0, 1, {0, 0, 1}, {-0.5f, 0.5f, 0}},
    {0, 0, {0, 0, 1}, {-0.5f, -0.5f, 0}},
    {1, 1, {0, 0, 1}, {0.5f, 0.5f, 0}},
};

const Corner LOWER_RIGHT_TRIANGLE[3] = {
    {1, 1, {0, 0, 1}, {0.5f, 0.5f, 0}},
    {0, 0, {0, 0, 1}, {-0.5f, -0.5f, 0}},
    {1, 0, {0, 0, 1}, {0.5f, -0.5f, 0}},
};

// Cube faces in array order. Each face maps a texture coordinate to a corner of the unit cube
// the same way for both cubes, so that a picture keeps its orientation on a face; the two
// cubes differ in their normals and in which (s, t) their six vertices take.
enum CubeFace { FACE_FRONT, FACE_BACK, FACE_TOP, FACE_BOTTOM, FACE_LEFT, FACE_RIGHT, CUBE_FACES };

TAV_Vertex cubeFaceCorner(int face, float s, float t)
{
    switch (face) {
    case FACE_FRONT: return TAV_Vertex(s - 0.5f, t - 0.5f, 0.5f);
    case FACE_BACK: return TAV_Vertex(0.5f - s, t - 0.5f, -0.5f);
    case FACE_TOP: return TAV_Vertex(s - 0.5f, 0.5f, 0.5f - t);
    case FACE_BOTTOM: return TAV_Vertex(s - 0.5f, -0.5f, t - 0.5f);
    case FACE_LEFT: return TAV_Vertex(-0.5f, t - 0.5f, s - 0.5f);
    default: return TAV_Vertex(0.5f, t - 0.5f, 0.5f - s);
    }
}

struct CubeFaceWinding {
    TAV_Vertex normal;
    float st[6][2];
};

const CubeFaceWinding OUTSIDE_FACES[CUBE_FACES] = {
    {{0, 0, 1}, {{0, 1}, {0, 0}, {1, 1}, {1, 1}, {0, 0}, {1, 0}}},
    {{0, 0, -1}, {{1, 0}, {1, 1}, {0, 1}, {0, 1}, {0, 0}, {1, 0}}},
    {{0, 1, 0}, {{0, 1}, {0, 0}, {1, 1}, {1, 1}, {0, 0}, {1, 0}}},
    {{0, -1, 0}, {{0, 1}, {0, 0}, {1, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{-1, 0, 0}, {{0, 1}, {0, 0}, {1, 1}, {1, 1}, {0, 0}, {1, 0}}},
    {{1, 0, 0}, {{1, 0}, {1, 1}, {0, 1}, {0, 1}, {0, 0}, {1, 0}}},
};

const CubeFaceWinding INSIDE_FACES[CUBE_FACES] = {
    {{0, 0, -1}, {{1, 1}, {0, 0}, {0, 1}, {1, 0}, {0, 0}, {1, 1}}},
    {{0, 0, 1}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},
    {{0, -1, 0}, {{1, 1}, {0, 0}, {0, 1}, {1, 0}, {0, 0}, {1, 1}}},
    {{0, 1, 0}, {{1, 0}, {0, 0}, {0, 1}, {0, 1}, {1, 1}, {1, 0}}},
    {{1, 0, 0}, {{1, 1}, {0, 0}, {0, 1}, {1, 0}, {0, 0}, {1, 1}}},
    {{-1, 0, 0}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},
};

std::vector<Corner> cubeCorners(const CubeFaceWinding (&faces)[CUBE_FACES])
{
    std::vector<Corner> corners;
    for (int face = 0; face < CUBE_FACES; ++face) {
        for (const float* st : faces[face].st)
            corners.push_back({st[0], st[1], faces[face].normal, cubeFaceCorner(face, st[0], st[1])});
    }
    return corners;
}

// The octahedron's triangles by their corners, each counter-clockwise seen from outside.
const TAV_Vertex PLUS_X(1, 0, 0), MINUS_X(-1, 0, 0), PLUS_Y(0, 1, 0), MINUS_Y(0, -1, 0), PLUS_Z(0, 0, 1),
    MINUS_Z(0, 0, -1);
const TAV_Vertex OKTAEDER_TRIANGLES[8][3] = {
    {MINUS_Z, PLUS_Y, PLUS_X}, {PLUS_X, PLUS_Y, PLUS_Z},   {PLUS_Z, PLUS_Y, MINUS_X},  {MINUS_X, PLUS_Y, MINUS_Z},
    {MINUS_Y, MINUS_Z, PLUS_X}, {MINUS_Y, PLUS_X, PLUS_Z}, {MINUS_Y, PLUS_Z, MINUS_X}, {MINUS_Y, MINUS_X, MINUS_Z},
};
const float OKTAEDER_TRIANGLE_ST[3][2] = {{0, 1}, {0, 0}, {1, 0}};

// The record halfway between two records, float by float: P + (Q - P) / 2.
void midpointRecord(const float* p, const float* q, int stride, float* out)
{
    for (int k = 0; k < stride; ++k)
        out[k] = p[k] + (q[k] - p[k]) / 2.0f;
}

// A new object showing `mesh`, which stays the caller's to delete.
TAV_Object* newObjectShowing(TAV_ObjectData* mesh)
{
    std::unique_ptr<TAV_ObjectData> meshGuard(mesh);  // not leaked if the object cannot be made
    TAV_Object* object = new TAV_Object();
    object->setData(meshGuard.release());
    return object;
}

}  // namespace

TAV_ObjectData* TAV_ObjectFactory::createTriangleData(bool normals, bool texCoords)
{
    return buildMesh({std::begin(UPPER_LEFT_TRIANGLE), std::end(UPPER_LEFT_TRIANGLE)}, normals, texCoords);
}

TAV_ObjectData* TAV_ObjectFactory::createPlaneData(bool normals, bool texCoords)
{
    std::vector<Corner> corners(std::begin(UPPER_LEFT_TRIANGLE), std::end(UPPER_LEFT_TRIANGLE));
    corners.insert(corners.end(), std::begin(LOWER_RIGHT_TRIANGLE), std::end(LOWER_RIGHT_TRIANGLE));
    return buildMesh(corners, normals, texCoords);
}

TAV_ObjectData* TAV_ObjectFactory::createCubeData(bool normals, bool texCoords)
{
    return buildMesh(cubeCorners(OUTSIDE_FACES), normals, texCoords);
}

TAV_ObjectData* TAV_ObjectFactory::createInsideCubeData(bool normals, bool texCoords)
{
    return buildMesh(cubeCorners(INSIDE_FACES), normals, texCoords);
}

TAV_ObjectData* TAV_ObjectFactory::createOktaederData(bool normals, bool texCoords)
{
    std::vector<Corner> corners;
    for (const auto& triangle : OKTAEDER_TRIANGLES) {
        for (int c = 0; c < 3; ++c) {
            // Corners of the unit octahedron are their own unit normals.
            corners.push_back({OKTAEDER_TRIANGLE_ST[c][0], OKTAEDER_TRIANGLE_ST[c][1], triangle[c], triangle[c]});
        }
    }
    return buildMesh(corners, normals, texCoords);
}

TAV_Object* TAV_ObjectFactory::createTriangle(bool normals, bool texCoords)
{
    return newObjectShowing(createTriangleData(normals, texCoords));
}

TAV_Object* TAV_ObjectFactory::createPlane(bool normals, bool texCoords)
{
    return newObjectShowing(createPlaneData(normals, texCoords));
}

TAV_Object* TAV_ObjectFactory::createCube(bool normals, bool texCoords)
{
    return newObjectShowing(createCubeData(normals, texCoords));
}

TAV_Object* TAV_ObjectFactory::createInsideCube(bool normals, bool texCoords)
{
    return newObjectShowing(createInsideCubeData(normals, texCoords));
}

TAV_Object* TAV_ObjectFactory::createOktaeder(bool normals, bool texCoords)
{
    return newObjectShowing(createOktaederData(normals, texCoords));
}

void TAV_ObjectFactory::subdiv(TAV_ObjectData* data)
{
    assert(data != nullptr);
    const int stride = data->m_stride;
    const int triangles = data->m_count / 3;
    const int newCount = 4 * 3 * triangles;
    // Every float of a record is split alike, so texture coordinates follow their positions;
    // the normals are replaced by face normals afterwards.
    std::unique_ptr<float[]> split(new float[static_cast<size_t>(newCount) * static_cast<size_t>(stride)]);
    std::vector<float> pqRecord(static_cast<size_t>(stride)), prRecord(pqRecord.size()), rqRecord(pqRecord.size());
    const float* pq = pqRecord.data();
    const float* pr = prRecord.data();
    const float* rq = rqRecord.data();
    float* out = split.get();
    auto emit = [&](const float* record) {
        std::copy_n(record, stride, out);
        out += stride;
    };
    for (int tri = 0; tri < triangles; ++tri) {
        const float* p = data->m_data + (3 * tri) * stride;
        const float* q = p + stride;
        const float* r = q + stride;
        midpointRecord(p, q, stride, pqRecord.data());
        midpointRecord(p, r, stride, prRecord.data());
        midpointRecord(r, q, stride, rqRecord.data());
        // Four triangles, each with the source triangle's winding.
        for (const float* record : {p, pq, pr, pr, pq, rq, pq, q, rq, r, pr, rq})
            emit(record);
    }
    delete[] data->m_data;
    data->m_data = split.release();
    data->m_count = newCount;
    data->faceNormals();
}

void TAV_ObjectFactory::subdiv(TAV_ObjectData* data, int n)
{
    for (int i = 0; i < n; ++i)
        subdiv(data);
}
