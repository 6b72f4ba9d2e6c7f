// tavlen_capture: the demo as a video file with its music, frame-exact at any frame rate.
//
//   tavlen_capture [--size WxH] [--fps N] [--from MS] [--to MS] [--quality CRF] OUTPUT
//
// The demo is played on the deterministic player, so every frame shows its exact moment
// however long it takes to render: frame k shows demo time k x 1000 / fps. A capture --from
// a later moment jumps there (DemoPlayer::seekToFrame): the frames before it are rehearsed
// without drawing, and the frames captured are those of a capture from the start. Frames are read
// back through pixel buffer objects and encoded on a thread of their own (EncoderThread),
// into an MP4 or Matroska file (MovieWriter) or a folder of PNGs and a WAV
// (FrameFolderWriter). The music is decoded by the music layer's decoder (MusicTrack) and
// placed so that music time t sounds with the frame that shows music time t: its first
// sample starts with the frame that starts the music, after the silent pre-roll.
//
// With DISPLAY set it renders in a plain window on that display, leaving its video mode and
// keyboard auto-repeat alone; without, it starts an Xvfb of its own (PrivateXServer). The
// player's own music playback goes to OpenAL's null output: a capture makes no sound.
// It runs in the current folder when that holds data/, else in the build folder. The output
// is written beside its name and renamed when complete (PendingOutput); a capture that does
// not reach the end of its range (Escape or a close request in its window, an error, a
// signal) leaves nothing. Exit status: 0 done, 1 failed, 2 bad command line, 130
// interrupted; a refusal is one line on stderr.
#include <X11/Xlib.h>  // Required for: XSetIOErrorHandler()
#include <signal.h>     // Required for: signal(), the interrupt
#include <unistd.h>     // Required for: getcwd(), _exit()

#include <cstdio>
#include <cstdlib>   // Required for: getenv(), setenv()
#include <memory>    // Required for: std::unique_ptr
#include <string>
#include <vector>

#include "CaptureOptions.h"
#include "DemoPlayer.h"
#include "EncoderThread.h"
#include "FrameFolderWriter.h"
#include "FrameReader.h"
#include "MovieWriter.h"
#include "MusicTrack.h"
#include "PendingOutput.h"
#include "PrivateXServer.h"
#include "ProgressLine.h"
#include "core/TAV_Engine.h"  // Required for: a signal that ended the run
#include "core/TAV_Window.h"
#include "sys/TAV_Exception.h"

namespace {

const char* const kMusicFile = "data/ormund_france.ogg";
// Frames queued between the renderer and the encoder: enough to ride out the encoder's
// slow moments (x264's key frames), few enough to keep memory small at large sizes.
const int kQueueDepth = 4;

volatile sig_atomic_t g_interrupted = 0;

// For lostDisplay(), which cannot be handed them.
PendingOutput* g_output = nullptr;
ProgressLine* g_progress = nullptr;

void interrupt(int)
{
    g_interrupted = 1;
}

// The player's engine takes the termination signals for its own orderly exit, which a
// capture does not use: they are taken back after it starts (and stay ours after it goes).
void catchInterrupts()
{
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        signal(signalNumber, interrupt);
}

// Xlib ends the process when the X connection breaks (the server killed or gone under the
// capture), after this handler and with no way back to tidy up: the pending output goes here,
// and the failure is one line instead of Xlib's two.
int lostDisplay(Display*)
{
    g_progress->fail("tavlen_capture: lost the X display: nothing written");
    g_output->discard();
    _exit(1);
}

int refuse(const std::string& why, int status = 1)
{
    std::fprintf(stderr, "tavlen_capture: %s\n", why.c_str());
    return status;
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    std::vector<char> here(4096);
    if (!getcwd(here.data(), here.size()))
        return path;
    return std::string(here.data()) + "/" + path;
}

// How far the frame loop got.
struct CaptureRun {
    int captured = 0;     // frames handed to the encoder
    int drawnFrames = 0;  // frames of the run the player has played, the ones before --from included
};

// Renders and hands frames to the encoder, up to the range's end or until the demo exits.
CaptureRun captureFrames(DemoPlayer& player, const CaptureOptions& options, const MusicTrack& music,
                         EncoderThread& encoder, ProgressLine& progress)
{
    FrameReader reader(player.width(), player.height());
    const int first = options.firstFrame();
    const int end = options.endFrame();
    int musicStartPlayerFrame = -1;
    CaptureRun run;
    uint8_t* slot = nullptr;
    auto musicStart = [&] {
        return musicStartPlayerFrame < 0 ? FrameSink::NO_MUSIC_YET
                                         : music.frameStart(musicStartPlayerFrame - first, options.fps);
    };
    // The first frame captured is frame `first` of the run, whose number (counting from 1)
    // is first + 1: the frames before it are rehearsed, not drawn.
    bool jumpFirst = first > 0;
    while (!g_interrupted && player.frameCount() < end) {
        const bool played = jumpFirst ? player.seekToFrame(first + 1) : player.step();
        jumpFirst = false;
        if (!played)
            break;  // the demo has ended (before --from, too), by itself or asked to
        run.drawnFrames = player.frameCount();
        if (musicStartPlayerFrame < 0 && player.musicStartFrame() > 0)
            musicStartPlayerFrame = player.musicStartFrame() - 1;
        progress.update(player.frameCount());
        if (!slot && !(slot = encoder.acquire()))
            return run;  // the encoder has failed; finish() says why
        if (reader.read(slot)) {
            encoder.submit(slot, run.captured++, musicStart());
            slot = nullptr;
        }
    }
    if (g_interrupted)
        return run;
    if (!slot)
        slot = encoder.acquire();
    if (slot && reader.flush(slot))
        encoder.submit(slot, run.captured++, musicStart());
    return run;
}

// Whether the demo was ended (Escape, the window's close request) before the range's last
// frame: every frame shown before the demo's own end must have been drawn. Its own end comes
// with the first frame at or past DEMO_LENGTH_MS, which the player does not draw in full.
bool endedEarly(const DemoPlayer& player, const CaptureOptions& options, const CaptureRun& run)
{
    return player.exited() && run.drawnFrames < options.firstFrame() + options.expectedFrames();
}

}  // namespace

