#include "io/TAV_KeyLookupTable.h"

#include <cstring>  // Required for: strcmp()

#include <X11/keysym.h>  // Required for: XK_* keysym values

const char* const TAV_KeyLookupTable::keyTable[] = {
    "EVK_ESC", "EVK_BS", "EVK_TAB", "EVK_DEL",
    "EVK_F1", "EVK_F2", "EVK_F3", "EVK_F4", "EVK_F5", "EVK_F6",
    "EVK_F7", "EVK_F8", "EVK_F9", "EVK_F10", "EVK_F11", "EVK_F12",
    "EVK_CAPS", "EVK_LCTRL", "EVK_RCTRL", "EVK_ALT", "EVK_ALT_GR", "EVK_LSHIFT", "EVK_RSHIFT",
    "EVK_UP", "EVK_DOWN", "EVK_LEFT", "EVK_RIGHT",
    "EVK_PRINT", "EVK_SCROLL", "EVK_PAUSE", "EVK_INSERT", "EVK_HOME", "EVK_PG_UP", "EVK_END", "EVK_PG_DOWN",
    "EVK_KP_NUM", "EVK_KP_HOME", "EVK_KP_UP", "EVK_KP_PG_UP", "EVK_KP_LEFT", "EVK_KP_CENTER",
    "EVK_KP_RIGHT", "EVK_KP_END", "EVK_KP_DOWN", "EVK_KP_PG_DOWN", "EVK_KP_INS", "EVK_KP_DEL",
    "EVK_KP_ENTER",
};

// The first four keys produce a character, so the pump reports the character code.
const int TAV_KeyLookupTable::valTable[] = {
    27, 8, 9, 127,
    XK_F1, XK_F2, XK_F3, XK_F4, XK_F5, XK_F6,
    XK_F7, XK_F8, XK_F9, XK_F10, XK_F11, XK_F12,
    XK_Caps_Lock, XK_Control_L, XK_Control_R, XK_Alt_L, XK_Mode_switch, XK_Shift_L, XK_Shift_R,
    XK_Up, XK_Down, XK_Left, XK_Right,
    XK_Print, XK_Scroll_Lock, XK_Pause, XK_Insert, XK_Home, XK_Prior, XK_End, XK_Next,
    XK_Num_Lock, XK_KP_Home, XK_KP_Up, XK_KP_Prior, XK_KP_Left, XK_KP_Begin,
    XK_KP_Right, XK_KP_End, XK_KP_Down, XK_KP_Next, XK_KP_Insert, XK_KP_Delete,
    XK_KP_Enter,
};

const int TAV_KeyLookupTable::tableLength = 48;

static_assert(sizeof(TAV_KeyLookupTable::keyTable) / sizeof(TAV_KeyLookupTable::keyTable[0]) == 48,
              "one name per key");
static_assert(sizeof(TAV_KeyLookupTable::valTable) / sizeof(TAV_KeyLookupTable::valTable[0]) == 48,
              "one code per name");

int TAV_KeyLookupTable::getKeyCode(const char* name)
{
    for (int i = 0; i < tableLength; ++i) {
        if (std::strcmp(keyTable[i], name) == 0)
            return valTable[i];
    }
    return 0;
}

const char* TAV_KeyLookupTable::getKeyCodeString(int code)
{
    for (int i = 0; i < tableLength; ++i) {
        if (valTable[i] == code)
            return keyTable[i];
    }
    return nullptr;
}
