// TAV_IUpdateable: everything that is advanced once per frame.
//
// update receives the milliseconds since the previous frame. Owners delete through the
// virtual destructor, which derived scenes may let throw (TAV_Scene refuses to be deleted
// while it is shown). A class that also derives from a base whose virtual destructor does
// not throw (TAV_Named) must declare its own destructor noexcept, or it will not compile.
// Main thread only.
#pragma once

class TAV_IUpdateable {
public:
    static constexpr int TYPE = 40;

    virtual void update(int frameTime) = 0;
    virtual ~TAV_IUpdateable() noexcept(false) {}
    virtual int getType() const { return TYPE; }
};
