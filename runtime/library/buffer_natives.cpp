// Natives that read array buffers and typed views: load_file and the
// RandomGenerator constructor.
#include <cstring>

#include "media/file/file_handle.h"
#include "media/base/handle.h"
#include "runtime/library/global_natives.h"
#include "runtime/library/native_args.h"
#include "runtime/library/random_generator.h"
#include "runtime/vm/arraybuffer.h"
#include "runtime/vm/roots.h"

namespace kv {

// Reads at most the buffer's length of the file into it; the count read.
// A buffer whose storage is gone counts as length 0.
void loadFileNative(KVContext* ctx) {
  const char* name = textArg(ctx, 0);
  auto* buffer = static_cast<KVArrayBuffer*>(objectArg(ctx, 1, &KVobj::isArrayBuffer));
  if (!name || !buffer) {
    raiseRuntimeWarning(kWarnWrongArgument);
    ctx->pushInt(0);
    return;
  }
  int handle = ZaDod::OpenFileHandle(name, 0);
  if (handle == 0) {
    ctx->pushInt(0);
    return;
  }
  int64_t got = 0;
  if (buffer->data && buffer->size > 0) got = ZaDod::ReadFileHandle(buffer->data, buffer->size, handle);
  ZaDod::SubHandle(handle);  // the generic handle delete closes the file
  ctx->pushInt(got > 0 ? static_cast<int32_t>(got) : 0);
}

// Seeded from the first ten elements of a typed view; missing ones count
// as 0 after warning 19.
void randomGeneratorConstructor(KVContext* ctx) {
  auto* view = static_cast<KVArrayView*>(objectArg(ctx, 0, &KVobj::isArrayView));
  if (!view) {
    raiseRuntimeWarning(kWarnWrongArgument);
    ctx->pushUndefined();
    return;
  }
  Value values[kSeedWordCount];
  for (int32_t i = 0; i < kSeedWordCount; ++i) values[i] = *view->readElement(i);
  SeedWords words = seedWordsFromValues(values, kSeedWordCount);
  ctx->pushObject(newRandomGenerator(&words));
}

}  // namespace kv
