#include "tests/scripts/runner/test_natives.h"

#include "runtime/compiler/word_tables.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/context.h"
#include "runtime/vm/function.h"
#include "runtime/vm/log.h"
#include "runtime/vm/value.h"

namespace kv::test {

namespace {

void consoleLog(KVContext* ctx) {
  writeLogLine(valueToString(ctx->arg(0)));
  ctx->pushUndefined();
}

}  // namespace

void bindTestNatives() {
  Value* cell = gGlobalObject->areaCell(builtinMemberSlot(kNsConsole, "log"));
  if (!cell || cell->tag != kUndefined) return;
  *cell = Value::makeObject(newKVfobj(permanentCallable(Callable{nullptr, nullptr, &consoleLog}),
                                      permanentNames(NameVector(1, 0)), emptyNames()));
}

}  // namespace kv::test
