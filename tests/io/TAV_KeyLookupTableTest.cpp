#include <gtest/gtest.h>

#include "io/TAV_KeyLookupTable.h"

TEST(KeyLookupTable, MapsNamesToCodesAndBackAndUnknownsToNothing)
{
    // Every name has a code of its own: no two entries collide either way.
    for (int i = 0; i < TAV_KeyLookupTable::tableLength; ++i) {
        const char* name = TAV_KeyLookupTable::keyTable[i];
        EXPECT_STREQ(name, TAV_KeyLookupTable::getKeyCodeString(TAV_KeyLookupTable::getKeyCode(name)));
    }
    // Keys that make a character report it; the others their X keysym.
    EXPECT_EQ(27, TAV_KeyLookupTable::getKeyCode("EVK_ESC"));
    EXPECT_EQ(127, TAV_KeyLookupTable::getKeyCode("EVK_DEL"));
    EXPECT_EQ(0xFF8D, TAV_KeyLookupTable::getKeyCode("EVK_KP_ENTER"));
    EXPECT_EQ(0xFF7E, TAV_KeyLookupTable::getKeyCode("EVK_ALT_GR"));
    EXPECT_EQ(0, TAV_KeyLookupTable::getKeyCode("evk_kp_enter"));  // case-sensitive
    EXPECT_EQ(0, TAV_KeyLookupTable::getKeyCode(""));
    EXPECT_EQ(nullptr, TAV_KeyLookupTable::getKeyCodeString(0));
    EXPECT_EQ(nullptr, TAV_KeyLookupTable::getKeyCodeString('q'));
}
