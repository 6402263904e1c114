// User shaders on the Direct3D 11 back end: bytecode loaded from memory and kept in the
// handle, refusals logged with their reason, the user vertex shader reset that keeps a
// user's shader, and the shader draw preparation binding the front's textures and shaders
// so that a common-buffer draw with shader flag 0 draws with them.
#include <fstream>
#include <sstream>

#include "d3d11_fixture.h"
#include "media/base/handle.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/hwdraw/filter_steps.h"
#include "media/graphics/shader.h"
#include "tests/media/graphics/filter_cases.h"
#include "tools/shaderasm/shader_asm.h"

namespace d3d11test {
namespace {

std::vector<uint32_t> code(const std::string& text) {
  std::vector<uint32_t> w;
  std::string err;
  EXPECT_TRUE(halvorine::shaderasm::assemble(text, w, err)) << err;
  return w;
}

std::vector<uint32_t> codeFromFile(const char* name) {
  std::ifstream f(std::string(HALVORINE_SOURCE_DIR) + "/tests/platform/gpu/shaders/dxbc/" + name);
  std::ostringstream s;
  s << f.rdbuf();
  return code(s.str());
}

class D3D11UserShader : public D3D11Test {
 protected:
  static int loadPixel(const std::vector<uint32_t>& w) { return LoadPixelShaderFromMem(w.data(), int(w.size() * 4)); }
  static int loadVertex(const std::vector<uint32_t>& w) {
    return LoadShaderFromMemBase(1, w.data(), int(w.size() * 4), 0, 0, 0);
  }
};

TEST_F(D3D11UserShader, CodeIsKeptAndRefusalsLogTheirReason) {
  ASSERT_EQ(startOn(false), kGraphicsApiD3D11);
  const std::vector<uint32_t> invert = codeFromFile("invert.asm");
  for (int round = 0; round < 2; ++round) {
    std::vector<uint32_t> temporary = invert;
    const int a = loadPixel(temporary);
    ASSERT_GT(a, 0);
    temporary.assign(temporary.size(), 0);  // the handle has its own copy
    const ShaderHandleData* s = GetShaderData(a, 0);
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->code, nullptr);
    EXPECT_EQ(std::memcmp(s->code, invert.data(), invert.size() * 4), 0);
    EXPECT_NE(s->deviceObject, nullptr);
    SubHandle(a);
  }
  EXPECT_EQ(loadPixel(code("gs_4_0\nret\n")), -1);
  EXPECT_TRUE(logHasInOrder({u"ピクセルシェーダーの作成に失敗しました", u"geometry program"}));
  EXPECT_EQ(loadVertex(invert), -1);
  EXPECT_TRUE(logHasInOrder({u"頂点シェーダーの作成に失敗しました", u"a pixel program given as a vertex shader"}));
  std::vector<uint32_t> cut = invert;
  cut.pop_back();
  EXPECT_EQ(loadPixel(cut), -1);
  EXPECT_TRUE(logHasInOrder({u"ピクセルシェーダーの作成に失敗しました", u"total size"}));
}

TEST_F(D3D11UserShader, ResetUserVertexShaderKeepsOrRemovesIt) {
  ASSERT_EQ(startOn(false), kGraphicsApiD3D11);
  const int vs = loadVertex(codeFromFile("world_view_projection.asm"));
  ASSERT_GT(vs, 0);
  auto* object = static_cast<ID3D11VertexShader*>(GetShaderData(vs, 0)->deviceObject);
  D3D11DeviceStateCache& c = D3D11State;
  for (int round = 0; round < 2; ++round) {
    Graphics_D3D11_DeviceState_SetInputLayout(D3D11ShaderSys.layouts[3]);
    Graphics_D3D11_DeviceState_SetVertexShader(object, 1);
    EXPECT_EQ(Graphics_D3D11_DeviceState_ResetUserVertexShader(1), 0);
    EXPECT_EQ(c.vertexShader, object);
    EXPECT_EQ(c.inputLayout, D3D11ShaderSys.layouts[3]);
    EXPECT_EQ(Graphics_D3D11_DeviceState_ResetUserVertexShader(0), 0);
    EXPECT_EQ(c.vertexShader, nullptr);
    EXPECT_EQ(c.inputLayout, nullptr);
    // A library shader is no user's: the keeping reset removes it too.
    Graphics_D3D11_DeviceState_SetVertexShader(D3D11ShaderSys.stdVertex[1], 0);
    EXPECT_EQ(Graphics_D3D11_DeviceState_ResetUserVertexShader(1), 0);
    EXPECT_EQ(c.vertexShader, nullptr);
  }
  SubHandle(vs);
}

TEST_F(D3D11UserShader, DrawPreparationBindsTheFrontsShaders) {
  ASSERT_EQ(startOn(false), kGraphicsApiD3D11);
  const int graphs[3] = {MakeGraph(8, 8), MakeGraph(8, 8), MakeGraph(16, 16)};
  for (int g : graphs) ASSERT_GT(g, 0);
  const int ps = loadPixel(codeFromFile("textured_modulate.asm"));
  const int vs = loadVertex(codeFromFile("world_view_projection.asm"));
  ASSERT_GT(ps, 0);
  ASSERT_GT(vs, 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(SetUseTextureToShader(i, graphs[i]), 0);
  ASSERT_EQ(SetUsePixelShader(ps), 0);
  ASSERT_EQ(SetUseVertexShader(vs), 0);
  D3D11DeviceStateCache& c = D3D11State;
  for (int round = 0; round < 2; ++round) {
    Graphics_D3D11_DrawPreparationToShader(0, 6, 0);
    for (int i = 0; i < 3; ++i) EXPECT_NE(c.psResources[i], nullptr) << i;
    for (int i = 3; i < kShaderTextureSlots; ++i) EXPECT_EQ(c.psResources[i], nullptr) << i;
    EXPECT_EQ(c.pixelShader, GetShaderData(ps, 0)->deviceObject);
    EXPECT_EQ(c.pixelShaderUser, 1);
    EXPECT_EQ(c.vertexShader, GetShaderData(vs, 0)->deviceObject);
    EXPECT_EQ(c.vertexShaderUser, 1);
    EXPECT_EQ(c.inputLayout, D3D11ShaderSys.layouts[4]);
  }
  // A deleted graph binds nothing and is cleared in the front.
  SubHandle(graphs[1]);
  Graphics_D3D11_DrawPreparationToShader(0, 6, 0);
  EXPECT_EQ(ShaderUse.textures[1], 0);
  EXPECT_EQ(c.psResources[1], nullptr);
  EXPECT_NE(c.psResources[2], nullptr);
  // No user vertex shader: the vertex type's standard one takes the user's place (the
  // textured 3D vertex's), and a negative type takes the blend 2D vertex's.
  SetUseVertexShader(0);
  for (const auto& [type, format] : {std::pair{6, 4}, std::pair{-1, 2}}) {
    Graphics_D3D11_DrawPreparationToShader(0, type, 1);
    EXPECT_EQ(c.vertexShader, D3D11ShaderSys.stdVertex[format]) << type;
    EXPECT_EQ(c.vertexShaderUser, 0) << type;
  }
  for (int i = 0; i < 3; ++i) SetUseTextureToShader(i, -1);
  SetUseVertexShader(0);
  SetUsePixelShader(0);
  SubHandle(ps);
  SubHandle(vs);
}

TEST_F(D3D11UserShader, CommonBufferDrawWithTheUserShaderEqualsTheBanksTexturedDraw) {
  ASSERT_EQ(startOn(false), kGraphicsApiD3D11);
  const int graph = MakeGraph(8, 8);
  ASSERT_GT(graph, 0);
  ASSERT_EQ(FillGraph(graph, 200, 120, 40, 255), 0);
  const int ps = loadPixel(codeFromFile("textured_modulate.asm"));
  ASSERT_GT(ps, 0);
  struct V {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
  };
  const V quadVertices[4] = {{2, 3, 0, 1, D3D11_VertexColor(255, 128, 64, 255), 0, 0},
                             {30, 3, 0, 1, D3D11_VertexColor(64, 255, 128, 255), 1, 0},
                             {2, 27, 0, 1, D3D11_VertexColor(128, 64, 255, 255), 0, 1},
                             {30, 27, 0, 1, D3D11_VertexColor(255, 255, 255, 255), 1, 1}};
  const GraphData* g = GetGraphData(graph);
  ASSERT_NE(g, nullptr);
  const D3D11GraphTexture* t = D3D11_TileTexture(g->pieces[0].tile);
  Rgba bank[32][32], user[32][32];
  // The user pass first: nothing but the preparation binds its vertex shader.
  for (int pass = 1; pass >= 0; --pass) {
    clearTo(0, 0, 0);
    if (pass == 0) {
      // The bank's textured function: the key's pixel shader with the graph's texture.
      Graphics_D3D11_DeviceState_SetTexture(t->texture, t->view);
      Graphics_D3D11_DrawPreparation(0x3500);
      ASSERT_EQ(Graphics_D3D11_DrawCommonVertexBuffer(1, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, quadVertices, 4, 1), 0);
    } else {
      ASSERT_EQ(SetUseTextureToShader(0, graph), 0);
      ASSERT_EQ(SetUsePixelShader(ps), 0);
      Graphics_D3D11_DrawPreparationToShader(0, 0, 1);
      ASSERT_EQ(Graphics_D3D11_DrawCommonVertexBuffer(1, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, quadVertices, 4, 0), 0);
      EXPECT_EQ(D3D11State.pixelShader, GetShaderData(ps, 0)->deviceObject);
    }
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) (pass == 0 ? bank : user)[y][x] = pixel(x, y);
  }
  int lit = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      EXPECT_EQ(user[y][x], bank[y][x]) << x << ", " << y;
      lit += bank[y][x].r != 0;
    }
  EXPECT_GT(lit, 500);
  SetUseTextureToShader(0, -1);
  SetUsePixelShader(0);
  SubHandle(ps);
}

