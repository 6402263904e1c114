// Shader handles on Direct3D 11: the device shader object made from a handle's code and
// released with the handle or with the device. The filter passes load their shaders
// through these.
#include <cstring>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/d3d11/d3d11_filter.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/shader.h"

namespace ZaDod {

using namespace plat::gpu;
using plat::win::S_OK;

namespace {
constexpr const char* kShaderObjectsSource = "shader_objects.cpp";
}  // namespace

int Graphics_D3D11_Shader_Create(int handle, int vertexFlag, const void* code, int size, int freeCode, int async) {
    ShaderHandleData* shader = GetShaderData(handle, 1);
    if (shader == nullptr || !D3D11Device_IsValid()) return -1;
    const char16_t* failure =
        vertexFlag ? u"頂点シェーダーの作成に失敗しました\n" : u"ピクセルシェーダーの作成に失敗しました\n";
    if (code == nullptr || size <= 0) {
        LogAddTextUtf16(failure);
        return -1;
    }
    // The handle keeps its own copy: the caller's image may go once loading returns.
    void* copy = MemCalloc(size_t(size), kShaderObjectsSource, __LINE__);
    if (copy == nullptr) {
        LogAddTextUtf16(u"メモリの確保に失敗しました\n");
        return -1;
    }
    std::memcpy(copy, code, size_t(size));
    if (freeCode) MemFree(const_cast<void*>(code));
    void* object = nullptr;
    HRESULT hr;
    if (vertexFlag) {
        ID3D11VertexShader* vs = nullptr;
        hr = D3D11Device_CreateVertexShader(copy, size_t(size), &vs, async);
        object = vs;
    } else {
        ID3D11PixelShader* ps = nullptr;
        hr = D3D11Device_CreatePixelShader(copy, size_t(size), &ps, async);
        object = ps;
    }
    if (hr != S_OK) {
        LogAddTextUtf16(failure);
        // The device's reason (where and why decoding stopped) on the line after.
        const char* reason = Direct3D11ShaderRefusal();
        if (reason != nullptr && reason[0] != 0) LogFormatCp932("%s\n", reason);
        MemFree(copy);
        return -1;
    }
    if (shader->code != nullptr) MemFree(shader->code);
    shader->code = copy;
    shader->vertexFlag = vertexFlag ? 1 : 0;
    shader->deviceObject = object;
    return 0;
}

int Graphics_D3D11_Shader_Terminate(ShaderHandleData* shader) {
    if (shader == nullptr || shader->deviceObject == nullptr) return 0;
    if (shader->vertexFlag) {
        auto* vs = static_cast<ID3D11VertexShader*>(shader->deviceObject);
        if (D3D11State.vertexShader == vs) Graphics_D3D11_DeviceState_SetVertexShader(nullptr, 0);
        D3D11VertexShader_Release(vs);
    } else {
        auto* ps = static_cast<ID3D11PixelShader*>(shader->deviceObject);
        if (D3D11State.pixelShader == ps) Graphics_D3D11_DeviceState_SetPixelShader(nullptr, 0);
        D3D11PixelShader_Release(ps);
    }
    shader->deviceObject = nullptr;
    return 0;
}

int Graphics_D3D11_ReleaseShaderHandleObjects() {
    // The filter shaders are loaded again on their next use.
    for (int slot = 0; slot < kGraphFilterGammaGraphSlot; ++slot)
        if (GetShaderData(GraphFilterShaderHandleTable[slot], 1) != nullptr) SubHandle(GraphFilterShaderHandleTable[slot]);
    const HandleTypeManager& m = HandleManageArray[HANDLETYPE_SHADER];
    if (!m.InitializeFlag) return 0;
    for (int i = 0; i < m.MaxNum; ++i)
        if (m.Handle[i] != nullptr) Graphics_D3D11_Shader_Terminate(reinterpret_cast<ShaderHandleData*>(m.Handle[i]));
    return 0;
}

}  // namespace ZaDod
