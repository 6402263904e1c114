// Windows functions looked up at run time.
#include "media/system/winapi.h"

namespace ZaDod {

WinAPIData WinAPI;

namespace {

#define WS2_32_FUNCTIONS(X)                                                                                       \
  X(WSAGetLastError) X(WSAStartup) X(WSACleanup) X(WSAAsyncSelect) X(getaddrinfo) X(freeaddrinfo)                \
  X(gethostbyaddr) X(gethostbyname) X(gethostname) X(ntohs) X(htons) X(connect) X(socket) X(send) X(sendto)      \
  X(recvfrom) X(accept) X(closesocket) X(shutdown) X(listen) X(bind) X(inet_addr) X(recv) X(WSASend)             \
  X(ioctlsocket)
#define IMM32_FUNCTIONS(X)                                                                                       \
  X(ImmGetContext) X(ImmReleaseContext) X(ImmGetOpenStatus) X(ImmGetConversionStatus) X(ImmNotifyIME)            \
  X(ImmSetOpenStatus) X(ImmGetCandidateListW) X(ImmGetCandidateListCountW) X(ImmGetCompositionStringW)           \
  X(ImmSetCompositionStringW)
#define WINMM_FUNCTIONS(X)                                                                                       \
  X(timeSetEvent) X(timeKillEvent) X(timeBeginPeriod) X(timeEndPeriod) X(timeGetTime) X(timeGetDevCaps)          \
  X(joyGetPosEx) X(joyGetDevCapsW) X(mciSendCommandW)
#define KERNEL32_FUNCTIONS(X) X(GetModuleHandleW) X(VerifyVersionInfoW) X(VerSetConditionMask)
#define OLE32_FUNCTIONS(X)                                                                                       \
  X(CoCreateInstance) X(CoTaskMemAlloc) X(CoTaskMemFree) X(CoInitializeEx) X(CoFreeUnusedLibraries)             \
  X(CoUninitialize)
#define COMCTL32_FUNCTIONS(X) X(InitCommonControls)
#define USER32_FUNCTIONS(X)                                                                                      \
  X(WINNLSEnableIME) X(UpdateLayeredWindow) X(CreateWindowExW) X(EnumDisplayDevicesW) X(CloseTouchInputHandle)   \
  X(GetTouchInputInfo) X(IsTouchWindow) X(RegisterTouchWindow) X(UnregisterTouchWindow)
#define GDI32_FUNCTIONS(X) X(AddFontMemResourceEx) X(RemoveFontMemResourceEx)
#define NTDLL_FUNCTIONS(X) X(RtlGetVersion)
#define DWMAPI_FUNCTIONS(X) X(DwmEnableComposition)

#define LOAD_ENTRY(name) \
  WinAPI.name##Func = reinterpret_cast<decltype(WinAPI.name##Func)>(plat::win::GetProcAddress(module, #name));
#define CLEAR_ENTRY(name) WinAPI.name##Func = nullptr;

// Loads one group unless its module is there already; a missing library leaves the
// group's entries null.
#define LOAD_GROUP(handle, file, LIST)                         \
  if (WinAPI.handle == nullptr) {                              \
    plat::win::HMODULE module = plat::win::LoadLibraryW(file); \
    WinAPI.handle = module;                                    \
    if (module != nullptr) { LIST(LOAD_ENTRY) }                \
  }

#define RELEASE_GROUP(handle, LIST)           \
  if (WinAPI.handle != nullptr) {             \
    plat::win::FreeLibrary(WinAPI.handle);    \
    WinAPI.handle = nullptr;                  \
    LIST(CLEAR_ENTRY)                         \
  }

int CoCreateInstanceASyncCallback(MainThreadRequest* request);

struct CoCreateInstanceRequest : MainThreadRequest {
  plat::win::CLSID Clsid;
  void* Outer;
  plat::win::DWORD Context;
  plat::win::IID Iid;
  void** Object;
};

plat::win::HRESULT createNow(const plat::win::CLSID& clsid, void* outer, plat::win::DWORD context,
                             const plat::win::IID& iid, void** object) {
  if (WinAPI.CoCreateInstanceFunc == nullptr) {
    if (object != nullptr) *object = nullptr;
    return plat::win::REGDB_E_CLASSNOTREG;
  }
  return WinAPI.CoCreateInstanceFunc(clsid, outer, context, iid, object);
}

int CoCreateInstanceASyncCallback(MainThreadRequest* request) {
  auto* call = static_cast<CoCreateInstanceRequest*>(request);
  return createNow(call->Clsid, call->Outer, call->Context, call->Iid, call->Object);
}

}  // namespace

int LoadWinAPI() {
  LOAD_GROUP(WS2_32DLL, u"ws2_32.dll", WS2_32_FUNCTIONS)
  LOAD_GROUP(IMM32DLL, u"Imm32.dll", IMM32_FUNCTIONS)
  LOAD_GROUP(WinMMDLL, u"winmm.dll", WINMM_FUNCTIONS)
  LOAD_GROUP(Kernel32DLL, u"kernel32.dll", KERNEL32_FUNCTIONS)
  LOAD_GROUP(Ole32DLL, u"ole32.dll", OLE32_FUNCTIONS)
  LOAD_GROUP(Comctl32DLL, u"comctl32.dll", COMCTL32_FUNCTIONS)
  LOAD_GROUP(User32DLL, u"User32.dll", USER32_FUNCTIONS)
  LOAD_GROUP(GDI32DLL, u"gdi32.dll", GDI32_FUNCTIONS)
  LOAD_GROUP(NTDLL, u"ntdll.dll", NTDLL_FUNCTIONS)
  LOAD_GROUP(DWMAPIDLL, u"dwmapi.dll", DWMAPI_FUNCTIONS)
  return 0;
}

int ReleaseWinAPI() {
  // gdi32 and ntdll stay loaded with their entries.
  RELEASE_GROUP(DWMAPIDLL, DWMAPI_FUNCTIONS)
  RELEASE_GROUP(User32DLL, USER32_FUNCTIONS)
  RELEASE_GROUP(WS2_32DLL, WS2_32_FUNCTIONS)
  RELEASE_GROUP(IMM32DLL, IMM32_FUNCTIONS)
  RELEASE_GROUP(WinMMDLL, WINMM_FUNCTIONS)
  RELEASE_GROUP(Kernel32DLL, KERNEL32_FUNCTIONS)
  RELEASE_GROUP(Ole32DLL, OLE32_FUNCTIONS)
  RELEASE_GROUP(Comctl32DLL, COMCTL32_FUNCTIONS)
  return 0;
}

int WinmmFunctionsLoaded(int loadWhenMissing) {
  if (WinAPI.WinMMDLL == nullptr && loadWhenMissing) LoadWinAPI();
  return WinAPI.WinMMDLL != nullptr && WinAPI.timeGetTimeFunc != nullptr ? 1 : 0;
}

plat::win::HRESULT CoCreateInstanceASync(const plat::win::CLSID& clsid, void* outer, plat::win::DWORD context,
                                         const plat::win::IID& iid, void** object, int asyncFlag) {
  if (!asyncFlag) return createNow(clsid, outer, context, iid, object);
  CoCreateInstanceRequest request{};
  request.Function = CoCreateInstanceASyncCallback;
  request.Clsid = clsid;
  request.Outer = outer;
  request.Context = context;
  request.Iid = iid;
  request.Object = object;
  return AddASyncLoadRequestMainThread(&request);
}

}  // namespace ZaDod
