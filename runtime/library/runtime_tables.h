// Start-up tables of the runtime and a text helper of the compiler.
#pragma once

namespace kv {

// Seeds the global random engine and gives the source-name table its 16
// empty entries; the object system's start-up runs it first.
void prepareRuntimeTables();

// A new[] copy of at most the first 127 characters of text, ended by a zero
// byte (a null text gives the empty text); freed with delete[].
char* duplicateCString(const char* text);

}  // namespace kv
