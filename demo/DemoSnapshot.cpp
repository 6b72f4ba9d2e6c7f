#include "DemoSnapshot.h"

#include "LoadObject.h"
#include "math/TAV_MATH_Util.h"

void DemoSnapshot::makeRoom(const LoadObject& scene)
{
    sceneState.assign(scene.stateBytes(), 0);
    isValid = false;
}

void DemoSnapshot::save(const LoadObject& scene, const PlayerValues& values)
{
    scene.saveState(sceneState.data());
    random = TAV_MATH_Util::generator();
    glState.save();
    player = values;
    loadTimeMs = scene.m_loadTime;
    musicStarted = scene.musicStarted();
    endTimeMs = scene.m_endTime;
    isValid = true;
}

void DemoSnapshot::restore(LoadObject& scene) const
{
    scene.restoreState(sceneState.data());
    TAV_MATH_Util::generator() = random;
    // Last: the scene's restore binds a texture.
    glState.restore();
}
