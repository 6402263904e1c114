// TEMPORARY SEAM: what the life-cycle code, the pump and the window procedure use of the
// network, until media/network replaces it.
// periphery_seam.cpp records the start and end calls.
#pragma once
#include "platform/win/window.h"

namespace ZaDod {

int ProcessNetworkEvents(int flag);
plat::win::LRESULT ProcessNetworkMessage(plat::win::HWND hwnd, plat::win::WPARAM wParam, plat::win::LPARAM lParam);
int TerminateNetWork();

}  // namespace ZaDod
