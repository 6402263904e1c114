// Hardware dispatch: the table dispatchers and the few that differ from the rule.
#include <atomic>

#include "media/graphics/d3d11/d3d11.h"
#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"
#include "media/graphics/hardware.h"

namespace ZaDod {

int GraphicsApiType = kGraphicsApiSoftware;
int ProgrammableShaderFlag = 0;
GraphicsDeviceCaps GraphicsDeviceCapsData{};

namespace {
int dialogBoxModeFlag = 0;
// Read from streaming threads (the movie renderer sizes its buffers by it).
std::atomic<int> forcedShaderModel{-1};
}  // namespace

int Graphics_Hardware_GetShaderModelVersion() {
    const int forced = forcedShaderModel.load(std::memory_order_relaxed);
    if (forced >= 0) return forced;
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_GetShaderModelVersion();
        case kGraphicsApiD3D11: return Graphics_D3D11_GetShaderModelVersion();
        default: return 0;
    }
}

void Graphics_Hardware_ForceShaderModelVersionForTest(int version) {
    forcedShaderModel.store(version < 0 ? -1 : version, std::memory_order_relaxed);
}

#define HALVORINE_DISPATCH(result, name, params, args)        \
    result Graphics_Hardware_##name params {                   \
        switch (GraphicsApiType) {                             \
            case kGraphicsApiD3D9: return Graphics_D3D9_##name args;   \
            case kGraphicsApiD3D11: return Graphics_D3D11_##name args; \
            default: return 0;                                 \
        }                                                      \
    }
HALVORINE_HW_TABLE_OPS(HALVORINE_DISPATCH)
#undef HALVORINE_DISPATCH

int Graphics_Hardware_DrawDeformedGraph(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                                        float y4, GraphData* image, GraphData* blendImage, int transFlag,
                                        int simpleFlag) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9:
            return Graphics_D3D9_DrawDeformedGraph(x1, y1, x2, y2, x4, y4, x3, y3, image, blendImage, transFlag,
                                                   simpleFlag);
        case kGraphicsApiD3D11:
            return Graphics_D3D11_DrawDeformedGraph(x1, y1, x2, y2, x4, y4, x3, y3, image, blendImage, transFlag,
                                                    simpleFlag);
        default: return 0;
    }
}

int Graphics_Hardware_SetIndexBufferData(BufferHandleData* buffer, int start, const void* data, int count) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_SetIndexBufferData(buffer, start, data, count);
        case kGraphicsApiD3D11: return Graphics_D3D11_SetVertexOrIndexBufferData(buffer, start, data, count);
        default: return 0;
    }
}

int Graphics_Hardware_SetVertexBufferData(BufferHandleData* buffer, int start, const void* data, int count) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_SetVertexBufferData(buffer, start, data, count);
        case kGraphicsApiD3D11: return Graphics_D3D11_SetVertexOrIndexBufferData(buffer, start, data, count);
        default: return 0;
    }
}

int Graphics_Hardware_FlushVertexBatch(int asyncFlag) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_FlushVertexBatch(asyncFlag);
        case kGraphicsApiD3D11: return Graphics_D3D11_FlushVertexBatch(-1, asyncFlag);
        default: return 0;
    }
}

int Graphics_Hardware_SysMemCache_ReleaseAll() {
    return GraphicsApiType == kGraphicsApiD3D9 ? Graphics_D3D9_SysMemCache_ReleaseAll() : 0;
}

int Graphics_Hardware_SysMemCache_ReleaseUnused() {
    if (GraphicsApiType != kGraphicsApiD3D9) return 0;
    const int textures = Graphics_D3D9_SysMemTexture_ReleaseUnused();
    const int surfaces = Graphics_D3D9_SysMemSurface_ReleaseUnused();
    return textures < 0 ? textures : surfaces;
}

int Graphics_Hardware_CheckDepthBufferGraph(GraphData* graph) {
    return GraphicsApiType == kGraphicsApiD3D9 ? Graphics_D3D9_CheckDepthBufferGraph(graph) : 0;
}

int Graphics_Hardware_CopyMovieSurfaceToGraph(GraphData* graph, MovieHandleData* movie) {
    return GraphicsApiType == kGraphicsApiD3D9 ? Graphics_D3D9_CopyMovieSurfaceToGraph(graph, movie) : 0;
}

int Graphics_Hardware_RestoreIfDeviceLost() {
    return GraphicsApiType == kGraphicsApiD3D9 ? Graphics_D3D9_RestoreIfDeviceLost() : 0;
}

int Graphics_Hardware_ShaderConstantBuffer_Terminate(ShaderConstantBufferData* buffer) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return -1;
        case kGraphicsApiD3D11: return Graphics_D3D11_ShaderConstantBuffer_Terminate(buffer);
        default: return 0;
    }
}

int Graphics_Hardware_ShadowMap_RefreshSetting(ShadowMapData*) { return 0; }

int Graphics_Hardware_IsDeviceValid() {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Direct3DDevice9_IsValid();
        case kGraphicsApiD3D11: return D3D11Device_IsValid();
        default: return 0;
    }
}

int Graphics_Hardware_IsDisplayObjectReady() {
    if (GetMainWindowHandle() == nullptr) return 0;
    if (GraphicsSys.hardware && GraphicsApiType == kGraphicsApiD3D11) return D3D11Device_IsValid();
    return GetDirectDrawObject() != nullptr ? 1 : 0;
}

int Graphics_Hardware_SetDialogBoxMode(int flag) { return Graphics_D3D9_SetDialogBoxMode(flag); }

int Graphics_Hardware_SetDialogBoxModeFlag(int flag) {
    dialogBoxModeFlag = flag;
    if (GraphicsSys.hardware && GraphicsApiType == kGraphicsApiD3D9 && Direct3DDevice9_IsValid()) {
        Direct3DDevice9_SetDialogBoxMode(0);
        if (flag) Direct3DDevice9_SetDialogBoxMode(1);
    }
    return 0;
}

int Graphics_Hardware_GetDialogBoxModeFlag() { return dialogBoxModeFlag; }

}  // namespace ZaDod
