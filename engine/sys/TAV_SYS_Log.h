// TAV_SYS_Log: the engine's log singleton.
//
// It reads its settings from "app.cfg" (LOG_OUTPUT, LOG_FILE, LOG_FILE_DEBUG) but writes
// nothing, in every mode: no console line, no file. Callers still pass their messages, so the
// texts stay in the code where they explain what happens (">>>" banners for start and stop,
// "/*" lines for start-up facts, a GL error per frame). For a person debugging, and only
// then, TAVLEN_LOG=stderr in the environment (read when the log is created) sends every
// line to standard error, one line per message. Created on first use, deleted by the
// engine's destructor. Main thread only.
#pragma once

class TAV_SYS_Log {
public:
    // Output modes.
    static constexpr int OUTPUT_CONSOLE = 1;
    static constexpr int OUTPUT_FILE = 2;
    static constexpr int OUTPUT_NONE = 3;  // LOG_OUTPUT was neither "console" nor "file"

    static TAV_SYS_Log* getInstance();
    virtual ~TAV_SYS_Log();

    // Re-reads the settings: LOG_OUTPUT ("file" by default), and in file mode the two file
    // names. A name longer than 253 characters falls back to its default.
    void readConfig();

    // printf-style; write nothing, or a line on stderr under TAVLEN_LOG=stderr. Nothing is
    // allocated: the frame loop may log.
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void logDebug(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int getOutputMode() const { return outputMode; }
    // Null unless the mode is OUTPUT_FILE. The texts belong to the configuration (or are the
    // default literals) and stay valid while it lives.
    const char* getLogFileName() const { return logFileName; }
    const char* getDebugLogFileName() const { return debugLogFileName; }

    static TAV_SYS_Log* m_instance;

private:
    TAV_SYS_Log();
    TAV_SYS_Log(const TAV_SYS_Log&) = delete;
    TAV_SYS_Log& operator=(const TAV_SYS_Log&) = delete;

    int outputMode;
    const char* logFileName;
    const char* debugLogFileName;
    bool toStandardError;  // TAVLEN_LOG=stderr
};
