// TEMPORARY SEAM (media fronts): the drawing, display and font functions of
// the media layer that the runtime calls but that have not landed yet. Each
// is replaced by the media function of the same name when its module lands:
// the display index is refused, fonts cannot be made, and the drawing state
// is only recorded.
#pragma once

namespace kv::media {

int SetUseDisplayIndex(int index);
int SetBackgroundColor(int red, int green, int blue);
int ClearDrawTarget();
int SetDrawBlendMode(int mode, int parameter);
int SetDrawableGraphMultiSample(int samples, int quality);
int CreateFontHandle(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int handle);

// What the seam recorded, for tests.
struct SeamState {
  int backgroundRed = 0, backgroundGreen = 0, backgroundBlue = 0;
  int clears = 0;
};
SeamState& seamState();

}  // namespace kv::media
