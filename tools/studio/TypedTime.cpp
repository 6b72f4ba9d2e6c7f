#include "TypedTime.h"

namespace {

// Engine key codes of the keys that end or change an entry (their characters).
const int kBackspaceKey = 8;
const int kEnterKey = 13;
const int kEscapeKey = 27;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads one or more digits into `value`, at most `maxDigits` of them; false when none are
// there or there are more.
bool readNumber(const char*& text, int maxDigits, int& value, int& digits)
{
    value = 0;
    digits = 0;
    while (isDigit(*text)) {
        if (++digits > maxDigits)
            return false;
        value = value * 10 + (*text - '0');
        ++text;
    }
    return digits > 0;
}

}  // namespace

TypedTime::Outcome TypedTime::key(int code)
{
    const bool digit = code >= '0' && code <= '9';
    if (!isTyping()) {
        if (!digit)
            return NOT_TAKEN;
    } else if (code == kEscapeKey) {
        clear();
        return CANCELLED;
    } else if (code == kEnterKey) {
        const bool valid = parse(typed, entered);
        clear();
        return valid ? ENTERED : REFUSED;
    } else if (code == kBackspaceKey) {
        typed[--length] = '\0';
        return TAKEN;
    } else if (!digit && code != '.' && code != ':') {
        return NOT_TAKEN;
    }
    if (length < MAX_CHARACTERS) {
        typed[length++] = char(code);
        typed[length] = '\0';
    }
    return TAKEN;
}

bool TypedTime::parse(const char* text, int& timeMs)
{
    const int kMaxSecondDigits = 5;
    int first = 0;
    int digits = 0;
    if (!readNumber(text, kMaxSecondDigits, first, digits))
        return false;
    long seconds = first;
    if (*text == ':') {
        ++text;
        int secondsOfMinute = 0;
        if (!readNumber(text, 2, secondsOfMinute, digits) || digits != 2 || secondsOfMinute >= 60)
            return false;
        seconds = long(first) * 60 + secondsOfMinute;
        if (seconds > 99999)
            return false;
    }
    // Tenths, hundredths, thousandths and one more digit to round on; the rest is ignored.
    long fractionTenThousandths = 0;
    if (*text == '.') {
        ++text;
        long weight = 1000;
        while (isDigit(*text)) {
            fractionTenThousandths += (*text - '0') * weight;
            weight /= 10;
            ++text;
        }
    }
    if (*text != '\0')
        return false;
    timeMs = int(seconds * 1000 + (fractionTenThousandths + 5) / 10);
    return true;
}

void TypedTime::clear()
{
    length = 0;
    typed[0] = '\0';
}
