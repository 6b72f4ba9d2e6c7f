#include "core/TAV_DesktopState.h"

#include <errno.h>                     // Required for: EPERM
#include <fcntl.h>                     // Required for: open(O_EXCL | O_NOFOLLOW)
#include <signal.h>                    // Required for: kill(pid, 0)
#include <sys/stat.h>                  // Required for: mkdir(), lstat() of the fallback folder
#include <unistd.h>                    // Required for: getpid(), getuid(), read(), write(), unlink()

#include <X11/extensions/xf86vmode.h>  // Required for: the video mode and viewport

#include <cstdio>                      // Required for: fprintf(), snprintf(), sscanf()
#include <cstdlib>                     // Required for: getenv()
#include <cstring>                     // Required for: strchr(), strrchr()
#include <string>                      // Required for: the note's path and its writer's boot

namespace {

// Everything a run may change, as the desktop had it.
struct Desktop {
    bool hasMode = false;  // mode and viewport noted: the run may switch them
    XF86VidModeModeInfo mode = {};
    int viewportXPx = 0;
    int viewportYPx = 0;
    bool autoRepeatOn = true;
};

// Who wrote a note: a pid alone could be a later process's, after the writer died.
struct Writer {
    long pid = 0;
    unsigned long long startTicks = 0;  // process start, in clock ticks after boot (0: unknown)
    std::string bootId;                 // the kernel's id of this boot ("-": unknown)
};

// The note of this process.
bool g_noted = false;
Desktop g_desktop;
std::string g_notePath;  // its file; empty when there is none
Writer g_writer;         // the file's writer: this process, or the guardian that forked it
bool g_ownsFile = false; // false when the note was taken over from a run that still goes on

// Short enough for any sane writer; a longer file is not one of ours.
const size_t MAX_NOTE_BYTES = 1024;
const char* const NOTE_HEADER = "tavlen desktop note 1";

// --- Reading and putting back the desktop --------------------------------------------------

bool hasVidModeExtension(Display* dpy)
{
    // Asked first: Xlib warns on stderr for each video-mode call on a server without it.
    int opcode, firstEvent, firstError;
    return XQueryExtension(dpy, "XFree86-VidModeExtension", &opcode, &firstEvent, &firstError);
}

bool readMode(Display* dpy, XF86VidModeModeInfo& mode)
{
    int dotClockKHz = 0;
    XF86VidModeModeLine line = {};
    if (!XF86VidModeGetModeLine(dpy, DefaultScreen(dpy), &dotClockKHz, &line))
        return false;
    if (line.privsize > 0)
        XFree(line.c_private);
    mode = XF86VidModeModeInfo();
    mode.dotclock = unsigned(dotClockKHz);
    mode.hdisplay = line.hdisplay;
    mode.hsyncstart = line.hsyncstart;
    mode.hsyncend = line.hsyncend;
    mode.htotal = line.htotal;
    mode.hskew = line.hskew;
    mode.vdisplay = line.vdisplay;
    mode.vsyncstart = line.vsyncstart;
    mode.vsyncend = line.vsyncend;
    mode.vtotal = line.vtotal;
    mode.flags = line.flags;
    return true;
}

bool sameMode(const XF86VidModeModeInfo& a, const XF86VidModeModeInfo& b)
{
    return a.dotclock == b.dotclock && a.hdisplay == b.hdisplay && a.hsyncstart == b.hsyncstart
        && a.hsyncend == b.hsyncend && a.htotal == b.htotal && a.hskew == b.hskew && a.vdisplay == b.vdisplay
        && a.vsyncstart == b.vsyncstart && a.vsyncend == b.vsyncend && a.vtotal == b.vtotal && a.flags == b.flags;
}

bool readAutoRepeat(Display* dpy)
{
    XKeyboardState keyboard;
    XGetKeyboardControl(dpy, &keyboard);
    return keyboard.global_auto_repeat == AutoRepeatModeOn;
}

Desktop readDesktop(Display* dpy, bool guardsMode)
{
    Desktop desktop;
    if (guardsMode && hasVidModeExtension(dpy) && readMode(dpy, desktop.mode))
        desktop.hasMode = XF86VidModeGetViewPort(dpy, DefaultScreen(dpy), &desktop.viewportXPx, &desktop.viewportYPx);
    desktop.autoRepeatOn = readAutoRepeat(dpy);
    return desktop;
}

// Switches to the listed mode equal to `wanted`. A note from a file may name a mode this
// server does not offer (its configuration changed since): then the mode stays.
void switchToOfferedMode(Display* dpy, const XF86VidModeModeInfo& wanted)
{
    int count = 0;
    XF86VidModeModeInfo** modes = nullptr;
    if (!XF86VidModeGetAllModeLines(dpy, DefaultScreen(dpy), &count, &modes))
        return;
    for (int i = 0; i < count; ++i) {
        if (sameMode(*modes[i], wanted)) {
            XF86VidModeSwitchToMode(dpy, DefaultScreen(dpy), modes[i]);
            break;
        }
    }
    XFree(modes);
}

int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// Puts back what differs from `desktop`; true when anything did. Nothing else is touched, so
// a desktop that is as noted sees no request at all.
bool putBack(Display* dpy, const Desktop& desktop)
{
    // A refused request must not end the process half-way (Xlib's default handler exits) nor
    // be reported: what can be put back, is.
    const XErrorHandler previousHandler = XSetErrorHandler(ignoreXError);
    bool changed = false;
    if (desktop.hasMode && hasVidModeExtension(dpy)) {
        XF86VidModeModeInfo current;
        if (readMode(dpy, current) && !sameMode(current, desktop.mode)) {
            switchToOfferedMode(dpy, desktop.mode);
            changed = true;
        }
        int xPx = 0, yPx = 0;
        // Asked after the switch, which may itself have moved the viewport.
        XF86VidModeGetViewPort(dpy, DefaultScreen(dpy), &xPx, &yPx);
        if (xPx != desktop.viewportXPx || yPx != desktop.viewportYPx) {
            XF86VidModeSetViewPort(dpy, DefaultScreen(dpy), desktop.viewportXPx, desktop.viewportYPx);
            changed = true;
        }
    }
    if (readAutoRepeat(dpy) != desktop.autoRepeatOn) {
        if (desktop.autoRepeatOn)
            XAutoRepeatOn(dpy);
        else
            XAutoRepeatOff(dpy);
        changed = true;
    }
    XSync(dpy, False);
    XSetErrorHandler(previousHandler);
    return changed;
}

// --- The note's file -------------------------------------------------------------------------

// The folder of the notes: $XDG_RUNTIME_DIR, the user's own and gone at logout. Without it,
// a folder of the user's own in /tmp, refused unless it is a real folder only the user can
// enter (anyone may plant things in /tmp). Empty when neither can be had.
std::string noteFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        return runtime;
    const std::string folder = "/tmp/tavlen-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()
        || (info.st_mode & 077) != 0)
        return std::string();
    return folder;
}

