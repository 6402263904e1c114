// Graphics start-up and shut-down: handle types, API choice, software screens or
// device state, draw settings, blend tables, fonts and mask.
#include <cstring>

#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/base/log.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graph.h"
#include "media/graphics/font/font.h"
#include "media/graphics/light.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {
namespace {

constexpr const char* kSource = "Graphics";
constexpr int kMaxScreenSide = 16384;

struct TypeEntry {
    int type;
    int size;
    int maximum;
    HandleInitializeFunction init;
    HandleTerminateFunction term;
    const char16_t* name;
};

const TypeEntry kTypes[] = {
    {HANDLETYPE_GRAPH, sizeof(GraphData), 32768, InitGraphHandle, TerminateGraphHandle, u"Graph"},
    {HANDLETYPE_SHADER, sizeof(ShaderHandleData), 4096, InitShaderHandle, TerminateShaderHandle, u"Shader"},
    {HANDLETYPE_SHADER_CONSTANT_BUFFER, sizeof(ShaderConstantBufferData), 8192, InitShaderConstantBufferHandle,
     TerminateShaderConstantBufferHandle, u"ShaderConstantBuffer"},
    {HANDLETYPE_VERTEX_BUFFER, sizeof(BufferHandleData), 16384, InitBufferHandle, TerminateBufferHandle,
     u"VertexBuffer"},
    {HANDLETYPE_INDEX_BUFFER, sizeof(BufferHandleData), 16384, InitBufferHandle, TerminateBufferHandle,
     u"IndexBuffer"},
    {HANDLETYPE_SHADOWMAP, sizeof(ShadowMapData), 8192, InitShadowMapHandle, TerminateShadowMapHandle,
     u"ShadowMap"},
};

}  // namespace

int InitializeGraphics() {
    GraphicsSystemState& g = GraphicsSys;
    if (g.started) return 0;
    if (g.requestedWidth == 0 || g.requestedHeight == 0) SetMainScreenSize(640, 480);
    if (g.colorBits == 0) {
        g.colorBits = 16;
        SetMemImgDefaultColorType(kMemImgR5G6B5);
    }
    // A screen larger than this on a side is refused before anything is made for it.
    if (g.width > kMaxScreenSide || g.height > kMaxScreenSide) {
        LogFormatUtf16(u"画面サイズ %d x %d は大きすぎます", g.width, g.height);
        return -1;
    }
    for (const TypeEntry& t : kTypes) InitializeHandleManage(t.type, t.size, t.maximum, t.init, t.term, t.name);

    if (Graphics_Hardware_Initialize() != 0) {
        TerminateGraphics();
        // The types are registered before the API is chosen; a failed start leaves none.
        for (const TypeEntry& t : kTypes) TerminateHandleManage(t.type);
        return -1;
    }
    g.started = 1;
    if (g.hardware == 1) {
        Graphics_Hardware_SetupDefaultDeviceState();
    } else if (CreateSoftwareScreens() != 0) {
        // The screen-mode change tries its fallbacks with everything undone.
        TerminateGraphics();
        return -1;
    }
    ResetDrawSettings();
    InitMemImgBlendTables();
    InitializeFontManage();
    InitializeMaskManage();
    if (Graphics_Hardware_AfterInitialize() < 0) {
        TerminateGraphics();
        return -1;
    }
    return 0;
}

