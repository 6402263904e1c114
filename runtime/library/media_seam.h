// TEMPORARY SEAM (media fronts): the two media functions the runtime calls that
// have not landed yet. ClearDrawTarget fills the software back screen with the
// background colour until the shape-drawing front exists, and fonts cannot be
// made until the font module exists.
#pragma once

namespace kv::media {

int ClearDrawTarget();
int CreateFontHandle(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int handle);

}  // namespace kv::media
