// The fatal-error exit: unrecoverable errors anywhere in the media layer end here.
#pragma once

namespace ZaDod {

// Logs the text (UTF-16, may be null), writes it to standard error and to the
// fatal-error hook, and ends the process with exit status 1.
[[noreturn]] int FatalErrorExit(const char16_t* text);
// The same for a text in the internal wide form, for callers that hold the library lock
// or run where it cannot be taken.
[[noreturn]] int FatalErrorExitNoLock(const char16_t* text);

// The program above the media layer may keep a log of its own: the hook receives a
// fatal message as UTF-8 (without a line break) before the process ends. Null removes it.
void SetFatalErrorHook(void (*hook)(const char* utf8));

}  // namespace ZaDod
