// Opening libtheoradec on first use.
#define HALVORINE_THEORA_LOADER
#include "platform/dynload/theora_api.h"

namespace plat::theora {
namespace {

const Api* open() {
  static Api functions;
  void* const library = OpenLazyLibrary("libtheoradec.so.1");
  HALVORINE_THEORA_FUNCTIONS(HALVORINE_LAZY_FIND)
  return &functions;
}

}  // namespace

const Api& loadApi() {
  static const Api* const loaded = open();
  gApi.store(loaded, std::memory_order_release);
  return *loaded;
}

}  // namespace plat::theora
