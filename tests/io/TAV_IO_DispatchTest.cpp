#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "io/TAV_IO_Keyboard.h"
#include "io/TAV_IO_KeyboardAdapter.h"
#include "io/TAV_IO_Mouse.h"
#include "io/TAV_IO_MouseAdapter.h"

namespace {

using Calls = std::vector<std::string>;

// Writes "<name>:<event>" for each call into a shared record, then runs its optional action.
class KeyRecorder : public TAV_IO_KeyboardAdapter {
public:
    KeyRecorder(const char* name, Calls& calls) : name(name), calls(calls) {}
    void keyPressed(int code) override
    {
        calls.push_back(name + ":press " + std::to_string(code));
        if (onPress)
            onPress();
    }
    void keyReleased(int code) override { calls.push_back(name + ":release " + std::to_string(code)); }

    std::function<void()> onPress;

private:
    std::string name;
    Calls& calls;
};

class MouseRecorder : public TAV_IO_MouseAdapter {
public:
    MouseRecorder(const char* name, Calls& calls) : name(name), calls(calls) {}
    void mousePressed(int button, int x, int y) override { record("press", button, x, y); }
    void mouseReleased(int button, int x, int y) override { record("release", button, x, y); }
    void mouseMoved(int x, int y) override
    {
        calls.push_back(name + ":move " + std::to_string(x) + "," + std::to_string(y));
        if (onMove)
            onMove();
    }

    std::function<void()> onMove;

private:
    void record(const char* what, int button, int x, int y)
    {
        calls.push_back(name + ":" + what + " " + std::to_string(button) + " " + std::to_string(x) + ","
                        + std::to_string(y));
    }
    std::string name;
    Calls& calls;
};

class KeyboardDispatch : public ::testing::Test {
protected:
    void TearDown() override { delete TAV_IO_Keyboard::m_ioKeyboard; }

    TAV_IO_Keyboard* keyboard() { return TAV_IO_Keyboard::getInstance(); }

