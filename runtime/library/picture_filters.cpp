// The Picture filter methods: each passes its integer arguments (0 for
// anything else, a double too) with the filter type to the media layer,
// which changes the graph in place for every picture sharing it.
#include "media/graphics/graph_filter.h"
#include "runtime/library/native_args.h"
#include "runtime/library/picture.h"
#include "runtime/vm/context.h"

namespace kv {
namespace {

enum FilterType : int32_t { kMono = 0, kGauss = 1, kHsb = 5, kInvert = 6, kLevel = 7, kTwoColor = 8 };
constexpr int32_t kFilterArgs = 5;

// Every filter kind reads its arguments as ints; the unused ones are ignored.
int graphFilter(int handle, int type, const int* params, int /*count*/) {
  return ZaDod::GraphFilter(handle, type, params[0], params[1], params[2], params[3], params[4]);
}

FilterCall gFilterCall = &graphFilter;

template <FilterType Type, int32_t Count>
void filterMethod(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  int params[kFilterArgs] = {};
  for (int32_t i = 0; i < Count; ++i) params[i] = intArg(ctx, i, 0);
  int graph = self && self->isPicture() ? static_cast<KVPicture*>(self)->graph : -1;
  gFilterCall(graph, Type, params, Count);
  ctx->pushUndefined();
}

}  // namespace

FilterCall& pictureFilterCall() { return gFilterCall; }

const MethodRow kFilterMethods[6] = {
    {"applyMonoFilter", kFilterArgs, &filterMethod<kMono, 2>},
    {"applyGaussFilter", kFilterArgs, &filterMethod<kGauss, 2>},
    {"applyHSBFilter", kFilterArgs, &filterMethod<kHsb, 4>},
    {"applyInvertFilter", kFilterArgs, &filterMethod<kInvert, 0>},
    {"applyLevelFilter", kFilterArgs, &filterMethod<kLevel, 5>},
    {"applyTwoColorFilter", kFilterArgs, &filterMethod<kTwoColor, 5>},
};

}  // namespace kv
