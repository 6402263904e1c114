// Temporary: the media-base functions that start-up, the pump and shut-down call
// (log, clocks, sleep, code pages, tracked memory), declared with their own
// signatures until the media-base and text modules are merged; base_seam.cpp gives
// them plain implementations.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ZaDod {

int LogAddTextUtf16(const char16_t* text);
int LogAddTextWide(const char16_t* text);
int LogAddTextCurrentCp(const char* text);
int LogFormatUtf16(const char16_t* format, ...);
int LogIndentIncrease();
int LogIndentDecrease();
int SetLogFileOutput(int flag);
int LogStart();
void SetLogTestHook(void (*hook)(const char16_t* line));

int GetMillisecondCount(int unused = 0);
long long GetMicrosecondCount(int unused = 0);
int SetupPerformanceCounter();
int ClearPerformanceCounterFlag();
int GetPerformanceCounterFlag();
long long GetPerformanceCounterFrequency();
int Thread_Sleep(int milliseconds);

int SetupCharCodeTables();
void SetupDefaultCharCode();
int GetDefaultNarrowCodePage();
int ConvertString(const void* source, int sourceCodePage, void* destination, std::size_t destinationSize,
                  int destinationCodePage);

int MemDump();
int MemTerminate();
int MemUpdateTime();

}  // namespace ZaDod

namespace plat::win {
uint32_t GetCurrentThreadId();
}  // namespace plat::win
