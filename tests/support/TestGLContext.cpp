// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include "support/TestGLContext.h"

#include <dlfcn.h>     // Required for: dlopen() (pinning the GL driver)
#include <link.h>      // Required for: dl_iterate_phdr()
#include <unistd.h>    // Required for: getpid()

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "support/TestXServer.h"

TestGLContext::TestGLContext(int width, int height)
    : widthPx(width), heightPx(height)
{
    const char* name = TestXServer::sharedXvfb();
    if (!name)
        return;
    dpy = XOpenDisplay(name);
    if (!dpy) {
        ADD_FAILURE() << "cannot open display " << name;
        return;
    }
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                        GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE, 8, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* visual = glXChooseVisual(dpy, DefaultScreen(dpy), attributes);
    if (!visual) {
        ADD_FAILURE() << "no GLX visual";
        return;
    }
    const Window root = RootWindow(dpy, visual->screen);
    colormap = XCreateColormap(dpy, root, visual->visual, AllocNone);
    XSetWindowAttributes attr = {};
    attr.colormap = colormap;
    attr.event_mask = StructureNotifyMask;
    win = XCreateWindow(dpy, root, 0, 0, unsigned(width), unsigned(height), 0, visual->depth, InputOutput,
                        visual->visual, CWColormap | CWEventMask, &attr);
    XMapWindow(dpy, win);
    context = glXCreateContext(dpy, visual, nullptr, True);
    XFree(visual);
    if (!context) {
        ADD_FAILURE() << "no GLX context";
        return;
    }
    glXMakeCurrent(dpy, win, context);
    tavtest::pinGLDriverLibraries();
    glViewport(0, 0, width, height);
}

TestGLContext::~TestGLContext()
{
    if (!dpy)
        return;
    if (context) {
        glXMakeCurrent(dpy, None, nullptr);
        glXDestroyContext(dpy, context);
    }
    if (win)
        XDestroyWindow(dpy, win);
    if (colormap)
        XFreeColormap(dpy, colormap);
    XCloseDisplay(dpy);
}

std::vector<uint8_t> TestGLContext::readPixels() const
{
    return tavtest::readBackFrame(widthPx, heightPx);
}

uint32_t TestGLContext::pixel(int x, int y) const
{
    return tavtest::readBackPixel(x, y);
}

namespace tavtest {

// GLVND unloads the Mesa vendor library and its driver when the display closes. LeakSanitizer
// then reports Mesa's never-freed caches from an "<unknown module>" that lsan.supp cannot
// name. Keeping those libraries mapped (RTLD_NODELETE) lets the suppressions match them.
void pinGLDriverLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* path = info->dlpi_name;
            if (path && (std::strstr(path, "GLX_mesa") || std::strstr(path, "_dri.so") || std::strstr(path, "gallium")))
                dlopen(path, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

std::vector<uint8_t> readBackFrame(int width, int height)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

uint32_t readBackPixel(int x, int y)
{
    uint8_t p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

std::string scratchDir()
{
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/tavlen-test-XXXXXX";
        if (mkdtemp(pattern))
            dir = pattern;
        else
            dir = "/tmp";
        static struct Remover {
            ~Remover() { if (dir != "/tmp") std::system(("rm -rf '" + dir + "'").c_str()); }
        } remover;
    }
    return dir;
}

}  // namespace tavtest
