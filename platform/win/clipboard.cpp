// Clipboard stand-in: wide text over the display's clipboard or a process clipboard,
// and the global memory blocks that carry it.
#include "platform/win/clipboard.h"

#include "platform/dynload/sdl_api.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/path.h"
#include "platform/win/window_internal.h"

namespace plat::win {

struct GlobalTag {
  std::vector<unsigned char> bytes;
  int locks = 0;
};

namespace {

std::mutex clipLock;
bool opened = false;
bool hasText = false;     // headless: the process clipboard holds text
std::u16string text;      // headless: the text without its terminator
HGLOBAL owned = nullptr;  // the block last handed out by GetClipboardData

void dropOwned() {
  delete owned;
  owned = nullptr;
}

std::u16string textOf(HGLOBAL memory) {
  const auto* units = reinterpret_cast<const char16_t*>(memory->bytes.data());
  size_t count = memory->bytes.size() / 2, n = 0;
  while (n < count && units[n]) ++n;
  return std::u16string(units, n);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
  auto* memory = new (std::nothrow) GlobalTag;
  if (!memory) return nullptr;
  try {
    memory->bytes.assign(bytes, 0);
  } catch (...) {
    delete memory;
    return nullptr;
  }
  (void)flags;  // blocks always start zeroed
  return memory;
}

void* GlobalLock(HGLOBAL memory) {
  if (!memory) return nullptr;
  ++memory->locks;
  return memory->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL memory) {
  if (!memory || memory->locks == 0) return 0;
  return --memory->locks > 0;
}

size_t GlobalSize(HGLOBAL memory) { return memory ? memory->bytes.size() : 0; }

HGLOBAL GlobalFree(HGLOBAL memory) {
  delete memory;
  return nullptr;
}

BOOL OpenClipboard(HWND) {
  std::lock_guard lock(clipLock);
  if (opened) return 0;
  opened = true;
  return 1;
}

BOOL CloseClipboard() {
  std::lock_guard lock(clipLock);
  if (!opened) return 0;
  opened = false;
  return 1;
}

BOOL EmptyClipboard() {
  std::lock_guard lock(clipLock);
  if (!opened) return 0;
  dropOwned();
  if (backend()) SDL_SetClipboardText("");
  hasText = false;
  text.clear();
  return 1;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format != CF_UNICODETEXT) return 0;
  std::lock_guard lock(clipLock);
  if (backend()) return SDL_HasClipboardText() ? 1 : 0;
  return hasText ? 1 : 0;
}

HANDLE GetClipboardData(UINT format) {
  std::lock_guard lock(clipLock);
  if (!opened || format != CF_UNICODETEXT) return nullptr;
  std::u16string now;
  if (backend()) {
    if (!SDL_HasClipboardText()) return nullptr;
    char* utf8 = SDL_GetClipboardText();
    if (!utf8) return nullptr;
    now = utf16FromUtf8(utf8);
    SDL_free(utf8);
  } else {
    if (!hasText) return nullptr;
    now = text;
  }
  dropOwned();
  owned = GlobalAlloc(GMEM_MOVEABLE, (now.size() + 1) * sizeof(char16_t));
  if (!owned) return nullptr;
  std::memcpy(owned->bytes.data(), now.data(), now.size() * sizeof(char16_t));
  return owned;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  std::lock_guard lock(clipLock);
  auto* memory = static_cast<HGLOBAL>(data);
  if (!opened || format != CF_UNICODETEXT || !memory) return nullptr;
  std::u16string now = textOf(memory);
  GlobalFree(memory);
  if (backend()) {
    SDL_SetClipboardText(toUtf8(now).c_str());
  } else {
    text = std::move(now);
    hasText = true;
  }
  return data;
}

}  // namespace plat::win
