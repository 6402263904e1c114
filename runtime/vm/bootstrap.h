// Building the object system before anything is compiled or run, and the
// shared constants made just before the game loop.
#pragma once

namespace kv {

// Once per run, after initGcHeap: atoms and the slot map, the global object,
// the core prototypes and constructors, Object.prototype's methods and the
// String prototype.
void bootstrapObjectSystem();
// The type names that typeof answers.
void initRuntimeConstants();

}  // namespace kv
