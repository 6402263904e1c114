// The media log "Log.txt".
#include "media/base/log.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/clock.h"
#include "media/base/format.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/file/file_access.h"
#include "media/system/winapi.h"
#include "platform/win/debug.h"
#include "platform/win/file.h"

namespace ZaDod {

namespace {

constexpr char16_t LogFileName[] = u"Log.txt";
constexpr std::size_t PathCapacity = 3072;

std::atomic<bool> disabled{false};
std::atomic<void (*)(const char16_t*)> testHook{nullptr};

// One small lock keeps the open flag, indent, line-continues flag and each piece's
// append together, so pieces from several threads never interleave. It is
// re-entrant: a failed allocation may log while a piece is being written.
TrackedCriticalSection& logLock() {
  static TrackedCriticalSection* lock = [] {
    auto* made = new TrackedCriticalSection;  // outlives static destructors
    CriticalSection_Initialize(made);
    return made;
  }();
  return *lock;
}

struct Locked {
  Locked() { CriticalSection_Lock(&logLock(), "log.cpp", __LINE__); }
  ~Locked() { CriticalSection_Unlock(&logLock()); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

bool open = false;
std::atomic<unsigned> indent{0};
bool lineContinues = false;
int startTime = 0;
char16_t logPath[PathCapacity];

std::size_t length16(const char16_t* s) {
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

// Writes the milliseconds since start and ':' at out; returns the units written.
std::size_t putTimeStamp(char16_t* out) {
  // The millisecond count has 31 bits; the difference wraps with it.
  unsigned v = (static_cast<unsigned>(GetMillisecondCount()) - static_cast<unsigned>(startTime)) & 0x7FFFFFFFu;
  char digits[16];
  int n = 0;
  do digits[n++] = static_cast<char>('0' + v % 10), v /= 10;
  while (v);
  std::size_t at = 0;
  while (n) out[at++] = static_cast<char16_t>(digits[--n]);
  out[at++] = u':';
  return at;
}

int startLocked() {
  if (open || disabled.load()) return 0;
  if (GetLogFilePath(logPath, PathCapacity) != 0 || LogFile_Create(logPath) != 0) return -1;
  indent = 0;
  lineContinues = false;
  startTime = GetMillisecondCount();
  open = true;
  return 0;
}

// Builds the piece's output in out (room for indentRoom tabs and the doubled
// text) and appends it, all under the log's lock.
int writeLocked(const char16_t* text, std::size_t length, char16_t* out, unsigned indentRoom) {
  Locked guard;
  if (!open && startLocked() != 0) return -1;
  std::size_t at = 0;
  if (!lineContinues) {
    at = putTimeStamp(out);
    const unsigned tabs = std::min(indent.load(), indentRoom);
    for (unsigned i = 0; i < tabs; ++i) out[at++] = u'\t';
  }
  // Bare LFs become CR LF until the first LF that already follows a CR; from
  // there on the text is taken as written.
  std::size_t i = 0;
  for (; i < length; ++i) {
    if (text[i] == u'\n') {
      if (i > 0 && text[i - 1] == u'\r') break;
      out[at++] = u'\r';
    }
    out[at++] = text[i];
  }
  for (; i < length; ++i) out[at++] = text[i];
  out[at] = 0;
  lineContinues = at == 0 || out[at - 1] != u'\n';
  return LogFile_Append(logPath, out);
}

int writePiece(const char16_t* text) {
  if (!text) return 0;
  if (auto hook = testHook.load(std::memory_order_acquire)) hook(text);
  if (disabled.load()) return 0;

  // The buffer is had before the lock is taken and given back after it is
  // released, so that the log never waits for the memory lock while holding its own.
  const std::size_t length = length16(text);
  const unsigned indentRoom = indent.load() + 16;
  const std::size_t capacity = indentRoom + (length + 8) * 2 + 24;
  char16_t local[1024];
  char16_t* out = local;
  if (capacity > std::size(local) &&
      !(out = static_cast<char16_t*>(MemAlloc(capacity * sizeof(char16_t), "log.cpp", __LINE__))))
    return -1;
  const int result = writeLocked(text, length, out, indentRoom);
  if (out != local) MemFree(out);
  return result;
}

// Converts text into the wide form and writes it.
int writeConverted(const void* text, int codePage) {
  if (!text) return 0;
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0) return -1;
  std::size_t units = 0;
  for (const auto* p = static_cast<const std::uint8_t*>(text); std::memcmp(p, "\0\0\0\0", unit) != 0; p += unit)
    ++units;
  const std::size_t capacity = units + 16;
  char16_t local[512];
  char16_t* wide = local;
  if (capacity >= std::size(local) &&
      !(wide = static_cast<char16_t*>(MemAlloc(capacity * sizeof(char16_t), "log.cpp", __LINE__))))
    return -1;
  ConvertString(text, codePage, wide, capacity * sizeof(char16_t), CodePageUtf16LE);
  const int result = writePiece(wide);
  if (wide != local) MemFree(wide);
  return result;
}

void appendLineBreak(char16_t* text, std::size_t capacity) {
  const std::size_t n = length16(text);
  if (n + 1 < capacity) text[n] = u'\n', text[n + 1] = 0;
}

}  // namespace

int LogAddTextWide(const char16_t* text) { return writePiece(text); }
int LogAddTextUtf16(const char16_t* text) { return writeConverted(text, CodePageUtf16LE); }
int LogAddTextCp932(const char* text) { return writeConverted(text, CodePageShiftJis); }
int LogAddTextCurrentCp(const char* text) { return writeConverted(text, GetDefaultNarrowCodePage()); }

int LogFormatUtf16(const char16_t* format, ...) {
  char16_t text[1024 + 2];
  va_list args;
  va_start(args, format);
  CharCode_VSNPrintf(CodePageUtf16LE, 1, GetDefaultNarrowCodePage(), CodePageUtf16LE, text, 1024, format, args);
  va_end(args);
  appendLineBreak(text, std::size(text));
  return LogAddTextUtf16(text);
}

int LogFormatCp932(const char* format, ...) {
  char text[2048 + 2];
  va_list args;
  va_start(args, format);
  CharCode_VSNPrintf(CodePageShiftJis, 0, CodePageShiftJis, GetDefaultWideCodePage(), text, 2048, format, args);
  va_end(args);
  std::strcat(text, "\n");
  return LogAddTextCp932(text);
}

int LogFormatWide(const char16_t* format, ...) {
  char16_t text[2048 + 2];
  va_list args;
  va_start(args, format);
  VSNPrintfW(text, 2048, format, args);
  va_end(args);
  appendLineBreak(text, std::size(text));
  return LogAddTextWide(text);
}

int LogIndentIncrease() {
  Locked guard;
  ++indent;
  return 0;
}

int LogIndentDecrease() {
  Locked guard;
  if (indent) --indent;
  return 0;
}

int SetLogFileOutput(int enable) {
  Locked guard;
  disabled.store(!enable);
  if (!enable) open = false;
  return 0;
}

int LogStart() {
  Locked guard;
  return startLocked();
}

int LogFile_Create(const char16_t* path) {
  using namespace plat::win;
  DeleteFileW(path);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  static const unsigned char byteOrderMark[2] = {0xFF, 0xFE};
  DWORD written = 0;
  const bool ok = WriteFile(file, byteOrderMark, 2, &written, nullptr) && written == 2;
  CloseHandle(file);
  return ok ? 0 : -1;
}

int LogFile_Append(const char16_t* path, const char16_t* text) {
  using namespace plat::win;
  if (!WinmmFunctionsLoaded(1)) return -1;
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  int result = -1;
  if (file != INVALID_HANDLE_VALUE) {
    const DWORD bytes = static_cast<DWORD>(length16(text) * sizeof(char16_t));
    DWORD written = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
        WriteFile(file, text, bytes, &written, nullptr) && written == bytes)
      result = 0;
    CloseHandle(file);
  }
  OutputDebugStringW(text);
  return result;
}

int GetLogFilePath(char16_t* buffer, std::size_t size) {
  if (!buffer || !size) return -1;
  buffer[0] = 0;
  FileAccessGetDir(buffer, size * sizeof(char16_t));  // the folder the file functions see
  std::size_t n = length16(buffer);
  if (!n) return -1;
  const std::size_t nameLength = std::size(LogFileName) - 1;
  const bool separator = buffer[n - 1] != u'\\';
  if (n + separator + nameLength + 1 > size) {
    buffer[0] = 0;
    return -1;
  }
  if (separator) buffer[n++] = u'\\';
  std::memcpy(buffer + n, LogFileName, sizeof LogFileName);
  return 0;
}

void SetLogTestHook(void (*hook)(const char16_t* line)) { testHook.store(hook, std::memory_order_release); }

}  // namespace ZaDod
