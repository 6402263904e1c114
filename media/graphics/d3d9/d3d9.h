// The Direct3D 9 back end's entry points, as the graphics front calls them.
#pragma once
#include "media/graphics/hardware_ops.h"

namespace ZaDod {

#define HALVORINE_DECLARE_D3D9(result, name, params, args) result Graphics_D3D9_##name params;
HALVORINE_HW_TABLE_OPS(HALVORINE_DECLARE_D3D9)
HALVORINE_HW_BACKEND_OPS(HALVORINE_DECLARE_D3D9)
HALVORINE_HW_D3D9_OPS(HALVORINE_DECLARE_D3D9)
#undef HALVORINE_DECLARE_D3D9

// 1 while the Direct3D 9 device exists.
int Direct3DDevice9_IsValid();
int Direct3DDevice9_SetDialogBoxMode(int flag);

}  // namespace ZaDod