// "HOST:N.S" of the connection, the same for every spelling of one display (":0", ":0.0",
// "unix:0"); characters that cannot be in a file name become "_".
std::string displayKey(Display* dpy)
{
    const std::string name = DisplayString(dpy) ? DisplayString(dpy) : "";
    const size_t colon = name.rfind(':');
    std::string host = colon == std::string::npos ? std::string() : name.substr(0, colon);
    if (host == "unix")
        host.clear();
    for (char& c : host) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!plain)
            c = '_';
    }
    const long number = colon == std::string::npos ? 0 : std::strtol(name.c_str() + colon + 1, nullptr, 10);
    return host + ":" + std::to_string(number) + "." + std::to_string(DefaultScreen(dpy));
}

std::string bootId()
{
    char id[64] = {};
    if (FILE* file = std::fopen("/proc/sys/kernel/random/boot_id", "r")) {
        if (std::fscanf(file, "%63s", id) != 1)
            id[0] = '\0';
        std::fclose(file);
    }
    return id[0] ? id : "-";
}

// The start time of process `pid` in clock ticks after boot (field 22 of /proc/PID/stat);
// 0 when it cannot be read. `zombie` tells a process that has died but is not yet reaped.
unsigned long long startTicksOf(long pid, bool* zombie = nullptr)
{
    char stat[1024] = {};
    FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!file)
        return 0;
    const size_t length = std::fread(stat, 1, sizeof(stat) - 1, file);
    std::fclose(file);
    stat[length] = '\0';
    // The name in parentheses may hold blanks and parentheses itself: fields count from the
    // last ")".
    const char* afterName = std::strrchr(stat, ')');
    char state = '?';
    unsigned long long ticks = 0;
    if (!afterName
        || std::sscanf(afterName + 1, " %c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu",
                       &state, &ticks)
               != 2)
        return 0;
    if (zombie)
        *zombie = state == 'Z';
    return ticks;
}

