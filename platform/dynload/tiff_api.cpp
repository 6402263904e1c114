// Opening libtiff on first use.
#define HALVORINE_TIFF_LOADER
#include "platform/dynload/tiff_api.h"

namespace plat::tiff {
namespace {

void fill(Api& functions, void* library) { HALVORINE_TIFF_FUNCTIONS(HALVORINE_LAZY_FIND) }

}  // namespace

// The major version the layer was compiled against.
constinit LazyTable<Api> gApi("libtiff.so.6", fill);

}  // namespace plat::tiff
