// TEMPORARY SEAM (media fronts): ClearDrawTarget fills the software back screen with
// the background colour until the shape-drawing front exists. CreateFontHandle passes
// straight to the font module; the file goes once ClearDrawTarget has left it.
#pragma once

namespace kv::media {

int ClearDrawTarget();
int CreateFontHandle(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int handle);

}  // namespace kv::media
