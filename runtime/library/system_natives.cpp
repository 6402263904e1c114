// The natives of the System and Number objects.
#include "runtime/library/system_natives.h"

#include <cstdio>

#include "media/base/clock.h"
#include "media/file/file_access.h"
#include "runtime/library/native_args.h"
#include "runtime/library/random_generator.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/kvstring.h"

namespace kv {

// The extension and key are taken when given as text of either form.
void setZdArchiveNative(KVContext* ctx) {
  ZaDod::SetUseArchive(flagArg(ctx, 0) ? 1 : 0);
  if (const char* ext = textArg(ctx, 1)) ZaDod::SetArchiveExtension(ext);
  if (const char* key = textArg(ctx, 2)) ZaDod::SetArchiveKeyString(key);
  ctx->pushUndefined();
}

void setDefaultLayerVisiblityNative(KVContext* ctx) {
  const Value* v = ctx->arg(0);
  gRuntime.defaultLayerVisible = v->tag == kUndefined ? 1 : (v->i != 0);
  ctx->pushUndefined();
}

void getDefaultRandomGeneratorNative(KVContext* ctx) {
  if (KVRandomGenerator* g = defaultRandomGenerator()) ctx->pushObject(g);
  else ctx->pushUndefined();
}

void setDefaultRandomGeneratorNative(KVContext* ctx) {
  if (KVobj* g = objectArg(ctx, 0, &KVobj::isRandomGenerator)) setDefaultRandomGenerator(static_cast<KVRandomGenerator*>(g));
  else raiseRuntimeWarning(kWarnWrongArgument);
  ctx->pushUndefined();
}

void getNowCountNative(KVContext* ctx) { ctx->pushInt(ZaDod::GetMillisecondCount()); }

// Base 16, lower case, no leading zeros; negatives as 32-bit two's complement.
void numberToHexNative(KVContext* ctx) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x", static_cast<uint32_t>(intArg(ctx, 0, 0)));
  ctx->pushObject(newKVstring(stringToHeapText(buf)));
}

void numberIsNaNNative(KVContext* ctx) { ctx->pushBool(ctx->arg(0)->tag == kNaN); }

}  // namespace kv
