// Opening libfluidsynth on first use, without ending the run when it is missing.
#include "platform/dynload/fluidsynth_api.h"

#include <dlfcn.h>

#include <mutex>

namespace plat::fluid {
namespace {

// Every function or none: a table with holes would fail later, in the mixing thread.
bool fillAll(Api& functions, void* library) {
  bool complete = true;
#define HALVORINE_FLUID_TRY(name)                                                     \
  functions.name = reinterpret_cast<decltype(functions.name)>(dlsym(library, #name)); \
  complete = complete && functions.name != nullptr;
  HALVORINE_FLUID_FUNCTIONS(HALVORINE_FLUID_TRY)
#undef HALVORINE_FLUID_TRY
  return complete;
}

}  // namespace

const Api* TryApi() {
  static std::once_flag once;
  static Api table{};
  static const Api* ready = nullptr;
  std::call_once(once, [] {
    // The major version the layer was compiled against.
    void* library = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr || !fillAll(table, library)) return;
    // Its messages would go to standard error; the devices report failures themselves.
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
      table.fluid_set_log_function(level, nullptr, nullptr);
    ready = &table;
  });
  return ready;
}

}  // namespace plat::fluid
