// TEMPORARY SEAM (string drawing): the on-screen log's text drawing, until the
// string-drawing module replaces it.
#include "media/system/graphics_seam.h"

#include "media/base/log.h"
#include "media/system/onscreen_log.h"
#include "media/system/window.h"

namespace ZaDod {
// TEMPORARY SEAM (string drawing): the on-screen log draws no text until the
// string-drawing module lands.
int DrawStringToHandleW(int, int, const char16_t*, int, int, int, int) { return -1; }

}  // namespace ZaDod
