// Font: the script object that holds a font handle of the media layer for
// labels and direct_label to draw with.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"
#include "runtime/vm/object.h"

namespace kv {

constexpr int32_t kFontClassId = 150;
constexpr int32_t kFontProtoClassId = 151;

class KVFont : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVFont); }
  bool isFont() const override { return true; }
  int32_t handle = -1;  // -1 when the font could not be made
};

// A font of the named face; -1 for size, thickness, font type or edge size
// takes the media layer's default. A font that cannot be made logs warning 5
// and keeps handle -1. Fonts are never deleted: the media layer ends them.
KVFont* newFont(const char* name, int32_t size, int32_t thickness, int32_t fontType, int32_t edgeSize);
// The handle of a Font object, or -1 for null.
inline int32_t fontHandleOf(const KVobj* font) {
  return font ? static_cast<const KVFont*>(font)->handle : -1;
}

// load_font(name, a, b, c, d): a Font made with (name, a, c, b, d).
void loadFontNative(KVContext* ctx);
// The prototype (no methods), stored in the class's function object.
void setupFontClass(KVfobj* ctor);

}  // namespace kv