Writer thisProcess()
{
    Writer self;
    self.pid = long(getpid());
    self.startTicks = startTicksOf(self.pid);
    self.bootId = bootId();
    return self;
}

bool sameWriter(const Writer& a, const Writer& b)
{
    return a.pid == b.pid && a.startTicks == b.startTicks && a.bootId == b.bootId;
}

// Whether the writer of a note still runs: the same boot, and a live process of that pid
// that started when the writer did.
bool isRunning(const Writer& writer)
{
    if (writer.bootId != bootId() || writer.pid <= 0)
        return false;
    if (kill(pid_t(writer.pid), 0) != 0 && errno != EPERM)
        return false;
    bool zombie = false;
    const unsigned long long ticks = startTicksOf(writer.pid, &zombie);
    return !zombie && (writer.startTicks == 0 || ticks == writer.startTicks);
}

bool writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += size_t(written);
    }
    return true;
}

// Written whole under a name of its own, then renamed into place: a reader never sees half
// a note, and nothing planted under either name is followed.
bool writeNote(const std::string& path, const Writer& writer, const Desktop& desktop)
{
    char text[MAX_NOTE_BYTES];
    const XF86VidModeModeInfo& m = desktop.mode;
    const int length = std::snprintf(
        text, sizeof(text), "%s\nwriter %ld %llu %s\nmode %d %u %u %u %u %u %u %u %u %u %u %u\nviewport %d %d\nautorepeat %d\n",
        NOTE_HEADER, writer.pid, writer.startTicks, writer.bootId.c_str(), int(desktop.hasMode), m.dotclock,
        unsigned(m.hdisplay), unsigned(m.hsyncstart), unsigned(m.hsyncend), unsigned(m.htotal), unsigned(m.hskew),
        unsigned(m.vdisplay), unsigned(m.vsyncstart), unsigned(m.vsyncend), unsigned(m.vtotal), m.flags,
        desktop.viewportXPx, desktop.viewportYPx, int(desktop.autoRepeatOn));
    if (length <= 0 || size_t(length) >= sizeof(text))
        return false;
    const std::string pending = path + ".new-" + std::to_string(getpid());
    const int fd = open(pending.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, std::string(text, size_t(length)));
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(pending.c_str(), path.c_str()) != 0) {
        unlink(pending.c_str());
        return false;
    }
    return true;
}

