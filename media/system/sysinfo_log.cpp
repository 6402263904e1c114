// The system information that start-up writes to the media log.
#include "media/system/sysinfo_log.h"

#include <cstring>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/thread.h"
#include "media/system/winapi.h"

namespace ZaDod {

SystemInfoData SystemInfo;

namespace {

using namespace plat::win;

void append(char16_t* out, size_t capacity, const char16_t* text) {
  size_t length = 0;
  while (out[length] != u'\0') ++length;
  while (*text != u'\0' && length + 1 < capacity) out[length++] = *text++;
  out[length] = u'\0';
}

void appendNumber(char16_t* out, size_t capacity, unsigned value) {
  char16_t digits[16];
  int n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  char16_t text[16];
  for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
  text[n] = u'\0';
  append(out, capacity, text);
}

struct VersionChoice {
  int code;
  const char16_t* text;
};

// Version code and text from the platform, major and minor version.
VersionChoice chooseVersion(const OSVERSIONINFOW& v) {
  if (v.dwPlatformId == 0) return {0, u"3.1"};
  if (v.dwPlatformId == 1) {
    if (v.dwMinorVersion == 0) return {1, v.szCSDVersion[0] == u'C' ? u"95OSR2" : u"95"};
    if (v.dwMinorVersion == 10) return {2, v.szCSDVersion[0] == u'A' ? u"98SE" : u"98"};
    if (v.dwMinorVersion == 90) return {3, u"Me"};
    return {0, u""};
  }
  switch (v.dwMajorVersion) {
    case 3: return {0x104, u"NT 3.51"};
    case 4: return {0x105, u"4.0"};
    case 5: return v.dwMinorVersion == 0 ? VersionChoice{0x106, u"2000"} : VersionChoice{0x107, u"XP"};
    case 6:
      switch (v.dwMinorVersion) {
        case 0: return {0x108, u"Vista"};
        case 1: return {0x109, u"7"};
        case 2: return {0x10A, u"8"};
        case 3: return {0x10B, u"8.1"};
        case 4: return {0x10C, u"10"};
        default: break;
      }
      break;
    case 10:
      if (v.dwMinorVersion == 0) return {0x10C, u"10"};
      break;
    default: break;
  }
  return {0, nullptr};
}

bool versionAtLeast(DWORD major, DWORD minor, BYTE condition) {
  OSVERSIONINFOEXW wanted{};
  wanted.dwOSVersionInfoSize = sizeof(wanted);
  wanted.dwMajorVersion = major;
  wanted.dwMinorVersion = minor;
  ULONGLONG mask = WinAPI.VerSetConditionMaskFunc(0, VER_MAJORVERSION, condition);
  mask = WinAPI.VerSetConditionMaskFunc(mask, VER_MINORVERSION, condition);
  return WinAPI.VerifyVersionInfoWFunc(&wanted, VER_MAJORVERSION | VER_MINORVERSION, mask) != FALSE;
}

// Windows 8 and later report 6.2 to the plain query; the exact version comes from
// RtlGetVersion, or from version tests when only those exist.
void refineVersion(VersionChoice& choice, DWORD& build, char16_t* servicePack) {
  if (WinAPI.RtlGetVersionFunc != nullptr) {
    OSVERSIONINFOEXW exact{};
    exact.dwOSVersionInfoSize = sizeof(exact);
    if (WinAPI.RtlGetVersionFunc(&exact) != STATUS_SUCCESS) return;
    build = exact.dwBuildNumber;
    std::memcpy(servicePack, exact.szCSDVersion, sizeof(exact.szCSDVersion));
    OSVERSIONINFOW plain{};
    plain.dwPlatformId = VER_PLATFORM_WIN32_NT;
    plain.dwMajorVersion = exact.dwMajorVersion;
    plain.dwMinorVersion = exact.dwMinorVersion;
    VersionChoice exactChoice = chooseVersion(plain);
    choice.text = exactChoice.text != nullptr ? exactChoice.text : u"";
    if (exactChoice.text != nullptr) choice.code = exactChoice.code;
    return;
  }
  if (versionAtLeast(10, 0, VER_GREATER)) {
    choice = {0x10C, u"10 After"};
  } else if (versionAtLeast(10, 0, VER_GREATER_EQUAL) || versionAtLeast(6, 4, VER_GREATER_EQUAL)) {
    choice = {0x10C, u"10"};
  } else if (versionAtLeast(6, 3, VER_GREATER_EQUAL)) {
    choice = {0x10B, u"8.1"};
  } else {
    choice = {0x10A, u"8"};
  }
}

void logOperatingSystem() {
  LogAddTextUtf16(u"ＯＳ  ");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExW(&version);
  VersionChoice choice = chooseVersion(version);
  if (choice.text == nullptr) choice.text = u"";
  DWORD build = version.dwBuildNumber;
  char16_t servicePack[128];
  std::memcpy(servicePack, version.szCSDVersion, sizeof(servicePack));
  servicePack[127] = u'\0';
  bool versionTests = WinAPI.VerifyVersionInfoWFunc != nullptr && WinAPI.VerSetConditionMaskFunc != nullptr;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6 && version.dwMinorVersion >= 2 &&
      (WinAPI.RtlGetVersionFunc != nullptr || versionTests)) {
    refineVersion(choice, build, servicePack);
    servicePack[127] = u'\0';
  }
  SystemInfo.WindowsVersion = choice.code;

