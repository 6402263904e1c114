// The Direct3D 9 filter and blend entries: each runs the shared worker over this back
// end's device steps.
#include "media/graphics/d3d9/d3d9_filter.h"

namespace ZaDod {

HALVORINE_HW_FILTER_ENTRIES(D3D9, D3D9FilterDevice)

}  // namespace ZaDod
