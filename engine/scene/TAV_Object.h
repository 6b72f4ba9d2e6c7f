// TAV_Object: a renderable scene object, a transform with a mesh, a texture and a material.
//
// The object points at its mesh, texture and material but owns none of them: whoever
// registered them in a container (or created them) deletes them. It can also hold the names
// of the three, which searchPointersForNames() resolves against a container later; a name
// not found there leaves the pointer as it was. Its own name is the TAV_Named part.
#pragma once

#include "core/TAV_IUpdateable.h"  // Required for: the per-frame update interface
#include "scene/TAV_Named.h"
#include "scene/TAV_RTSObject.h"

class TAV_Container;
class TAV_IObjectData;
class TAV_ITexture;
class TAV_Material;

class TAV_Object : public TAV_RTSObject, public TAV_IUpdateable, public TAV_Named {
public:
    static constexpr int TYPE = 10;

    // The identity transform, no mesh, texture or material, and empty names.
    TAV_Object();
    // Releases nothing: the mesh, texture and material belong to someone else.
    ~TAV_Object() noexcept override;

    int getType() const override;

    // Does nothing; derived objects animate themselves here.
    void update(int frameTimeMs) override;

    // Null is allowed for each of the three.
    virtual void setData(TAV_IObjectData* data);
    virtual void setTexture(TAV_ITexture* texture);
    virtual void setMaterial(TAV_Material* material);

    // Forgets the mesh, texture and material and clears every name; keeps the transform.
    void init();

    // A name of 16 characters or more does not fit and is refused: nothing changes.
    void setDataName(const char* name);
    void setTextureName(const char* name);
    void setMaterialName(const char* name);

    // Looks up the material, then the texture, then the mesh by their names in `container`
    // and takes each one found. The empty name is a name like any other.
    void searchPointersForNames(const TAV_Container* container);

    TAV_IObjectData* m_data;
    TAV_ITexture* m_texture;
    TAV_Material* m_material;
    char m_materialName[NAME_SIZE];
    char m_dataName[NAME_SIZE];
    char m_textureName[NAME_SIZE];
};
