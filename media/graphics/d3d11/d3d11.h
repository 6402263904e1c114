// The Direct3D 11 back end's entry points, as the graphics front calls them.
#pragma once
#include "media/graphics/hardware_ops.h"

namespace ZaDod {

#define HALVORINE_DECLARE_D3D11(result, name, params, args) result Graphics_D3D11_##name params;
HALVORINE_HW_TABLE_OPS(HALVORINE_DECLARE_D3D11)
HALVORINE_HW_BACKEND_OPS(HALVORINE_DECLARE_D3D11)
HALVORINE_HW_D3D11_OPS(HALVORINE_DECLARE_D3D11)
#undef HALVORINE_DECLARE_D3D11

// 1 while the Direct3D 11 device exists.
int D3D11Device_IsValid();

}  // namespace ZaDod
