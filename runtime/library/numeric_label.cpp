// Numeric labels: the number is formatted into the label's own buffer when it
// changes ("setValue"), never in the draw.
#include <charconv>
#include <cstring>
#include <string>

#include "runtime/library/font_object.h"
#include "runtime/library/labels.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

// What a number too long for the buffer shows.
constexpr char kQuestionRun[] = "???????????????????????????????";
static_assert(sizeof kQuestionRun == kLabelBufferSize);
constexpr int32_t kMostDigits = kLabelBufferSize - 1;

KVobj* gNumericLabelProto = nullptr;

BufferedLabel* numericReceiver(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->classId == kBufferedLabelClassId ? static_cast<BufferedLabel*>(self) : nullptr;
}

// A float as it is; an integer as it is; anything else shows 0 (its payload
// would be part of an address or a text pointer).
void setValueMethod(KVContext* ctx) {
  if (BufferedLabel* self = numericReceiver(ctx)) {
    const Value* v = ctx->arg(0);
    if (v->tag == kFloat) {
      self->setDoubleValue(v->d);
    } else {
      self->setIntValue(v->tag == kInt ? v->i : 0);
      if (self->digits >= 0) self->padDigits();
    }
  }
  ctx->pushUndefined();
}

void numericWidthMethod(KVContext* ctx) {
  BufferedLabel* self = numericReceiver(ctx);
  if (self) pushTextWidth(ctx, self, self->buffer);
  else ctx->pushUndefined();
}

// The pad is the first character of a text (constant or object) when it is
// printable, else a space; the width applies from the next integer value.
void fixDigitsMethod(KVContext* ctx) {
  if (BufferedLabel* self = numericReceiver(ctx)) {
    int32_t d = intArg(ctx, 0, -1);
    self->digits = static_cast<int16_t>(d < 0 ? -1 : d > kMostDigits ? kMostDigits : d);
    const char* pad = textArg(ctx, 1);
    unsigned char c = pad ? static_cast<unsigned char>(pad[0]) : 0;
    self->pad = c >= 0x20 && c < 0x7F ? c : ' ';
  }
  ctx->pushUndefined();
}

BufferedLabel* placeNumericLabel(KVobj* font) {
  ObjectRoot keepFont(font);
  auto* label = placeLabel<BufferedLabel>(gNumericLabelProto, kBufferedLabelClassId);
  label->font = keepFont.get();
  return label;
}

}  // namespace

void BufferedLabel::setIntValue(int32_t v) {
  value.i = v;
  floating = 0;
  *std::to_chars(buffer, buffer + kMostDigits, v).ptr = '\0';
}

void BufferedLabel::setDoubleValue(double v) {
  value.d = v;
  floating = 1;
  std::string text;
  formatDoubleInto(text, v);
  const char* shown = text.size() >= kLabelBufferSize ? kQuestionRun : text.c_str();
  std::memcpy(buffer, shown, std::strlen(shown) + 1);
}

void BufferedLabel::padDigits() {
  int32_t n = static_cast<int32_t>(strnlen(buffer, kMostDigits));
  if (n >= digits) return;
  int32_t shift = digits - n;
  std::memmove(buffer + shift, buffer, static_cast<size_t>(n) + 1);
  std::memset(buffer, pad, static_cast<size_t>(shift));
}

BufferedLabel* newIntLabel(int32_t v, KVobj* font) {
  BufferedLabel* label = placeNumericLabel(font);
  label->setIntValue(v);
  return label;
}

BufferedLabel* newDoubleLabel(double d, KVobj* font) {
  BufferedLabel* label = placeNumericLabel(font);
  label->pad = ' ';
  label->setDoubleValue(d);
  return label;
}

// A double or an integer; anything else starts at 0, as "setValue" has it.
void numericLabelConstructor(KVContext* ctx) {
  const Value* v = ctx->arg(0);
  KVobj* font = fontArg(ctx, 1);
  ctx->pushObject(v->tag == kFloat ? newDoubleLabel(v->d, font) : newIntLabel(v->tag == kInt ? v->i : 0, font));
}

void setupNumericLabelClass(KVfobj* ctor) {
  gNumericLabelProto = makeDisplayPrototype(kBufferedLabelClassId, {{"setValue", 1, &setValueMethod},
                                                                     {"getWidth", 1, &numericWidthMethod},
                                                                     {"fixNumberOfDigits", 2, &fixDigitsMethod}});
  linkConstructorPrototype(ctor, gNumericLabelProto);
}

}  // namespace kv
