// Temporary: what the life-cycle code, the pump and the window procedure use of text
// input, the IME and the window decorations, until they land.
// periphery_seam.cpp records the start and end calls.
#pragma once
#include "platform/win/window.h"

namespace ZaDod {

int InitializeInputCharBuffer();
int ProcessKeyInputString();
int PushInputChar(int character);
int IsInputCharBufferFull();
plat::win::LRESULT ProcessIMEMessage(plat::win::HWND hwnd, plat::win::UINT message, plat::win::WPARAM wParam,
                                     plat::win::LPARAM lParam);
int GetIMEEnabledFlag();
int GetIMEOpenFlag();
int SetIMERefreshStep(int step);
int DeleteAllKeyInput();
int RemoveWindowDecorations();  // window shape, menu and toolbar

}  // namespace ZaDod
