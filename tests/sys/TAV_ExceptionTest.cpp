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
