#include "io/TAV_IO_WebKeys.h"

#include <cstring>  // Required for: strcmp(), strlen()

namespace {

// The keysyms of X11/keysym.h for the keys a DOM event names by a word.
struct NamedKey {
    const char* domKey;
    int code;
};

const NamedKey NAMED_KEYS[] = {
    {"Escape", 27}, {"Enter", 13}, {"Tab", 9}, {"Backspace", 8}, {"Delete", 127},
    {"ArrowLeft", 0xFF51}, {"ArrowUp", 0xFF52}, {"ArrowRight", 0xFF53}, {"ArrowDown", 0xFF54},
    {"PageUp", 0xFF55}, {"PageDown", 0xFF56}, {"Home", 0xFF50}, {"End", 0xFF57}, {"Insert", 0xFF63},
    {"Pause", 0xFF13}, {"ScrollLock", 0xFF14}, {"PrintScreen", 0xFF61}, {"NumLock", 0xFF7F},
    {"CapsLock", 0xFFE5}, {"Shift", 0xFFE1}, {"Control", 0xFFE3}, {"Alt", 0xFFE9}, {"AltGraph", 0xFF7E},
};

// F1 is 0xFFBE in X, and F2 to F12 follow it.
const int KEYSYM_F1 = 0xFFBE;

}  // namespace

int TAV_IO_WebKeys::translate(const char* domKey)
{
    if (domKey == nullptr || domKey[0] == '\0')
        return 0;
    // One character of one byte: what XLookupString gives as the typed character.
    if (domKey[1] == '\0')
        return int(static_cast<signed char>(domKey[0]));
    for (const NamedKey& key : NAMED_KEYS)
        if (std::strcmp(key.domKey, domKey) == 0)
            return key.code;
    if (domKey[0] == 'F' && std::strlen(domKey) <= 3) {
        int number = 0;
        for (const char* digit = domKey + 1; *digit; ++digit) {
            if (*digit < '0' || *digit > '9')
                return 0;
            number = number * 10 + (*digit - '0');
        }
        if (number >= 1 && number <= 12)
            return KEYSYM_F1 + number - 1;
    }
    return 0;
}
