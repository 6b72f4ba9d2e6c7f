// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include "support/TestXServer.h"

#include <fcntl.h>       // Required for: open()
#include <poll.h>        // Required for: poll()
#include <signal.h>      // Required for: kill(), SIGTERM
#include <sys/prctl.h>   // Required for: prctl(PR_SET_PDEATHSIG)
#include <sys/wait.h>    // Required for: waitpid()
#include <unistd.h>      // Required for: fork(), execvp(), pipe()

#include <X11/Xlib.h>    // Required for: XOpenDisplay()

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

const int START_TIMEOUT_MS = 30000;

// Reads the display number the server writes to its -displayfd, or fails after the timeout.
std::string readDisplayNumber(int fd)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(START_TIMEOUT_MS);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd = {fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0)
            continue;
        char buf[32];
        const ssize_t n = read(fd, buf, sizeof(buf));
        if (n <= 0)
            break;  // the server exited before it told its display
        text.append(buf, size_t(n));
        if (text.find('\n') != std::string::npos)
            return text.substr(0, text.find('\n'));
    }
    return std::string();
}

}  // namespace

TestXServer::TestXServer(Kind kind, const std::vector<std::string>& extraArgs)
{
    if (kind == XORG_DUMMY && geteuid() != 0)
        throw std::runtime_error("Xorg with the dummy driver needs root");

    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");

    logPath = "/tmp/tavlen-test-x-" + std::to_string(getpid()) + "-" + std::to_string(fds[0]) + ".log";
    std::vector<std::string> args;
    if (kind == XVFB) {
        args = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                "-nolisten", "tcp", "-noreset", "+extension", "GLX"};
    } else {
        args = {"Xorg", "-displayfd", std::to_string(fds[1]), "-config",
                std::string(TAVLEN_SOURCE_DIR) + "/tests/support/xorg-dummy.conf",
                "-logfile", logPath, "-nolisten", "tcp", "-noreset", "-novtswitch", "-sharevts"};
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());

    pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // The server must not outlive an interrupted or crashed test.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 2);
        dup2(devnull, 1);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    const std::string number = readDisplayNumber(fds[0]);
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        throw std::runtime_error(std::string("could not start ") + args[0]);
    }
    displayName = ":" + number;

    // -displayfd is written once the server listens; still, wait until a client gets in.
    for (int i = 0; i < 100; ++i) {
        if (Display* dpy = XOpenDisplay(displayName.c_str())) {
            XCloseDisplay(dpy);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("X server " + displayName + " does not accept connections");
}

TestXServer::~TestXServer()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    if (!logPath.empty()) {
        unlink(logPath.c_str());
        unlink((logPath + ".old").c_str());
    }
}

const char* TestXServer::sharedXvfb()
{
    static std::unique_ptr<TestXServer> server;
    if (!server) {
        try {
            server.reset(new TestXServer(XVFB));
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            return nullptr;
        }
        setenv("DISPLAY", server->display().c_str(), 1);
    }
    return server->display().c_str();
}