// False when there is no note at `path`, or what is there is not one.
bool readNote(const std::string& path, Writer& writer, Desktop& desktop)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[MAX_NOTE_BYTES + 1] = {};
    size_t length = 0;
    ssize_t got;
    while (length < MAX_NOTE_BYTES && (got = read(fd, text + length, MAX_NOTE_BYTES - length)) > 0)
        length += size_t(got);
    close(fd);
    const size_t headerLength = std::strlen(NOTE_HEADER);
    if (std::strncmp(text, NOTE_HEADER, headerLength) != 0)
        return false;
    char boot[64] = {};
    int hasMode = 0, autoRepeatOn = 1;
    unsigned dotclock, hdisplay, hsyncstart, hsyncend, htotal, hskew, vdisplay, vsyncstart, vsyncend, vtotal, flags;
    const int fields = std::sscanf(
        text + headerLength, "\nwriter %ld %llu %63s\nmode %d %u %u %u %u %u %u %u %u %u %u %u\nviewport %d %d\nautorepeat %d",
        &writer.pid, &writer.startTicks, boot, &hasMode, &dotclock, &hdisplay, &hsyncstart, &hsyncend, &htotal, &hskew,
        &vdisplay, &vsyncstart, &vsyncend, &vtotal, &flags, &desktop.viewportXPx, &desktop.viewportYPx, &autoRepeatOn);
    if (fields != 18)
        return false;
    writer.bootId = boot;
    desktop.hasMode = hasMode != 0;
    desktop.autoRepeatOn = autoRepeatOn != 0;
    XF86VidModeModeInfo& m = desktop.mode;
    m = XF86VidModeModeInfo();
    m.dotclock = dotclock;
    m.hdisplay = (unsigned short)hdisplay;
    m.hsyncstart = (unsigned short)hsyncstart;
    m.hsyncend = (unsigned short)hsyncend;
    m.htotal = (unsigned short)htotal;
    m.hskew = (unsigned short)hskew;
    m.vdisplay = (unsigned short)vdisplay;
    m.vsyncstart = (unsigned short)vsyncstart;
    m.vsyncend = (unsigned short)vsyncend;
    m.vtotal = (unsigned short)vtotal;
    m.flags = flags;
    return true;
}

// Removes the note's file if it is still the one this run wrote: by now it may be another
// run's, which replaced a stale one.
void removeOwnNote()
{
    if (!g_ownsFile || g_notePath.empty())
        return;
    Writer writer;
    Desktop desktop;
    if (readNote(g_notePath, writer, desktop) && sameWriter(writer, g_writer))
        unlink(g_notePath.c_str());
}

const char* whatComesBack(const Desktop& desktop)
{
    return desktop.hasMode ? "the desktop's video mode and key repeat are restored" : "the desktop's key repeat is restored";
}

}  // namespace

void TAV_DesktopState::note(Display* dpy, bool guardsMode)
{
    if (g_noted)
        return;
    const std::string folder = noteFolder();
    g_notePath = folder.empty() ? std::string() : folder + "/tavlen-desktop-" + displayKey(dpy);
    g_ownsFile = false;

    Writer earlier;
    Desktop earlierDesktop;
    if (!g_notePath.empty() && readNote(g_notePath, earlier, earlierDesktop)) {
        if (isRunning(earlier)) {
            // A second run on this display: the desktop as it sees it now is the first run's
            // doing. The first run's note is the desktop's, and its file stays the first run's.
            g_desktop = earlierDesktop;
            g_writer = earlier;
            g_noted = true;
            return;
        }
        // Both processes of that run were killed. From another boot the note is about a
        // server that has been restarted since, which starts from its own settings.
        if (earlier.bootId == bootId() && putBack(dpy, earlierDesktop))
            std::fprintf(stderr, "tavlen: a run on %s was killed before it gave the desktop back; %s\n",
                         DisplayString(dpy), whatComesBack(earlierDesktop));
        unlink(g_notePath.c_str());
    }

    g_desktop = readDesktop(dpy, guardsMode);
    g_writer = thisProcess();
    g_noted = true;
    g_ownsFile = !g_notePath.empty() && writeNote(g_notePath, g_writer, g_desktop);
}

void TAV_DesktopState::giveBack(Display* dpy)
{
    if (!g_noted)
        return;
    putBack(dpy, g_desktop);
    forget();
}

void TAV_DesktopState::forget()
{
    removeOwnNote();
    g_noted = false;
    g_ownsFile = false;
    g_desktop = Desktop();
    g_notePath.clear();
}

bool TAV_DesktopState::isNoted()
{
    return g_noted;
}

bool TAV_DesktopState::guardsMode()
{
    return g_noted && g_desktop.hasMode;
}
