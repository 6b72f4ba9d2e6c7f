// TAV_ObjectData: a plain triangle list - every three consecutive vertices form one triangle,
// counter-clockwise as seen from the side their normals face.
//
// The engine's primitive meshes (TAV_ObjectFactory) are of this kind, and the demo draws
// its sprites, layers and LED figure with them. Owns its vertex array like every
// TAV_IObjectData. m_count should be a multiple of 3; a trailing partial triangle is ignored
// by the normal computations (and by OpenGL when drawing).
#pragma once

#include "geometry/TAV_IObjectData.h"  // Required for: TAV_IObjectData

class TAV_ObjectData : public TAV_IObjectData {
public:
    static const int TYPE = 25;

    // Room for count vertices in the layout of the two flags, zero-filled.
    TAV_ObjectData(int count, bool normals, bool texCoords);

    TAV_ObjectData* getCopy() const override;
    // NOTE: no type check - any mesh of this layout with at least this many vertices will do.
    void csetData(const TAV_IObjectData* source) override;
    int getType() const override;
    void flipNormals() override;
    void faceNormals() override;
    // Averages the records' face normals over every vertex of exactly equal position, so every
    // shared corner is smoothed whatever the angle between its faces. Quadratic in the vertex
    // count: meant for set-up time, not for every frame.
    void vertexNormals() override;
    void renderData() const override;

    // Copies m_stride x m_count floats from data.
    virtual void csetData(const float* data);
};
