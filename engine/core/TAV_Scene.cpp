#include "core/TAV_Scene.h"

#include "sys/TAV_Exception.h"

TAV_Scene::TAV_Scene()
    : m_showed(false), clearColorBuffer(true)
{
}

void TAV_Scene::update(int)
{
}

TAV_Scene::~TAV_Scene() noexcept(false)
{
    // A shown scene is still referenced by the root scene, which would update it next frame.
    if (m_showed)
        throw new TAV_Exception(TAV_Exception::SCENE_SHOWN, "unable to delete ROOT SCENE");
}

void TAV_Scene::hidden()
{
    m_showed = false;
}

void TAV_Scene::showed()
{
    m_showed = true;
}
