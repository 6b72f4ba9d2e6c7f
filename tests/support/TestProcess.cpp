#include "support/TestProcess.h"

#include <fcntl.h>       // Required for: open()
#include <signal.h>      // Required for: kill(), sigprocmask()
#include <sys/prctl.h>   // Required for: prctl(PR_SET_PDEATHSIG)
#include <sys/wait.h>    // Required for: waitpid()
#include <unistd.h>      // Required for: fork(), execve(), chdir(), dup2()

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TestProcess::TestProcess(std::string program, std::vector<std::string> args)
    : program(std::move(program)), args(std::move(args))
{
}

TestProcess::~TestProcess()
{
    if (childPid > 0 && !ended) {
        kill(childPid, SIGKILL);
        waitpid(childPid, &status, 0);
    }
    if (!outputDir.empty())
        std::system(("rm -rf '" + outputDir + "'").c_str());
}

void TestProcess::setEnv(const std::string& name, const std::string& value)
{
    envSet[name] = value;
}

bool TestProcess::start()
{
    char pattern[] = "/tmp/tavlen-test-process-XXXXXX";
    if (!mkdtemp(pattern)) {
        errorText = "cannot create a folder for the output";
        return false;
    }
    outputDir = pattern;
    const std::string outPath = outputDir + "/stdout";
    const std::string errPath = outputDir + "/stderr";

    // Everything the child needs is built before fork: after fork in a threaded process
    // (Mesa starts threads) only async-signal-safe calls are allowed.
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (envSet.count(name) == 0)
            envText.push_back(entry);
    }
    for (const auto& variable : envSet)
        envText.push_back(variable.first + "=" + variable.second);
    std::vector<char*> envp;
    for (auto& entry : envText)
        envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    std::vector<std::string> argText = {program};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argText)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int inFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (outFd < 0 || errFd < 0 || inFd < 0) {
        errorText = "cannot open the output files";
        return false;
    }

    childPid = fork();
    if (childPid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0)
            _exit(126);
        dup2(inFd, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
    close(inFd);
    if (childPid < 0) {
        errorText = std::string("fork failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool TestProcess::running()
{
    if (childPid <= 0 || ended)
        return false;
    if (waitpid(childPid, &status, WNOHANG) == childPid)
        ended = true;
    return !ended;
}

bool TestProcess::wait(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return childPid > 0;
}

bool TestProcess::sendSignal(int signal)
{
    if (!running())
        return false;
    return kill(childPid, signal) == 0;
}

bool TestProcess::exited() const
{
    return ended && WIFEXITED(status);
}

int TestProcess::exitCode() const
{
    return exited() ? WEXITSTATUS(status) : -1;
}

std::string TestProcess::describeEnd() const
{
    if (!ended)
        return "still running";
    if (exited())
        return "exit " + std::to_string(exitCode());
    return "signal " + std::to_string(WTERMSIG(status)) + (WCOREDUMP(status) ? " (core dumped)" : "");
}

std::string TestProcess::stdoutText() const
{
    return outputDir.empty() ? std::string() : readFile(outputDir + "/stdout");
}

std::string TestProcess::stderrText() const
{
    return outputDir.empty() ? std::string() : readFile(outputDir + "/stderr");
}
