// Clipboard text of the main window, in the wide form.
#include <cstring>

#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/win/clipboard.h"

namespace ZaDod {

using namespace plat::win;

int GetClipboardText(char16_t* buffer) {
  if (!OpenClipboard(Win.Status.MainWindow)) return -1;
  int result = -1;
  if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    auto memory = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT));
    if (const void* data = memory ? GlobalLock(memory) : nullptr) {
      size_t size = GlobalSize(memory);
      if (buffer) {
        std::memcpy(buffer, data, size);
        result = 0;
      } else {
        result = static_cast<int>(size) + 1;
      }
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return result;
}

int SetClipboardText(const char16_t* text) {
  if (!text) return -1;
  size_t length = 0;
  while (text[length]) ++length;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (length + 1) * sizeof(char16_t));
  if (!memory) return -1;
  void* data = GlobalLock(memory);
  std::memcpy(data, text, (length + 1) * sizeof(char16_t));
  GlobalUnlock(memory);
  // A clipboard held by someone else is a failure, not a success.
  if (!OpenClipboard(Win.Status.MainWindow)) {
    GlobalFree(memory);
    return -1;
  }
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  return 0;
}

}  // namespace ZaDod
