// The simple copy: one textured quad from a texture into a render target with the
// simple-copy objects, after which the cached device state is put back.
#include <cstring>

#include "media/graphics/d3d11/d3d11_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::RECT;
using plat::win::S_OK;

struct Vertex {
    float x, y, u0, v0, u1, v1;
};

RECT wholeOr(const RECT* rect, const D3D11_TEXTURE2D_DESC& desc) {
    return rect != nullptr ? *rect : RECT{0, 0, int(desc.Width), int(desc.Height)};
}

float clipX(float x, float width) { return x / width * 2.0f - 1.0f; }
float clipY(float y, float height) { return -(y / height * 2.0f - 1.0f); }

}  // namespace

int Graphics_D3D11_StretchRect(ID3D11Texture2D* src, ID3D11ShaderResourceView* srcView, const RECT* srcRect,
                               ID3D11Texture2D* dest, ID3D11RenderTargetView* destView, const RECT* destRect,
                               int linear, int alphaBlend, ID3D11VertexShader* vs, ID3D11PixelShader* ps,
                               ID3D11Texture2D* second, ID3D11ShaderResourceView* secondView,
                               const RECT* secondRect, const D3D11StretchVertex8* custom) {
    D3D11Backend& b = D3D11BackendSys;
    D3D11Shaders& sh = D3D11ShaderSys;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    D3D11_TEXTURE2D_DESC sd{}, dd{}, td{};
    D3D11Texture2D_GetDesc(src, &sd);
    D3D11Texture2D_GetDesc(dest, &dd);
    if (second != nullptr) D3D11Texture2D_GetDesc(second, &td);
    const RECT s = wholeOr(srcRect, sd), d = wholeOr(destRect, dd);
    const float dw = float(dd.Width), dh = float(dd.Height);

    const int stride = custom != nullptr ? int(sizeof(D3D11StretchVertex8)) : int(sizeof(Vertex));
    if (Graphics_D3D11_CommonVertexBuffer_Setup(stride * 4) < 0) return -1;
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (D3D11DeviceContext_Map(b.commonVertexBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped) != S_OK) return -1;
    if (custom != nullptr) {
        auto* v = static_cast<D3D11StretchVertex8*>(mapped.pData);
        std::memcpy(v, custom, sizeof(D3D11StretchVertex8) * 4);
        for (int i = 0; i < 4; ++i) {
            v[i].x = clipX(v[i].x, dw);
            v[i].y = clipY(v[i].y, dh);
        }
    } else {
        const RECT t = second != nullptr ? wholeOr(secondRect, td) : RECT{};
        const float tw = second != nullptr ? float(td.Width) : 1.0f, th = second != nullptr ? float(td.Height) : 1.0f;
        const float sw = float(sd.Width), sh2 = float(sd.Height);
        auto* v = static_cast<Vertex*>(mapped.pData);
        // Strip order: top left, top right, bottom left, bottom right.
        const float xs[2] = {float(d.left), float(d.right)}, ys[2] = {float(d.top), float(d.bottom)};
        const float us[2] = {s.left / sw, s.right / sw}, vs2[2] = {s.top / sh2, s.bottom / sh2};
        const float u1[2] = {second ? t.left / tw : 0, second ? t.right / tw : 0};
        const float v1[2] = {second ? t.top / th : 0, second ? t.bottom / th : 0};
        for (int i = 0; i < 4; ++i) {
            const int cx = i & 1, cy = i >> 1;
            v[i] = {clipX(xs[cx], dw), clipY(ys[cy], dh), us[cx], vs2[cy], u1[cx], v1[cy]};
        }
    }
    D3D11DeviceContext_Unmap(b.commonVertexBuffer, 0);

    ID3D11RenderTargetView* targets[8] = {destView};
    D3D11DeviceContext_OMSetRenderTargets(8, targets, nullptr);
    ID3D11ShaderResourceView* views[2] = {srcView, secondView};
    D3D11DeviceContext_PSSetShaderResources(0, second != nullptr ? 2 : 1, views);
    const D3D11_VIEWPORT viewport{0, 0, dw, dh, 0, 1};
    D3D11DeviceContext_RSSetViewports(1, &viewport);
    ID3D11SamplerState* samplers[2] = {linear ? b.linearSampler : b.pointSampler,
                                        linear ? b.linearSampler : b.pointSampler};
    D3D11DeviceContext_PSSetSamplers(0, second != nullptr ? 2 : 1, samplers);
    D3D11DeviceContext_RSSetState(b.copyRasterizer);
    D3D11DeviceContext_OMSetDepthStencilState(b.copyDepthStencil, 0);
    const float factor[4] = {0, 0, 0, 0};
    D3D11DeviceContext_OMSetBlendState(alphaBlend ? b.copyAlphaBlend : b.copyBlend, factor, 0xFFFFFFFFu);
    D3D11DeviceContext_IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    D3D11DeviceContext_IASetInputLayout(custom != nullptr ? sh.copy8Layout : sh.copyLayout);
    D3D11DeviceContext_PSSetShader(ps != nullptr ? ps : sh.copyPixel, nullptr, 0);
    D3D11DeviceContext_VSSetShader(vs != nullptr ? vs : custom != nullptr ? sh.copy8Vertex : sh.copyVertex, nullptr, 0);
    const UINT strides[1] = {UINT(stride)}, offsets[1] = {0};
    D3D11DeviceContext_IASetVertexBuffers(0, 1, &b.commonVertexBuffer, strides, offsets);
    D3D11DeviceContext_Draw(4, 0);

    // Put back what the cache says is bound.
    D3D11DeviceStateCache& c = D3D11State;
    const UINT cacheStride[1] = {UINT(c.vertexStride)};
    if (c.vertexBuffer != nullptr) D3D11DeviceContext_IASetVertexBuffers(0, 1, &c.vertexBuffer, cacheStride, offsets);
    D3D11DeviceContext_VSSetShader(c.vertexShader, nullptr, 0);
    D3D11DeviceContext_PSSetShader(c.pixelShader, nullptr, 0);
    if (c.inputLayout != nullptr) D3D11DeviceContext_IASetInputLayout(c.inputLayout);
    if (c.topology != 0) D3D11DeviceContext_IASetPrimitiveTopology(c.topology);
    D3D11DeviceContext_OMSetBlendState(c.boundBlend, factor, 0xFFFFFFFFu);
    D3D11DeviceContext_OMSetDepthStencilState(c.boundDepthStencil, 0);
    D3D11DeviceContext_RSSetState(c.boundRasterizer);
    D3D11DeviceContext_PSSetSamplers(0, kD3D11Samplers, c.boundSampler);
    Graphics_D3D11_DeviceState_ApplyRenderTargets();
    D3D11DeviceContext_RSSetViewports(1, &c.viewport);
    D3D11DeviceContext_PSSetShaderResources(0, 2, c.psResources);
    return 0;
}

}  // namespace ZaDod