TEST_F(D3D11UserShader, WorldViewProjectionProgramCoversTheBuiltIn3DVertexShadersPixels) {
  ASSERT_EQ(startOn(false), kGraphicsApiD3D11);
  const int colour = loadPixel(codeFromFile("vertex_colour.asm"));
  const int wvp = loadVertex(codeFromFile("world_view_projection_3d.asm"));
  ASSERT_GT(colour, 0);
  ASSERT_GT(wvp, 0);
  // The untextured 3D vertex: position and colour.
  struct V {
    float x, y, z;
    uint32_t colour;
  };
  const V tri[3] = {{1.3f, 2.1f, 0.2f, D3D11_VertexColor(255, 0, 40, 255)},
                    {17.7f, 4.6f, 0.9f, D3D11_VertexColor(0, 255, 90, 255)},
                    {5.2f, 19.4f, 0.5f, D3D11_VertexColor(30, 60, 255, 255)}};
  // A world that turns and scales, a view that moves and tilts depth into x, and a
  // projection whose w grows with depth, so every register of all three counts.
  Matrix4x4F world{}, view{}, projection{};
  world.m[0][0] = 1.6f, world.m[0][1] = 0.5f, world.m[1][0] = -0.4f, world.m[1][1] = 1.7f, world.m[2][2] = 1.0f;
  world.m[3][0] = 6.0f, world.m[3][1] = 3.0f, world.m[3][3] = 1.0f;
  view.m[0][0] = 1.0f, view.m[1][1] = 1.0f, view.m[2][0] = 3.0f, view.m[2][2] = 0.5f;
  view.m[3][0] = 2.5f, view.m[3][1] = 4.0f, view.m[3][2] = 0.1f, view.m[3][3] = 1.0f;
  projection.m[0][0] = 2.0f / 640, projection.m[1][1] = -2.0f / 480, projection.m[2][2] = 0.8f;
  projection.m[2][3] = 0.25f, projection.m[3][0] = -1.0f, projection.m[3][1] = 1.0f, projection.m[3][3] = 1.0f;
  constexpr int kSide = 96;
  std::vector<Rgba> frames[2];
  for (int pass = 0; pass < 2; ++pass) {
    clearTo(0, 0, 0);
    ASSERT_EQ(SetUsePixelShader(colour), 0);
    ASSERT_EQ(SetUseVertexShader(pass == 0 ? 0 : wvp), 0);
    Graphics_D3D11_DrawPreparationToShader(0, 5, 1);
    ASSERT_EQ(Graphics_D3D11_DeviceState_SetWorldMatrix(&world), 0);
    ASSERT_EQ(Graphics_D3D11_DeviceState_SetViewMatrix(&view), 0);
    ASSERT_EQ(Graphics_D3D11_DeviceState_SetProjectionMatrix(&projection), 0);
    // Shader flag 1 binds the bank's 3D vertex shader; 0 keeps the user's.
    ASSERT_EQ(Graphics_D3D11_DrawCommonVertexBuffer(3, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, tri, 3, pass == 0), 0);
    EXPECT_EQ(D3D11State.vertexShader, pass == 0 ? D3D11ShaderSys.stdVertex[3] : GetShaderData(wvp, 0)->deviceObject);
    BaseImage image{};
    ASSERT_EQ(Graphics_D3D11_LockDrawTargetBuffer(nullptr, &image, -1, 1, 0), 0);
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        const uint8_t* p = static_cast<const uint8_t*>(image.pixels) + size_t(y) * size_t(image.pitch) + size_t(x) * 4;
        frames[pass].push_back(Rgba{p[0], p[1], p[2], p[3]});
      }
    Graphics_D3D11_UnlockDrawTargetBuffer();
  }
  int covered = 0, differing = 0;
  for (size_t k = 0; k < frames[0].size(); ++k) {
    const Rgba &a = frames[0][k], &b = frames[1][k];
    covered += a.r + a.g + a.b != 0;
    differing += a.r != b.r || a.g != b.g || a.b != b.b || a.a != b.a;
  }
  EXPECT_GT(covered, 200);
  EXPECT_LT(covered, kSide * kSide);
  EXPECT_EQ(differing, 0);
  SetUseVertexShader(0);
  SetUsePixelShader(0);
  SubHandle(colour);
  SubHandle(wvp);
}

