// What the Direct3D 11 filter files share: the device steps the shared filter passes and
// workers draw through, and the filter constant buffer.
#pragma once
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/hwdraw/filter_steps.h"

namespace ZaDod {

// The Direct3D 11 steps of the shared passes and workers.
extern const HwFilterDevice D3D11FilterDevice;
int Graphics_D3D11_Filter_CreateWorkScreen(int colorKind, int width, int height, int slot);
int Graphics_D3D11_Filter_LoadShader(const char* name);
D3D11ConstantBuffer* Graphics_D3D11_GetFilterConstantBuffer();
// Before the device goes: releases the device object of every shader handle, the filter
// shaders' included; after a re-creation every one is made again from its kept code.
int Graphics_D3D11_ReleaseShaderHandleObjects();
int Graphics_D3D11_RestoreShaderHandleObjects();

}  // namespace ZaDod
