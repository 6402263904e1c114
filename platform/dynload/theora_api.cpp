// Opening libtheoradec on first use.
#define HALVORINE_THEORA_LOADER
#include "platform/dynload/theora_api.h"

namespace plat::theora {
namespace {

void fill(Api& functions, void* library) { HALVORINE_THEORA_FUNCTIONS(HALVORINE_LAZY_FIND) }

}  // namespace

// The major version the layer was compiled against.
constinit LazyTable<Api> gApi("libtheoradec.so.1", fill);

}  // namespace plat::theora
