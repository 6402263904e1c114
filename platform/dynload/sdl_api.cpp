// Opening SDL2 on first use and looking up the functions the platform layer calls.
#define HALVORINE_SDL_LOADER
#include "platform/dynload/sdl_api.h"

namespace plat::sdl {
namespace {

void fill(Api& functions, void* library) { HALVORINE_SDL_FUNCTIONS(HALVORINE_LAZY_FIND) }

}  // namespace

// The major version the layer was compiled against.
constinit LazyTable<Api> gApi("libSDL2-2.0.so.0", fill);

}  // namespace plat::sdl
