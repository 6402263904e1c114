// Hardware dispatch: every device operation of the graphics front goes through one
// Graphics_Hardware_<Op>, which forwards to the back end of the chosen API
// (GraphicsApiType 1: Direct3D 9, 2: Direct3D 11). In software mode (0) a table
// dispatcher does nothing and reports success.
#pragma once
#include "media/graphics/hardware_ops.h"

namespace ZaDod {

#define HALVORINE_DECLARE_HW(result, name, params, args) result Graphics_Hardware_##name params;
HALVORINE_HW_TABLE_OPS(HALVORINE_DECLARE_HW)
#undef HALVORINE_DECLARE_HW

// Corners clockwise from the top left (top-left, top-right, bottom-right,
// bottom-left), the order drawing fronts give them in. The back ends take top-left,
// top-right, bottom-left, bottom-right; this is the one dispatcher that reorders.
int Graphics_Hardware_DrawDeformedGraph(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                                        float y4, GraphData* image, GraphData* blendImage, int transFlag,
                                        int simpleFlag);
int Graphics_Hardware_SetIndexBufferData(BufferHandleData* buffer, int start, const void* data, int count);
int Graphics_Hardware_SetVertexBufferData(BufferHandleData* buffer, int start, const void* data, int count);
int Graphics_Hardware_FlushVertexBatch(int asyncFlag);
int Graphics_Hardware_SysMemCache_ReleaseAll();
int Graphics_Hardware_SysMemCache_ReleaseUnused();
int Graphics_Hardware_CheckDepthBufferGraph(GraphData* graph);
int Graphics_Hardware_CopyMovieSurfaceToGraph(GraphData* graph, MovieHandleData* movie);
int Graphics_Hardware_RestoreIfDeviceLost();
// Direct3D 9 has no constant buffers: -1 there.
int Graphics_Hardware_ShaderConstantBuffer_Terminate(ShaderConstantBufferData* buffer);
// Neither back end keeps shadow-map settings on the device: always 0.
int Graphics_Hardware_ShadowMap_RefreshSetting(ShadowMapData* shadowMap);
// In software mode the front-screen refresh timer is started here (handle -4).
int Graphics_Hardware_SetFrontScreenTimer(int handle);
// What FlipScreen shows, without counting as a frame of the game: the front screen's
// refresh and the switch away from it present through this.
int PresentScreen();

// Operations outside the table.
// The running back end's shader model (200 = 2.0), 0 in software mode.
int Graphics_Hardware_GetShaderModelVersion();
// Test hook: a version of 0 or more is reported instead of the back end's; -1 ends it.
void Graphics_Hardware_ForceShaderModelVersionForTest(int version);
int Graphics_Hardware_IsDeviceValid();
// 1 when the main window and the running renderer's display object exist: DirectDraw's
// object in software mode and under Direct3D 9, the device under Direct3D 11.
int Graphics_Hardware_IsDisplayObjectReady();
void* Graphics_Hardware_GetDirectDrawObject();
int Graphics_Hardware_SetDialogBoxMode(int flag);
int Graphics_Hardware_SetDialogBoxModeFlag(int flag);
int Graphics_Hardware_GetDialogBoxModeFlag();

}  // namespace ZaDod
