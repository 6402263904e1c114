// TEMPORARY SEAM (font module): the font creation the runtime calls; fonts cannot
// be made until the font module exists.
#pragma once

namespace kv::media {

int CreateFontHandle(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int handle);

}  // namespace kv::media