TEST_F(D3D11UserShader, FilterPassDrawsModelFourFiltersLikeTheBuiltIns) {
  ASSERT_EQ(startOn(false), kGraphicsApiD3D11);
  struct Case {
    const char* file;
    int filter, slot;
    std::vector<int> args;
  };
  const Case cases[] = {{"invert.asm", kGraphFilterInvert, kFNInvert, {0}},
                        {"mono.asm", kGraphFilterMono, kFNMono, {10, 20}},
                        {"mono.asm", kGraphFilterMono, kFNMono, {-40, 7}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<uint8_t> results[2];
    for (int pass = 0; pass < 2; ++pass) {
      const int user = pass == 1 ? loadPixel(codeFromFile(c.file)) : -1;
      if (pass == 1) {
        ASSERT_GT(user, 0);
        // The filter's slot holds the user's program in place of the built-in one.
        if (GraphFilterShaderHandleTable[c.slot] > 0) SubHandle(GraphFilterShaderHandleTable[c.slot]);
        GraphFilterShaderHandleTable[c.slot] = user;
      }
      const int picture = filtercases::makePicture(filtercases::kSize, filtercases::kSize, 5);
      ASSERT_EQ(GraphFilterBlendWithArgs(0, picture, -1, picture, 0, c.filter, 0, 0, filtercases::kSize,
                                         filtercases::kSize, 0, 0, 0, 0, 0, c.args.data(), int(c.args.size())),
                0);
      if (pass == 1) EXPECT_EQ(GraphFilterShaderHandleTable[c.slot], user);
      results[pass] = filtercases::bytesOf(picture);
      SubHandle(picture);
      if (pass == 1) SubHandle(user);
    }
    ASSERT_EQ(results[0].size(), size_t(filtercases::kSize * filtercases::kSize * 4));
    EXPECT_TRUE(results[0] == results[1]);
  }
}

}  // namespace
}  // namespace d3d11test
