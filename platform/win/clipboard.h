// Clipboard and movable global memory stand-in: wide text only. On a display the text
// is the display's clipboard (kept as UTF-8 there); headless, a clipboard of the process.
#pragma once
#include <cstddef>

#include "platform/win/win_window.h"

namespace plat::win {

struct GlobalTag;
using HGLOBAL = GlobalTag*;

inline constexpr UINT CF_UNICODETEXT = 13;
inline constexpr UINT GMEM_MOVEABLE = 0x2, GMEM_ZEROINIT = 0x40;

HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
void* GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
size_t GlobalSize(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory);  // null on success

// One open at a time, process-wide: a second OpenClipboard fails until CloseClipboard.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
BOOL IsClipboardFormatAvailable(UINT format);
// The data stays the clipboard's; the caller must not free it.
HANDLE GetClipboardData(UINT format);
// The clipboard takes the memory over.
HANDLE SetClipboardData(UINT format, HANDLE data);

}  // namespace plat::win