  char16_t* text = SystemInfo.OSString;
  text[0] = u'\0';
  append(text, 256, u"Windows");
  append(text, 256, choice.text);
  if (build != 0) {
    append(text, 256, u" ( Build ");
    appendNumber(text, 256, build);
    append(text, 256, u" ");
    append(text, 256, servicePack);
    append(text, 256, u" )");
  }
  LogAddTextUtf16(text);
  LogAddTextUtf16(u"\n");
}

struct Processor {
  bool cpuid = false;
  int level = 0;
  char vendor[13] = {};
  char brand[49] = {};
};

Processor identifyProcessor() {
  Processor p;
  if (!CpuidAvailable()) return p;
  p.cpuid = true;
  DWORD r[4];
  Cpuid(0, r);
  std::memcpy(p.vendor, &r[1], 4);
  std::memcpy(p.vendor + 4, &r[3], 4);
  std::memcpy(p.vendor + 8, &r[2], 4);
  Cpuid(1, r);
  DWORD features = r[3];
  SystemInfo.UseRDTSC = (features >> 4) & 1;
  Cpuid(0x80000000u, r);
  if (r[0] > 0x80000003u) {
    for (DWORD leaf = 0; leaf < 3; ++leaf) {
      Cpuid(0x80000002u + leaf, r);
      std::memcpy(p.brand + leaf * 16, r, 16);
    }
  }
  p.level = 1;
  if (features & (1u << 23)) {
    p.level = 3;
    if (features & (1u << 25)) {
      p.level = 4;
      if (features & (1u << 26)) p.level = 5;
    }
  }
  return p;
}

// The time-stamp counter against the performance counter over two milliseconds. Both
// tick at a fixed rate and the performance counter counts nanoseconds, so this short
// stretch comes closer than a tenth of a second of millisecond ticks would. Both are
// read at the stretch's two ends only, so the thread sleeps through it instead of
// spinning (start-up spends no processor time on it); a clock held still (tests) ends
// the wait after a few sleeps.
void measureClock() {
  if (GetMillisecondCount() < 0) return;  // no clock to measure against
  LARGE_INTEGER frequency{}, start{}, now{};
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return;
  const long long stretch = frequency.QuadPart / 500;
  QueryPerformanceCounter(&start);
  const ULONGLONG first = ReadTimeStampCounter();
  for (int naps = 0; naps < 8; ++naps) {
    Thread_Sleep(1);
    QueryPerformanceCounter(&now);
    if (now.QuadPart - start.QuadPart >= stretch) break;
  }
  const ULONGLONG difference = ReadTimeStampCounter() - first;
  const long long elapsed = now.QuadPart - start.QuadPart;
  const double perSecond =
      elapsed > 0 ? static_cast<double>(difference) * static_cast<double>(frequency.QuadPart) / elapsed : 0.0;
  SystemInfo.CpuSpeedMHz = static_cast<int>(perSecond / 1000000.0);
  SystemInfo.CpuTicksPerSecond = static_cast<int64_t>(perSecond);
  LogFormatUtf16(u"現時点のＣＰＵ動作速度：大体%.2fGHz", SystemInfo.CpuSpeedMHz / 1000.0);
}

void logProcessor() {
  Processor p = identifyProcessor();
  if (SystemInfo.UseRDTSC) measureClock();
  switch (p.level) {
    case 0: LogAddTextUtf16(u"ＣＰＵＩＤ命令は使えません\n"); break;
    case 1: LogAddTextUtf16(u"ＭＭＸは使えません\n"); break;
    default:
      LogAddTextUtf16(u"ＭＭＸ命令を使用します\n");
      if (p.level >= 4) LogAddTextUtf16(u"ＳＳＥ命令が使用可能です\n");
      if (p.level >= 5) LogAddTextUtf16(u"ＳＳＥ２命令が使用可能です\n");
      break;
  }
  SystemInfo.UseMMX = p.level >= 3;
  SystemInfo.UseSSE = p.level >= 4;
  SystemInfo.UseSSE2 = p.level >= 5;
  if (!p.cpuid) return;

  LogAddTextUtf16(u"ＣＰＵベンダ：");
  for (int piece = 0; piece < 3; ++piece) {
    char text[5] = {};
    std::memcpy(text, p.vendor + piece * 4, 4);
    LogAddTextCp932(text);
  }
  LogAddTextUtf16(u"\n");
  if (p.brand[0] != '\0') {
    // "ＣＰＵ名：%s" in code page 932.
    LogFormatCp932("\x82\x62\x82\x6F\x82\x74\x96\xBC\x81\x46%s", p.brand);
    size_t i = 0;
    for (; i < 255 && p.brand[i] != '\0'; ++i) {
      unsigned char c = static_cast<unsigned char>(p.brand[i]);
      SystemInfo.CpuName[i] = c < 0x80 ? static_cast<char16_t>(c) : u'?';
    }
    SystemInfo.CpuName[i] = u'\0';
  }
}

}  // namespace

void OutputSystemInfoLog() {
  LogAddTextUtf16(u"システムの情報を出力します\n");
  LogIndentIncrease();
  LogAddTextUtf16(u"ＺａＤｏｄライブラリ Ver" u"3.16d" u"\n");

  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  SystemInfo.ProcessorNum = static_cast<int>(system.dwNumberOfProcessors);
  LogFormatUtf16(u"論理プロセッサの数 : %d", SystemInfo.ProcessorNum);

  logOperatingSystem();

  SystemInfo.DirectXVersion = 0x70000;
  if (WinAPI.timeGetDevCapsFunc != nullptr && WinAPI.timeBeginPeriodFunc != nullptr) {
    TIMECAPS caps{};
    if (WinAPI.timeGetDevCapsFunc(&caps, sizeof(caps)) == TIMERR_NOERROR) WinAPI.timeBeginPeriodFunc(caps.wPeriodMin);
  }

  logProcessor();
  LogIndentDecrease();
}

}  // namespace ZaDod
