// The first_scene program itself, on a private Xvfb: it opens its window through the engine
// and Escape ends it in order. (What it draws is FirstSceneTest's.)
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent()
#include <X11/keysym.h>

#include "support/TestDisplayProbe.h"
#include "support/TestGLContext.h"
#include "support/TestProcess.h"
#include "support/TestXServer.h"

TEST(FirstSceneProgram, RunsInItsEngineWindowUntilEscape)
{
    // No app.cfg: the engine's defaults, full screen, so the window holds the keyboard.
    TestXServer server(TestXServer::XVFB);
    TestDisplayProbe probe(server.display());
    ASSERT_TRUE(probe.ok());
    TestProcess program(TAVLEN_BINARY_DIR "/examples/first_scene");
    program.setEnv("DISPLAY", server.display());
    program.setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
    program.setWorkDir(tavtest::scratchDir());
    ASSERT_TRUE(program.start()) << program.error();

    // Switching key repeat off is the engine's last start-up step.
    ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return !probe.autoRepeatOn() || !program.running(); }, 30000));
    ASSERT_TRUE(program.running()) << program.describeEnd() << "\n" << program.stderrText();
    ASSERT_EQ(1u, probe.viewableTopLevelWindows().size());

    for (KeySym key : {XK_Up, XK_Escape}) {
        const unsigned int keycode = XKeysymToKeycode(probe.display(), key);
        XTestFakeKeyEvent(probe.display(), keycode, True, CurrentTime);
        XTestFakeKeyEvent(probe.display(), keycode, False, CurrentTime);
    }
    XSync(probe.display(), False);
    ASSERT_TRUE(program.wait(20000)) << "still running after Escape";
    EXPECT_EQ("exit 0", program.describeEnd());
    EXPECT_EQ("", program.stderrText());
    EXPECT_TRUE(probe.autoRepeatOn());
}
