#include <gtest/gtest.h>

#include <string>

#include "sys/TAV_SYS_Config.h"
#include "sys/TAV_SYS_Log.h"

// What the log takes from "app.cfg": the output mode and, in file mode, the file names,
// where a name over 253 characters is taken for a mistake and the default used instead.
TEST(LogSettings, OutputModeAndFileNamesComeFromTheSettings)
{
    const std::string longest(253, 'a');
    const std::string tooLong(254, 'b');
    const struct {
        const char* output;  // LOG_OUTPUT, null: not set
        std::string logFile;  // LOG_FILE and LOG_FILE_DEBUG, empty: not set
        int mode;
        const char* logName;
        const char* debugName;
    } cases[] = {
        {nullptr, "", TAV_SYS_Log::OUTPUT_FILE, "log.txt", "debug_log.txt"},
        {"file", longest, TAV_SYS_Log::OUTPUT_FILE, longest.c_str(), longest.c_str()},
        {"file", tooLong, TAV_SYS_Log::OUTPUT_FILE, "log.txt", "debug_log.txt"},
        {"console", "x.txt", TAV_SYS_Log::OUTPUT_CONSOLE, nullptr, nullptr},
        {"File", "", TAV_SYS_Log::OUTPUT_NONE, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output ? c.output : "(none)");
        TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
        if (c.output)
            config->setKey("LOG_OUTPUT", c.output);
        if (!c.logFile.empty()) {
            config->setKey("LOG_FILE", c.logFile.c_str());
            config->setKey("LOG_FILE_DEBUG", c.logFile.c_str());
        }
        TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
        EXPECT_EQ(c.mode, log->getOutputMode());
        EXPECT_STREQ(c.logName, log->getLogFileName());  // both null passes
        EXPECT_STREQ(c.debugName, log->getDebugLogFileName());
        // The defaults it used are stored, so the settings show what the log runs with.
        if (!c.output) {
            EXPECT_STREQ("log.txt", config->getString("LOG_FILE"));
        }
        delete TAV_SYS_Log::m_instance;
        TAV_SYS_Config::deleteAllInstances();
    }
}
