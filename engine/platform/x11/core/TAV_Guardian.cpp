#include "core/TAV_Guardian.h"

#include <errno.h>                     // Required for: EINTR
#include <signal.h>                    // Required for: sigaction(), sigprocmask(), kill()
#include <string.h>                    // Required for: strsignal()
#include <sys/prctl.h>                 // Required for: PR_SET_NAME, PR_SET_PDEATHSIG
#include <sys/socket.h>                // Required for: socketpair(), send(MSG_NOSIGNAL)
#include <sys/wait.h>                  // Required for: waitpid()
#include <unistd.h>                    // Required for: fork(), getppid()

#include <X11/Xlib.h>                  // Required for: the guardian's own connection

#include <cstdio>                      // Required for: fprintf()
#include <cstdlib>                     // Required for: exit(), getenv()
#include <cstring>                     // Required for: strcmp()

#include "core/TAV_DesktopState.h"     // Required for: the desktop as it was, and giving it back
#include "core/TAV_Window.h"           // Required for: whether the settings let the demo switch the mode

namespace {

// The signals the engine turns into its orderly end. Sent to the pid the user started (the
// guardian's), they are passed on to the demo, so that they still end it with status 0.
const int FORWARDED_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGABRT};

// The guardian's process name (at most 15 characters): not the demo's, so commands that kill
// the demo by name (`pkill -x tavlen`, `killall tavlen`) leave its guardian alone.
const char* const GUARDIAN_NAME = "tavlen-guard";

// Guardian side. The connection is opened before the fork; in the demo only its socket is
// closed (the Display must not be used there: it is the guardian's).
Display* g_display = nullptr;
pid_t g_demoPid = -1;
// What the guardian exits with when the X connection is lost during the restore.
int g_exitStatus = 0;

// Demo side: its end of the socket pair on which the orderly end is reported (a socket, not a
// pipe, so that a report to a guardian that is gone cannot kill by SIGPIPE); -1 when the
// process is not guarded or has reported.
int g_orderlyEndFd = -1;

void forwardSignal(int signal)
{
    const int savedErrno = errno;
    kill(g_demoPid, signal);
    errno = savedErrno;
}

// A mode that the server refuses must not end the guardian before the rest is restored
// (Xlib's default handler exits on any protocol error).
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// The X server itself is gone: nothing is left to restore, nor can anything be.
int lostDisplay(Display*)
{
    std::fprintf(stderr, "tavlen: the X server is gone; the desktop could not be restored\n");
    // A server started later on this display starts from its own settings: the note is not
    // about it.
    TAV_DesktopState::forget();
    _exit(g_exitStatus);
}

// The guardian's whole life after the fork: wait, restore when needed, exit.
[[noreturn]] void watch(int orderlyEndFd, const sigset_t& previousMask)
{
    signal(SIGPIPE, SIG_IGN);  // a closed stderr must not keep the desktop from coming back
    // Xlib's handlers are the process's: set here, after the fork, so the demo keeps its own.
    XSetErrorHandler(ignoreXError);
    XSetIOErrorHandler(lostDisplay);
    struct sigaction forward = {};
    forward.sa_handler = forwardSignal;
    sigemptyset(&forward.sa_mask);
    forward.sa_flags = SA_RESTART;
    for (int forwardedSignal : FORWARDED_SIGNALS)
        sigaction(forwardedSignal, &forward, nullptr);
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);

    int status = 0;
    while (waitpid(g_demoPid, &status, 0) < 0) {
        if (errno != EINTR) {
            status = 0;  // not with SIGCHLD at its default; should it happen, restore anyway
            break;
        }
    }
    char report = 0;
    const bool orderly = recv(orderlyEndFd, &report, 1, MSG_DONTWAIT) == 1;
    const bool bySignal = WIFSIGNALED(status);
    g_exitStatus = bySignal ? 128 + WTERMSIG(status) : WEXITSTATUS(status);

    if (orderly) {
        // Given back by the demo already, or never changed (a start that failed).
        TAV_DesktopState::forget();
    } else {
        const char* restored = TAV_DesktopState::guardsMode() ? "the desktop's video mode and key repeat are restored"
                                                              : "the desktop's key repeat is restored";
        TAV_DesktopState::giveBack(g_display);
        if (bySignal)
            std::fprintf(stderr, "tavlen: the demo ended by signal %d (%s); %s\n", WTERMSIG(status),
                         strsignal(WTERMSIG(status)), restored);
        else
            std::fprintf(stderr, "tavlen: the demo ended with status %d without giving the display back; %s\n",
                         g_exitStatus, restored);
    }
    XCloseDisplay(g_display);
    g_display = nullptr;
    std::exit(g_exitStatus);
}

}  // namespace

