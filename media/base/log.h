// Media log entry points. Messages come in several encodings; the printf-style forms
// append a line break.
#pragma once

namespace ZaDod {

int LogAddTextUtf16(const char16_t* text);
int LogAddTextCp932(const char* text);
int LogFormatUtf16(const char16_t* format, ...);
int LogFormatCp932(const char* format, ...);
int LogIndentIncrease();
int LogIndentDecrease();

// Test facility: hook receives each logged line's text.
void SetLogTestHook(void (*hook)(const char16_t* line));

}  // namespace ZaDod