int main(int argc, char** argv)
{
    CaptureOptions options;
    std::string why;
    if (!options.parse(std::vector<std::string>(argv + 1, argv + argc), why)) {
        return refuse(why + " (tavlen_capture --help shows the usage)", 2);
    }
    if (options.helpAsked) {
        std::printf("%s", CaptureOptions::usage().c_str());
        return 0;
    }
    catchInterrupts();

    PendingOutput output(absolutePath(options.output));
    if (!output.create(why))
        return refuse(why);
    if (!DemoPlayer::enterDataFolder(TAVLEN_BINARY_DIR))
        return refuse(std::string("no data/ here nor in ") + TAVLEN_BINARY_DIR + ": build the tavlen_data target first");
    MusicTrack music;
    if (!music.load(kMusicFile, why))
        return refuse(std::string("cannot read the music ") + kMusicFile + " (" + why + ")");

    std::unique_ptr<PrivateXServer> privateServer;
    const char* display = std::getenv("DISPLAY");
    if (!display || !display[0]) {
        privateServer.reset(new PrivateXServer());
        if (!privateServer->start(options.widthPx, options.heightPx, why))
            return refuse(why);
        setenv("DISPLAY", privateServer->display().c_str(), 1);
    }
    // The player starts the music as the demo does; it must not reach the speakers.
    setenv("ALSOFT_DRIVERS", "null", 1);
    TAV_Window::m_leaveDisplaySettings = true;

    CaptureRun run;
    ProgressLine progress(options.firstFrame() + options.expectedFrames());
    // After the progress line has been shown, a failure is written over it.
    auto fail = [&progress](const std::string& why, int status = 1) {
        progress.fail("tavlen_capture: " + why);
        return status;
    };
    try {
        std::unique_ptr<FrameSink> sink;
        if (options.container == CaptureOptions::FOLDER)
            sink.reset(new FrameFolderWriter(output.path(), options.widthPx, options.heightPx, options.fps, music));
        else
            sink.reset(new MovieWriter(output.path(), options.container == CaptureOptions::MKV, options.widthPx,
                                       options.heightPx, options.fps, options.crf, music));
        DemoPlayer player(1000.0 / options.fps, options.widthPx, options.heightPx);
        catchInterrupts();
        g_output = &output;
        g_progress = &progress;
        XSetIOErrorHandler(lostDisplay);
        EncoderThread encoder(*sink, size_t(options.widthPx) * size_t(options.heightPx) * 4, kQueueDepth);
        run = captureFrames(player, options, music, encoder, progress);
        // A signal that came while the player was being built reached its engine instead.
        if (TAV_Engine::m_instance && TAV_Engine::m_instance->endingSignal())
            g_interrupted = 1;
        if (g_interrupted)
            return fail("interrupted: nothing written", 130);
        if (endedEarly(player, options, run)) {
            const long long stopMs = (long long)run.drawnFrames * 1000 / options.fps;
            const long long endMs = (long long)(options.firstFrame() + options.expectedFrames()) * 1000 / options.fps;
            return fail("the demo was ended at demo time " + std::to_string(stopMs) + " ms, before the capture's end at "
                        + std::to_string(endMs) + " ms: nothing written");
        }
        if (!encoder.finish(why))
            return fail(why);
        if (run.captured == 0)
            return fail("the demo ended before --from: nothing written");
    } catch (TAV_Exception* e) {
        why = e->getMessage();
        delete e;
        return fail(why);
    }
    if (!output.commit(why))
        return fail(why);
    const int captured = run.captured;

    const double seconds = progress.elapsedSeconds();
    char summary[512];
    std::snprintf(summary, sizeof(summary),
                  "tavlen_capture: wrote %s: %d frames (%.2f s, demo time %lld to %lld ms), %dx%d at %d fps, "
                  "in %.1f s (%.1f frames/s)",
                  options.output.c_str(), captured, double(captured) / options.fps,
                  (long long)options.firstFrame() * 1000 / options.fps,
                  (long long)(options.firstFrame() + captured - 1) * 1000 / options.fps, options.widthPx,
                  options.heightPx, options.fps, seconds, seconds > 0.0 ? captured / seconds : 0.0);
    progress.done(summary);
    return 0;
}
