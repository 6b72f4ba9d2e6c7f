// TAV_IObjectData: a named triangle mesh held as one interleaved vertex array that OpenGL
// draws as it stands (glInterleavedArrays), and the morphing between meshes of one layout.
//
// Owns m_data (array new, freed in the destructor); getCopy() results belong to the caller.
// Invariant: m_data holds m_stride x m_count floats, per vertex [s t] [nx ny nz] x y z, the
// bracketed parts present only when their flag (fixed at construction) is set.
#pragma once

#include <GL/gl.h>  // Required for: GLenum

#include "math/TAV_Vertex.h"   // Required for: TAV_Vertex
#include "scene/TAV_Named.h"   // Required for: TAV_Named

class TAV_IObjectData : public TAV_Named {
public:
    // Not copyable by value (it owns its array): use getCopy().
    virtual ~TAV_IObjectData();
    TAV_IObjectData(const TAV_IObjectData&) = delete;
    TAV_IObjectData& operator=(const TAV_IObjectData&) = delete;

    // A new, independent mesh of the same kind, layout and data, with the empty name.
    virtual TAV_IObjectData* getCopy() const = 0;
    // Copies this mesh's amount of data (its sizes, not the source's) from source, which must
    // have this layout and at least this size.
    virtual void csetData(const TAV_IObjectData* source) = 0;
    virtual int getType() const = 0;
    // Negates every normal (the sign bit, so 0 becomes -0 and twice restores the bits).
    // Does nothing on a mesh without normals.
    virtual void flipNormals() = 0;
    // Flat normals: each triangle's counter-clockwise normal on its three vertices.
    virtual void faceNormals() = 0;
    // Smooth normals: corners shared by several triangles get the average of their normals.
    virtual void vertexNormals() = 0;
    // One client-array draw call of the whole mesh as GL_TRIANGLES. Sets no other state:
    // texture, material, colour and matrices are the caller's, and the client arrays enabled
    // by glInterleavedArrays stay enabled.
    virtual void renderData() const = 0;

    // out = the four-point cubic from this mesh (t = 0) to target (t = 1), with before and
    // after as the outer control meshes; normals (when present) and positions only, texture
    // coordinates are left as out holds them and normals are not re-normalised. Every mesh
    // must have this layout and at least this vertex count; out may be one of the inputs.
    virtual void interpolateCubic(float t, const TAV_IObjectData* before, const TAV_IObjectData* target,
                                  const TAV_IObjectData* after, TAV_IObjectData* out) const;
    // out = this mesh at t = 0, target at t = 1, under the same rules as interpolateCubic.
    virtual void interpolateLinear(float t, const TAV_IObjectData* target, TAV_IObjectData* out) const;

    // Position and normal of vertex i (0 <= i < m_count); normals only when m_normals is set.
    TAV_Vertex getPosition(int i) const;
    void setPosition(int i, const TAV_Vertex& position);
    TAV_Vertex getNormal(int i) const;
    void setNormal(int i, const TAV_Vertex& normal);

    // Public because generators and effects rewrite positions and texture coordinates directly.
    float* m_data;
    int m_count;
    int m_stride;
    int m_vertexOffset;
    int m_normalOffset;
    int m_texCoordOffset;
    bool m_texCoords;
    bool m_normals;
    GLenum m_format;

protected:
    // Sets the layout for the two flags and allocates m_data for count vertices, zero-filled.
    TAV_IObjectData(int count, bool normals, bool texCoords);

    // The shared body of flipNormals().
    void negateNormals();
    // True when other can stand beside this mesh in a copy or a morph: same layout, at least
    // as many vertices.
    bool fitsLayoutOf(const TAV_IObjectData* other) const;
};
