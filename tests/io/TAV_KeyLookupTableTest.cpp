#include <gtest/gtest.h>

#include <set>
#include <string>

#include "io/TAV_KeyLookupTable.h"

namespace {

struct Entry {
    const char* name;
    int code;
};

// The names and codes settings files rely on, in table order.
const Entry EXPECTED[] = {
    {"EVK_ESC", 0x1B}, {"EVK_BS", 0x08}, {"EVK_TAB", 0x09}, {"EVK_DEL", 0x7F},
    {"EVK_F1", 0xFFBE}, {"EVK_F2", 0xFFBF}, {"EVK_F3", 0xFFC0}, {"EVK_F4", 0xFFC1},
    {"EVK_F5", 0xFFC2}, {"EVK_F6", 0xFFC3}, {"EVK_F7", 0xFFC4}, {"EVK_F8", 0xFFC5},
    {"EVK_F9", 0xFFC6}, {"EVK_F10", 0xFFC7}, {"EVK_F11", 0xFFC8}, {"EVK_F12", 0xFFC9},
    {"EVK_CAPS", 0xFFE5}, {"EVK_LCTRL", 0xFFE3}, {"EVK_RCTRL", 0xFFE4}, {"EVK_ALT", 0xFFE9},
    {"EVK_ALT_GR", 0xFF7E}, {"EVK_LSHIFT", 0xFFE1}, {"EVK_RSHIFT", 0xFFE2}, {"EVK_UP", 0xFF52},
    {"EVK_DOWN", 0xFF54}, {"EVK_LEFT", 0xFF51}, {"EVK_RIGHT", 0xFF53}, {"EVK_PRINT", 0xFF61},
    {"EVK_SCROLL", 0xFF14}, {"EVK_PAUSE", 0xFF13}, {"EVK_INSERT", 0xFF63}, {"EVK_HOME", 0xFF50},
    {"EVK_PG_UP", 0xFF55}, {"EVK_END", 0xFF57}, {"EVK_PG_DOWN", 0xFF56}, {"EVK_KP_NUM", 0xFF7F},
    {"EVK_KP_HOME", 0xFF95}, {"EVK_KP_UP", 0xFF97}, {"EVK_KP_PG_UP", 0xFF9A}, {"EVK_KP_LEFT", 0xFF96},
    {"EVK_KP_CENTER", 0xFF9D}, {"EVK_KP_RIGHT", 0xFF98}, {"EVK_KP_END", 0xFF9C}, {"EVK_KP_DOWN", 0xFF99},
    {"EVK_KP_PG_DOWN", 0xFF9B}, {"EVK_KP_INS", 0xFF9E}, {"EVK_KP_DEL", 0xFF9F}, {"EVK_KP_ENTER", 0xFF8D},
};

TEST(KeyLookupTable, HoldsTheFortyEightKeysInOrder)
{
    ASSERT_EQ(48, TAV_KeyLookupTable::tableLength);
    for (int i = 0; i < 48; ++i) {
        EXPECT_STREQ(EXPECTED[i].name, TAV_KeyLookupTable::keyTable[i]) << "index " << i;
        EXPECT_EQ(EXPECTED[i].code, TAV_KeyLookupTable::valTable[i]) << EXPECTED[i].name;
    }
}

TEST(KeyLookupTable, MapsNamesToCodesAndBack)
{
    EXPECT_EQ(0xFF8D, TAV_KeyLookupTable::getKeyCode("EVK_KP_ENTER"));
    EXPECT_EQ(27, TAV_KeyLookupTable::getKeyCode("EVK_ESC"));
    EXPECT_STREQ("EVK_ESC", TAV_KeyLookupTable::getKeyCodeString(27));
    EXPECT_STREQ("EVK_F1", TAV_KeyLookupTable::getKeyCodeString(65470));
    for (const Entry& entry : EXPECTED)
        EXPECT_STREQ(entry.name, TAV_KeyLookupTable::getKeyCodeString(TAV_KeyLookupTable::getKeyCode(entry.name)));
}

TEST(KeyLookupTable, UnknownNamesGiveZeroAndUnknownCodesNoName)
{
    EXPECT_EQ(0, TAV_KeyLookupTable::getKeyCode("evk_kp_enter"));  // case-sensitive
    EXPECT_EQ(0, TAV_KeyLookupTable::getKeyCode("EVK_"));
    EXPECT_EQ(0, TAV_KeyLookupTable::getKeyCode(""));
    EXPECT_EQ(nullptr, TAV_KeyLookupTable::getKeyCodeString(0));
    EXPECT_EQ(nullptr, TAV_KeyLookupTable::getKeyCodeString('q'));
}

}  // namespace
