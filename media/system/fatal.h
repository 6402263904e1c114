// The fatal-error exit: unrecoverable errors anywhere in the media layer end here.
#pragma once

namespace ZaDod {

// Logs the text (UTF-16, may be null) and ends the process with exit code -1.
[[noreturn]] int FatalErrorExit(const char16_t* text);
// The same for a text in the internal wide form, for callers that hold the library lock
// or run where it cannot be taken.
[[noreturn]] int FatalErrorExitNoLock(const char16_t* text);

}  // namespace ZaDod
