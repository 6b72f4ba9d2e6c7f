// The note of the desktop, on the test's private Xvfb, against notes that earlier runs left in
// the folder: whose note is given back first, whose is left alone, and whose file is whose.
#include <gtest/gtest.h>

#include <stdlib.h>     // Required for: mkdtemp(), setenv()
#include <unistd.h>     // Required for: getpid()

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "core/TAV_DesktopState.h"
#include "support/TestXServer.h"

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

// Field 22 of /proc/PID/stat: when the process started.
std::string startTicks(pid_t pid)
{
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i)
        fields >> field;
    return field;
}

std::string thisBoot()
{
    std::string id;
    std::ifstream("/proc/sys/kernel/random/boot_id") >> id;
    return id;
}

// Above any pid_max: no process has it.
const char* const NO_PROCESS = "2147483647";

// A note an earlier run left: key repeat on, as the desktop had it; now it is off.
struct EarlierNote {
    const char* name;
    std::string writer;     // "PID START BOOT"
    bool givenBackFirst;    // key repeat back on before this run notes the desktop
    bool takenOver;         // a run that still goes on: its note is the desktop's, and its file
};

void PrintTo(const EarlierNote& note, std::ostream* os) { *os << note.name; }

class TAV_DesktopStateTest : public ::testing::TestWithParam<EarlierNote> {};

TEST_P(TAV_DesktopStateTest, AnEarlierNoteIsGivenBackOnlyWhenItsRunIsGoneThisBoot)
{
    const EarlierNote& earlier = GetParam();
    char folder[] = "/tmp/tavlen-note-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    setenv("XDG_RUNTIME_DIR", folder, 1);
    Display* dpy = XOpenDisplay(TestXServer::sharedXvfb());
    ASSERT_NE(nullptr, dpy);
    const std::string path = std::string(folder) + "/tavlen-desktop-" + DisplayString(dpy) + ".0";
    const std::string text = "tavlen desktop note 1\nwriter " + earlier.writer
        + "\nmode 0 0 0 0 0 0 0 0 0 0 0 0\nviewport 0 0\nautorepeat 1\n";
    std::ofstream(path) << text;
    XAutoRepeatOff(dpy);
    XSync(dpy, False);

    TAV_DesktopState::note(dpy, true);
    XKeyboardState keyboard;
    XGetKeyboardControl(dpy, &keyboard);
    EXPECT_EQ(earlier.givenBackFirst, keyboard.global_auto_repeat == AutoRepeatModeOn);
    const std::string ours = readFile(path);
    EXPECT_EQ(earlier.takenOver, ours == text) << ours;
    if (!earlier.takenOver) {
        EXPECT_NE(std::string::npos, ours.find("writer " + std::to_string(getpid()) + " ")) << ours;
    }

    // Given back is the desktop as the note has it, the running run's if it was taken over.
    // Only a file of this run's own is removed.
    const bool notedOn = earlier.takenOver || earlier.givenBackFirst;
    notedOn ? XAutoRepeatOff(dpy) : XAutoRepeatOn(dpy);
    XSync(dpy, False);
    TAV_DesktopState::giveBack(dpy);
    XGetKeyboardControl(dpy, &keyboard);
    EXPECT_EQ(notedOn, keyboard.global_auto_repeat == AutoRepeatModeOn);
    EXPECT_EQ(earlier.takenOver ? text : "", readFile(path));
    EXPECT_FALSE(TAV_DesktopState::isNoted());
    XCloseDisplay(dpy);
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Notes, TAV_DesktopStateTest,
    ::testing::Values(
        EarlierNote{"KilledThisBoot", std::string(NO_PROCESS) + " 1 " + thisBoot(), true, false},
        // Its X server has been restarted since, and starts from its own settings.
        EarlierNote{"FromAnotherBoot", std::string(NO_PROCESS) + " 1 00000000-0000-0000-0000-000000000000", false, false},
        // Same pid, but a later process: the writer is gone.
        EarlierNote{"PidReused", "1 " + std::to_string(std::stoull(startTicks(1)) + 1) + " " + thisBoot(), true, false},
        EarlierNote{"StillRunning", "1 " + startTicks(1) + " " + thisBoot(), false, true}),
    [](const ::testing::TestParamInfo<EarlierNote>& info) { return std::string(info.param.name); });

}  // namespace
