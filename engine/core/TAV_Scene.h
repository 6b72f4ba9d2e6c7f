// TAV_Scene: the base class of user scenes (the demo scene is one).
//
// A scene is shown while it is the root scene's current sub-scene: showed() and hidden()
// bracket that time, and update(frameTime) runs once per frame in between. The root scene
// owns a scene handed to it and hides it before deleting it; deleting a scene that is still
// shown throws TAV_Exception* (-90, "unable to delete ROOT SCENE"). A derived scene that
// draws the whole frame itself may set clearColorBuffer to false in its constructor.
#pragma once

#include "core/TAV_IUpdateable.h"  // Required for: the per-frame interface

class TAV_Scene : public TAV_IUpdateable {
public:
    static constexpr int TYPE = 41;

    TAV_Scene();
    void update(int frameTime) override;
    ~TAV_Scene() noexcept(false) override;
    int getType() const override { return TYPE; }
    virtual void hidden();
    virtual void showed();

    bool isShowed() const { return m_showed; }
    // Whether the root scene clears the colour buffer each frame while this scene is shown.
    bool isColorBufferCleared() const { return clearColorBuffer; }

protected:
    bool m_showed;
    bool clearColorBuffer;
};
