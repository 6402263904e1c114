// The media log "Log.txt": UTF-16LE with a byte-order mark, one line per message,
// each line starting with the milliseconds since the file was made, ':' and one TAB
// per indent level. A piece that does not end with a line break is continued by
// the next piece. Every piece is also sent to the debugger output.
//
// Writes return 0 on success and when the log is switched off, -1 on failure.
#pragma once
#include <cstddef>

namespace ZaDod {

int LogAddTextUtf16(const char16_t* text);
int LogAddTextCp932(const char* text);
int LogAddTextCurrentCp(const char* text);  // the default narrow code page
int LogAddTextWide(const char16_t* text);   // the default wide code page

// printf forms (see format.h); a line break is added.
int LogFormatUtf16(const char16_t* format, ...);
int LogFormatCp932(const char* format, ...);
int LogFormatWide(const char16_t* format, ...);

int LogIndentIncrease();
int LogIndentDecrease();  // never below 0

// 1: write the file (the default); 0: do not, and close the log, so that switching
// it on again starts a new file at the next write.
int SetLogFileOutput(int enable);

// Creates the file (a new one each run) when the log is on and not yet open.
int LogStart();
int LogFile_Create(const char16_t* path);
int LogFile_Append(const char16_t* path, const char16_t* text);

// The file's path: the current directory, '\', the file name. 0, or -1 when it
// does not fit.
int GetLogFilePath(char16_t* buffer, std::size_t size);

// Whether the flip draws the on-screen log.
int GetOnScreenLogFlag();

// For tests: hook is called with the text of every piece given to the log, after
// conversion and formatting and before time stamp and indent, whether or not the
// file is on. Null removes it.
void SetLogTestHook(void (*hook)(const char16_t* line));

}  // namespace ZaDod
