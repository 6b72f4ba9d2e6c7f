#include "sys/TAV_SYS_Log.h"

#include <cstdarg>  // Required for: va_list
#include <cstdio>   // Required for: vfprintf() to stderr
#include <cstdlib>  // Required for: getenv()
#include <cstring>  // Required for: strcmp(), strlen()

#include "sys/TAV_SYS_Config.h"  // Required for: the LOG_* settings

namespace {

// File names up to this length are used; longer ones are taken for a mistake.
const size_t MAX_FILE_NAME_LENGTH = 253;

const char* nameOrDefault(const char* name, const char* def)
{
    return std::strlen(name) > MAX_FILE_NAME_LENGTH ? def : name;
}

// One message as one line: callers differ in whether they end theirs with a newline.
void writeLine(const char* format, va_list args)
{
    std::vfprintf(stderr, format, args);
    const size_t length = std::strlen(format);
    if (length == 0 || format[length - 1] != '\n')
        std::fputc('\n', stderr);
}

}  // namespace

TAV_SYS_Log* TAV_SYS_Log::m_instance = nullptr;

TAV_SYS_Log* TAV_SYS_Log::getInstance()
{
    if (!m_instance)
        m_instance = new TAV_SYS_Log();
    return m_instance;
}

TAV_SYS_Log::~TAV_SYS_Log()
{
    m_instance = nullptr;
}

void TAV_SYS_Log::readConfig()
{
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
    const char* output = config->getString("LOG_OUTPUT", "file");
    if (std::strcmp(output, "console") == 0) {
        outputMode = OUTPUT_CONSOLE;
    } else if (std::strcmp(output, "file") == 0) {
        outputMode = OUTPUT_FILE;
        logFileName = nameOrDefault(config->getString("LOG_FILE", "log.txt"), "log.txt");
        debugLogFileName = nameOrDefault(config->getString("LOG_FILE_DEBUG", "debug_log.txt"), "debug_log.txt");
    }
}

void TAV_SYS_Log::log(const char* format, ...)
{
    if (!toStandardError)
        return;
    va_list args;
    va_start(args, format);
    writeLine(format, args);
    va_end(args);
}

void TAV_SYS_Log::logDebug(const char* format, ...)
{
    if (!toStandardError)
        return;
    va_list args;
    va_start(args, format);
    writeLine(format, args);
    va_end(args);
}

TAV_SYS_Log::TAV_SYS_Log()
    : outputMode(OUTPUT_NONE), logFileName(nullptr), debugLogFileName(nullptr), toStandardError(false)
{
    const char* destination = std::getenv("TAVLEN_LOG");
    toStandardError = destination && std::strcmp(destination, "stderr") == 0;
    readConfig();
}
