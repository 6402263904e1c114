// The front's user shaders on Direct3D 11: the preparation of the shader draws binds the
// front's vertex and pixel shaders (with the user flag, so that common-buffer draws with
// shader flag 0 keep them), the vertex type's input layout and the front's shader
// textures.
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

// The standard format of each of the front's shader vertex types (-1: none here): the 2D
// vertex, the untextured 2D vertex, the blend-textured 2D vertex, the untextured and
// textured 3D vertices, the lit 3D vertex, the 2D vertex with eight coordinate pairs and
// the 3D shader vertex.
constexpr int kLayoutOfType[] = {1, 0, 1, 2, 2, 3, 4, 5, 5, -1, 6, 6};
constexpr int kVertexTypes = int(sizeof kLayoutOfType / sizeof kLayoutOfType[0]);

// A graph's (or a shadow map's graph's) texture view, or null for a handle that is no
// longer one.
ID3D11ShaderResourceView* shaderTextureView(int handle) {
    int graph = handle;
    if (const ShadowMapData* map = GetShadowMapData(handle)) graph = map->graph;
    GraphData* g = GetGraphData(graph);
    if (g == nullptr || g->orig == nullptr || g->pieceCount < 1 || g->pieces[0].tile == nullptr) return nullptr;
    return D3D11_TileTexture(g->pieces[0].tile)->view;
}

// A shader handle's device object when the handle is still a loaded shader of that stage.
void* userShader(int handle, int vertexFlag) {
    if (handle <= 0) return nullptr;
    const ShaderHandleData* shader = GetShaderData(handle, 0);
    if (shader == nullptr || shader->vertexFlag != vertexFlag) return nullptr;
    return shader->deviceObject;
}

}  // namespace

void Graphics_D3D11_DrawPreparationToShader(int key, int vertexType, int twoD) {
    if (!D3D11Device_IsValid()) return;
    Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
    Graphics_D3D11_DrawPreparation((twoD ? 0 : 0x4000) | key | 0x3500);
    ID3D11ShaderResourceView* views[kShaderTextureSlots];
    for (int i = 0; i < kShaderTextureSlots; ++i) {
        views[i] = ShaderUse.textures[i] != 0 ? shaderTextureView(ShaderUse.textures[i]) : nullptr;
        if (views[i] == nullptr) ShaderUse.textures[i] = 0;
    }
    Graphics_D3D11_DeviceState_SetPSShaderResources(0, kShaderTextureSlots, views);
    D3D11Shaders& s = D3D11ShaderSys;
    if (vertexType < 0) {
        const int format = twoD ? 2 : 5;
        Graphics_D3D11_DeviceState_SetInputLayout(s.layouts[format]);
        Graphics_D3D11_DeviceState_SetVertexShader(s.stdVertex[format], 0);
    } else if (vertexType < kVertexTypes) {
        // A type past the table binds no layout and no vertex shader.
        const int format = kLayoutOfType[vertexType];
        if (format >= 0) Graphics_D3D11_DeviceState_SetInputLayout(s.layouts[format]);
        // Without a user vertex shader the type's standard one transforms the vertices, as
        // Direct3D 9 falls back to its fixed vertex path; whatever an earlier draw left
        // bound would not match the layout.
        if (void* vs = userShader(ShaderUse.vertexShader, 1))
            Graphics_D3D11_DeviceState_SetVertexShader(static_cast<ID3D11VertexShader*>(vs), 1);
        else if (format >= 0)
            Graphics_D3D11_DeviceState_SetVertexShader(s.stdVertex[format], 0);
    }
    // Last, the user pixel shader.
    if (void* ps = userShader(ShaderUse.pixelShader, 0))
        Graphics_D3D11_DeviceState_SetPixelShader(static_cast<ID3D11PixelShader*>(ps), 1);
}

}  // namespace ZaDod
