// Shader handles on Direct3D 11: the device shader object made from a handle's code,
// released with the handle or with the device and made again with a new device. The
// filter passes load their shaders through these.
#include <cstring>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/d3d11/d3d11_filter.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/hwdraw/hwdraw.h"
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
    void* copy = CopyShaderCode(code, size, freeCode, kShaderObjectsSource, __LINE__);
    if (copy == nullptr) return -1;
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
    // The device's reason (where and why decoding stopped) goes on the line after.
    return KeepShaderObject(shader, copy, vertexFlag, object, hr == S_OK, failure, Direct3D11ShaderRefusal());
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
    ForEachHandleRecord(HANDLETYPE_SHADER, [](HandleEntryHeader* h) {
        Graphics_D3D11_Shader_Terminate(reinterpret_cast<ShaderHandleData*>(h));
    });
    return 0;
}

int Graphics_D3D11_RestoreShaderHandleObjects() {
    // The handles stay across the re-creation, so a user's selection and the filter slots
    // name working shaders afterwards.
    ForEachHandleRecord(HANDLETYPE_SHADER, [](HandleEntryHeader* h) {
        auto* shader = reinterpret_cast<ShaderHandleData*>(h);
        if (shader->code == nullptr || shader->codeSize <= 0 || shader->deviceObject != nullptr) return;
        HRESULT hr;
        if (shader->vertexFlag) {
            ID3D11VertexShader* vs = nullptr;
            hr = D3D11Device_CreateVertexShader(shader->code, size_t(shader->codeSize), &vs, 0);
            shader->deviceObject = hr == S_OK ? vs : nullptr;
        } else {
            ID3D11PixelShader* ps = nullptr;
            hr = D3D11Device_CreatePixelShader(shader->code, size_t(shader->codeSize), &ps, 0);
            shader->deviceObject = hr == S_OK ? ps : nullptr;
        }
        if (hr != S_OK)
            LogAddTextUtf16(shader->vertexFlag ? u"頂点シェーダーの作成に失敗しました\n"
                                               : u"ピクセルシェーダーの作成に失敗しました\n");
    });
    return 0;
}

}  // namespace ZaDod
