#include "scene/TAV_Renderer.h"

#include <cstddef>  // Required for: size_t

#include "scene/TAV_Container.h"
#include "scene/TAV_DefaultPass.h"
#include "scene/TAV_DepthPass.h"

TAV_Renderer::TAV_Renderer()
    : TAV_Renderer(1)
{
    setPass(0, PASS_DEFAULT);
}

TAV_Renderer::TAV_Renderer(int passCount)
    : m_passCount(passCount > 0 ? passCount : 0),
      m_passes(new TAV_IRenderPass*[size_t(m_passCount)]())
{
}

TAV_Renderer::~TAV_Renderer()
{
    for (int slot = 0; slot < m_passCount; ++slot)
        if (m_passes[slot])
            m_passes[slot]->deleteInstance();
    delete[] m_passes;
}

void TAV_Renderer::setPass(int slot, int type)
{
    if (slot < 0 || slot >= m_passCount)
        return;
    TAV_IRenderPass* const previous = m_passes[slot];
    if (type == PASS_DEFAULT)
        m_passes[slot] = TAV_DefaultPass::getInstance();
    else if (type == PASS_DEPTH)
        m_passes[slot] = TAV_DepthPass::getInstance();
    else
        m_passes[slot] = nullptr;
    // Released after the new reference is taken, so that putting the same pass into its
    // own slot again never lets the singleton die in between.
    if (previous)
        previous->deleteInstance();
}

TAV_IRenderPass* TAV_Renderer::getPass(int slot) const
{
    if (slot < 0 || slot >= m_passCount)
        return nullptr;
    return m_passes[slot];
}

void TAV_Renderer::renderContainer(TAV_Container* container)
{
    for (int slot = 0; slot < m_passCount; ++slot) {
        TAV_IRenderPass* const pass = m_passes[slot];
        if (!pass)
            continue;
        pass->setup();
        for (TAV_Object* object : container->getObjects())
            pass->renderObject(object);
        pass->shutdown();
    }
}

void TAV_Renderer::renderObject(TAV_Object* object)
{
    for (int slot = 0; slot < m_passCount; ++slot)
        if (m_passes[slot])
            m_passes[slot]->renderObject(object);
}