void TAV_Guardian::guard()
{
    const char* wanted = std::getenv("TAVLEN_GUARDIAN");
    if (wanted && std::strcmp(wanted, "0") == 0)
        return;  // the demo notes the desktop itself, and its note's file still covers a kill
    g_display = XOpenDisplay(nullptr);
    if (!g_display)
        return;  // the demo reports the display itself; with none it changes nothing
    // Before the demo exists: the guardian's note is the one both processes give back.
    TAV_DesktopState::note(g_display, TAV_Window::switchesVideoMode());

    int orderlyEnd[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, orderlyEnd) != 0) {
        XCloseDisplay(g_display);
        g_display = nullptr;
        return;
    }

    // Blocked across the fork: the guardian forwards what arrives meanwhile once its handlers
    // are in place; the demo receives it once the engine's are (TAV_Engine unblocks them).
    sigset_t forwarded, previousMask;
    sigemptyset(&forwarded);
    for (int forwardedSignal : FORWARDED_SIGNALS)
        sigaddset(&forwarded, forwardedSignal);
    sigprocmask(SIG_BLOCK, &forwarded, &previousMask);
    // A shell that ignores SIGCHLD would have the demo reaped before the guardian saw how it
    // ended.
    signal(SIGCHLD, SIG_DFL);

    // Renamed before the fork, the child taking its name back at once: at no moment can a
    // demo that might have touched the display share its name with its guardian, so one
    // `pkill -9 -x tavlen` never kills both.
    char demoName[16] = {};
    prctl(PR_GET_NAME, demoName, 0, 0, 0);
    prctl(PR_SET_NAME, GUARDIAN_NAME, 0, 0, 0);
    const pid_t guardianPid = getpid();
    g_demoPid = fork();
    if (g_demoPid > 0) {
        close(orderlyEnd[1]);
        watch(orderlyEnd[0], previousMask);
    }
    prctl(PR_SET_NAME, demoName, 0, 0, 0);
    close(orderlyEnd[0]);
    if (g_demoPid < 0) {
        close(orderlyEnd[1]);
        XCloseDisplay(g_display);
        g_display = nullptr;
        sigprocmask(SIG_SETMASK, &previousMask, nullptr);
        return;  // no guardian: run unguarded rather than not at all
    }

    // The demo. Its display state must never outlive the guardian unwatched.
    prctl(PR_SET_PDEATHSIG, SIGTERM, 0, 0, 0);
    if (getppid() != guardianPid)
        _exit(0);  // the guardian died before the line above: nothing has been touched yet
    close(ConnectionNumber(g_display));
    g_orderlyEndFd = orderlyEnd[1];
}

void TAV_Guardian::reportOrderlyEnd()
{
    if (g_orderlyEndFd < 0)
        return;
    const char report = 1;
    if (send(g_orderlyEndFd, &report, 1, MSG_NOSIGNAL) != 1) {
        // The guardian is gone: nobody is left to restore twice.
    }
    close(g_orderlyEndFd);
    g_orderlyEndFd = -1;
}