    Calls calls;
    KeyRecorder a{"A", calls};
    KeyRecorder b{"B", calls};
    KeyRecorder c{"C", calls};
};

TEST_F(KeyboardDispatch, CallsTheNewestListenerFirst)
{
    keyboard()->addListener(a);
    keyboard()->addListener(b);
    keyboard()->keyPressedEvent(113);
    keyboard()->keyReleasedEvent(113);
    EXPECT_EQ((Calls{"B:press 113", "A:press 113", "B:release 113", "A:release 113"}), calls);
}

TEST_F(KeyboardDispatch, RemovedListenersAreNoLongerCalled)
{
    keyboard()->addListener(a);
    keyboard()->addListener(b);
    keyboard()->removeListener(b);
    keyboard()->removeListener(c);  // never added: changes nothing
    keyboard()->keyPressedEvent(27);
    EXPECT_EQ((Calls{"A:press 27"}), calls);
    EXPECT_EQ(1, keyboard()->getListenerCount());
}

TEST_F(KeyboardDispatch, AListenerAddedTwiceIsCalledTwiceUntilRemovedTwice)
{
    keyboard()->addListener(a);
    keyboard()->addListener(a);
    keyboard()->keyPressedEvent(1);
    keyboard()->removeListener(a);
    keyboard()->keyPressedEvent(2);
    keyboard()->removeListener(a);
    keyboard()->keyPressedEvent(3);
    EXPECT_EQ((Calls{"A:press 1", "A:press 1", "A:press 2"}), calls);
}

TEST_F(KeyboardDispatch, AHandlerMayRemoveItselfWithoutDisturbingTheWalk)
{
    keyboard()->addListener(a);
    keyboard()->addListener(b);
    keyboard()->addListener(c);  // order: C, B, A
    b.onPress = [&] { keyboard()->removeListener(b); };
    keyboard()->keyPressedEvent(1);
    keyboard()->keyPressedEvent(2);
    EXPECT_EQ((Calls{"C:press 1", "B:press 1", "A:press 1", "C:press 2", "A:press 2"}), calls);
    EXPECT_EQ(2, keyboard()->getListenerCount());
}

TEST_F(KeyboardDispatch, AListenerRemovedByAnEarlierOneIsNotCalledAnyMore)
{
    keyboard()->addListener(a);
    keyboard()->addListener(b);
    keyboard()->addListener(c);  // order: C, B, A
    c.onPress = [&] {
        keyboard()->removeListener(b);  // not yet called: skipped
        keyboard()->removeListener(c);  // the running one
    };
    keyboard()->keyPressedEvent(1);
    EXPECT_EQ((Calls{"C:press 1", "A:press 1"}), calls);
    EXPECT_EQ(1, keyboard()->getListenerCount());
}

TEST_F(KeyboardDispatch, AListenerAddedByAHandlerIsCalledFromTheNextEventOn)
{
    keyboard()->addListener(a);
    a.onPress = [&] {
        keyboard()->addListener(b);
        a.onPress = nullptr;
    };
    keyboard()->keyPressedEvent(1);
    keyboard()->keyPressedEvent(2);
    EXPECT_EQ((Calls{"A:press 1", "B:press 2", "A:press 2"}), calls);
}

TEST_F(KeyboardDispatch, RemovalInsideANestedDispatchHoldsForBothWalks)
{
    keyboard()->addListener(a);
    keyboard()->addListener(b);  // order: B, A
    b.onPress = [&] {
        b.onPress = nullptr;
        keyboard()->removeListener(a);
        keyboard()->keyPressedEvent(9);  // a handler that fires another event
    };
    keyboard()->keyPressedEvent(1);
    keyboard()->keyPressedEvent(2);
    EXPECT_EQ((Calls{"B:press 1", "B:press 9", "B:press 2"}), calls);
}

TEST_F(KeyboardDispatch, IsASingletonThatResetsItsPointerWhenDeleted)
{
    TAV_IO_Keyboard* first = keyboard();
    EXPECT_EQ(first, TAV_IO_Keyboard::getInstance());
    first->addListener(a);
    delete first;  // releases the list, not the listener
    EXPECT_EQ(nullptr, TAV_IO_Keyboard::m_ioKeyboard);
    EXPECT_EQ(0, keyboard()->getListenerCount());
}

class MouseDispatch : public ::testing::Test {
protected:
    void TearDown() override { delete TAV_IO_Mouse::m_ioMouse; }

    TAV_IO_Mouse* mouse() { return TAV_IO_Mouse::getInstance(); }

    Calls calls;
    MouseRecorder a{"A", calls};
    MouseRecorder b{"B", calls};
};

TEST_F(MouseDispatch, ForwardsButtonsAndMotionNewestFirst)
{
    mouse()->addListener(a);
    mouse()->addListener(b);
    mouse()->buttonPressedEvent(1, 10, 20);
    mouse()->buttonReleasedEvent(3, 30, 40);
    mouse()->motionEvent(5, 6);
    EXPECT_EQ((Calls{"B:press 1 10,20", "A:press 1 10,20", "B:release 3 30,40", "A:release 3 30,40",
                     "B:move 5,6", "A:move 5,6"}),
              calls);
}

TEST_F(MouseDispatch, AHandlerMayRemoveItselfAndTheOthersStillHearTheEvent)
{
    mouse()->addListener(a);
    mouse()->addListener(b);
    b.onMove = [&] { mouse()->removeListener(b); };
    mouse()->motionEvent(1, 1);
    mouse()->motionEvent(2, 2);
    mouse()->removeListener(b);  // no longer there: changes nothing
    EXPECT_EQ((Calls{"B:move 1,1", "A:move 1,1", "A:move 2,2"}), calls);
    EXPECT_EQ(1, mouse()->getListenerCount());
}

}  // namespace
