// Labels: `Label` draws any script value as text and `BufferedLabel` (the
// script's "NumericLabel") a number it formats once per change; both draw
// with a `Font` or with the default label font, in the colours of their
// "brush" and "edge" members.
#pragma once

#include <cstdint>

#include "runtime/library/graphical.h"
#include "runtime/vm/property.h"

namespace kv {

constexpr int32_t kLabelClassId = 320;
constexpr int32_t kBufferedLabelClassId = 322;
// Cells: prototype, "x", "y", "visible", "brush", "edge".
constexpr int32_t kLabelCells = 6;
enum LabelMemberSlot : int32_t { kSlotLabelBrush = 4, kSlotLabelEdge = 5 };
// The text buffer of a numeric label, terminating NUL included.
constexpr int32_t kLabelBufferSize = 32;

// What both label kinds share: the font link and the draw of a text.
class LabelBase : public GraphicalFactor {
 public:
  void forwardReferences() override;
  void markReferences() override;
  // The handle the label draws and measures with: its font's, else the
  // default label font.
  int32_t fontHandle() const;
  // Draws the text at the render position in "brush" and "edge".
  void drawText(const char* text) const;

  KVobj* font = nullptr;  // a Font, or null for the default label font
};

class KVLabel : public LabelBase {
 public:
  size_t byteSize() const override { return sizeof(KVLabel); }
  void forwardReferences() override;
  void markReferences() override;
  void draw() override { drawText(text); }

  char* text = nullptr;  // a collected block (or a constant outside the heap)
};

class BufferedLabel : public LabelBase {
 public:
  size_t byteSize() const override { return sizeof(BufferedLabel); }
  void draw() override { drawText(buffer); }
  void setIntValue(int32_t v);
  void setDoubleValue(double d);
  // Right-aligns the buffer's text in `digits` characters with the pad
  // character; a longer text stays as it is.
  void padDigits();

  union {
    int32_t i;
    double d;
  } value = {0};
  uint8_t floating = 0;
  uint8_t pad = '0';
  int16_t digits = -1;  // 0..31, or -1 for no fixed width
  char buffer[kLabelBufferSize] = {};
};

// The font handle of labels without a font, of direct_label without a font
// and of "getWidth" without a font: the runtime's default font.
int32_t defaultLabelFont();

// A label of type T at (0, 0), visible, with "brush" and "edge" undefined;
// the caller keeps what it holds across the allocation.
template <class T>
T* placeLabel(KVobj* proto, int32_t classId) {
  reserveNursery(objectBytes<T>(kLabelCells));
  T* label = placeYoungObject<T>(kLabelCells, proto, classId);
  label->props.cells[kSlotX]->setInt(0);
  label->props.cells[kSlotY]->setInt(0);
  label->props.cells[kSlotVisible]->setBool(true);
  return label;
}

// Factories as the constructors use them; the text and font are kept across
// the allocation.
KVLabel* newLabel(const char* text, KVobj* font);
BufferedLabel* newIntLabel(int32_t v, KVobj* font);
BufferedLabel* newDoubleLabel(double d, KVobj* font);

// The script constructors "Label" and "NumericLabel" and their prototypes.
void labelConstructor(KVContext* ctx);
void numericLabelConstructor(KVContext* ctx);
void setupLabelClass(KVfobj* ctor);
void setupNumericLabelClass(KVfobj* ctor);

// Shared by both classes: "getWidth" of a text with the label's font.
void pushTextWidth(KVContext* ctx, const LabelBase* label, const char* text);
// The second constructor argument when it is a Font, else null.
KVobj* fontArg(KVContext* ctx, int32_t i);

}  // namespace kv
