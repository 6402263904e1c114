// TEMPORARY SEAM (font module): see media_seam.h.
#include "runtime/library/media_seam.h"

namespace kv::media {

int CreateFontHandle(const char*, int, int, int, int, int, int, int) { return -1; }

}  // namespace kv::media
