// Debugger output. Nothing listens in this system, so the text is dropped; tests
// may install a capture to see what reached it.
#pragma once

namespace plat::win {

void OutputDebugStringW(const char16_t* text);

// Calls capture with every text given to OutputDebugStringW (null: drop again).
void SetDebugOutputCapture(void (*capture)(const char16_t* text));

}  // namespace plat::win
