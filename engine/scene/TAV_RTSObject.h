// TAV_RTSObject: a transform made of a translation, rotation angles and scale factors.
//
// The three parts accumulate (translate adds, rotate adds degrees, scale multiplies) or are
// replaced, and setGLMatrix() multiplies them onto the current OpenGL matrix as
// Scale x Translate x Rx x Ry x Rz: a vertex is rotated about z, then y, then x, then moved,
// then scaled, so the translation is scaled too. Angles are in degrees and never wrapped.
#pragma once

class TAV_RTSObject {
public:
    static constexpr int TYPE = 13;

    // Translation (0, 0, 0), scale (1, 1, 1), rotation (0, 0, 0).
    TAV_RTSObject();
    // Virtual so that a derived object deleted through this base is destroyed whole.
    virtual ~TAV_RTSObject() {}

    virtual int getType() const;

    virtual void translate(float dx, float dy, float dz);
    virtual void rotate(float angleXDeg, float angleYDeg, float angleZDeg);
    virtual void scale(float sx, float sy, float sz);
    virtual void setTranslate(float x, float y, float z);
    virtual void setRotate(float angleXDeg, float angleYDeg, float angleZDeg);
    virtual void setScale(float sx, float sy, float sz);
    // The array variants read the first three floats.
    virtual void setTranslate(const float* xyz);
    virtual void setRotate(const float* anglesDeg);
    virtual void setScale(const float* factors);

    // Multiplies the current OpenGL matrix by the transform; neither pushes nor resets it.
    virtual void setGLMatrix() const;

    float m_translate[3];
    float m_scale[3];
    float m_rotate[3];
};
