// PrivateXServer: an Xvfb of the capture's own, for machines without a display.
//
// Started with -displayfd, so the server picks a free display number itself, with a screen
// large enough for the capture window; it renders OpenGL through Mesa's software renderer.
// The server runs in a session of its own, so signals meant for the capture's terminal
// (Ctrl-C, a hang-up) do not reach it; it dies with the capture (parent-death signal) and
// the destructor stops it. Nobody sees its window, and its keyboard and video mode are
// nobody's. Main thread only.
#pragma once

#include <sys/types.h>  // Required for: pid_t

#include <string>

class PrivateXServer {
public:
    PrivateXServer() = default;
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // Starts Xvfb with a screen of at least widthPx x heightPx and waits until it accepts
    // clients. Returns false with the reason in `whyNot`.
    bool start(int widthPx, int heightPx, std::string& whyNot);

    // ":N", for DISPLAY.
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};
