#include "runtime/library/temporary_natives.h"

#include <array>
#include <utility>

#include "runtime/library/builtin_table.h"
#include "runtime/vm/context.h"

namespace kv {
namespace {

constexpr int32_t kWarnLimitOnImplementation = 25;

template <int32_t Row>
void rowNative(KVContext* ctx) {
  raiseRuntimeWarning(kWarnLimitOnImplementation, builtinClassTable()[Row].name);
  ctx->pushUndefined();
}

template <int32_t... I>
constexpr auto rowNatives(std::integer_sequence<int32_t, I...>) {
  return std::array<NativeFunction, sizeof...(I)>{&rowNative<I>...};
}

constexpr auto kRowNatives = rowNatives(std::make_integer_sequence<int32_t, kBuiltinRowCount>());

}  // namespace

NativeFunction temporaryRowNative(int32_t row) { return kRowNatives.at(row); }

}  // namespace kv
