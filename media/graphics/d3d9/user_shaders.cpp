// User shaders on Direct3D 9: the device shader object made from a handle's token code,
// which is checked to end inside the size the caller gave before the device reads it,
// and released with the handle or with the device.
#include <cstdint>
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/shader.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

constexpr const char* kUserShadersSource = "user_shaders.cpp";

// 1 when the code holds a version token and an end token (0x0000FFFF) within `size`
// bytes: the device reads token by token up to the end token and takes no length.
int codeEndsInside(const void* code, int size) {
    if (code == nullptr || size < 8) return 0;
    const auto* bytes = static_cast<const uint8_t*>(code);
    const int words = size / 4;
    for (int i = 1; i < words; ++i) {
        uint32_t token;
        std::memcpy(&token, bytes + size_t(i) * 4, 4);
        if (token == 0x0000FFFFu) return 1;
        // A comment token carries its length in its upper half: skip what it holds.
        if ((token & 0xFFFFu) == 0xFFFEu) i += int(token >> 16);
    }
    return 0;
}

}  // namespace

int Graphics_D3D9_Shader_Create(int handle, int vertexFlag, const void* code, int size, int freeCode, int async) {
    ShaderHandleData* shader = GetShaderData(handle, 1);
    if (shader == nullptr || !Direct3DDevice9_IsValid()) return -1;
    const char16_t* failure =
        vertexFlag ? u"頂点シェーダーの作成に失敗しました\n" : u"ピクセルシェーダーの作成に失敗しました\n";
    if (!codeEndsInside(code, size)) {
        LogAddTextUtf16(failure);
        return -1;
    }
    void* copy = CopyShaderCode(code, size, freeCode, kUserShadersSource, __LINE__);
    if (copy == nullptr) return -1;
    void* object = nullptr;
    HRESULT hr;
    if (vertexFlag) {
        IDirect3DVertexShader9* vs = nullptr;
        hr = Direct3DDevice9_CreateVertexShader(static_cast<const DWORD*>(copy), &vs, async);
        object = vs;
    } else {
        IDirect3DPixelShader9* ps = nullptr;
        hr = Direct3DDevice9_CreatePixelShader(static_cast<const DWORD*>(copy), &ps, async);
        object = ps;
    }
    // The device's reason (where and why decoding stopped) goes on the line after.
    if (KeepShaderObject(shader, copy, vertexFlag, object, hr == D3D_OK, failure, Direct3DShaderRefusal()) != 0)
        return -1;
    D3D9_FindConstantTable(copy, size, &shader->constantStart, &shader->constantCount);
    return 0;
}

int Graphics_D3D9_Shader_Terminate(ShaderHandleData* shader) {
    if (shader == nullptr || shader->deviceObject == nullptr) return 0;
    if (shader->vertexFlag) {
        auto* vs = static_cast<IDirect3DVertexShader9*>(shader->deviceObject);
        if (D3D9State.vertexShader == vs) Graphics_D3D9_DeviceState_SetVertexShader(nullptr, 0);
        Direct3D9Object_Release(vs);
    } else {
        auto* ps = static_cast<IDirect3DPixelShader9*>(shader->deviceObject);
        if (D3D9State.pixelShader == ps) Graphics_D3D9_DeviceState_SetPixelShader(nullptr, 0);
        Direct3D9Object_Release(ps);
    }
    shader->deviceObject = nullptr;
    return 0;
}

}  // namespace ZaDod
