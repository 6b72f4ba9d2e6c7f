// TypedTime: the times a demo maker types, parsed to ms, and the keys of an entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TypedTime.h"

TEST(TypedTime, ParsesSecondsAndMinutesWithDecimalsAndRefusesTheRest)
{
    const struct {
        const char* text;
        bool valid;
        int ms;
    } cases[] = {
        {"32", true, 32000},        {"32.5", true, 32500},      {"32.", true, 32000},
        {"0.016", true, 16},        {"0.0166", true, 17},       {"0.01649", true, 16},
        {"52.743", true, 52743},    {"0:32.500", true, 32500},  {"1:05", true, 65000},
        {"1:05.25", true, 65250},   {"00:00", true, 0},         {"99999", true, 99999000},
        {"", false, 0},             {".5", false, 0},           {"1:5", false, 0},
        {"1:60", false, 0},         {"1:050", false, 0},        {"1:", false, 0},
        {"1.2.3", false, 0},        {"1::02", false, 0},        {"100000", false, 0},
        {"2000:00", false, 0},      {"3a", false, 0},           {"-1", false, 0},
    };
    for (const auto& c : cases) {
        int ms = -1;
        EXPECT_EQ(c.valid, TypedTime::parse(c.text, ms)) << '"' << c.text << '"';
        if (c.valid) {
            EXPECT_EQ(c.ms, ms) << '"' << c.text << '"';
        }
    }
}

// Keys as the studio receives them: characters, 8 Backspace, 13 Enter, 27 Escape, and keysyms.
TEST(TypedTime, ADigitStartsAnEntryThatTakesThePeriodAndEscapeUntilItEnds)
{
    const int kLeft = 0xff51;
    using O = TypedTime;
    const struct {
        const char* what;
        std::vector<int> keys;
        std::vector<TypedTime::Outcome> outcomes;
        int enteredMs;  // -1: nothing entered
    } cases[] = {
        {"period and Escape are not the entry's before a digit", {'.', 27, ',', ' ', kLeft},
         {O::NOT_TAKEN, O::NOT_TAKEN, O::NOT_TAKEN, O::NOT_TAKEN, O::NOT_TAKEN}, -1},
        {"seconds with a decimal point", {'3', '2', '.', '5', 13},
         {O::TAKEN, O::TAKEN, O::TAKEN, O::TAKEN, O::ENTERED}, 32500},
        {"minutes and seconds", {'0', ':', '4', '1', '.', '6', '1', '8', 13},
         {O::TAKEN, O::TAKEN, O::TAKEN, O::TAKEN, O::TAKEN, O::TAKEN, O::TAKEN, O::TAKEN, O::ENTERED}, 41618},
        {"Escape cancels the entry, then is the studio's again", {'3', 27, 27},
         {O::TAKEN, O::CANCELLED, O::NOT_TAKEN}, -1},
        {"other keys act while typing", {'1', ' ', kLeft, ',', '2', 13},
         {O::TAKEN, O::NOT_TAKEN, O::NOT_TAKEN, O::NOT_TAKEN, O::TAKEN, O::ENTERED}, 12000},
        {"Backspace takes back, down to no entry", {'4', '5', 8, 13},
         {O::TAKEN, O::TAKEN, O::TAKEN, O::ENTERED}, 4000},
        {"Backspace of the last character ends the entry", {'4', 8, '.', 13},
         {O::TAKEN, O::TAKEN, O::NOT_TAKEN, O::NOT_TAKEN}, -1},
        {"no time is refused", {'1', ':', '7', 13, '.'},
         {O::TAKEN, O::TAKEN, O::TAKEN, O::REFUSED, O::NOT_TAKEN}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TypedTime entry;
        ASSERT_EQ(c.keys.size(), c.outcomes.size());
        int entered = -1;
        for (size_t i = 0; i < c.keys.size(); ++i) {
            const TypedTime::Outcome outcome = entry.key(c.keys[i]);
            EXPECT_EQ(c.outcomes[i], outcome) << "key " << i;
            if (outcome == TypedTime::ENTERED)
                entered = entry.enteredMs();
        }
        EXPECT_EQ(c.enteredMs, entered);
        EXPECT_FALSE(entry.isTyping());
        EXPECT_STREQ("", entry.text());
    }
    // What is typed shows, and an entry never grows past its room.
    TypedTime entry;
    for (int i = 0; i < 40; ++i)
        entry.key('7');
    EXPECT_EQ(std::string(TypedTime::MAX_CHARACTERS, '7'), entry.text());
}
