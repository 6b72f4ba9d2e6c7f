// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include "support/TestEngine.h"

#include <memory>

#include "support/TestGLContext.h"  // Required for: tavtest::pinGLDriverLibraries()
#include "support/TestXServer.h"
#include "sys/TAV_Exception.h"
#include "sys/TAV_SYS_Config.h"

TestEngine::TestEngine(const Settings& settings)
{
    if (!TestXServer::sharedXvfb())
        return;
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
    for (const auto& setting : settings)
        config->setKey(setting.first.c_str(), setting.second.c_str());
    try {
        engine = TAV_Engine::getInstance();
        tavtest::pinGLDriverLibraries();
    } catch (TAV_Exception* e) {
        const std::unique_ptr<TAV_Exception> owned(e);
        ADD_FAILURE() << "engine start-up failed: " << e->getMessage();
    }
}

TestEngine::~TestEngine()
{
    delete TAV_Engine::m_instance;
    TAV_Engine::m_instance = nullptr;
}
