#include "Studio.h"

#include <X11/keysym.h>  // Required for: the keysyms of keys without a character (arrows, Home)

#include <chrono>   // Required for: the wall clock of live frames
#include <cstdio>   // Required for: fprintf()
#include <string>
#include <thread>   // Required for: sleep_for() while paused

#include "LoadObject.h"
#include "SectionNavigation.h"
#include "fsound.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
#include "image/TAV_PNGLoader.h"
#include "io/TAV_IO_Keyboard.h"

namespace {

const int kEscapeKey = 27;
// A paused picture is redrawn at most this often: enough for the numbers and a reloaded
// picture to show at once, without spending a core on the same frame.
const double kPausedRedrawMs = 1000.0 / 60.0;
const char kDataFolder[] = "data";

double wallMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Studio::Studio(DemoPlayer& player)
    : player(player), headsUp(*this), watch(kDataFolder)
{
    TAV_IO_Keyboard* keyboard = TAV_IO_Keyboard::getInstance();
    if (player.scene())
        keyboard->removeListener(*player.scene());
    keyboard->addListener(keys);
    TAV_RootScene::getInstance()->setOverlay(&headsUp);
    // A tool's window: the pointer stays visible over it.
    TAV_Window::showCursor(true);
}

Studio::~Studio()
{
    if (TAV_IO_Keyboard::m_ioKeyboard)
        TAV_IO_Keyboard::m_ioKeyboard->removeListener(keys);
    if (TAV_RootScene::m_instance)
        TAV_RootScene::m_instance->setOverlay(nullptr);
}

int Studio::run(int startDemoMs)
{
    // Also where the session stays, should the window close before the first frame.
    lastPositionMs = startDemoMs;
    if (startDemoMs > 0)
        jumpTo(SectionNavigation::clamp(startDemoMs));
    lastPositionMs = positionMs();
    double previousMs = wallMs();
    fpsWindowStartMs = previousMs;
    while (!quitAsked && !player.exited()) {
        StudioKeys::Press press;
        while (!quitAsked && keys.next(press))
            handle(press);
        reloadChangedPictures();
        if (quitAsked || player.exited())
            break;
        if (jumped) {
            // The jump drew its frame; live time goes on from its end, not from before it.
            jumped = false;
            previousMs = wallMs();
            lastPositionMs = positionMs();
            continue;
        }
        if (!isPaused() && player.atEnd()) {
            heldAtEnd = true;
            tellMusic();
        }
        if (isPaused()) {
            const double sinceMs = wallMs() - previousMs;
            if (sinceMs < kPausedRedrawMs)
                std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(kPausedRedrawMs - sinceMs));
        }
        const double nowMs = wallMs();
        const double frameMs = nowMs - previousMs;
        previousMs = nowMs;
        if (isPaused())
            player.redraw();
        else
            player.stepLive(frameMs * speed.speed());
        countFrame(nowMs, frameMs);
        if (player.exited())
            break;
        const bool musicStarted = player.scene()->musicStarted();
        if (musicStarted && !musicWasStarted)
            tellMusic();
        musicWasStarted = musicStarted;
        lastPositionMs = positionMs();
    }
    return lastPositionMs;
}

void Studio::readHeadsUp(HeadsUpLine::Reading& reading) const
{
    const LoadObject* scene = player.scene();
    if (!scene)
        return;
    reading.inPreRoll = !scene->musicStarted();
    reading.loadTimeMs = scene->m_loadTime;
    // The player hands the frame its music time before drawing it: the line is its frame's.
    reading.musicTimeMs = reading.inPreRoll ? 0 : player.musicTimeMs();
    reading.speedLabel = speed.label();
    reading.paused = isPaused();
    reading.heldAtEnd = heldAtEnd;
    reading.frameTimeMs = lastFrameTimeMs;
    reading.framesPerSecond = framesPerSecond;
    reading.typed = typed.text();
}

