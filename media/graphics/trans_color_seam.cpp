// Temporary: the graph settings' transparent colour, until graph creation keeps it.
#include "media/graphics/trans_color_seam.h"

namespace ZaDod {

uint32_t GetLoaderTransColor() { return 0xFF00FF; }

}  // namespace ZaDod
