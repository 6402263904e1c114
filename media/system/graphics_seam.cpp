// TEMPORARY SEAM (mask screen, font handles): the mask flag and the on-screen log's
// font, until the mask module and the font module replace them.
#include "media/system/graphics_seam.h"

#include "media/base/log.h"
#include "media/system/onscreen_log.h"
#include "media/system/seam_record.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

int useMaskScreen = 0;

}  // namespace

// TEMPORARY SEAM (mask screen): the flag alone, until the mask module lands.
int GetUseMaskScreenFlag() { return useMaskScreen; }
int SetUseMaskScreenFlag(int flag) { return useMaskScreen = flag, 0; }

// TEMPORARY SEAM (font handles): no font module yet; creation fails, so the on-screen
// log's font becomes -2.
int CreateFontHandleW(const void*, const char16_t*, int, int, int, int, int, int, int, int) {
  RecordSeamCall("CreateFontHandleW");
  return -1;
}
int DeleteFontHandle(int) { return -1; }
int GetFontSizeToHandle(int) { return -1; }
int DrawStringToHandleW(int, int, const char16_t*, int, int, int, int) { return -1; }

}  // namespace ZaDod