void Studio::handle(const StudioKeys::Press& press)
{
    switch (typed.key(press.code)) {
    case TypedTime::ENTERED:
        jumpTo(SectionNavigation::clamp(SectionNavigation::demoTimeOfMusic(typed.enteredMs())));
        return;
    case TypedTime::REFUSED:
        std::fprintf(stderr, "tavlen_studio: a time is seconds (32.5) or minutes and seconds (0:32.5)\n");
        return;
    case TypedTime::TAKEN:
    case TypedTime::CANCELLED:
        return;
    case TypedTime::NOT_TAKEN:
        break;
    }
    const int nowMs = positionMs();
    switch (press.code) {
    case ' ':
        pausedByUser = !pausedByUser;
        tellMusic();
        break;
    case XK_Left:
    case XK_KP_Left:
        jumpTo(press.shift ? SectionNavigation::secondBack(nowMs) : SectionNavigation::previousSection(nowMs));
        break;
    case XK_Right:
    case XK_KP_Right:
        jumpTo(press.shift ? SectionNavigation::secondForward(nowMs) : SectionNavigation::nextSection(nowMs));
        break;
    case ',':
        if (isPaused())
            jumpTo(SectionNavigation::frameBack(nowMs));
        break;
    case '.':
        if (isPaused())
            jumpTo(SectionNavigation::frameForward(nowMs));
        break;
    case XK_Home:
    case XK_KP_Home:
        jumpTo(0);
        break;
    case '[':
        if (speed.slower())
            tellMusic();
        break;
    case ']':
        if (speed.faster())
            tellMusic();
        break;
    case 'h':
    case 'H':
        headsUp.setVisible(!headsUp.isVisible());
        break;
    case 'r':
    case 'R':
        TAV_PNGLoader::reloadAll();
        break;
    case kEscapeKey:
        quitAsked = true;
        break;
    default:
        break;
    }
}

void Studio::jumpTo(int demoMs)
{
    // Away from the end, the run plays on unless the user paused it.
    heldAtEnd = false;
    if (SectionNavigation::inPreRoll(demoMs))
        player.seekToLoadTime(demoMs);
    else
        player.seekToMusicTime(demoMs - LoadObject::PRE_ROLL_MS);
    jumped = true;
    if (player.exited())
        return;
    const LoadObject* scene = player.scene();
    musicWasStarted = scene->musicStarted();
    // The music goes where the picture landed (the start, in the pre-roll: the scene's
    // timeline starts it again there, and it waits at 0 until then).
    FSOUND_Stream_SetTime(scene->m_stream, musicWasStarted ? player.musicTimeMs() : 0);
    tellMusic();
}

void Studio::tellMusic()
{
    const LoadObject* scene = player.scene();
    if (!scene)
        return;
    // In the pre-roll the music is not due yet, whether or not an earlier pass started it.
    FSOUND_Stream_SetPaused(scene->m_stream, isPaused() || !scene->musicStarted());
    FSOUND_Stream_SetSpeed(scene->m_stream, speed.speed());
}

void Studio::reloadChangedPictures()
{
    std::string path;
    while (watch.nextChanged(path))
        TAV_PNGLoader::reload(path.c_str());
}

int Studio::positionMs() const
{
    const LoadObject* scene = player.scene();
    if (!scene)
        return lastPositionMs;
    if (!scene->musicStarted())
        return scene->m_loadTime;
    return SectionNavigation::demoTimeOfMusic(player.musicTimeMs());
}

void Studio::countFrame(double nowMs, double frameTimeMs)
{
    lastFrameTimeMs = frameTimeMs;
    ++fpsWindowFrames;
    const double windowMs = nowMs - fpsWindowStartMs;
    if (windowMs >= 1000.0) {
        framesPerSecond = int(fpsWindowFrames * 1000.0 / windowMs + 0.5);
        fpsWindowFrames = 0;
        fpsWindowStartMs = nowMs;
    }
}
