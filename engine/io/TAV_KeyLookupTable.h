// TAV_KeyLookupTable: the symbolic key names used in settings ("EVK_ESC", "EVK_F1") and
// their engine key codes.
//
// Codes are what the event pump produces for those keys: the character code for Escape,
// BackSpace, Tab and Delete, the X keysym for every other key. Names are compared exactly
// (case-sensitive); the first matching entry wins both ways. Static, read-only data.
#pragma once

class TAV_KeyLookupTable {
public:
    // The code of `name`, or 0 when the table has no such name.
    static int getKeyCode(const char* name);
    // The name of `code`, or null when no entry has that code.
    static const char* getKeyCodeString(int code);

    static const char* const keyTable[];
    static const int valTable[];  // index-aligned with keyTable
    static const int tableLength;
};
