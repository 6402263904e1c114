// Direct3D 9 device objects released before a screen-mode change or after a lost device,
// and the device made again with every handle's objects and the cached state.
#include <algorithm>
#include <vector>

#include "media/base/log.h"
#include "media/file/async_load.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/mask.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/render_state.h"
#include "media/graphics/screen.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"
#include "media/input/input.h"

namespace ZaDod {

int Graphics_D3D9_ReleaseDeviceObjects() {
    ReleaseMaskScreenResource();
    Graphics_D3D9_ReleaseAllHandleObjects();
    Graphics_D3D9_Device_Terminate();
    return 0;
}

int Graphics_D3D9_ReleaseAllHandleObjects() {
    // Each handle's pending load ends first: it may still be making the objects.
    SettleGraphsBeforeDeviceRelease();
    ForEachHandleRecord(HANDLETYPE_GRAPH, [](HandleEntryHeader* h) {
        GraphData* graph = reinterpret_cast<GraphData*>(h);
        if (graph->orig != nullptr) Graphics_D3D9_ReleaseGraphTexture(graph->orig);
    });
    ForEachHandleRecord(HANDLETYPE_SHADOWMAP, [](HandleEntryHeader* h) {
        WaitHandleASyncLoad(h->Handle);
        Graphics_D3D9_ShadowMap_ReleaseTexture(reinterpret_cast<ShadowMapData*>(h));
    });
    for (int type : {int(HANDLETYPE_VERTEX_BUFFER), int(HANDLETYPE_INDEX_BUFFER)}) {
        ForEachHandleRecord(type, [](HandleEntryHeader* h) {
            WaitHandleASyncLoad(h->Handle);
            Graphics_D3D9_Buffer_Terminate(reinterpret_cast<BufferHandleData*>(h));
        });
    }
    ForEachHandleRecord(HANDLETYPE_SHADER, [](HandleEntryHeader* h) {
        WaitHandleASyncLoad(h->Handle);
        Graphics_D3D9_Shader_Terminate(reinterpret_cast<ShaderHandleData*>(h));
    });
    Graphics_D3D9_SysMemCache_ReleaseAll();
    return 0;
}

namespace {

using namespace plat::gpu;

// Every shader handle's object is made again from its kept code, the filter passes' own
// shaders among them: a user's selection and the filter slots name the same handles before
// and after.
void restoreShaderObjects() {
    ForEachHandleRecord(HANDLETYPE_SHADER, [](HandleEntryHeader* h) {
        auto* shader = reinterpret_cast<ShaderHandleData*>(h);
        if (shader->code == nullptr || shader->deviceObject != nullptr) return;
        const auto* code = static_cast<const DWORD*>(shader->code);
        HRESULT hr;
        if (shader->vertexFlag) {
            IDirect3DVertexShader9* vs = nullptr;
            hr = Direct3DDevice9_CreateVertexShader(code, &vs, 0);
            shader->deviceObject = hr == D3D_OK ? vs : nullptr;
        } else {
            IDirect3DPixelShader9* ps = nullptr;
            hr = Direct3DDevice9_CreatePixelShader(code, &ps, 0);
            shader->deviceObject = hr == D3D_OK ? ps : nullptr;
        }
        if (hr != D3D_OK)
            LogAddTextUtf16(shader->vertexFlag ? u"頂点シェーダーの作成に失敗しました\n"
                                               : u"ピクセルシェーダーの作成に失敗しました\n");
    });
}

}  // namespace

int Graphics_D3D9_VertexBufferHandle_Restore() {
    // Graph textures come back here, their contents through the graph restore; shadow maps
    // are made again, user buffers refilled from their kept copies, and last the shaders.
    // Graphs cut from one image share its textures: each image is made once.
    std::vector<GraphOrigData*> made;
    ForEachHandleRecord(HANDLETYPE_GRAPH, [&made](HandleEntryHeader* h) {
        GraphOrigData* orig = reinterpret_cast<GraphData*>(h)->orig;
        if (orig == nullptr || std::find(made.begin(), made.end(), orig) != made.end()) return;
        made.push_back(orig);
        Graphics_D3D9_CreateGraphTexture(orig, 0);
    });
    Graphics_D3D9_RestoreShadowMaps();
    Graphics_D3D9_RestoreUserBuffers();
    restoreShaderObjects();
    return 0;
}

int Graphics_D3D9_RecreateDevice(int modeFlag, int width, int height, int bits, int refreshRate) {
    GraphicsSystemState& g = GraphicsSys;
    const bool ending = GetEndRequestFlag() != 0;
    if (!ending) Graphics_D3D9_ReleaseDeviceObjects();
    if (modeFlag == 1) {
        SetMainScreenSize(width, height);
        g.colorBits = bits;
        g.refreshRate = refreshRate;
        SetMemImgDefaultColorType(bits == 32 ? 1 : 0);
    } else {
        TerminateInput();
        InitializeInput();
    }
    if (ending) return 0;
    g.scalingMode = g.scalingModeSetting;
    // A device that cannot be made again is reported: the screen-mode change and the
    // restore see the failure instead of every later draw quietly doing nothing.
    if (Graphics_D3D9_Device_Initialize() != 0) return -1;
    Graphics_D3D9_VertexBufferHandle_Restore();
    RestoreMaskScreen();

    // Draws after the re-creation go where the front's target is: a graph stays the target.
    D3D9DeviceStateCache& c = D3D9State;
    c.force = 1;
    RebindDrawTargets();
    c.force = 0;
    // A new screen size keeps no old draw area: the whole new screen is the area.
    if (modeFlag == 1) SetDrawAreaFull();
    Graphics_D3D9_ReapplyDeviceState();
    DeleteMarkedGraphs();
    RunGraphRestore();
    Graphics_D3D9_DeviceState_ResendAll();
    GraphicsRender.settingsChanged = 1;
    if (modeFlag == 0) {
        const DrawSettings& s = GraphicsDrawSettings;
        const ImageRect& a = s.drawArea;
        if (a.right > a.left && a.bottom > a.top) Graphics_D3D9_SetDrawArea(a.left, a.top, a.right, a.bottom);
        ResendTransforms();
    }
    return 0;
}

int Graphics_D3D9_RestoreIfDeviceLost() {
    if (!Direct3DDevice9_IsValid()) return 0;
    Graphics_D3D9_EndScene();
    if (Direct3DDevice9_TestCooperativeLevel()) RestoreGraphicsDevice();
    return 0;
}

}  // namespace ZaDod
