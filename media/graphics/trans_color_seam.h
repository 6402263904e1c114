// Temporary: the transparent colour the loaders copy, 0xRRGGBB.
#pragma once
#include <cstdint>

namespace ZaDod {

uint32_t GetLoaderTransColor();

}  // namespace ZaDod
