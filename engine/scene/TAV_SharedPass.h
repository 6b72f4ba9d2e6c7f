// TAV_SharedPass: the reference-counted singleton every concrete render pass is.
//
// `Pass` derives from TAV_SharedPass<Pass> and befriends it, keeping its constructor and
// destructor private. Each getInstance() takes one reference, each deleteInstance() gives
// one back, and the last one destroys the instance; there is at most one per pass type.
#pragma once

#include <cassert>  // Required for: assert()

#include "scene/TAV_IRenderPass.h"

template <class Pass>
class TAV_SharedPass : public TAV_IRenderPass {
public:
    // The instance (created when there is none) with one more reference.
    static Pass* getInstance()
    {
        if (!m_instance)
            m_instance = new Pass();
        ++m_instanceCount;
        return m_instance;
    }
    // References outstanding; 0 when no instance exists.
    static int getInstanceCount() { return m_instanceCount; }

    void deleteInstance() override
    {
        assert(m_instance == this && m_instanceCount > 0);
        if (--m_instanceCount == 0) {
            m_instance = nullptr;
            delete static_cast<Pass*>(this);
        }
    }

protected:
    ~TAV_SharedPass() override {}

private:
    static inline Pass* m_instance = nullptr;
    static inline int m_instanceCount = 0;
};
