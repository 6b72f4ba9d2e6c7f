// TestEngine: the engine singleton (window, GL context, root scene) on the test process's
// private Xvfb, for tests that drive the engine in their own process.
//
// The settings given are stored in the "app.cfg" configuration before the engine reads it,
// so they win over any file; the default is a normal 800x600 window. The destructor deletes
// the engine as the program entry does. Xvfb has no video-mode extension: full screen there
// covers the whole 1280x1024 screen. Include <gtest/gtest.h> before this header.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/TAV_Engine.h"

class TestEngine {
public:
    using Settings = std::vector<std::pair<std::string, std::string>>;

    // Fails the calling test (ok() false) when the engine cannot be built.
    explicit TestEngine(const Settings& settings = {{"FULLSCREEN", "0"}});
    ~TestEngine();
    TestEngine(const TestEngine&) = delete;
    TestEngine& operator=(const TestEngine&) = delete;

    bool ok() const { return engine != nullptr; }
    TAV_Engine* operator->() const { return engine; }

private:
    TAV_Engine* engine = nullptr;
};
