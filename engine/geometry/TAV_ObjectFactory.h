// TAV_ObjectFactory: the engine's primitive meshes - triangle, unit square, cube seen from
// outside, cube seen from inside, octahedron - and the subdivision that splits triangles.
//
// Every generator returns a new TAV_ObjectData owned by the caller, centred on the origin,
// with normals and texture coordinates only when asked (the parameters are, in order,
// normals and texCoords). Positions, normals, texture coordinates and vertex order are the
// same whatever the flags; each triangle is counter-clockwise seen from where its normals point.
#pragma once

#include "geometry/TAV_ObjectData.h"  // Required for: TAV_ObjectData

class TAV_Object;

class TAV_ObjectFactory {
public:
    TAV_ObjectFactory() = delete;

    // One triangle in the plane z = 0, the upper left half of the unit square, facing +z.
    static TAV_ObjectData* createTriangleData(bool normals, bool texCoords);
    // The unit square from -0.5 to 0.5 in the plane z = 0, facing +z, with s = x + 0.5 and
    // t = y + 0.5 (t = 1 at the top edge). 6 vertices.
    static TAV_ObjectData* createPlaneData(bool normals, bool texCoords);
    // The unit cube from -0.5 to 0.5, normals outwards, faces +z, -z, +y, -y, -x, +x.
    // 36 vertices.
    static TAV_ObjectData* createCubeData(bool normals, bool texCoords);
    // The same cube seen from within: normals inwards, windings reversed, so its faces show
    // with back-face culling from inside; each face's texture shows mirrored. 36 vertices.
    static TAV_ObjectData* createInsideCubeData(bool normals, bool texCoords);
    // Eight triangles on the unit points +-X, +-Y, +-Z (radius 1), each normal equal to its
    // position (smooth shading). 24 vertices.
    static TAV_ObjectData* createOktaederData(bool normals, bool texCoords);

    // The same primitives, each set with setData into a new TAV_Object with the identity
    // transform. NOTE: the caller owns the object AND its mesh (object->m_data): an object
    // never deletes its mesh, so register the mesh in a container or delete it yourself.
    static TAV_Object* createTriangle(bool normals, bool texCoords);
    static TAV_Object* createPlane(bool normals, bool texCoords);
    static TAV_Object* createCube(bool normals, bool texCoords);
    static TAV_Object* createInsideCube(bool normals, bool texCoords);
    static TAV_Object* createOktaeder(bool normals, bool texCoords);

    // Splits every triangle into four at its edge midpoints (texture coordinates alike) in
    // place; the shape is unchanged and normals become flat face normals.
    static void subdiv(TAV_ObjectData* data);
    // subdiv n times; n < 1 leaves the mesh untouched.
    static void subdiv(TAV_ObjectData* data, int n);
};
