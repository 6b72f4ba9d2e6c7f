#include <gtest/gtest.h>

#include <string>

#include "sys/TAV_Exception.h"

TEST(Exception, KeepsCodeAndFormattedMessage)
{
    TAV_Exception e(-70, "unable to open file %s", "data/dot.png");
    EXPECT_EQ(-70, e.getCode());
    EXPECT_STREQ("unable to open file data/dot.png", e.getMessage());
}

TEST(Exception, CutsLongMessagesAt254Characters)
{
    const std::string name(300, 'x');
    TAV_Exception e(-70, "unable to open file %s", name.c_str());
    const std::string expected = ("unable to open file " + name).substr(0, 254);
    EXPECT_EQ(expected, e.getMessage());
}

TEST(Exception, KeepsA254CharacterMessageWholeAndCutsOneMore)
{
    const std::string exact(254, 'e');
    EXPECT_EQ(exact, TAV_Exception(-80, "%s", exact.c_str()).getMessage());
    const std::string oneMore(255, 'f');
    EXPECT_EQ(oneMore.substr(0, 254), TAV_Exception(-80, "%s", oneMore.c_str()).getMessage());
}

TEST(Exception, IsThrownAndCaughtByPointer)
{
    try {
        throw new TAV_Exception(TAV_Exception::SCENE_SHOWN, "unable to delete ROOT SCENE");
    } catch (TAV_Exception* e) {
        EXPECT_EQ(-90, e->getCode());
        EXPECT_STREQ("unable to delete ROOT SCENE", e->getMessage());
        delete e;
        return;
    }
    FAIL() << "not caught as TAV_Exception*";
}
