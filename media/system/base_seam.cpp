// Temporary: plain stand-ins for the media-base functions of base_seam.h. The log
// passes each piece to the test hook unformatted.
#include "media/system/base_seam.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace ZaDod {
namespace {

void (*logHook)(const char16_t*) = nullptr;
int logDisabled = 0;
int performanceCounter = 0;

int logPiece(const char16_t* text) {
  if (logDisabled || !text) return 0;
  if (logHook) logHook(text);
  return -1;
}

}  // namespace

int LogAddTextUtf16(const char16_t* text) { return logPiece(text); }
int LogAddTextWide(const char16_t* text) { return logPiece(text); }
int LogAddTextCurrentCp(const char* text) {
  std::u16string wide;
  for (const char* p = text; p && *p; ++p) wide += static_cast<char16_t>(static_cast<unsigned char>(*p));
  return logPiece(wide.c_str());
}
int LogFormatUtf16(const char16_t* format, ...) { return logPiece(format); }
int LogIndentIncrease() { return 0; }
int LogIndentDecrease() { return 0; }
int SetLogFileOutput(int flag) {
  logDisabled = flag ? 0 : 1;
  return 0;
}
int LogStart() { return 0; }
void SetLogTestHook(void (*hook)(const char16_t* line)) { logHook = hook; }

int GetMillisecondCount(int) {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int>((ts.tv_sec * 1000LL + ts.tv_nsec / 1000000) & 0x7FFFFFFF);
}
long long GetMicrosecondCount(int) {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
}
int SetupPerformanceCounter() { return performanceCounter = 1; }
int ClearPerformanceCounterFlag() { return performanceCounter = 0; }
int GetPerformanceCounterFlag() { return performanceCounter; }
long long GetPerformanceCounterFrequency() { return 1000000000LL; }
int Thread_Sleep(int milliseconds) {
  if (milliseconds <= 0) std::this_thread::yield();
  else std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 0;
}

int SetupCharCodeTables() { return 0; }
void SetupDefaultCharCode() {}
int GetDefaultNarrowCodePage() { return 65001; }

// UTF-8 (every narrow page here) to UTF-16; enough for titles until the text module lands.
int ConvertString(const void* source, int, void* destination, std::size_t destinationSize, int) {
  const unsigned char* s = static_cast<const unsigned char*>(source);
  char16_t* d = static_cast<char16_t*>(destination);
  std::size_t room = destinationSize / 2, n = 0;
  while (*s) {
    char32_t c = *s++;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
    for (; extra > 0 && (*s & 0xC0) == 0x80; --extra) c = (c << 6) | (*s++ & 0x3F);
    if (c >= 0x10000) {
      if (n + 2 >= room) break;
      c -= 0x10000;
      d[n++] = static_cast<char16_t>(0xD800 + (c >> 10));
      d[n++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      if (n + 1 >= room) break;
      d[n++] = static_cast<char16_t>(c);
    }
  }
  if (room == 0) return 0;
  d[n] = 0;
  return static_cast<int>((n + 1) * 2);
}

int MemDump() { return 0; }
int MemTerminate() { return 0; }
int MemUpdateTime() { return 0; }

}  // namespace ZaDod

namespace plat::win {
uint32_t GetCurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }
}  // namespace plat::win
