// Direct3D 9 start-up in its fixed order (library, Direct3D object, device, depth buffer,
// shaders, vertex declarations, sub back buffer), shut-down, the state refresh and the
// dialog-box mode.
#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"

namespace ZaDod {

D3D9Backend D3D9BackendSys{};

namespace {

using namespace plat::gpu;

void releaseSurface(IDirect3DSurface9*& s) {
    if (s != nullptr) s->Release();
    s = nullptr;
}

// What a failed start made goes again, in the reverse order.
void undoStart() {
    D3D9Backend& b = D3D9BackendSys;
    releaseSurface(b.depthSurface);
    Graphics_D3D9_DeviceState_ClearBindings();
    if (D3D9DeviceSys.backBuffer != nullptr) releaseSurface(D3D9DeviceSys.backBuffer);
    Direct3DDevice9_Release();
    D3D9Batch.inScene = 0;
    Direct3D9_Release();
    D3D9_FreeDLL();
    TerminateDirectDraw();
}

}  // namespace

int Graphics_D3D9_Initialize() {
    if (Graphics_D3D9_Device_Initialize() != 0) {
        // Nothing will draw with the shader code after a failed start.
        Graphics_D3D9_ShaderCode_FreePackage();
        return -1;
    }
    Graphics_D3D9_ShaderConstant_ApplyUseSets(&D3D9ShaderConstantSys, 1);
    return 0;
}

int Graphics_D3D9_Device_Initialize() {
    D3D9Backend& b = D3D9BackendSys;
    b.deviceReady = 0;
    GraphicsSys.hardware = 0;
    if (D3D9_LoadDLL() < 0 || InitializeDirectDraw() < 0) {
        undoStart();
        return -1;
    }
    // A failed Ex device asks for the whole step again with a plain Direct3D object.
    for (;;) {
        if (Direct3D9_Create() < 0) {
            undoStart();
            return -1;
        }
        const int made = Graphics_D3D9_Device_Create();
        if (made == -2) continue;
        if (made != 0) {
            undoStart();
            return -1;
        }
        break;
    }
    if (Graphics_D3D9_CreateDepthBuffer() != 0) {
        undoStart();
        return -1;
    }
    Graphics_D3D9_Shader_Initialize();
    if (ProgrammableShaderFlag) {
        Graphics_D3D9_CreateVertexDeclarations();
        if (!GetWindowModeFlag()) Graphics_D3D9_SubBackBuffer_Setup();
    }
    b.deviceReady = 1;
    GraphicsSys.hardware = 1;
    return 0;
}

int Graphics_D3D9_CreateDepthBuffer() {
    D3D9Backend& b = D3D9BackendSys;
    if (!Direct3DDevice9_IsValid()) return -1;
    releaseSurface(b.depthSurface);
    LogAddTextUtf16(u"Ｚバッファを作成します.... ");
    if (b.depthUserSize && b.depthUserWidth != 0 && b.depthUserHeight != 0) {
        b.depthWidth = b.depthUserWidth;
        b.depthHeight = b.depthUserHeight;
    } else {
        b.depthWidth = D3D9_NextPowerOfTwo(GraphicsSys.width);
        b.depthHeight = D3D9_NextPowerOfTwo(GraphicsSys.height);
    }
    int index = 0;
    if (b.depthBitsUser) {
        if (b.depthBits == 0) b.depthBits = 16;
        index = b.depthBits == 24 ? 1 : b.depthBits == 32 ? 2 : 0;
    } else {
        b.depthBits = 16;
    }
    const int count = GraphicsSys.screenMultiSampleCount, quality = GraphicsSys.screenMultiSampleQuality;
    if (Direct3DDevice9_CreateDepthStencilSurface(UINT(b.depthWidth), UINT(b.depthHeight),
                                                  D3D9DeviceSys.depthFormat[index], D3DMULTISAMPLE_TYPE(count),
                                                  DWORD(quality), 1, &b.depthSurface) != D3D_OK ||
        Direct3DDevice9_SetDepthStencilSurface(b.depthSurface) != D3D_OK) {
        releaseSurface(b.depthSurface);
        LogAddTextUtf16(u"Ｚバッファの作成に失敗しました\n");
        return -1;
    }
    Direct3DDevice9_Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Graphics_D3D9_Device_Terminate() {
    D3D9Backend& b = D3D9BackendSys;
    b.deviceReady = 0;
    D3D9Batch.pending = 0;
    if (Direct3DDevice9_IsValid()) {
        Graphics_D3D9_DeviceState_ResetUserPixelShader(0);
        Graphics_D3D9_DeviceState_ResetUserVertexShader(0);
    }
    Graphics_D3D9_ReleaseVertexDeclarations();
    Graphics_D3D9_Shader_ReleaseBuiltins();
    if (b.displayChanged) {
        plat::win::ChangeDisplaySettingsA(nullptr, 0);
        b.displayChanged = 0;
    }
    releaseSurface(b.depthSurface);
    releaseSurface(b.subSurface);
    if (b.subTexture != nullptr) b.subTexture->Release();
    b.subTexture = nullptr;
    releaseSurface(D3D9DeviceSys.backBuffer);
    Graphics_D3D9_DeviceState_ClearBindings();
    Direct3DDevice9_Release();
    D3D9Batch.inScene = 0;
    Direct3D9_Release();
    TerminateDirectDraw();
    D3D9_FreeDLL();
    GraphicsSys.hardware = 0;
    ProgrammableShaderFlag = 0;
    return 0;
}

int Graphics_D3D9_Terminate() {
    Graphics_D3D9_Device_Terminate();
    Graphics_D3D9_ShaderCode_FreePackage();
    return 0;
}

int Graphics_D3D9_RefreshDeviceState() {
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_DeviceState_ResendAll();
    D3D9DeviceStateCache& c = D3D9State;
    const int force = c.force;
    c.force = 1;
    Graphics_D3D9_DeviceState_SetTexture(nullptr);
    Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 1);
    Graphics_D3D9_DrawPreparation(0);
    c.force = force;
    return 0;
}

int Graphics_D3D9_SetDialogBoxMode(int flag) {
    if (!Direct3DDevice9_IsValid()) return 0;
    Graphics_D3D9_EndScene();
    Direct3DDevice9_SetDialogBoxMode(flag ? 1 : 0);
    return 0;
}

}  // namespace ZaDod
