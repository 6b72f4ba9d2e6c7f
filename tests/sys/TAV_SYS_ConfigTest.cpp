#include <gtest/gtest.h>

#include <unistd.h>  // Required for: getpid()

#include <fstream>
#include <string>

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

    void write(const std::string& content)
    {
        std::ofstream(path, std::ios::binary) << content;
    }

    const std::string path = ::testing::TempDir() + "tavlen-config-" + std::to_string(getpid()) + ".cfg";
};

// What one file gives for one key: the record rules, case by case.
struct Record {
    const char* file;
    const char* key;
    const char* value;  // null: no such record
};

TEST_F(ConfigFile, ReadsRecordsByTheLineRules)
{
    const Record records[] = {
        {"XRES=1024\nYRES=768\n", "YRES", "768"},
        {"A=1\nB=two", "B", "two"},                          // last line without newline
        {"free text\nXRES=1024\n", "free text\nXRES", "1024"},  // no "=": joins the next key
        {"free text\nXRES=1024\n", "XRES", nullptr},
        {"A=1\n\nB=2\n", "A", "1"},                           // a blank line hides the next record
        {"A=1\n\nB=2\n", "\nB", "2"},
        {"A=1\n\nB=2\n", "B", nullptr},
        {"=5\nA=\nB==x\nC=ok\n", "A", nullptr},              // empty value
        {"=5\nA=\nB==x\nC=ok\n", "B", nullptr},              // value starting with "="
        {"=5\nA=\nB==x\nC=ok\n", "C", "ok"},
        {"A=b=c\n", "A", "b=c"},                               // further "=" stay in the value
        {"xres=1024\n", "XRES", nullptr},                       // keys are case-sensitive
        {"xres=1024\n", "xres", "1024"},
        {"XRES=640\nYRES=480\nXRES=1024\n", "XRES", "1024"},  // a later duplicate wins
        {"XRES=640\nYRES=480\nXRES=1024\n", "YRES", "480"},
    };
    for (const Record& record : records) {
        SCOPED_TRACE(::testing::Message() << "file \"" << record.file << "\" key \"" << record.key << "\"");
        TAV_SYS_Config* config = load(record.file);
        if (record.value)
            EXPECT_STREQ(record.value, config->getString(record.key));
        else
            EXPECT_EQ(nullptr, config->getNode(record.key));
        TAV_SYS_Config::deleteAllInstances();
    }
}

TEST_F(ConfigFile, IgnoresARecordWithBlanksAroundTheEqualsSignAndStoresTheDefault)
{
    TAV_SYS_Config* config = load("XRES = 1024\n");
    EXPECT_EQ(nullptr, config->getNode("XRES "));
    EXPECT_EQ(800, config->getInt("XRES", 800));
    EXPECT_STREQ("800", config->getString("XRES"));
}

TEST_F(ConfigFile, DropsTheCarriageReturnOfWindowsLineEnds)
{
    TAV_SYS_Config* config = load("XRES=1024\r\nNAME=first\r\nNAME=second\r\n");
    EXPECT_STREQ("1024", config->getString("XRES"));
    EXPECT_EQ(1024, config->getInt("XRES"));
    // Also for a duplicate: a Windows-edited file must not give "second\r".
    EXPECT_STREQ("second", config->getString("NAME"));
}

TEST_F(ConfigFile, SkipsRecordsWithOverlongKeysOrValuesAndReadsOn)
{
    const std::string key79(79, 'k');
    const std::string value79(79, 'v');
    const std::string key80(80, 'K');
    const std::string value80(80, 'V');
    TAV_SYS_Config* config = load(key80 + "=1\n" + "LONGVALUE=" + value80 + "\n" + key79 + "=fits\n"
                                  + "FITS=" + value79 + "\n" + "XRES=1024\n");
    EXPECT_EQ(nullptr, config->getNode(key80.c_str()));
    EXPECT_EQ(nullptr, config->getNode(key80.substr(0, 79).c_str()));  // not cut either
    EXPECT_EQ(nullptr, config->getNode("LONGVALUE"));
    EXPECT_STREQ("fits", config->getString(key79.c_str()));
    EXPECT_EQ(value79, config->getString("FITS"));
    EXPECT_EQ(1024, config->getInt("XRES"));
}

