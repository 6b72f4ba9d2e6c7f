// The browser's key names give the codes the desktop's X pump gives for the same keys, so
// the demo and the examples react alike on both platforms.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "io/TAV_IO_WebKeys.h"

TEST(WebKeys, DomKeyNamesGiveTheCodesOfTheXPump)
{
    const struct {
        const char* domKey;
        int code;
    } cases[] = {
        {"q", 113}, {"Q", 81}, {" ", 32}, {"1", 49}, {"Escape", 27}, {"Enter", 13}, {"Tab", 9},
        {"Backspace", 8}, {"Delete", 127}, {"ArrowUp", XK_Up}, {"ArrowDown", XK_Down},
        {"ArrowLeft", XK_Left}, {"ArrowRight", XK_Right}, {"F1", XK_F1}, {"F12", XK_F12},
        {"Home", XK_Home}, {"PageDown", XK_Next}, {"Shift", XK_Shift_L},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TAV_IO_WebKeys::translate(c.domKey), c.code) << c.domKey;
}

TEST(WebKeys, UnknownOrEmptyNamesGiveNoKey)
{
    for (const char* name : {"", "F13", "F0", "Fx", "MediaPlayPause", "Dead", "\xc3\xa9"})
        EXPECT_EQ(TAV_IO_WebKeys::translate(name), 0) << name;
    EXPECT_EQ(TAV_IO_WebKeys::translate(nullptr), 0);
}
