// Opening shared libraries on first use.
#include "platform/dynload/lazy_library.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace plat {
namespace {

[[noreturn]] void missing(const char* what) {
  std::fprintf(stderr, "halvorine: cannot load %s: %s\n", what, dlerror());
  std::exit(127);
}

}  // namespace

void* OpenLazyLibrary(const char* soname) {
  void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) missing(soname);
  return library;
}

void* LazyFunction(void* library, const char* name) {
  void* found = dlsym(library, name);
  if (found == nullptr) missing(name);
  return found;
}

}  // namespace plat
