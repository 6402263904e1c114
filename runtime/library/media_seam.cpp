// TEMPORARY SEAM (media fronts): see media_seam.h.
#include "runtime/library/media_seam.h"

namespace kv::media {

SeamState& seamState() {
  static SeamState s;
  return s;
}

int SetUseDisplayIndex(int index) { return index == 0 ? 0 : -1; }

int SetBackgroundColor(int red, int green, int blue) {
  seamState().backgroundRed = red;
  seamState().backgroundGreen = green;
  seamState().backgroundBlue = blue;
  return 0;
}

int ClearDrawTarget() {
  ++seamState().clears;
  return 0;
}

int SetDrawBlendMode(int, int) { return 0; }
int SetDrawableGraphMultiSample(int, int) { return 0; }
int CreateFontHandle(const char*, int, int, int, int, int, int, int) { return -1; }

}  // namespace kv::media
