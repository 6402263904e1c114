// 3D and user-shader draws through either hardware back end, for tests that need them on
// both: a lit, textured 3D triangle list (Direct3D 9's fixed function with FVF 0x2D2,
// Direct3D 11's 3D shaders with the common vertex buffer), lights and an identity camera
// set through the front, shader programs assembled from the project's test sources, and a
// textured quad drawn through a user pixel shader.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/light.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shader.h"
#include "tools/shaderasm/shader_asm.h"

namespace hwcases {

using namespace ZaDod;

struct Vertex3D {
    float x, y, z, nx, ny, nz;
    uint32_t diffuse, specular;
    float u, v, u2, v2;
};
static_assert(sizeof(Vertex3D) == 48);

inline Matrix4x4D identityD() {
    Matrix4x4D m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0;
    return m;
}

// Screen x = 320 + 320 * x, y = 240 - 240 * y on a 640 x 480 screen; depth scaled by 0.1.
inline void identityCamera() {
    const Matrix4x4D id = identityD();
    Matrix4x4D projection = identityD();
    projection.m[2][2] = 0.1;
    SetTransformToWorld(&id);
    SetTransformToView(&id);
    SetTransformToProjection(&projection);
    SetTransformToViewport(&id);  // the device's projection is the front's folded with this
}

inline int addLight(int kind, const float dir[3], const float pos[3], const float diffuse[3], float theta = 0,
                    float phi = 0) {
    const int h = CreateLightHandle();
    LightData* l = GetLightData(h);
    if (l == nullptr) return -1;
    l->param = LightParam{};
    l->param.kind = kind;
    for (int k = 0; k < 3; ++k) {
        l->param.direction[k] = dir[k];
        l->param.position[k] = pos[k];
        l->param.diffuse[k] = diffuse[k];
        l->param.specular[k] = 1.0f;
    }
    l->param.range = 1000.0f;
    l->param.attenuation0 = 1.0f;
    l->param.falloff = 1.0f;
    l->param.theta = theta;
    l->param.phi = phi;
    l->changed = 1;
    SetLightEnableHandle(h, 0);  // flags the list for the next preparation
    SetLightEnableHandle(h, 1);
    return h;
}

// Draws the vertices as a triangle list through the running back end with the 3D key;
// `graph` (or -1) is bound as the texture.
inline void drawMesh3D(const std::vector<Vertex3D>& v, int graph) {
    const int key = (graph >= 0 ? 0x8000 : 0) | 0x4000 | 0x800 | 0x400 | 0x200 | 0x80 | 0x8;
    GraphData* g = graph >= 0 ? GetGraphData(graph, 0) : nullptr;
    if (GraphicsApiType == kGraphicsApiD3D9) {
        Graphics_D3D9_BeginScene();
        Graphics_D3D9_DeviceState_SetTexture(g != nullptr ? D3D9_TileTexture(g->pieces[0].tile)->texture : nullptr);
        Graphics_D3D9_DrawPreparation(key);
        Graphics_D3D9_DeviceState_SetFVF(0x2D2);
        ASSERT_EQ(Direct3DDevice9_DrawPrimitiveUP(plat::gpu::D3DPT_TRIANGLELIST, UINT(v.size() / 3), v.data(),
                                                  sizeof(Vertex3D)),
                  plat::gpu::D3D_OK);
    } else {
        if (g != nullptr) {
            const D3D11GraphTexture* t = D3D11_TileTexture(g->pieces[0].tile);
            Graphics_D3D11_DeviceState_SetTexture(t->texture, t->view);
        } else {
            Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
        }
        Graphics_D3D11_DrawPreparation(key);
        ASSERT_EQ(Graphics_D3D11_DrawCommonVertexBuffer(5, plat::gpu::D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, v.data(),
                                                        int(v.size()), 1),
                  0);
    }
}

// A flat quad from (x1, y1) to (x2, y2) at one depth, facing the eye.
inline std::vector<Vertex3D> flatQuad(float x1, float y1, float x2, float y2, float depth) {
    auto at = [&](float x, float y) { return Vertex3D{x, y, depth, 0, 0, -1, 0xFFFFFFFFu, 0, 0, 0, 0, 0}; };
    return {at(x1, y2), at(x2, y2), at(x1, y1), at(x2, y2), at(x2, y1), at(x1, y1)};
}

// Program words from shader text; empty (with a failure) when it does not assemble.
inline std::vector<uint32_t> assemble(const std::string& text) {
    std::vector<uint32_t> words;
    std::string error;
    if (!halvorine::shaderasm::assemble(text, words, error)) {
        ADD_FAILURE() << error;
        words.clear();
    }
    return words;
}

// A program of the project's test shaders for the running back end: model 2 or 3 for
// Direct3D 9, DXBC (the dxbc/ folder) for Direct3D 11.
inline std::vector<uint32_t> testShader(const std::string& name) {
    const std::string path = std::string(HALVORINE_SOURCE_DIR) + "/tests/platform/gpu/shaders/" +
                             (GraphicsApiType == kGraphicsApiD3D9 ? "" : "dxbc/") + name;
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return assemble(text.str());
}

inline int loadShader(const std::vector<uint32_t>& words, int vertexFlag) {
    return words.empty() ? -1 : LoadShaderFromMemBase(vertexFlag, words.data(), int(words.size() * 4), 0, 0, 0);
}

// The project's invert program as a user pixel shader.
inline int loadInvertShader() { return loadShader(testShader("invert.asm"), 0); }

// A quad of `picture` drawn through the user pixel shader `ps` with the vertex type's
// standard vertex stage, on the running back end.
inline void drawUserShaderQuad(int ps, int picture, float x, float y, float size) {
    struct V {
        float x, y, z, rhw;
        uint32_t colour;
        float u, v;
    };
    const V v[4] = {{x, y, 0, 1, 0xFFFFFFFFu, 0, 0},
                    {x + size, y, 0, 1, 0xFFFFFFFFu, 1, 0},
                    {x, y + size, 0, 1, 0xFFFFFFFFu, 0, 1},
                    {x + size, y + size, 0, 1, 0xFFFFFFFFu, 1, 1}};
    ASSERT_EQ(SetUseTextureToShader(0, picture), 0);
    ASSERT_EQ(SetUsePixelShader(ps), 0);
    if (GraphicsApiType == kGraphicsApiD3D9) {
        Graphics_D3D9_BeginScene();
        Graphics_D3D9_DrawPreparationToShader(0, 0, 1, 0);
        Graphics_D3D9_DeviceState_SetFVF(0x144);
        EXPECT_EQ(Direct3DDevice9_DrawPrimitiveUP(plat::gpu::D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), plat::gpu::D3D_OK);
    } else {
        Graphics_D3D11_DrawPreparationToShader(0, 0, 1);
        EXPECT_EQ(Graphics_D3D11_DrawCommonVertexBuffer(1, plat::gpu::D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, v, 4, 0),
                  0);
    }
    SetUsePixelShader(0);
    SetUseTextureToShader(0, -1);
}

}  // namespace hwcases
