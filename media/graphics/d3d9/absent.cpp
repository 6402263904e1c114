// TEMPORARY SEAM: the entries of the Direct3D 9 back end that are not built yet (start-up,
// presentation, drawing, textures, filters, mask); each answers as without a device. The
// back end's start-up, presentation and drawing files replace them, entry by entry.
// `Graphics_D3D9_Initialize` is among them, so the API choice never picks Direct3D 9 yet.
#include "media/graphics/d3d9/d3d9.h"

// The stubs keep the real parameter lists, which they do not read.
#pragma GCC diagnostic ignored "-Wunused-parameter"

// An entry that has its own definition elsewhere is listed here and gets no stub.
#define HALVORINE_D3D9_PROBE(x) x, 1,
#define HALVORINE_D3D9_BUILT_GetShaderModelVersion HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_ClearDrawTarget HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetupDefaultDeviceState HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetLightEnableByIndex HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetLightParamByIndex HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetUseLighting HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_RefreshDrawTargetAlphaFlag HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_RefreshDiffuseColor HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetDrawArea HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetDrawMode HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetFogColor HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetFogEnable HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetFogMode HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetFogStartEnd HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetTransformToView HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetTransformToProjection HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetTransformToWorld HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_FlushVertexBatch HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetFrontScreenTimer HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetupSubBackBuffer HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_AfterInitialize HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_ReleaseDeviceObjects HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_Terminate HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_RefreshDeviceState HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_Initialize HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_RecreateDevice HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_FlipScreen HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_RestoreIfDeviceLost HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetDialogBoxMode HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_GetDXTDecodeFlags HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_CreateGraphTexture HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_ReleaseGraphTexture HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_BltBmpOrBaseImageToGraph3 HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawGraph HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawStretchedGraph HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawDeformedGraph HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawRotatedGraph HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawGraphQuadList HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_BindBlendGraph HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawFilledBox HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawBoxOutline HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawPixel HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawLine HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawTriangle HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawCircle HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawOval HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawThickCircle HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawThickOval HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawPrimitive2D HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_DrawUserPolygon2D HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_GetDrawTargetPixel HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_FillGraph HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_CopyGraphRectToGraph HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_SetDrawTarget HALVORINE_D3D9_PROBE(~)
#define HALVORINE_D3D9_BUILT_BindDepthBufferForDrawTarget HALVORINE_D3D9_PROBE(~)

#define HALVORINE_D3D9_CAT(a, b) HALVORINE_D3D9_CAT_(a, b)
#define HALVORINE_D3D9_CAT_(a, b) a##b
#define HALVORINE_D3D9_SECOND(x, n, ...) n
#define HALVORINE_D3D9_CHECK(...) HALVORINE_D3D9_SECOND(__VA_ARGS__, 0, )
#define HALVORINE_D3D9_IS_BUILT(name) HALVORINE_D3D9_CHECK(HALVORINE_D3D9_CAT(HALVORINE_D3D9_BUILT_, name))
#define HALVORINE_D3D9_IF_0(stub) stub
#define HALVORINE_D3D9_IF_1(stub)

namespace ZaDod {

#define HALVORINE_ABSENT_D3D9(result, name, params, args)                \
    HALVORINE_D3D9_CAT(HALVORINE_D3D9_IF_, HALVORINE_D3D9_IS_BUILT(name)) \
    (result Graphics_D3D9_##name params { return static_cast<result>(-1); })
HALVORINE_HW_TABLE_OPS(HALVORINE_ABSENT_D3D9)
HALVORINE_HW_BACKEND_OPS(HALVORINE_ABSENT_D3D9)
HALVORINE_HW_D3D9_OPS(HALVORINE_ABSENT_D3D9)
#undef HALVORINE_ABSENT_D3D9

}  // namespace ZaDod
