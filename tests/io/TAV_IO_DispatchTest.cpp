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

// Listeners are called newest first, and handlers may add and remove listeners (themselves
// included) while a dispatch runs: a removed one is not called from then on, an added one
// from the next event.
TEST(KeyboardDispatch, CallsNewestFirstAndHandlersMayChangeTheListWhileItIsWalked)
{
    struct Scenario {
        const char* name;
        std::function<void(TAV_IO_Keyboard*, KeyRecorder&, KeyRecorder&, KeyRecorder&)> run;
        Calls expected;
        int listenersAfter;
    };
    const Scenario scenarios[] = {
        {"newest first, removal, a stranger's removal",
         [](TAV_IO_Keyboard* k, KeyRecorder& a, KeyRecorder& b, KeyRecorder& c) {
             k->addListener(a);
             k->addListener(b);
             k->keyPressedEvent(113);
             k->keyReleasedEvent(113);
             k->removeListener(b);
             k->removeListener(c);  // never added: changes nothing
             k->keyPressedEvent(27);
         },
         {"B:press 113", "A:press 113", "B:release 113", "A:release 113", "A:press 27"}, 1},
        {"added twice: called twice until removed twice",
         [](TAV_IO_Keyboard* k, KeyRecorder& a, KeyRecorder&, KeyRecorder&) {
             k->addListener(a);
             k->addListener(a);
             k->keyPressedEvent(1);
             k->removeListener(a);
             k->keyPressedEvent(2);
             k->removeListener(a);
             k->keyPressedEvent(3);
         },
         {"A:press 1", "A:press 1", "A:press 2"}, 0},
        {"a handler removes itself",
         [](TAV_IO_Keyboard* k, KeyRecorder& a, KeyRecorder& b, KeyRecorder& c) {
             k->addListener(a);
             k->addListener(b);
             k->addListener(c);
             b.onPress = [k, &b] { k->removeListener(b); };
             k->keyPressedEvent(1);
             k->keyPressedEvent(2);
         },
         {"C:press 1", "B:press 1", "A:press 1", "C:press 2", "A:press 2"}, 2},
        {"a handler removes one whose turn has not come",
         [](TAV_IO_Keyboard* k, KeyRecorder& a, KeyRecorder& b, KeyRecorder& c) {
             k->addListener(a);
             k->addListener(b);
             k->addListener(c);
             c.onPress = [k, &b, &c] {
                 k->removeListener(b);
                 k->removeListener(c);
             };
             k->keyPressedEvent(1);
         },
         {"C:press 1", "A:press 1"}, 1},
        {"a handler adds a listener",
         [](TAV_IO_Keyboard* k, KeyRecorder& a, KeyRecorder& b, KeyRecorder&) {
             k->addListener(a);
             a.onPress = [k, &a, &b] {
                 k->addListener(b);
                 a.onPress = nullptr;
             };
             k->keyPressedEvent(1);
             k->keyPressedEvent(2);
         },
         {"A:press 1", "B:press 2", "A:press 2"}, 2},
        {"a removal inside a nested dispatch holds for both walks",
         [](TAV_IO_Keyboard* k, KeyRecorder& a, KeyRecorder& b, KeyRecorder&) {
             k->addListener(a);
             k->addListener(b);
             b.onPress = [k, &a, &b] {
                 TAV_IO_Keyboard* keyboard = k;  // the captures die with the next line
                 KeyRecorder& older = a;
                 b.onPress = nullptr;
                 keyboard->removeListener(older);
                 keyboard->keyPressedEvent(9);
             };
             k->keyPressedEvent(1);
             k->keyPressedEvent(2);
         },
         {"B:press 1", "B:press 9", "B:press 2"}, 1},
    };
    for (const Scenario& s : scenarios) {
        Calls calls;
        KeyRecorder a("A", calls), b("B", calls), c("C", calls);
        TAV_IO_Keyboard* keyboard = TAV_IO_Keyboard::getInstance();
        s.run(keyboard, a, b, c);
        EXPECT_EQ(s.expected, calls) << s.name;
        EXPECT_EQ(s.listenersAfter, keyboard->getListenerCount()) << s.name;
        delete keyboard;  // releases the list, not the listeners
        EXPECT_EQ(nullptr, TAV_IO_Keyboard::m_ioKeyboard);
    }
}

struct MouseRecorder : TAV_IO_MouseAdapter {
    void mouseMoved(int x, int y) override { calls.push_back(std::to_string(x) + "," + std::to_string(y)); }
    Calls calls;
};

TEST(MouseDispatch, RemovedListenersAreNoLongerCalled)
{
    MouseRecorder kept, removed;
    TAV_IO_Mouse* mouse = TAV_IO_Mouse::getInstance();
    mouse->addListener(kept);
    mouse->addListener(removed);
    mouse->motionEvent(1, 2);
    mouse->removeListener(removed);
    mouse->motionEvent(3, 4);
    EXPECT_EQ((Calls{"1,2", "3,4"}), kept.calls);
    EXPECT_EQ((Calls{"1,2"}), removed.calls);
    EXPECT_EQ(1, mouse->getListenerCount());
    delete mouse;
}

}  // namespace
