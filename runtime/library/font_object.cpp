// Font objects and load_font. A Font keeps "name" undefined; its handle
// lives until the media layer ends.
#include "runtime/library/font_object.h"

#include "media/graphics/font/font.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

constexpr int32_t kFontCells = 2;  // prototype, "name"

KVobj* gFontProto = nullptr;

}  // namespace

KVFont* newFont(const char* name, int32_t size, int32_t thickness, int32_t fontType, int32_t edgeSize) {
  int handle = ZaDod::CreateFontHandle(name ? name : "", size, thickness, fontType, -1, edgeSize, 0, -1);
  if (handle < 0) {
    raiseRuntimeWarning(kWarnFailedToLoad);
    handle = -1;
  }
  reserveNursery(objectBytes<KVFont>(kFontCells));
  auto* font = placeYoungObject<KVFont>(kFontCells, gFontProto, kFontClassId);
  font->handle = handle;
  return font;
}

// Each of a, b, c, d given but not an integer is warning 4 and -1; a name
// that is no text is warning 4 and a font of the empty name with defaults.
void loadFontNative(KVContext* ctx) {
  const char* name = textArg(ctx, 0);
  int32_t n[4] = {-1, -1, -1, -1};
  if (!name) {
    raiseRuntimeWarning(kWarnWrongArgument);
    name = "";
  } else {
    for (int32_t i = 0; i < 4; ++i) {
      const Value* v = ctx->arg(i + 1);
      if (v->tag == kInt) n[i] = v->i;
      else if (i + 1 < ctx->frame->passed) raiseRuntimeWarning(kWarnWrongArgument);
    }
  }
  KVFont* font = newFont(name, n[0], n[2], n[1], n[3]);
  if (font->handle < 0) warnFailedToLoad("load_font", name);
  ctx->pushObject(font);
}

void setupFontClass(KVfobj* ctor) {
  gFontProto = newStaticObject(1, gCore.objectProto, kFontProtoClassId);
  KVobj::buildPropertyIndex(gFontProto, kFontProtoClassId);
  if (ctor) *ctor->props.cells[1] = Value::makeObject(gFontProto);
}

}  // namespace kv
