#pragma once
// A small file logger: one line per call with time, module and level.
// Safe to call from any thread. Before SetLogfile is called, lines go to stderr.

#include <cstdio>

#define LOG_EXPORT __attribute__((visibility("default")))

extern "C" {
// Writes one line "yyyy-MM-dd hh:mm:ss.zzz [module] Ln text" when level >= the set level.
// Level 1 is information, level 2 errors and milestones.
LOG_EXPORT void Log(const char* module, int level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Opens (appends to) the log file; false when it cannot be opened (logging then stays on stderr).
LOG_EXPORT bool SetLogfile(const char* path);
// Opens `path` for appending; a new file is readable by this user alone (a log tells what
// the user did). A link at `path` is never followed. Null on failure.
LOG_EXPORT FILE* OpenLogFile(const char* path);
// Lines below this level are dropped. Default 1.
LOG_EXPORT void SetLogLevel(int level);
// The file currently written, or an empty string.
LOG_EXPORT const char* GetLogfile();
}
