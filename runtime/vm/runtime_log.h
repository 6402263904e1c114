// The runtime log "kvlog.txt": every line goes to standard output and, while
// the file's size budget lasts, to the file.
#pragma once

#include <cstdint>

#include "runtime/vm/errors.h"

namespace kv {

// Opens the log file (name, or "kvlog.txt" for null). False when a log is
// already open or the file cannot be created.
bool openLogFile(const char* name = nullptr);
void writeLogLine(const char* line);

void logSystem(const char* text);
void logCompiler(const char* text, int32_t file, int32_t line);
void logObjFile(const char* text);
void logModule(const char* text);
void logSystemError(int32_t code);
void logCompileError(const CompileError& e);
void logObjfileError(const ObjfileError& e);
void logCompileWarning(int32_t code, const char* name);
void logBadTokenWarning(int32_t line);
void logRuntimeWarning(int32_t code, const char* extra);
void logSystemWarning(const char* text);

// The start-up doubles the budget once, after the object system is built.
void doubleLogLimit();
int32_t logLimit();
int32_t logTotal();

// Closes the file and restores the initial budget; for tests that need a
// fresh log in one process.
void closeLogFile();

}  // namespace kv
