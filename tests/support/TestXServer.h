// TestXServer: a private X server for one test process.
//
// Each server is started with -displayfd, so the X server itself picks a free display number
// and tests in parallel processes never collide. The server dies with the test process
// (parent-death signal) and is stopped by the destructor, also when a test fails.
//   Xvfb        GLX through Mesa's llvmpipe; rendering and input (XTEST) tests.
//   XorgDummy   Xorg with the dummy video driver and tests/support/xorg-dummy.conf, which
//               offers 1280x1024 (the desktop mode), 1024x768 and 800x600; the only server
//               here with the XFree86 video-mode extension. Needs root.
#pragma once

#include <sys/types.h>  // Required for: pid_t

#include <string>
#include <vector>

class TestXServer {
public:
    enum Kind { XVFB, XORG_DUMMY };

    // Starts the server and waits until it accepts connections. Throws std::runtime_error
    // with the reason when it cannot start. `extraArgs` go to the server's command line
    // ({"-extension", "GLX"} gives a display without GLX).
    explicit TestXServer(Kind kind, const std::vector<std::string>& extraArgs = {});
    ~TestXServer();
    TestXServer(const TestXServer&) = delete;
    TestXServer& operator=(const TestXServer&) = delete;

    // ":N", usable as DISPLAY.
    const std::string& display() const { return displayName; }

    // The process-wide Xvfb, started on first use; also exported as DISPLAY so that code
    // under test which opens "the" display finds it. Fails the calling test when it cannot
    // start.
    static const char* sharedXvfb();

private:
    pid_t pid = -1;
    std::string displayName;
    std::string logPath;
};
