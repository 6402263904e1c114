// Labels of any value: construction, "setText", "getWidth", and the draw and
// font rules that numeric labels share.
#include "runtime/library/labels.h"

#include <cstring>

#include "media/graphics/font/font.h"
#include "runtime/library/canvas.h"
#include "runtime/library/font_object.h"
#include "runtime/library/native_args.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/context.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

KVobj* gLabelProto = nullptr;

KVLabel* labelReceiver(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->classId == kLabelClassId ? static_cast<KVLabel*>(self) : nullptr;
}

// The text a label keeps for a value. A string object's text is copied: the
// object's "append" grows its block in place, which must not change a label
// made from it. (A text of 8 KB or more cannot be copied young and is shared.)
char* labelTextOf(KVContext* ctx, int32_t i) {
  const Value* v = ctx->arg(i);
  if (v->tag == kObject && v->obj && v->obj->isString()) {
    const char* t = static_cast<const KVstring*>(v->obj)->text;
    if (!t) return const_cast<char*>("");
    size_t n = strnlen(t, kMaxYoungRequest);
    if (n >= kMaxYoungRequest) return const_cast<char*>(t);
    reserveNursery(blockBytes(sizeClassOf(n + 1)));
    // Reserving may have collected: read the text where it is now.
    return stringToHeapText(static_cast<const KVstring*>(ctx->arg(i)->obj)->text);
  }
  return const_cast<char*>(valueToString(v));
}

void setTextMethod(KVContext* ctx) {
  char* text = labelTextOf(ctx, 0);
  if (KVLabel* self = labelReceiver(ctx)) self->text = text;
  ctx->pushUndefined();
}

void labelWidthMethod(KVContext* ctx) {
  KVLabel* self = labelReceiver(ctx);
  if (self) pushTextWidth(ctx, self, self->text);
  else ctx->pushUndefined();
}

}  // namespace

int32_t defaultLabelFont() { return gRuntime.defaultFont; }

void LabelBase::forwardReferences() {
  GraphicalFactor::forwardReferences();
  font = forwardObject(font);
}

void LabelBase::markReferences() {
  GraphicalFactor::markReferences();
  markObject(font);
}

int32_t LabelBase::fontHandle() const { return font ? fontHandleOf(font) : defaultLabelFont(); }

void LabelBase::drawText(const char* text) const {
  int32_t x, y;
  renderPosition(this, x, y);
  uint32_t white = defaultWhite();
  ZaDod::DrawStringToHandle(x, y, text, memberColor(this, kSlotLabelBrush, white), fontHandle(),
                            memberColor(this, kSlotLabelEdge, white), 0);
}

void KVLabel::forwardReferences() {
  LabelBase::forwardReferences();
  text = static_cast<char*>(forwardBlock(text));
}

void KVLabel::markReferences() {
  LabelBase::markReferences();
  markBlock(text);
}

void pushTextWidth(KVContext* ctx, const LabelBase* label, const char* text) {
  ctx->pushInt(ZaDod::GetDrawStringWidthToHandle(text, intArg(ctx, 0, -1), label->fontHandle(), 0));
}

KVobj* fontArg(KVContext* ctx, int32_t i) { return objectArg(ctx, i, &KVobj::isFont); }

KVLabel* newLabel(const char* text, KVobj* font) {
  BlockRoot keepText(const_cast<char*>(text));
  ObjectRoot keepFont(font);
  auto* label = placeLabel<KVLabel>(gLabelProto, kLabelClassId);
  label->text = static_cast<char*>(keepText.get());
  label->font = keepFont.get();
  return label;
}

void labelConstructor(KVContext* ctx) {
  char* text = labelTextOf(ctx, 0);
  ctx->pushObject(newLabel(text, fontArg(ctx, 1)));
}

void setupLabelClass(KVfobj* ctor) {
  gLabelProto = makeDisplayPrototype(kLabelClassId, {{"setText", 1, &setTextMethod}, {"getWidth", 1, &labelWidthMethod}});
  linkConstructorPrototype(ctor, gLabelProto);
}

}  // namespace kv
