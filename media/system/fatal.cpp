// The fatal-error exit: the message to every log there is, then the end of the process.
#include "media/system/fatal.h"

#include <cstdio>
#include <string>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/file/async_load.h"
#include "media/system/library_lock.h"
#include "media/system/system.h"
#include "platform/win/process.h"

namespace ZaDod {

namespace {

constexpr int kStackUnits = 512;

void (*fatalHook)(const char* utf8) = nullptr;

// A fatal exit is never silent: standard error always gets the message, and so does
// the program's own log through the hook. Trailing line breaks are the log's business.
void reportOutside(const char16_t* text, int codePage) {
  if (text == nullptr) return;
  std::u16string line(text);
  while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.pop_back();
  std::string utf8(line.size() * 3 + 1, '\0');
  const int bytes = ConvertString(line.c_str(), codePage, utf8.data(), utf8.size(), CodePageUtf8);
  utf8.resize(bytes > 0 ? static_cast<size_t>(bytes) - 1 : 0);
  std::fprintf(stderr, "%s\n", utf8.c_str());
  std::fflush(stderr);
  if (void (*hook)(const char*) = fatalHook) {
    fatalHook = nullptr;  // a fault inside the hook must not come back here
    hook(utf8.c_str());
  }
}

int length16(const char16_t* text) {
  int n = 0;
  while (text[n] != u'\0') ++n;
  return n;
}

[[noreturn]] void endProcess() {
  // Only the main thread may take the library apart; on any other thread the main
  // thread may be inside it at this moment, so the process just ends.
  if (CheckMainThread()) {
    TerminateLibraryNoLock();
    LibraryLockDestroy();
  }
  plat::win::ExitProcess(1);
}

}  // namespace

int FatalErrorExit(const char16_t* text) {
  if (text == nullptr) FatalErrorExitNoLock(nullptr);
  int units = length16(text) + 16;
  char16_t onStack[kStackUnits];
  char16_t* wide = onStack;
  if (units >= kStackUnits + 1) {
    wide = static_cast<char16_t*>(MemAlloc(static_cast<size_t>(units) * sizeof(char16_t), "fatal.cpp", __LINE__));
    if (wide == nullptr) {
      // Without room to convert, the text still goes to the log as it is: a fatal
      // exit must not come back to a caller that cannot go on.
      LogAddTextUtf16(text);
      LogAddTextUtf16(u"\n");
      reportOutside(text, CodePageUtf16LE);
      endProcess();
    }
  }
  size_t bytes = wide == onStack ? sizeof(onStack) : static_cast<size_t>(units) * sizeof(char16_t);
  ConvertString(text, CodePageUtf16LE, wide, bytes, GetDefaultWideCodePage());
  FatalErrorExitNoLock(wide);
}

int FatalErrorExitNoLock(const char16_t* text) {
  if (text != nullptr) {
    LogAddTextWide(text);
    LogAddTextWide(u"\n");
  }
  reportOutside(text, GetDefaultWideCodePage());
  endProcess();
}

void SetFatalErrorHook(void (*hook)(const char* utf8)) { fatalHook = hook; }

}  // namespace ZaDod
