// The libraries of the module registry and the stand-in functions each one serves.
#include "platform/win/module_exports.h"

#include "platform/audio/dmusic.h"
#include "platform/audio/dsound.h"
#include "platform/audio/xaudio2.h"
#include "platform/codec/acm.h"
#include "platform/gpu/face_com.h"
#include "platform/input/joystick.h"
#include "platform/net/sockets.h"
#include "platform/win/com.h"
#include "platform/win/dwm.h"
#include "platform/win/imm.h"
#include "platform/win/layered.h"
#include "platform/win/message_wait.h"
#include "platform/win/mm_timer.h"
#include "platform/win/oleaut.h"
#include "platform/win/sysinfo.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_window.h"

namespace plat::win {

namespace {

template <typename F>
FARPROC fn(F* function) {
  return reinterpret_cast<FARPROC>(function);
}

// The common controls need no set-up here.
void InitCommonControls() {}

const ModuleExport kNone[] = {{nullptr, nullptr}};

const ModuleExport kWinmm[] = {
    {"timeGetTime", fn(&timeGetTime)},
    {"timeSetEvent", fn(&timeSetEvent)},
    {"timeKillEvent", fn(&timeKillEvent)},
    {"timeGetDevCaps", fn(&timeGetDevCaps)},
    {"timeBeginPeriod", fn(&timeBeginPeriod)},
    {"timeEndPeriod", fn(&timeEndPeriod)},
    {"joyGetDevCapsW", fn(&plat::input::joyGetDevCapsW)},
    {"joyGetPosEx", fn(&plat::input::joyGetPosEx)},
    {"mciSendCommandW", fn(&plat::audio::mciSendCommandW)},
    {nullptr, nullptr},
};

const ModuleExport kKernel32[] = {
    {"GetModuleHandleW", fn(&GetModuleHandleW)},
    {"VerifyVersionInfoW", fn(&VerifyVersionInfoW)},
    {"VerSetConditionMask", fn(&VerSetConditionMask)},
    {nullptr, nullptr},
};

const ModuleExport kOle32[] = {
    {"CoCreateInstance", fn(&CoCreateInstance)},
    {"CoTaskMemAlloc", fn(&CoTaskMemAlloc)},
    {"CoTaskMemFree", fn(&CoTaskMemFree)},
    {"CoInitializeEx", fn(&CoInitializeEx)},
    {"CoFreeUnusedLibraries", fn(&CoFreeUnusedLibraries)},
    {"CoUninitialize", fn(&CoUninitialize)},
    {nullptr, nullptr},
};

const ModuleExport kOleaut32[] = {
    {"LoadRegTypeLib", fn(&LoadRegTypeLib)},
    {"LoadTypeLib", fn(&LoadTypeLib)},
    {nullptr, nullptr},
};

const ModuleExport kComctl32[] = {
    {"InitCommonControls", fn(&InitCommonControls)},
    {nullptr, nullptr},
};

const ModuleExport kUser32[] = {
    {"CreateWindowExW", fn(&CreateWindowExW)},
    {"WINNLSEnableIME", fn(&WINNLSEnableIME)},
    {"UpdateLayeredWindow", fn(&UpdateLayeredWindow)},
    {"MsgWaitForMultipleObjects", fn(&MsgWaitForMultipleObjects)},
    {"PostThreadMessageW", fn(&PostThreadMessageW)},
    {"GetQueueStatus", fn(&GetQueueStatus)},
    {"RegisterWindowMessageA", fn(&RegisterWindowMessageA)},
    {"RegisterTouchWindow", fn(&RegisterTouchWindow)},
    {"UnregisterTouchWindow", fn(&UnregisterTouchWindow)},
    {"IsTouchWindow", fn(&IsTouchWindow)},
    {"GetTouchInputInfo", fn(&GetTouchInputInfo)},
    {"CloseTouchInputHandle", fn(&CloseTouchInputHandle)},
    {nullptr, nullptr},
};

const ModuleExport kImm32[] = {
    {"ImmGetContext", fn(&ImmGetContext)},
    {"ImmReleaseContext", fn(&ImmReleaseContext)},
    {"ImmGetOpenStatus", fn(&ImmGetOpenStatus)},
    {"ImmSetOpenStatus", fn(&ImmSetOpenStatus)},
    {"ImmGetConversionStatus", fn(&ImmGetConversionStatus)},
    {"ImmNotifyIME", fn(&ImmNotifyIME)},
    {"ImmGetCompositionStringW", fn(&ImmGetCompositionStringW)},
    {"ImmSetCompositionStringW", fn(&ImmSetCompositionStringW)},
    {"ImmGetCandidateListW", fn(&ImmGetCandidateListW)},
    {"ImmGetCandidateListCountW", fn(&ImmGetCandidateListCountW)},
    {nullptr, nullptr},
};

const ModuleExport kDwmapi[] = {
    {"DwmEnableComposition", fn(&DwmEnableComposition)},
    {nullptr, nullptr},
};

const ModuleExport kWs2_32[] = {
    {"WSAStartup", fn(&plat::net::WSAStartup)},
    {"WSACleanup", fn(&plat::net::WSACleanup)},
    {"WSAGetLastError", fn(&plat::net::WSAGetLastError)},
    {"WSAAsyncSelect", fn(&plat::net::WSAAsyncSelect)},
    {"socket", fn(&plat::net::socket)},
    {"bind", fn(&plat::net::bind)},
    {"listen", fn(&plat::net::listen)},
    {"accept", fn(&plat::net::accept)},
    {"connect", fn(&plat::net::connect)},
    {"send", fn(&plat::net::send)},
    {"recv", fn(&plat::net::recv)},
    {"WSASend", fn(&plat::net::WSASend)},
    {"sendto", fn(&plat::net::sendto)},
    {"recvfrom", fn(&plat::net::recvfrom)},
    {"closesocket", fn(&plat::net::closesocket)},
    {"ioctlsocket", fn(&plat::net::ioctlsocket)},
    {"shutdown", fn(&plat::net::shutdown)},
    {"getaddrinfo", fn(&plat::net::getaddrinfo)},
    {"freeaddrinfo", fn(&plat::net::freeaddrinfo)},
    {"gethostbyname", fn(&plat::net::gethostbyname)},
    {"gethostbyaddr", fn(&plat::net::gethostbyaddr)},
    {"gethostname", fn(&plat::net::gethostname)},
    {"htons", fn(&plat::net::htons)},
    {"ntohs", fn(&plat::net::ntohs)},
    {"inet_addr", fn(&plat::net::inet_addr)},
    {nullptr, nullptr},
};

const ModuleExport kNtdll[] = {
    {"RtlGetVersion", fn(&RtlGetVersion)},
    {nullptr, nullptr},
};

const ModuleExport kDsound[] = {
    {"DirectSoundEnumerateW", fn(&plat::audio::DirectSoundEnumerateW)},
    {nullptr, nullptr},
};

const ModuleExport kXAudio28[] = {
    {"XAudio2Create", fn(&plat::audio::XAudio2Create)},
    {"CreateAudioVolumeMeter", fn(&plat::audio::CreateAudioVolumeMeter)},
    {"CreateAudioReverb", fn(&plat::audio::CreateAudioReverb)},
    {"X3DAudioInitialize", fn(&plat::audio::X3DAudioInitialize)},
    {"X3DAudioCalculate", fn(&plat::audio::X3DAudioCalculate)},
    {nullptr, nullptr},
};

const ModuleExport kX3DAudio17[] = {
    {"X3DAudioInitialize", fn(&plat::audio::X3DAudioInitialize)},
    {"X3DAudioCalculate", fn(&plat::audio::X3DAudioCalculate)},
    {nullptr, nullptr},
};

const ModuleExport kMsacm32[] = {
    {"acmFormatSuggest", fn(&plat::codec::acmFormatSuggest)},
    {"acmStreamOpen", fn(&plat::codec::acmStreamOpen)},
    {"acmStreamClose", fn(&plat::codec::acmStreamClose)},
    {"acmMetrics", fn(&plat::codec::acmMetrics)},
    {"acmStreamPrepareHeader", fn(&plat::codec::acmStreamPrepareHeader)},
    {"acmStreamConvert", fn(&plat::codec::acmStreamConvert)},
    {"acmStreamUnprepareHeader", fn(&plat::codec::acmStreamUnprepareHeader)},
    {"acmStreamSize", fn(&plat::codec::acmStreamSize)},
    {nullptr, nullptr},
};

const ModuleExports kModules[] = {
    {"ws2_32", kWs2_32},
    {"imm32", kImm32},
    {"winmm", kWinmm},
    {"kernel32", kKernel32},
    {"ole32", kOle32},
    {"oleaut32", kOleaut32},
    {"comctl32", kComctl32},
    {"user32", kUser32},
    {"gdi32", kNone},
    {"ntdll", kNtdll},
    {"dwmapi", kDwmapi},
    {"xinput1_4", kNone, true},
    {"xinput1_3", kNone, true},
    {"xinput9_1_0", kNone, true},
    {"dsound", kDsound},
    {"xaudio2_8", kXAudio28, false, "xaudio2"},
    {"x3daudio1_7", kX3DAudio17, false, "x3daudio"},
    {"msacm32", kMsacm32, false, "acm"},
    {"d3d11", plat::gpu::kD3D11Exports},
    {"dxgi", plat::gpu::kDxgiExports},
    {"d3d9", plat::gpu::kD3D9Exports},
};

}  // namespace

const ModuleExports* GetModuleExportTable(size_t* count) {
  *count = sizeof(kModules) / sizeof(kModules[0]);
  return kModules;
}

}  // namespace plat::win
