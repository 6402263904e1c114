// TEMPORARY SEAM (temporaryNative): the natives of classes, functions and
// SaveFile members whose media objects are not built yet, and of the Array
// members that take a callback. Each raises
// runtime warning 25 "limit on implementation" naming itself and returns
// undefined; each is replaced when its class lands.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"

namespace kv {

// The temporary native of a built-in table row (its name from the row).
NativeFunction temporaryRowNative(int32_t row);
// Whether f is one of the temporary natives above (a row or a SaveFile slot).
bool isTemporaryNative(NativeFunction f);
// The temporary native of SaveFile slot 0..7.
NativeFunction temporarySaveFileNative(int32_t slot);
// Array members built as instruction lists that are not there yet get a
// temporary native each.
void installTemporaryArrayMethods();

}  // namespace kv
