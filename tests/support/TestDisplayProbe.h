// TestDisplayProbe: a second client on an X server, to look at what a program under test did
// to it: the video mode, keyboard auto-repeat, the top-level windows and the grabs.
//
// It opens its own connection (closed by the destructor) and changes nothing on the server,
// apart from grabs it releases at once. Include <gtest/gtest.h> before this header.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

class TestDisplayProbe {
public:
    struct WindowInfo {
        Window id;
        int x, y, width, height;
        bool overrideRedirect;
        bool viewable;
        std::string name;  // WM_NAME, empty when none
    };

    // Fails the calling test (ok() false) when the display cannot be opened.
    explicit TestDisplayProbe(const std::string& display);
    ~TestDisplayProbe();
    TestDisplayProbe(const TestDisplayProbe&) = delete;
    TestDisplayProbe& operator=(const TestDisplayProbe&) = delete;

    bool ok() const { return dpy != nullptr; }
    Display* display() const { return dpy; }

    // The current video mode's size, by the video-mode extension; 0 x 0 without it.
    int modeWidth() const;
    int modeHeight() const;
    // The server-wide keyboard auto-repeat setting.
    bool autoRepeatOn() const;
    // The mapped children of the root window, bottom to top.
    std::vector<WindowInfo> viewableTopLevelWindows() const;
    // Whether another client holds the keyboard / the pointer grabbed (found by trying).
    bool keyboardGrabbedElsewhere() const;
    bool pointerGrabbedElsewhere() const;

    // Polls `condition` every 20 ms; false when it did not hold within `timeoutMs`.
    template <class Condition>
    static bool waitFor(Condition condition, int timeoutMs);

private:
    Display* dpy = nullptr;
};

#include <chrono>
#include <thread>

template <class Condition>
bool TestDisplayProbe::waitFor(Condition condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