TEST_F(ConfigFile, EndsOnHugeRecordsWithoutDelimiters)
{
    // A megabyte without "=" and then one without a newline: the reader must neither loop
    // nor overrun, and the record after each still counts.
    const std::string noEquals(1 << 20, 'x');
    const std::string noNewline(1 << 20, 'y');
    TAV_SYS_Config* config = load(noEquals + "\nA=1\nB=" + noNewline + "\nC=3");
    EXPECT_EQ(nullptr, config->getNode("A"));  // joined to the huge key, skipped with it
    EXPECT_EQ(nullptr, config->getNode("B"));
    EXPECT_STREQ("3", config->getString("C"));
}

TEST_F(ConfigFile, AMissingFileGivesTheDefaultsAndStoresThem)
{
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance("no-such-dir/app.cfg");
    EXPECT_EQ(800, config->getInt("XRES", 800));
    EXPECT_STREQ("800", config->getString("XRES"));
    EXPECT_FLOAT_EQ(0.5f, config->getFloat("SPEED", 0.5f));
    EXPECT_STREQ("0.500000", config->getString("SPEED"));
    const char* def = "file";
    EXPECT_EQ(def, config->getString("LOG_OUTPUT", def));  // the default itself, not a copy
    EXPECT_STREQ("file", config->getString("LOG_OUTPUT"));
    EXPECT_NE(def, config->getString("LOG_OUTPUT"));
    EXPECT_EQ(65470, config->getKeyCode("KEY", "EVK_F1"));
    EXPECT_STREQ("EVK_F1", config->getString("KEY"));
    // A stored default is a value like any other from now on.
    EXPECT_EQ(800, config->getInt("XRES", 1));
}

TEST_F(ConfigFile, ParsesNumbersLikeStrtolAndStrtod)
{
    TAV_SYS_Config* config = load("A=12abc\nB=abc\nC=2.5\nD=-7\n");
    EXPECT_EQ(12, config->getInt("A"));
    EXPECT_EQ(0, config->getInt("B"));
    EXPECT_FLOAT_EQ(2.5f, config->getFloat("C"));
    EXPECT_EQ(-7, config->getInt("D"));
    EXPECT_EQ(0, config->getInt("MISSING"));
    EXPECT_FLOAT_EQ(0.0f, config->getFloat("MISSING"));
    EXPECT_EQ(nullptr, config->getString("MISSING"));
}

TEST_F(ConfigFile, ReadsKeyCodesFromCharactersAndKeyNames)
{
    TAV_SYS_Config* config = load("QUIT=q\nHELP=EVK_F1\nODD=EVK_NOPE\nLOWER=evk_f1\nHIGH=\xe9\n");
    EXPECT_EQ(113, config->getKeyCode("QUIT"));
    EXPECT_EQ(0xFFBE, config->getKeyCode("HELP"));
    EXPECT_EQ(0, config->getKeyCode("ODD"));
    EXPECT_EQ(0, config->getKeyCode("LOWER"));
    EXPECT_EQ(-23, config->getKeyCode("HIGH"));  // byte 0xE9 as a signed char
    EXPECT_EQ(0, config->getKeyCode("MISSING"));
    EXPECT_EQ(27, config->getKeyCode("ESC", "EVK_ESC"));
    EXPECT_EQ(120, config->getKeyCode("X", "x"));
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

    TAV_SYS_Config::deleteAllInstances();
    EXPECT_EQ(nullptr, TAV_SYS_Config::m_instances);
    EXPECT_EQ(640, TAV_SYS_Config::getInstance(path.c_str())->getInt("XRES"));
}

TEST_F(ConfigFile, DeleteInstanceDropsOnlyThatFile)
{
    TAV_SYS_Config* mine = load("A=1\n");
    TAV_SYS_Config* other = TAV_SYS_Config::getInstance("no-such-file.cfg");
    other->setKey("B", 2);
    TAV_SYS_Config::deleteInstance(path.c_str());
    EXPECT_EQ(1u, TAV_SYS_Config::m_instances->size());
    EXPECT_EQ(other, TAV_SYS_Config::getInstance("no-such-file.cfg"));
    EXPECT_EQ(2, other->getInt("B"));
    (void)mine;
}

}  // namespace
