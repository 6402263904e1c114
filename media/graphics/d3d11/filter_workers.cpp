// The Direct3D 11 filter and blend entries: each runs the shared worker over this back
// end's device steps.
#include "media/graphics/d3d11/d3d11_filter.h"

namespace ZaDod {

HALVORINE_HW_FILTER_ENTRIES(D3D11, D3D11FilterDevice)

}  // namespace ZaDod
