#include "runtime/library/temporary_natives.h"

#include <algorithm>
#include <array>
#include <utility>

#include "runtime/library/builtin_table.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"

namespace kv {
namespace {

constexpr int32_t kWarnLimitOnImplementation = 25;
constexpr const char* kSaveFileNames[] = {"open", "read", "getc", "close", "write", "putc", "seek", "tell"};
constexpr const char* kArrayMethodNames[] = {"forEach", "reduce", "map", "find", "findIndex", "filter", "sort"};

template <int32_t Row>
void rowNative(KVContext* ctx) {
  raiseRuntimeWarning(kWarnLimitOnImplementation, builtinClassTable()[Row].name);
  ctx->pushUndefined();
}

template <int32_t Slot>
void saveFileNative(KVContext* ctx) {
  raiseRuntimeWarning(kWarnLimitOnImplementation, kSaveFileNames[Slot]);
  ctx->pushUndefined();
}

template <int32_t Method>
void arrayMethodNative(KVContext* ctx) {
  raiseRuntimeWarning(kWarnLimitOnImplementation, kArrayMethodNames[Method]);
  ctx->pushUndefined();
}

template <int32_t Method>
KVfobj* buildArrayMethod() {
  const int32_t params = Method == 1 ? 2 : 1;  // reduce takes an initial value
  return newKVfobj(permanentCallable(Callable{nullptr, nullptr, &arrayMethodNative<Method>}),
                   permanentNames(NameVector(params, 0)), emptyNames());
}

template <int32_t... I>
constexpr auto rowNatives(std::integer_sequence<int32_t, I...>) {
  return std::array<NativeFunction, sizeof...(I)>{&rowNative<I>...};
}
template <int32_t... I>
constexpr auto saveFileNatives(std::integer_sequence<int32_t, I...>) {
  return std::array<NativeFunction, sizeof...(I)>{&saveFileNative<I>...};
}

constexpr auto kRowNatives = rowNatives(std::make_integer_sequence<int32_t, kBuiltinRowCount>());
constexpr auto kSaveFileNatives = saveFileNatives(std::make_integer_sequence<int32_t, 8>());

}  // namespace

NativeFunction temporaryRowNative(int32_t row) { return kRowNatives.at(row); }
bool isTemporaryNative(NativeFunction f) {
  return std::find(kRowNatives.begin(), kRowNatives.end(), f) != kRowNatives.end() ||
         std::find(kSaveFileNatives.begin(), kSaveFileNatives.end(), f) != kSaveFileNatives.end();
}
NativeFunction temporarySaveFileNative(int32_t slot) { return kSaveFileNatives.at(slot); }

void installTemporaryArrayMethods() {
  ArrayCallbackBuilders& b = arrayCallbackBuilders();
  ArrayMethodBuilder* slots[] = {&b.forEach, &b.reduce, &b.map, &b.find, &b.findIndex, &b.filter, &b.sort};
  constexpr ArrayMethodBuilder kBuilders[] = {&buildArrayMethod<0>, &buildArrayMethod<1>, &buildArrayMethod<2>,
                                              &buildArrayMethod<3>, &buildArrayMethod<4>, &buildArrayMethod<5>,
                                              &buildArrayMethod<6>};
  for (size_t i = 0; i < std::size(kBuilders); ++i)
    if (!*slots[i]) *slots[i] = kBuilders[i];
}

}  // namespace kv
