// Opening the movie decoder's libraries on first use.
#include "platform/dshow/libav_load.h"

#include <dlfcn.h>

#include <iterator>

namespace plat::dshow {

namespace {

// The names of the versions the decoder was compiled against.
constexpr const char* kLibraries[] = {
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
    "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
};

const Libav* load() {
  static Libav functions;
  void* handles[std::size(kLibraries)];
  for (std::size_t i = 0; i < std::size(kLibraries); ++i) {
    // Kept open for the rest of the run.
    handles[i] = dlopen(kLibraries[i], RTLD_NOW | RTLD_LOCAL);
    if (handles[i] == nullptr) return nullptr;
  }
  auto find = [&handles](const char* name) -> void* {
    for (void* handle : handles)
      if (void* found = dlsym(handle, name)) return found;
    return nullptr;
  };
#define HALVORINE_LIBAV_FIND(name)                                         \
  functions.name = reinterpret_cast<decltype(functions.name)>(find(#name)); \
  if (functions.name == nullptr) return nullptr;
  HALVORINE_LIBAV_FUNCTIONS(HALVORINE_LIBAV_FIND)
#undef HALVORINE_LIBAV_FIND
  functions.av_log_set_level(AV_LOG_QUIET);
  return &functions;
}

}  // namespace

const Libav* LoadLibav() {
  static const Libav* const loaded = load();
  return loaded;
}

}  // namespace plat::dshow
