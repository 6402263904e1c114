// TEMPORARY SEAM (mask screen, string drawing): the mask flag and the on-screen log's
// text drawing, until the mask module and the string-drawing module replace them.
#include "media/system/graphics_seam.h"

#include "media/base/log.h"
#include "media/system/onscreen_log.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

int useMaskScreen = 0;

}  // namespace

// TEMPORARY SEAM (mask screen): the flag alone, until the mask module lands.
int GetUseMaskScreenFlag() { return useMaskScreen; }
int SetUseMaskScreenFlag(int flag) { return useMaskScreen = flag, 0; }

// TEMPORARY SEAM (string drawing): the on-screen log draws no text until the
// string-drawing module lands.
int DrawStringToHandleW(int, int, const char16_t*, int, int, int, int) { return -1; }

}  // namespace ZaDod
