// TAV_Renderer: a multi-pass renderer, drawing a whole container once per pass.
//
// A fixed number of pass slots, filled with setPass() and run in slot order; an empty slot
// is skipped. The renderer holds one reference to each pass in its slots (passes are
// reference-counted singletons) and gives it back when the slot is refilled or the renderer
// ends. Typical use: slot 0 the depth pass, slot 1 the default pass. Never copied.
#pragma once

class TAV_Container;
class TAV_IRenderPass;
class TAV_Object;

class TAV_Renderer {
public:
    static constexpr int PASS_DEFAULT = 1;
    static constexpr int PASS_DEPTH = 2;

    // One slot, holding the default pass.
    TAV_Renderer();
    // `passCount` empty slots (none for a negative count).
    explicit TAV_Renderer(int passCount);
    virtual ~TAV_Renderer();
    TAV_Renderer(const TAV_Renderer&) = delete;
    TAV_Renderer& operator=(const TAV_Renderer&) = delete;

    // PASS_DEFAULT or PASS_DEPTH into `slot`; any other type empties it. A slot outside
    // 0 .. count-1 is ignored.
    void setPass(int slot, int type);
    int getPassCount() const { return m_passCount; }
    // The pass in `slot`, or null for an empty slot or one out of range.
    TAV_IRenderPass* getPass(int slot) const;

    // Per pass: setup(), every object of the container (newest first), shutdown().
    void renderContainer(TAV_Container* container);
    // The one object through every pass in slot order, without setup() or shutdown().
    void renderObject(TAV_Object* object);

private:
    int m_passCount;
    TAV_IRenderPass** m_passes;
};
