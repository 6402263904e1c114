// Windows functions looked up at run time. Callers test an entry for null before they
// call it, so a library or function that is missing switches a feature off instead of
// stopping the program. Each group's module handle doubles as its "loaded" flag.
#pragma once
#include "media/file/async_load.h"
#include "platform/input/joystick.h"
#include "platform/net/sockets.h"
#include "platform/win/win_clock.h"
#include "platform/win/com.h"
#include "platform/win/module.h"
#include "platform/win/sysinfo.h"

namespace ZaDod {

// Entries whose stand-in does not exist yet are kept as plain function addresses.
struct WinAPIData {
  plat::win::HMODULE WS2_32DLL;
  decltype(&plat::net::WSAGetLastError) WSAGetLastErrorFunc;
  decltype(&plat::net::WSAStartup) WSAStartupFunc;
  decltype(&plat::net::WSACleanup) WSACleanupFunc;
  decltype(&plat::net::WSAAsyncSelect) WSAAsyncSelectFunc;
  decltype(&plat::net::getaddrinfo) getaddrinfoFunc;
  decltype(&plat::net::freeaddrinfo) freeaddrinfoFunc;
  decltype(&plat::net::gethostbyaddr) gethostbyaddrFunc;
  decltype(&plat::net::gethostbyname) gethostbynameFunc;
  decltype(&plat::net::gethostname) gethostnameFunc;
  decltype(&plat::net::ntohs) ntohsFunc;
  decltype(&plat::net::htons) htonsFunc;
  decltype(&plat::net::connect) connectFunc;
  decltype(&plat::net::socket) socketFunc;
  decltype(&plat::net::send) sendFunc;
  decltype(&plat::net::sendto) sendtoFunc;
  decltype(&plat::net::recvfrom) recvfromFunc;
  decltype(&plat::net::accept) acceptFunc;
  decltype(&plat::net::closesocket) closesocketFunc;
  decltype(&plat::net::ioctlsocket) ioctlsocketFunc;
  decltype(&plat::net::shutdown) shutdownFunc;
  decltype(&plat::net::listen) listenFunc;
  decltype(&plat::net::bind) bindFunc;
  decltype(&plat::net::inet_addr) inet_addrFunc;
  decltype(&plat::net::recv) recvFunc;
  decltype(&plat::net::WSASend) WSASendFunc;

  plat::win::HMODULE IMM32DLL;
  plat::win::FARPROC ImmGetContextFunc, ImmReleaseContextFunc, ImmGetOpenStatusFunc, ImmGetConversionStatusFunc,
      ImmNotifyIMEFunc, ImmSetOpenStatusFunc, ImmGetCandidateListWFunc, ImmGetCandidateListCountWFunc,
      ImmGetCompositionStringWFunc, ImmSetCompositionStringWFunc;

  plat::win::HMODULE WinMMDLL;
  plat::win::FARPROC timeSetEventFunc, timeKillEventFunc;
  decltype(&plat::win::timeBeginPeriod) timeBeginPeriodFunc;
  decltype(&plat::win::timeEndPeriod) timeEndPeriodFunc;
  decltype(&plat::win::timeGetTime) timeGetTimeFunc;
  decltype(&plat::win::timeGetDevCaps) timeGetDevCapsFunc;
  decltype(&plat::input::joyGetPosEx) joyGetPosExFunc;
  decltype(&plat::input::joyGetDevCapsW) joyGetDevCapsWFunc;
  plat::win::FARPROC mciSendCommandWFunc;

  plat::win::HMODULE Kernel32DLL;
  decltype(&plat::win::GetModuleHandleW) GetModuleHandleWFunc;
  decltype(&plat::win::VerifyVersionInfoW) VerifyVersionInfoWFunc;
  decltype(&plat::win::VerSetConditionMask) VerSetConditionMaskFunc;

  plat::win::HMODULE Ole32DLL;
  decltype(&plat::win::CoCreateInstance) CoCreateInstanceFunc;
  decltype(&plat::win::CoTaskMemAlloc) CoTaskMemAllocFunc;
  decltype(&plat::win::CoTaskMemFree) CoTaskMemFreeFunc;
  decltype(&plat::win::CoInitializeEx) CoInitializeExFunc;
  decltype(&plat::win::CoFreeUnusedLibraries) CoFreeUnusedLibrariesFunc;
  decltype(&plat::win::CoUninitialize) CoUninitializeFunc;

  plat::win::HMODULE Comctl32DLL;
  void (*InitCommonControlsFunc)();

  plat::win::HMODULE User32DLL;
  plat::win::FARPROC WINNLSEnableIMEFunc, UpdateLayeredWindowFunc, CreateWindowExWFunc, EnumDisplayDevicesWFunc,
      CloseTouchInputHandleFunc, GetTouchInputInfoFunc, IsTouchWindowFunc, RegisterTouchWindowFunc,
      UnregisterTouchWindowFunc;

  plat::win::HMODULE GDI32DLL;
  plat::win::FARPROC AddFontMemResourceExFunc, RemoveFontMemResourceExFunc;

  plat::win::HMODULE NTDLL;
  decltype(&plat::win::RtlGetVersion) RtlGetVersionFunc;

  plat::win::HMODULE DWMAPIDLL;
  plat::win::FARPROC DwmEnableCompositionFunc;
};

extern WinAPIData WinAPI;

int LoadWinAPI();
int ReleaseWinAPI();

// 1 when the multimedia timer group is loaded. With loadWhenMissing set, a missing
// group is loaded first (the millisecond clock and the log writer do that).
int WinmmFunctionsLoaded(int loadWhenMissing);

// Creates a COM object; with asyncFlag set the call runs on the main thread, which
// started COM, and the caller waits for it.
plat::win::HRESULT CoCreateInstanceASync(const plat::win::CLSID& clsid, void* outer, plat::win::DWORD context,
                                         const plat::win::IID& iid, void** object, int asyncFlag);

}  // namespace ZaDod
