// TAV_IRenderPass: one pass of a multi-pass renderer over all objects of a container.
//
// A renderer calls setup() once, renderObject() for each object, then shutdown(), which
// undoes what setup() must not leave behind. Passes are reference-counted singletons: each
// getInstance() of a concrete pass is balanced by one deleteInstance(), and the last one
// destroys the pass. Only deleteInstance() may destroy a pass.
#pragma once

class TAV_Object;

class TAV_IRenderPass {
public:
    // Gives back one reference taken with getInstance(); the last one destroys the pass.
    virtual void deleteInstance() = 0;
    virtual void renderObject(TAV_Object* object) = 0;
    virtual void setup() = 0;
    virtual void shutdown() = 0;

protected:
    virtual ~TAV_IRenderPass() {}
};
