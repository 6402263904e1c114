// The input layouts of the seven vertex formats and the two simple-copy vertex formats.
#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_state.h"

namespace ZaDod {

const int kD3D11VertexSizes[kD3D11StdVertexShaders] = {20, 28, 40, 16, 24, 48, 88};

namespace {

using namespace plat::gpu;
using plat::win::S_OK;

constexpr DXGI_FORMAT F4 = DXGI_FORMAT_R32G32B32A32_FLOAT;
constexpr DXGI_FORMAT F3 = DXGI_FORMAT_R32G32B32_FLOAT;
constexpr DXGI_FORMAT F2 = DXGI_FORMAT_R32G32_FLOAT;
constexpr DXGI_FORMAT C = DXGI_FORMAT_R8G8B8A8_UNORM;

struct Element {
    const char* semantic;
    UINT index;
    DXGI_FORMAT format;
    UINT offset;
};
struct Layout {
    int count;
    Element elements[10];
};

const Layout kLayouts[kD3D11StdVertexShaders] = {
    {2, {{"POSITION", 0, F4, 0}, {"COLOR", 0, C, 16}}},
    {3, {{"POSITION", 0, F4, 0}, {"COLOR", 0, C, 16}, {"TEXCOORD", 0, F2, 20}}},
    {5,
     {{"POSITION", 0, F4, 0}, {"COLOR", 0, C, 16}, {"COLOR", 1, C, 20}, {"TEXCOORD", 0, F2, 24},
      {"TEXCOORD", 1, F2, 32}}},
    {2, {{"POSITION", 0, F3, 0}, {"COLOR", 0, C, 12}}},
    {3, {{"POSITION", 0, F3, 0}, {"COLOR", 0, C, 12}, {"TEXCOORD", 0, F2, 16}}},
    {6,
     {{"POSITION", 0, F3, 0}, {"NORMAL", 0, F3, 12}, {"COLOR", 0, C, 24}, {"COLOR", 1, C, 28},
      {"TEXCOORD", 0, F2, 32}, {"TEXCOORD", 1, F2, 40}}},
    {9,
     {{"POSITION", 0, F3, 0}, {"POSITION", 1, F4, 12}, {"NORMAL", 0, F3, 28}, {"TANGENT", 0, F3, 40},
      {"BINORMAL", 0, F3, 52}, {"COLOR", 0, C, 64}, {"COLOR", 1, C, 68}, {"TEXCOORD", 0, F2, 72},
      {"TEXCOORD", 1, F2, 80}}},
};

D3D11_INPUT_ELEMENT_DESC element(const char* semantic, UINT index, DXGI_FORMAT format, UINT offset) {
    return D3D11_INPUT_ELEMENT_DESC{semantic, index, format, 0, offset, D3D11_INPUT_PER_VERTEX_DATA, 0};
}

}  // namespace

int D3D11_InputLayoutElements(int format, int bgra, D3D11_INPUT_ELEMENT_DESC* out) {
    if (format < 0 || format >= kD3D11StdVertexShaders) return 0;
    const Layout& l = kLayouts[format];
    int n = 0;
    for (int i = 0; i < l.count && l.elements[i].semantic != nullptr; ++i, ++n) {
        const Element& e = l.elements[i];
        out[n] = element(e.semantic, e.index, bgra && e.format == C ? DXGI_FORMAT_B8G8R8A8_UNORM : e.format, e.offset);
    }
    return n;
}

int Graphics_D3D11_CreateInputLayouts() {
    D3D11Shaders& s = D3D11ShaderSys;
    Graphics_D3D11_ReleaseInputLayouts();
    LogAddTextUtf16(u"各種 ID3D11InputLayout の作成.... ");
    D3D11_INPUT_ELEMENT_DESC elements[10];
    for (int f = 0; f < kD3D11StdVertexShaders; ++f) {
        const int n = D3D11_InputLayoutElements(f, GraphicsDeviceCapsData.bgraVertexColor, elements);
        if (D3D11Device_CreateInputLayout(elements, UINT(n), s.code[f], size_t(s.size[f]), &s.layouts[f]) != S_OK) {
            LogAddTextUtf16(u"標準描画用の ID3D11InputLayout の作成に失敗\n");
            return -1;
        }
    }
    const D3D11_INPUT_ELEMENT_DESC copy[3] = {element("POSITION", 0, F2, 0), element("TEXCOORD", 0, F2, 8),
                                              element("TEXCOORD", 1, F2, 16)};
    if (D3D11Device_CreateInputLayout(copy, 3, s.code[255], size_t(s.size[255]), &s.copyLayout) != S_OK) {
        LogAddTextUtf16(u"単純転送用の ID3D11InputLayout の作成に失敗\n");
        return -1;
    }
    D3D11_INPUT_ELEMENT_DESC copy8[9];
    copy8[0] = element("POSITION", 0, F2, 0);
    for (UINT i = 0; i < 8; ++i) copy8[i + 1] = element("TEXCOORD", i, F2, 8 + 8 * i);
    if (D3D11Device_CreateInputLayout(copy8, 9, s.code[256], size_t(s.size[256]), &s.copy8Layout) != S_OK) {
        LogAddTextUtf16(u"テクスチャ座標8個の単純転送用の ID3D11InputLayout の作成に失敗\n");
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Graphics_D3D11_ReleaseInputLayouts() {
    D3D11Shaders& s = D3D11ShaderSys;
    if (!D3D11Device_IsValid()) return -1;
    for (auto*& layout : s.layouts) {
        if (layout != nullptr && D3D11State.inputLayout == layout) D3D11State.inputLayout = nullptr;
        D3D11_ReleaseAndClear(layout, D3D11InputLayout_Release);
    }
    D3D11_ReleaseAndClear(s.copyLayout, D3D11InputLayout_Release);
    D3D11_ReleaseAndClear(s.copy8Layout, D3D11InputLayout_Release);
    return 0;
}

}  // namespace ZaDod
