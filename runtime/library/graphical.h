// Display objects' common base: the layer and container links, the "x", "y"
// and "visible" members, the render position, the draw slot, the rule by
// which draws read members, and the member and prototype set-ups that every
// display class shares.
#pragma once

#include <cstdint>

#include <initializer_list>

#include "runtime/library/native_args.h"
#include "runtime/vm/function.h"
#include "runtime/vm/object.h"
#include "runtime/vm/value.h"

namespace kv {

// Instance class numbers; each class's prototype has the number plus one.
enum DisplayClassId : int32_t {
  kLayerClassId = 128,
  kContainerClassId = 130,
  kPictureClassId = 256,
  kPartPictureClassId = 258,
  kFramerPictureClassId = 260,
  kGlyphClassId = 262,
  kBoxShapeClassId = 288,
  kTriShapeClassId = 290,
  kLineShapeClassId = 292,
  kPixelShapeClassId = 294,
  kCircleShapeClassId = 296,
  kOvalShapeClassId = 298,
};

// Member slots every display object shares; a class's own start at 4.
enum GraphicSlot : int32_t { kSlotX = 1, kSlotY = 2, kSlotVisible = 3, kSlotFirstOwn = 4 };

// At most this many ancestors of a container add to a render position; a
// longer chain is cut there without a message.
constexpr int32_t kMaxContainerAncestors = 17;

class GraphicalFactor : public KVobj {
 public:
  bool isGraphic() const override { return true; }
  void forwardReferences() override;
  void markReferences() override;
  // Draws the object once at its render position with the current draw
  // state; only the layer draw calls it.
  virtual void draw() = 0;

  KVobj* layer = nullptr;      // the layer that draws it, set by enlayer only
  KVobj* container = nullptr;  // the container that offsets it
};

// How draws read a member: an integer as it is, a double cut toward zero
// (saturating, NaN 0), the payload of an undefined cell (constructors leave
// their sizes there) and 0 for anything else.
inline int32_t memberIntOf(const Value& v) {
  switch (v.tag) {
    case kInt:
    case kUndefined: return v.i;
    case kFloat: return saturatingInt(v.d);
    default: return 0;
  }
}
inline int32_t memberInt(const KVobj* obj, int32_t slot) { return memberIntOf(*obj->props.cells[slot]); }
// "visible": an undefined cell by its payload, anything else by its truth.
inline bool memberVisible(const KVobj* obj, int32_t slot) {
  const Value& v = *obj->props.cells[slot];
  return v.tag == kUndefined ? v.i != 0 : valueIsTrue(v);
}
// A colour member: an integer, else the given default.
inline uint32_t memberColor(const KVobj* obj, int32_t slot, uint32_t fallback) {
  const Value& v = *obj->props.cells[slot];
  return v.tag == kInt ? static_cast<uint32_t>(v.i) : fallback;
}

inline int32_t wrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Adds the container's position and its first 17 ancestors' to x and y
// (32-bit wrap). A null container adds nothing.
void addRenderOffset(const KVobj* container, int32_t& x, int32_t& y);
// The object's own "x"/"y" plus its container offset.
void renderPosition(const GraphicalFactor* obj, int32_t& x, int32_t& y);

// Records (class, name) -> slot in the member-slot map.
void registerGraphicMember(int32_t classId, const char* name, int32_t slot);
// The prototype object of a display class (class number plus one) with
// "renderX", "renderY" and the given methods, closed by its property index.
struct MethodRow {
  const char* name;
  int32_t params;
  NativeFunction native;
};
KVobj* makeDisplayPrototype(int32_t classId, std::initializer_list<MethodRow> methods);
// Stores the prototype in the class's constructor, as new objects of it find it.
void linkConstructorPrototype(KVfobj* ctor, KVobj* proto);

// The bootstrap hooks: the members of every display class and the
// display-list roots (layer list, painting state), both made afresh with
// each new heap.
void setupGraphicMembers();
void setupShapeMembers();

// A constructor that refuses its arguments: warning 4, then undefined, so that
// `new` gives the plain object it made.
void refuseConstruction(KVContext* ctx);

}  // namespace kv
