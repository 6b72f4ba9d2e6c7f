// TAV_IndexedObjectData: a triangle mesh whose triangles are three consecutive entries of an
// index array, so corners are shared by index rather than repeated.
//
// Owns its vertex array and m_indices (array new, freed in the destructor). Every index must
// be below m_count and m_indexCount should be a multiple of 3. Face normals need a corner per
// triangle and are refused here; getObjectDataCopy() gives the plain triangle list that has them.
#pragma once

#include "geometry/TAV_IObjectData.h"  // Required for: TAV_IObjectData

class TAV_ObjectData;

class TAV_IndexedObjectData : public TAV_IObjectData {
public:
    static const int TYPE = 26;

    // Room for count vertices in the layout of the two flags and indexCount indices, all zero.
    TAV_IndexedObjectData(int count, int indexCount, bool normals, bool texCoords);
    ~TAV_IndexedObjectData() override;

    TAV_IndexedObjectData* getCopy() const override;
    // The un-indexed equivalent: a new triangle list (owned by the caller) whose record k is
    // the record of vertex m_indices[k].
    TAV_ObjectData* getObjectDataCopy() const;
    // Throws TAV_Exception* (-80, "indexed object data needed") unless source is an indexed
    // mesh, copying nothing; otherwise copies this mesh's amount of vertices and indices.
    void csetData(const TAV_IObjectData* source) override;
    int getType() const override;
    void flipNormals() override;
    // Always throws TAV_Exception* (-80, "unable to calculate face normals on a indexed shape").
    void faceNormals() override;
    // Sums each triangle's normal into its three indexed vertices and normalises the sums;
    // only shared indices, not equal positions, join corners. Unused vertices get (0, 0, 0).
    void vertexNormals() override;
    void renderData() const override;

    // Copies m_stride x m_count floats from data and m_indexCount indices from indices.
    virtual void csetData(const float* data, const unsigned int* indices);

    unsigned int* m_indices;
    int m_indexCount;

private:
    // Every index names an existing vertex.
    bool indicesInRange() const;
};