int TerminateGraphics() {
    GraphicsSystemState& g = GraphicsSys;
    TerminateFontManage();
    if (!g.started) return 0;
    TerminateMaskManage();
    DeleteGraphsOnTerminate();
    SubAllHandle(HANDLETYPE_SHADOWMAP);
    Graphics_Hardware_SysMemCache_ReleaseAll();
    SubAllHandle(HANDLETYPE_VERTEX_BUFFER);
    SubAllHandle(HANDLETYPE_INDEX_BUFFER);
    SubAllHandle(HANDLETYPE_SHADER_CONSTANT_BUFFER);
    SubAllHandle(HANDLETYPE_SHADER);
    DeleteAllLightsOnTerminate();
    ReleaseSoftwareScreens();
    Graphics_Hardware_Terminate();
    ReleaseDisplayInfo();
    if (g.vertexScratch != nullptr) MemFree(g.vertexScratch);
    g.vertexScratch = nullptr;
    g.vertexScratchSize = 0;
    for (int type : {HANDLETYPE_SHADOWMAP, HANDLETYPE_VERTEX_BUFFER, HANDLETYPE_INDEX_BUFFER, HANDLETYPE_SHADER,
                     HANDLETYPE_SHADER_CONSTANT_BUFFER, HANDLETYPE_GRAPH})
        TerminateHandleManage(type);
    ReleaseDrawWorkBuffers();
    g.started = 0;
    return 0;
}

int CreateSoftwareScreens() {
    GraphicsSystemState& g = GraphicsSys;
    const int type = g.colorBits == 16 ? kMemImgR5G6B5 : kMemImgX8R8G8B8;
    // A screen that cannot be made fails the start, so that the screen-mode change
    // can fall back to a mode that can be made.
    if (MakeMemImg(&g.mainScreen, g.width, g.height, type) != 0) {
        LogAddTextUtf16(u"仮画面用の MEMIMG の作成に失敗しました\n");
        return -1;
    }
    if (MakeMemImg(&g.auxScreen, g.width, g.height, type) != 0) {
        LogAddTextUtf16(u"補助用の MEMIMG の作成に失敗しました\n");
        TerminateMemImg(&g.mainScreen);
        return -1;
    }
    std::memset(&g.stringScreen, 0, sizeof g.stringScreen);
    std::memset(&g.stringAlphaScreen, 0, sizeof g.stringAlphaScreen);
    // The string work screens are optional: drawing falls back without them.
    CreateMemImg(&g.stringScreen, g.width, g.height, -1, 0, type, 0, 0, 0, nullptr);
    CreateMemImg(&g.stringAlphaScreen, g.width, g.height, -1, 0, type, 0, 1, 0, nullptr);
    const DrawSettings& s = GraphicsDrawSettings;
    FillMemImg(&g.mainScreen, nullptr,
               PackColorDataPixel(g.mainScreen.base->colorData, s.backgroundRed, s.backgroundGreen,
                                  s.backgroundBlue, 0));
    SetMemImgDrawTarget(&g.mainScreen);
    return 0;
}

int ReleaseSoftwareScreens() {
    GraphicsSystemState& g = GraphicsSys;
    TerminateMemImg(&g.mainScreen);
    TerminateMemImg(&g.auxScreen);
    TerminateMemImg(&g.stringScreen);
    TerminateMemImg(&g.stringAlphaScreen);
    if (GetMemImgDrawState().target == &g.mainScreen) SetMemImgDrawTarget(nullptr);
    return 0;
}

int ReserveDrawWorkBuffer(int index, size_t size) {
    if (index < 0 || index > 2) return -1;
    GraphicsSystemState& g = GraphicsSys;
    if (g.workBufferSize[index] >= size) return 0;
    // A failed growth keeps the old block and its size.
    void* grown = MemRealloc(g.workBuffer[index], size, kSource, __LINE__);
    if (grown == nullptr) return -1;
    g.workBuffer[index] = grown;
    g.workBufferSize[index] = size;
    return 0;
}

void* GetDrawWorkBuffer(int index) { return index >= 0 && index <= 2 ? GraphicsSys.workBuffer[index] : nullptr; }

int ReleaseDrawWorkBuffers() {
    GraphicsSystemState& g = GraphicsSys;
    for (int i = 0; i < 3; ++i) {
        if (g.workBuffer[i] != nullptr) MemFree(g.workBuffer[i]);
        g.workBuffer[i] = nullptr;
        g.workBufferSize[i] = 0;
    }
    return 0;
}

int SetUseHardwareFlag(int flag) {
    if (GraphicsSys.started) return -1;
    GraphicsSys.noHardware = flag == 0;
    return 0;
}

}  // namespace ZaDod
