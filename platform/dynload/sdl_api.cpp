// Opening SDL2 on first use and looking up the functions the platform layer calls.
#define HALVORINE_SDL_LOADER
#include "platform/dynload/sdl_api.h"

namespace plat::sdl {
namespace {

const Api* open() {
  static Api functions;
  // The major version the layer was compiled against.
  void* const library = OpenLazyLibrary("libSDL2-2.0.so.0");
  HALVORINE_SDL_FUNCTIONS(HALVORINE_LAZY_FIND)
  return &functions;
}

}  // namespace

const Api& loadApi() {
  static const Api* const loaded = open();
  gApi.store(loaded, std::memory_order_release);
  return *loaded;
}

}  // namespace plat::sdl
