#include <gtest/gtest.h>

#include <string>

#include "sys/TAV_Exception.h"

TEST(Exception, KeepsTheCodeAndCutsTheFormattedMessageAt254Characters)
{
    const struct {
        std::string argument;
        std::string message;
    } cases[] = {
        {"data/dot.png", "unable to open file data/dot.png"},
        {std::string(234, 'e'), "unable to open file " + std::string(234, 'e')},  // 254 exactly
        {std::string(235, 'f'), "unable to open file " + std::string(234, 'f')},
        {std::string(300, 'x'), "unable to open file " + std::string(234, 'x')},
    };
    for (const auto& c : cases) {
        TAV_Exception e(-70, "unable to open file %s", c.argument.c_str());
        EXPECT_EQ(-70, e.getCode());
        EXPECT_EQ(c.message, e.getMessage()) << c.argument.size() << " characters";
    }
}
