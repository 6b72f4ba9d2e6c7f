#include <gtest/gtest.h>

#include <unistd.h>  // Required for: getpid()

#include <fstream>
#include <string>

#include "io/TAV_KeyLookupTable.h"
#include "sys/TAV_SYS_Config.h"

namespace {

// Each test reads its own file; instances are dropped after every test.
class ConfigFile : public ::testing::Test {
protected:
    void TearDown() override
    {
        TAV_SYS_Config::deleteAllInstances();
        std::remove(path.c_str());
    }

    // Writes `content` byte for byte and loads it. The path lives as long as the test,
    // as the instance keeps the pointer it was given.
    TAV_SYS_Config* load(const std::string& content)
    {
        write(content);
        return TAV_SYS_Config::getInstance(path.c_str());
    }

    void write(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

    const std::string path = ::testing::TempDir() + "tavlen-config-" + std::to_string(getpid()) + ".cfg";
};

TEST_F(ConfigFile, ReadsRecordsByTheLineRules)
{
    const std::string k79(79, 'k'), v79(79, 'v'), k80(80, 'K'), v80(80, 'V');
    const std::string overlong = k80 + "=1\nLONG=" + v80 + "\n" + k79 + "=fits\nFITS=" + v79 + "\nXRES=1024\n";
    // A megabyte without "=" and then one without a newline: the reader must neither loop
    // nor overrun, and the record after each still counts.
    const std::string huge = std::string(1 << 20, 'x') + "\nA=1\nB=" + std::string(1 << 20, 'y') + "\nC=3";
    const struct {
        std::string file;
        std::string key;
        const char* value;  // null: no such record
    } records[] = {
        {"XRES=1024\nYRES=768\n", "YRES", "768"},
        {"A=1\nB=two", "B", "two"},                            // last line without newline
        {"free text\nXRES=1024\n", "free text\nXRES", "1024"},  // no "=": joins the next key
        {"free text\nXRES=1024\n", "XRES", nullptr},
        {"A=1\n\nB=2\n", "\nB", "2"},                           // a blank line hides the next record
        {"A=1\n\nB=2\n", "B", nullptr},
        {"=5\nA=\nB==x\nC=ok\n", "A", nullptr},                // empty value
        {"=5\nA=\nB==x\nC=ok\n", "B", nullptr},                // value starting with "="
        {"=5\nA=\nB==x\nC=ok\n", "C", "ok"},
        {"A=b=c\n", "A", "b=c"},                                 // further "=" stay in the value
        {"xres=1024\n", "XRES", nullptr},                         // keys are case-sensitive
        {"XRES = 1024\n", "XRES ", nullptr},                      // no blanks around "="
        {"XRES=640\nYRES=480\nXRES=1024\n", "XRES", "1024"},    // a later duplicate wins
        {"XRES=640\nYRES=480\nXRES=1024\n", "YRES", "480"},
        // Windows line ends, also for a duplicate: never "second\r".
        {"XRES=1024\r\nNAME=first\r\nNAME=second\r\n", "NAME", "second"},
        // Keys and values over 79 characters are skipped whole, not cut.
        {overlong, k80, nullptr},
        {overlong, k80.substr(0, 79), nullptr},
        {overlong, "LONG", nullptr},
        {overlong, k79, "fits"},
        {overlong, "FITS", v79.c_str()},
        {overlong, "XRES", "1024"},
        {huge, "A", nullptr},  // joined to the huge key, skipped with it
        {huge, "B", nullptr},
        {huge, "C", "3"},
    };
    for (const auto& record : records) {
        SCOPED_TRACE(::testing::Message() << "file \"" << record.file.substr(0, 40) << "\" key \""
                                          << record.key.substr(0, 20) << "\"");
        TAV_SYS_Config* config = load(record.file);
        if (record.value)
            EXPECT_STREQ(record.value, config->getString(record.key.c_str()));
        else
            EXPECT_EQ(nullptr, config->getNode(record.key.c_str()));
        TAV_SYS_Config::deleteAllInstances();
    }
}

TEST_F(ConfigFile, MissingKeysGiveTheDefaultWhichIsThenStored)
{
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance("no-such-dir/app.cfg");
    EXPECT_EQ(0, config->getInt("MISSING"));
    EXPECT_EQ(nullptr, config->getString("MISSING"));
    EXPECT_EQ(0, config->getKeyCode("MISSING"));
    EXPECT_EQ(800, config->getInt("XRES", 800));
    EXPECT_STREQ("800", config->getString("XRES"));
    EXPECT_EQ(800, config->getInt("XRES", 1));  // a stored default is a value from now on
    EXPECT_FLOAT_EQ(0.5f, config->getFloat("SPEED", 0.5f));
    EXPECT_STREQ("0.500000", config->getString("SPEED"));
    const char* def = "file";
    EXPECT_EQ(def, config->getString("LOG_OUTPUT", def));  // the default itself, not a copy
    EXPECT_STREQ("file", config->getString("LOG_OUTPUT"));
    EXPECT_NE(def, config->getString("LOG_OUTPUT"));
    EXPECT_STREQ("file", config->getString("LOG_OUTPUT", "console"));  // the stored value wins
    EXPECT_EQ(65470, config->getKeyCode("KEY", "EVK_F1"));
    EXPECT_STREQ("EVK_F1", config->getString("KEY"));
    EXPECT_EQ(120, config->getKeyCode("X", "x"));
}

TEST_F(ConfigFile, ParsesNumbersLikeStrtolAndKeyCodesFromCharactersOrKeyNames)
{
    TAV_SYS_Config* config = load("A=12abc\nB=abc\nC=2.5\nD=-7\n"
                                  "QUIT=q\nHELP=EVK_F1\nODD=EVK_NOPE\nLOWER=evk_f1\nHIGH=\xe9\n");
    EXPECT_EQ(12, config->getInt("A"));
    EXPECT_EQ(0, config->getInt("B"));
    EXPECT_FLOAT_EQ(2.5f, config->getFloat("C"));
    EXPECT_EQ(-7, config->getInt("D"));
    EXPECT_EQ(113, config->getKeyCode("QUIT"));
    EXPECT_EQ(0xFFBE, config->getKeyCode("HELP"));
    EXPECT_EQ(0, config->getKeyCode("ODD"));
    EXPECT_EQ(0, config->getKeyCode("LOWER"));
    EXPECT_EQ(-23, config->getKeyCode("HIGH"));  // byte 0xE9 as a signed char
    // The table the names come from maps codes back to names; characters have none.
    EXPECT_STREQ("EVK_F1", TAV_KeyLookupTable::getKeyCodeString(0xFFBE));
    EXPECT_EQ(nullptr, TAV_KeyLookupTable::getKeyCodeString('q'));
}

TEST_F(ConfigFile, SetKeyFormatsNumbersAndDropsACarriageReturnOnlyForNewKeys)
{
    TAV_SYS_Config* config = load("");
    config->setKey("I", -42);
    config->setKey("F", 0.25f);
    EXPECT_STREQ("-42", config->getString("I"));
    EXPECT_STREQ("0.250000", config->getString("F"));
    config->setKey("S", "new\r");
    EXPECT_STREQ("new", config->getString("S"));
    config->setKey("S", "again\r");
    EXPECT_STREQ("again\r", config->getString("S"));
    config->setKey("S", config->getString("I"));  // a value copied from another node
    EXPECT_STREQ("-42", config->getString("S"));
}

TEST_F(ConfigFile, ReadsEachFileOnceUntilItsInstanceIsDeleted)
{
    write("XRES=1024\n");
    TAV_SYS_Config* first = TAV_SYS_Config::getInstance(path.c_str());
    write("XRES=640\n");
    const std::string samePath = path;  // an equal name, not the same pointer
    EXPECT_EQ(first, TAV_SYS_Config::getInstance(samePath.c_str()));
    EXPECT_EQ(1024, first->getInt("XRES"));

    // Deleting one instance keeps the others.
    TAV_SYS_Config* other = TAV_SYS_Config::getInstance("no-such-file.cfg");
    other->setKey("B", 2);
    TAV_SYS_Config::deleteInstance(path.c_str());
    EXPECT_EQ(1u, TAV_SYS_Config::m_instances->size());
    EXPECT_EQ(other, TAV_SYS_Config::getInstance("no-such-file.cfg"));
    EXPECT_EQ(640, TAV_SYS_Config::getInstance(path.c_str())->getInt("XRES"));

    TAV_SYS_Config::deleteAllInstances();
    EXPECT_EQ(nullptr, TAV_SYS_Config::m_instances);
}

}  // namespace
