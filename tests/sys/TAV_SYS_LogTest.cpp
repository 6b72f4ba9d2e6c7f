#include <gtest/gtest.h>

#include <unistd.h>  // Required for: chdir(), getcwd(), access()

#include <climits>
#include <string>

#include "sys/TAV_SYS_Config.h"
#include "sys/TAV_SYS_Log.h"

namespace {

// The log reads "app.cfg"; each test puts its settings into that instance first.
class LogSettings : public ::testing::Test {
protected:
    void TearDown() override
    {
        delete TAV_SYS_Log::m_instance;
        TAV_SYS_Config::deleteAllInstances();
    }

    TAV_SYS_Config* config() { return TAV_SYS_Config::getInstance(); }
};

TEST_F(LogSettings, DefaultsToFileModeWithTheDefaultNamesAndStoresThem)
{
    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    EXPECT_EQ(TAV_SYS_Log::OUTPUT_FILE, log->getOutputMode());
    EXPECT_STREQ("log.txt", log->getLogFileName());
    EXPECT_STREQ("debug_log.txt", log->getDebugLogFileName());
    EXPECT_STREQ("file", config()->getString("LOG_OUTPUT"));
    EXPECT_STREQ("log.txt", config()->getString("LOG_FILE"));
}

TEST_F(LogSettings, ConsoleModeHasNoFileNames)
{
    config()->setKey("LOG_OUTPUT", "console");
    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    EXPECT_EQ(TAV_SYS_Log::OUTPUT_CONSOLE, log->getOutputMode());
    EXPECT_EQ(nullptr, log->getLogFileName());
    EXPECT_EQ(nullptr, config()->getNode("LOG_FILE"));
}

TEST_F(LogSettings, AnUnknownModeSelectsNeither)
{
    config()->setKey("LOG_OUTPUT", "File");
    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    EXPECT_EQ(TAV_SYS_Log::OUTPUT_NONE, log->getOutputMode());
    EXPECT_EQ(nullptr, log->getLogFileName());
    EXPECT_EQ(nullptr, log->getDebugLogFileName());
}

TEST_F(LogSettings, FileNamesOver253CharactersFallBackToTheDefaults)
{
    const std::string longest(253, 'a');
    const std::string tooLong(254, 'b');
    config()->setKey("LOG_FILE", longest.c_str());
    config()->setKey("LOG_FILE_DEBUG", tooLong.c_str());
    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    EXPECT_EQ(longest, log->getLogFileName());
    EXPECT_STREQ("debug_log.txt", log->getDebugLogFileName());
}

TEST_F(LogSettings, WritesNothingInFileMode)
{
    char oldDir[PATH_MAX];
    ASSERT_NE(nullptr, getcwd(oldDir, sizeof(oldDir)));
    char dir[] = "/tmp/tavlen-log-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    ASSERT_EQ(0, chdir(dir));
    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    log->log(">>>Tavlen Engine started");
    log->logDebug("/*GL_VERSION: %s", "2.1");
    const bool wroteLog = access("log.txt", F_OK) == 0 || access("debug_log.txt", F_OK) == 0;
    ASSERT_EQ(0, chdir(oldDir));
    rmdir(dir);  // fails, and shows below, if anything was written
    EXPECT_FALSE(wroteLog);
    EXPECT_NE(0, access(dir, F_OK));
}

}  // namespace
