// Text input: the character ring the window procedure fills, the IME messages, and the
// active key-input string that the message pump edits once per pass.
#pragma once
#include "platform/win/win_window.h"

namespace ZaDod {

int InitializeInputCharBuffer();
int PushInputChar(int character);
// Reads one character (1 or 2 units) into out; 0 when none is complete. Without
// consume, the read position stays (peek).
int GetInputChar(char16_t* out, int consume);
int IsInputCharBufferFull();
int ProcessKeyInputString();
int DeleteAllKeyInput();
int ResetKeyInputCursorBlink();

plat::win::LRESULT ProcessIMEMessage(plat::win::HWND hwnd, plat::win::UINT message, plat::win::WPARAM wParam,
                                     plat::win::LPARAM lParam);
int GetIMEEnabledFlag();
int GetIMEOpenFlag();
int SetIMERefreshStep(int step);
// What the window asks of WINNLSEnableIME at start-up (0 in this system).
int GetUseIMEFlag();

}  // namespace ZaDod
