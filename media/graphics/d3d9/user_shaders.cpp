// User shaders on Direct3D 9: the device shader object made from a handle's token code,
// which is checked to end inside the size the caller gave before the device reads it (only
// that checked length is kept and handed on), and released with the handle or the device.
#include <cstdint>
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/shader.h"
#include "platform/gpu/shaders/token.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

constexpr const char* kUserShadersSource = "user_shaders.cpp";

// The byte length of the code up to and including its end word, or 0 when that end does
// not lie inside `size` bytes. The device takes no length and reads up to the end, so this
// is all of the code it may read. A package token ends where its name length puts its end
// word. A program is walked the way the device reads it: after the version word each
// instruction word carries the count of parameter words that follow it (bits 24-27) and a
// comment its count of words (bits 16-30), so literal words of def, defi and defb, which
// may hold any value, are stepped over and never taken for the end.
size_t checkedCodeLength(const void* code, int size) {
    if (code == nullptr || size < 8) return 0;
    size_t tokenBytes = 0;
    if (tokenHeader(code, size_t(size), tokenBytes)) return tokenBytes;
    const auto* bytes = static_cast<const uint8_t*>(code);
    const size_t words = size_t(size) / 4;
    for (size_t i = 1; i < words;) {
        uint32_t t;
        std::memcpy(&t, bytes + i * 4, 4);
        ++i;
        if (t == 0x0000FFFFu) return i * 4;
        const bool comment = (t & 0xFFFFu) == 0xFFFEu && !(t & 0x80000000u);
        i += comment ? (t >> 16) & 0x7FFFu : (t >> 24) & 0xFu;
    }
    return 0;
}

}  // namespace

int Graphics_D3D9_Shader_Create(int handle, int vertexFlag, const void* code, int size, int freeCode, int async) {
    ShaderHandleData* shader = GetShaderData(handle, 1);
    if (shader == nullptr || !Direct3DDevice9_IsValid()) return -1;
    const char16_t* failure =
        vertexFlag ? u"頂点シェーダーの作成に失敗しました\n" : u"ピクセルシェーダーの作成に失敗しました\n";
    // The device and the constant table get the checked length, never the caller's size.
    const size_t length = checkedCodeLength(code, size);
    if (length == 0) {
        LogAddTextUtf16(failure);
        return -1;
    }
    void* copy = CopyShaderCode(code, int(length), freeCode, kUserShadersSource, __LINE__);
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
    D3D9_FindConstantTable(copy, int(length), &shader->constantStart, &shader->constantCount);
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
