// tavlen_studio: the demo in a window with its music, and the keys a demo maker works with.
//
//   tavlen_studio [--at SECONDS | --resume]
//
// It plays the demo as tavlen does (app.cfg's size and VSYNC, the same frames and sync),
// always in a window, and adds: Space (pause), Left/Right (previous/next section), Shift with
// them (a second), comma/period while paused (a frame), Home (the start), a typed time and
// Enter (a jump there), [ and ] (speed), H (the heads-up line), R (reload the pictures),
// Escape (a typed time cancelled, else the end). Pictures changed in data/ show by
// themselves. --at starts at a music time (seconds, or m:ss.mmm); where the session ended is
// kept in the user's Tavlen folder and --resume starts there. At the end of the demo the last
// frame is held.
// Exit status: 0 after Escape, the close button or a termination signal; 2 for arguments it
// does not take; 254 when the demo cannot be built (the message on stderr). It runs in the
// current folder when that holds data/, else in the build folder.
#include <unistd.h>  // Required for: getcwd()

#include <climits>  // Required for: PATH_MAX
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "DemoPlayer.h"
#include "ResumeFile.h"
#include "SectionNavigation.h"
#include "Studio.h"
#include "TypedTime.h"
#include "core/TAV_Window.h"
#include "sys/TAV_Exception.h"
#include "sys/TAV_SYS_Config.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tavlen_studio [--at SECONDS | --resume]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int startDemoMs = 0;
    bool resume = false;
    bool startGiven = false;
    for (int i = 1; i < argc; ++i) {
        int musicMs = 0;
        if (std::strcmp(argv[i], "--at") == 0 && i + 1 < argc && !startGiven
            && TypedTime::parse(argv[i + 1], musicMs)) {
            startDemoMs = SectionNavigation::clamp(SectionNavigation::demoTimeOfMusic(musicMs));
            startGiven = true;
            ++i;
        } else if (std::strcmp(argv[i], "--resume") == 0 && !startGiven) {
            resume = true;
            startGiven = true;
        } else {
            return usage();
        }
    }
    if (!DemoPlayer::enterDataFolder(TAVLEN_BINARY_DIR)) {
        std::fprintf(stderr, "tavlen_studio: no data/ here or in %s\n", TAVLEN_BINARY_DIR);
        return 2;
    }
    if (const char* reason = TAV_SYS_Config::unreadableReason("app.cfg")) {
        char folder[PATH_MAX];
        std::fprintf(stderr, "tavlen_studio: %s/app.cfg cannot be read (%s); the default settings apply\n",
                     getcwd(folder, sizeof(folder)) ? folder : ".", reason);
    }
    const std::string resumePath = ResumeFile::pathFromEnvironment();
    if (resume && !ResumeFile::load(resumePath, startDemoMs)) {
        std::fprintf(stderr, "tavlen_studio: no position kept in %s; starting at the beginning\n",
                     resumePath.empty() ? "(no HOME)" : resumePath.c_str());
        startDemoMs = 0;
    }

    // Someone's desktop: neither its video mode nor its key repeat is the studio's to change.
    TAV_Window::m_leaveDisplaySettings = true;
    int endDemoMs = startDemoMs;
    try {
        // app.cfg's size and VSYNC, always a window; frames of 1/60 s for jumps, as the
        // capture's default.
        DemoPlayer player(1000.0 / 60.0, DemoPlayer::WIDTH, DemoPlayer::HEIGHT, DemoPlayer::LIVE_WINDOW);
        Studio studio(player);
        endDemoMs = studio.run(startDemoMs);
    } catch (TAV_Exception* e) {
        const std::unique_ptr<TAV_Exception> owned(e);
        std::fprintf(stderr, "tavlen_studio: %s\n", e->getMessage());
        return 254;
    }
    if (!ResumeFile::save(resumePath, endDemoMs))
        std::fprintf(stderr, "tavlen_studio: the position could not be kept in %s\n",
                     resumePath.empty() ? "(no HOME)" : resumePath.c_str());
    return 0;
}
