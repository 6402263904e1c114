// Joins the runtime library to the object system and the interpreter.
#pragma once

namespace kv {

// Fills the object system's hooks into the library (registration, built-in
// object slots, start-up tables, defaults) and the interpreter's module
// loader; run before the object system is built.
void installRuntimeLibrary();

}  // namespace kv
