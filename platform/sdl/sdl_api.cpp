// Opening SDL2 on first use and looking up the functions the platform layer calls.
#define HALVORINE_SDL_LOADER
#include "platform/sdl/sdl_api.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace plat::sdl {
namespace {

[[noreturn]] void missing(const char* what) {
  std::fprintf(stderr, "halvorine: cannot load %s: %s\n", what, dlerror());
  std::exit(127);
}

const Api* open() {
  static Api functions;
  // The major version the layer was compiled against; kept open for the rest of the run.
  void* handle = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) missing("libSDL2-2.0.so.0");
#define HALVORINE_SDL_FIND(name)                                                \
  functions.name = reinterpret_cast<decltype(functions.name)>(dlsym(handle, #name)); \
  if (functions.name == nullptr) missing(#name);
  HALVORINE_SDL_FUNCTIONS(HALVORINE_SDL_FIND)
#undef HALVORINE_SDL_FIND
  return &functions;
}

}  // namespace

const Api& loadApi() {
  static const Api* const loaded = open();
  gApi.store(loaded, std::memory_order_release);
  return *loaded;
}

}  // namespace plat::sdl
