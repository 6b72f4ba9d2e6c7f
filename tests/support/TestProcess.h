// TestProcess: runs a program as a child of the test, with chosen environment variables and
// working directory, and captures its stdout, stderr and exit status.
//
// The child inherits the test's environment plus the variables set here, reads /dev/null, and dies with the test process (parent-death signal), so an
// interrupted test leaves no program behind. The destructor kills (SIGKILL) and reaps a child
// that is still running. Not thread-safe; one object per child.
#pragma once

#include <sys/types.h>  // Required for: pid_t

#include <map>
#include <string>
#include <vector>

class TestProcess {
public:
    explicit TestProcess(std::string program, std::vector<std::string> args = {});
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    // Before start(): the child's variables and working directory.
    void setEnv(const std::string& name, const std::string& value);
    void setWorkDir(const std::string& dir) { workDir = dir; }

    // Starts the child. False (with the reason in error()) when it could not be forked; a
    // program that cannot be executed exits with status 127.
    bool start();
    pid_t pid() const { return childPid; }

    // True while the child has not ended (reaps it when it has).
    bool running();
    // Waits until the child ends; false when it is still running after `timeoutMs`.
    bool wait(int timeoutMs);
    // Sends `signal` to the running child; false when it has already ended.
    bool sendSignal(int signal);

    // After the child ended:
    bool exited() const;      // ended by exit() or return from main
    int exitCode() const;     // its status, 0..255 (-1 when it did not exit)
    // A summary for assertion messages: "exit 0", "signal 11 (core dumped)".
    std::string describeEnd() const;

    std::string stdoutText() const;
    std::string stderrText() const;
    const std::string& error() const { return errorText; }

private:
    std::string program;
    std::vector<std::string> args;
    std::map<std::string, std::string> envSet;
    std::string workDir;
    std::string outputDir;  // holds the captured stdout and stderr
    std::string errorText;
    pid_t childPid = -1;
    bool ended = false;
    int status = 0;
};
