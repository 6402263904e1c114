// Opening libtiff on first use.
#define HALVORINE_TIFF_LOADER
#include "platform/dynload/tiff_api.h"

namespace plat::tiff {
namespace {

const Api* open() {
  static Api functions;
  void* const library = OpenLazyLibrary("libtiff.so.6");
  HALVORINE_TIFF_FUNCTIONS(HALVORINE_LAZY_FIND)
  return &functions;
}

}  // namespace

const Api& loadApi() {
  static const Api* const loaded = open();
  gApi.store(loaded, std::memory_order_release);
  return *loaded;
}

}  // namespace plat::tiff
