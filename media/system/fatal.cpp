#include "media/system/fatal.h"

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
  plat::win::ExitProcess(static_cast<plat::win::UINT>(-1));
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
  endProcess();
}

}  // namespace ZaDod
