#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "io/TAV_IO_Keyboard.h"
#include "io/TAV_IO_KeyboardAdapter.h"

namespace {

using Calls = std::vector<std::string>;

// Writes "<name>:<event>" for each call into a shared record, then runs its optional action.
struct Recorder : TAV_IO_KeyboardAdapter {
    Recorder(const char* name, Calls& calls) : name(name), calls(calls) {}
    void keyPressed(int code) override
    {
        calls.push_back(name + ":" + std::to_string(code));
        if (onPress)
            onPress();
    }
    void keyReleased(int code) override { calls.push_back(name + ":up " + std::to_string(code)); }
    std::function<void()> onPress;
    std::string name;
    Calls& calls;
};

// Listeners are called newest first, and handlers may add and remove listeners (themselves
// included) while a dispatch runs: a removed one is not called from then on, also by that
// dispatch, an added one from the next event. A listener added twice is called twice.
TEST(KeyboardDispatch, CallsNewestFirstAndHandlersMayChangeTheListWhileItIsWalked)
{
    using Run = std::function<void(TAV_IO_Keyboard*, Recorder&, Recorder&, Recorder&)>;
    const struct {
        const char* name;
        Run run;
        Calls expected;
        int listenersAfter;
    } scenarios[] = {
        {"newest first; removing a stranger changes nothing",
         [](TAV_IO_Keyboard* k, Recorder& a, Recorder& b, Recorder& c) {
             k->addListener(a), k->addListener(b), k->keyPressedEvent(1), k->keyReleasedEvent(1);
             k->removeListener(b), k->removeListener(c), k->keyPressedEvent(2);
         },
         {"B:1", "A:1", "B:up 1", "A:up 1", "A:2"}, 1},
        {"added twice: called twice until removed twice",
         [](TAV_IO_Keyboard* k, Recorder& a, Recorder&, Recorder&) {
             k->addListener(a), k->addListener(a), k->keyPressedEvent(1);
             k->removeListener(a), k->keyPressedEvent(2), k->removeListener(a), k->keyPressedEvent(3);
         },
         {"A:1", "A:1", "A:2"}, 0},
        {"a handler removes itself, then one whose turn has not come",
         [](TAV_IO_Keyboard* k, Recorder& a, Recorder& b, Recorder& c) {
             k->addListener(a), k->addListener(b), k->addListener(c);
             b.onPress = [k, &b] { k->removeListener(b); };
             k->keyPressedEvent(1);
             c.onPress = [k, &a] { k->removeListener(a); };
             k->keyPressedEvent(2);
         },
         {"C:1", "B:1", "A:1", "C:2"}, 1},
        {"a handler adds a listener",
         [](TAV_IO_Keyboard* k, Recorder& a, Recorder& b, Recorder&) {
             k->addListener(a);
             a.onPress = [k, &a, &b] { k->addListener(b), a.onPress = nullptr; };
             k->keyPressedEvent(1), k->keyPressedEvent(2);
         },
         {"A:1", "B:2", "A:2"}, 2},
        {"a removal inside a nested dispatch holds for both walks",
         [](TAV_IO_Keyboard* k, Recorder& a, Recorder& b, Recorder&) {
             k->addListener(a), k->addListener(b);
             b.onPress = [k, &a, &b] {
                 TAV_IO_Keyboard* keyboard = k;  // the captures die with the next line
                 Recorder& older = a;
                 b.onPress = nullptr;
                 keyboard->removeListener(older), keyboard->keyPressedEvent(9);
             };
             k->keyPressedEvent(1), k->keyPressedEvent(2);
         },
         {"B:1", "B:9", "B:2"}, 1},
    };
    for (const auto& s : scenarios) {
        Calls calls;
        Recorder a("A", calls), b("B", calls), c("C", calls);
        TAV_IO_Keyboard* keyboard = TAV_IO_Keyboard::getInstance();
        s.run(keyboard, a, b, c);
        EXPECT_EQ(s.expected, calls) << s.name;
        EXPECT_EQ(s.listenersAfter, keyboard->getListenerCount()) << s.name;
        delete keyboard;  // releases the list, not the listeners
        EXPECT_EQ(nullptr, TAV_IO_Keyboard::m_ioKeyboard);
    }
}

}  // namespace
