// TypedTime: a music time typed on the keyboard while the studio plays, and its parser.
//
// A digit starts an entry; digits, '.' and ':' extend it, Backspace takes the last character
// back, Enter ends it and Escape cancels it. Once an entry has begun, '.' is its decimal point
// (and no longer a frame step) and Escape cancels the entry (and no longer ends the run); any
// other key is not the entry's and acts as usual. Times are seconds with decimals ("32.5")
// or minutes and seconds ("0:32.500", "1:05"), always in music time.
// A plain value; no allocation (the text lives in the object). Main thread only.
#pragma once

class TypedTime {
public:
    // What a key did to the entry.
    enum Outcome {
        NOT_TAKEN,  // not the entry's key: the caller handles it
        TAKEN,      // the entry took it (began, grew, shrank, or ended empty by Backspace)
        ENTERED,    // Enter on a valid time: enteredMs() holds it, the entry is over
        REFUSED,    // Enter on something that is no time: the entry is over
        CANCELLED   // Escape: the entry is over
    };

    // Longest entry kept; further characters are dropped (no time needs more).
    static constexpr int MAX_CHARACTERS = 15;

    Outcome key(int code);
    bool isTyping() const { return length > 0; }
    // What has been typed so far ("" when not typing).
    const char* text() const { return typed; }
    // The time of the last ENTERED, in ms.
    int enteredMs() const { return entered; }

    // Parses "S", "S.fff", "M:SS" or "M:SS.fff" into ms (a fourth decimal rounds; seconds
    // after a colon must be two digits below 60). False for anything else, or for more than
    // 99999 seconds.
    static bool parse(const char* text, int& timeMs);

private:
    void clear();

    char typed[MAX_CHARACTERS + 1] = "";
    int length = 0;
    int entered = 0;
};
