// Shared libraries opened on first use instead of linked: what a library
// pulls in is loaded and its symbols looked up only by the runs that need it.
// A missing library or function stops the program with a message naming it,
// as a missing library at start did when it was linked.
#pragma once

namespace plat {

// Opens the library (kept open for the rest of the run).
void* OpenLazyLibrary(const char* soname);
// The function of that name in the opened library.
void* LazyFunction(void* library, const char* name);

}  // namespace plat

// One member of a function table per name of an X-macro list, and its look-up.
#define HALVORINE_LAZY_POINTER(name) decltype(&::name) name;
#define HALVORINE_LAZY_FIND(name) \
  functions.name = reinterpret_cast<decltype(functions.name)>(::plat::LazyFunction(library, #name));
