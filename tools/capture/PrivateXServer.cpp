#include "PrivateXServer.h"

#include <X11/Xlib.h>    // Required for: XOpenDisplay(), to know the server is ready
#include <fcntl.h>       // Required for: open()
#include <poll.h>        // Required for: poll() on the -displayfd pipe
#include <signal.h>      // Required for: kill(), SIGTERM
#include <sys/prctl.h>   // Required for: prctl(PR_SET_PDEATHSIG)
#include <sys/wait.h>    // Required for: waitpid()
#include <unistd.h>      // Required for: fork(), setsid(), execvp(), pipe()

#include <algorithm>  // Required for: std::max
#include <cstdlib>    // Required for: unsetenv()
#include <chrono>
#include <thread>     // Required for: std::this_thread::sleep_for
#include <vector>

namespace {

// Xvfb starts in well under a second; a loaded machine may take a few.
const int START_TIMEOUT_MS = 20000;

// The display number Xvfb writes to its -displayfd once it listens; empty when it exited.
std::string readDisplayNumber(int fd)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(START_TIMEOUT_MS);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready = {fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        char buffer[32];
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n <= 0)
            break;
        text.append(buffer, size_t(n));
        if (text.find('\n') != std::string::npos)
            return text.substr(0, text.find('\n'));
    }
    return std::string();
}

}  // namespace

PrivateXServer::~PrivateXServer()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

bool PrivateXServer::start(int widthPx, int heightPx, std::string& whyNot)
{
    int fds[2];
    if (pipe(fds) != 0) {
        whyNot = "cannot start Xvfb (no pipe)";
        return false;
    }
    // The window must fit on the screen; below 640x480 Xvfb's screen gains nothing.
    const std::string screen = std::to_string(std::max(widthPx, 640)) + "x" + std::to_string(std::max(heightPx, 480)) + "x24";
    std::vector<std::string> args = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                     "-nolisten", "tcp", "-noreset", "+extension", "GLX"};
    const pid_t capture = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // A session of its own: Ctrl-C in a terminal signals the whole foreground process
        // group, and a server killed under the capture's feet would end it through Xlib's
        // fatal-error exit, with no chance to tidy up. The capture stops the server itself.
        setsid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != capture)
            _exit(127);  // the capture died before the death signal was armed
        close(fds[0]);
        const int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, 0);
        dup2(quiet, 1);
        dup2(quiet, 2);
        // What is preloaded into the capture (a leak checker's helper, a profiler) is not
        // meant for the server, and may keep it from starting.
        unsetenv("LD_PRELOAD");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    const std::string number = m_pid > 0 ? readDisplayNumber(fds[0]) : std::string();
    close(fds[0]);
    if (number.empty()) {
        whyNot = "DISPLAY is not set and no Xvfb could be started (install xvfb, or set DISPLAY)";
        return false;
    }
    m_display = ":" + number;
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (Display* dpy = XOpenDisplay(m_display.c_str())) {
            XCloseDisplay(dpy);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    whyNot = "the Xvfb started on " + m_display + " accepts no clients";
    return false;
}
