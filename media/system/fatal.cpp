#include "media/system/fatal.h"

#include "media/base/log.h"
#include "media/file/async_load.h"
#include "media/system/library_lock.h"
#include "platform/win/process.h"

namespace ZaDod {

// The internal wide form is UTF-16 itself, so the text needs no conversion.
int FatalErrorExit(const char16_t* text) { FatalErrorExitNoLock(text); }

int FatalErrorExitNoLock(const char16_t* text) {
  if (text != nullptr) {
    LogAddTextUtf16(text);
    LogAddTextUtf16(u"\n");
  }
  // Only the main thread may take the library apart; on any other thread the main
  // thread may be inside it at this moment, so the process just ends.
  if (CheckMainThread()) LibraryLockDestroy();
  plat::win::ExitProcess(static_cast<plat::win::UINT>(-1));
}

}  // namespace ZaDod
