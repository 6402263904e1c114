// User shaders on the Direct3D 9 back end: program code loaded from memory, its constant
// table taken only when it lies inside the code, refusals logged with their reason, and the
// shader draw preparation binding the front's textures, vertex and pixel shaders.
#include "d3d9_fixture.h"
#include "media/base/handle.h"
#include "media/graphics/graph.h"
#include "media/graphics/shader.h"
#include "tests/media/graphics/multisample_cases.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/shaders/token.h"
#include "tools/shaderasm/shader_asm.h"

namespace d3d9test {
namespace {

std::vector<uint32_t> code(const std::string& text) {
  std::vector<uint32_t> w;
  std::string err;
  EXPECT_TRUE(halvorine::shaderasm::assemble(text, w, err)) << err;
  return w;
}

class D3D9UserShader : public D3D9BackEnd {
 protected:
  static int begin() { return mscases::begin("d3d11", 0); }
  static int load(const std::vector<uint32_t>& w) { return LoadPixelShaderFromMem(w.data(), int(w.size() * 4)); }
};

TEST_F(D3D9UserShader, CodeIsKeptAndItsConstantTableChecked) {
  ASSERT_EQ(begin(), kGraphicsApiD3D9);
  const std::vector<uint32_t> plain = code("ps_2_0\ndcl t0.xy\ndcl_2d s0\ntexld r0, t0, s0\nmov oC0, r0\n");
  const std::vector<uint32_t> table =
      code("ps_2_0\nctab tint, float4, 0, 1\nctab image, sampler, 0, 1\nmov oC0, c0\n");
  for (int round = 0; round < 2; ++round) {
    std::vector<uint32_t> temporary = plain;
    const int a = load(temporary);
    ASSERT_GT(a, 0);
    temporary.assign(temporary.size(), 0);  // the handle has its own copy
    const ShaderHandleData* s = GetShaderData(a, 0);
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->code, nullptr);
    EXPECT_EQ(std::memcmp(s->code, plain.data(), plain.size() * 4), 0);
    EXPECT_EQ(s->constantCount, 0);

    const int b = load(table);
    ASSERT_GT(b, 0);
    EXPECT_EQ(GetShaderData(b, 0)->constantCount, 2);
    EXPECT_EQ(GetShaderData(b, 0)->constantStart, 12 + 28);

    // A table whose description count reaches past its comment, and a comment that is no
    // table, record none.
    std::vector<uint32_t> lying = table;
    lying[3 + 3] = 1000;  // header word 3: the count
    const int c = load(lying);
    ASSERT_GT(c, 0);
    EXPECT_EQ(GetShaderData(c, 0)->constantCount, 0);
    std::vector<uint32_t> other = table;
    other[2] = 0x41414141u;  // not "CTAB"
    const int d = load(other);
    ASSERT_GT(d, 0);
    EXPECT_EQ(GetShaderData(d, 0)->constantCount, 0);
    for (int h : {a, b, c, d}) SubHandle(h);
  }
}

TEST_F(D3D9UserShader, RefusedCodeLogsItsReason) {
  ASSERT_EQ(begin(), kGraphicsApiD3D9);
  const std::vector<uint32_t> vertexFetch =
      code("vs_3_0\ndcl_position v0\ndcl_2d s0\ntexldl r0, v0, s0\nmov o0, r0\n");
  const std::vector<uint32_t> model1 = {0xFFFF0104u, 0x0000FFFFu};
  EXPECT_EQ(load(model1), -1);
  EXPECT_EQ(load(vertexFetch), -1);
  EXPECT_EQ(load(code("vs_2_0\ndcl_position v0\nmov oPos, v0\n")), -1);
  EXPECT_TRUE(logged(u"texture fetch in a vertex program is not supported"));
  EXPECT_TRUE(logHasInOrder({u"ピクセルシェーダーの作成に失敗しました", u"model 1"})) << narrow(LogCapture::all());
  EXPECT_TRUE(logged(u"a vertex program given as a pixel shader"));
}

// The device takes no length: code is refused before the device sees it unless its end
// lies inside the size given, found by stepping over each instruction's words (literal
// words equal to the end word included) and over a package token by its name length.
TEST_F(D3D9UserShader, CodeMustEndInsideItsSize) {
  ASSERT_EQ(begin(), kGraphicsApiD3D9);
  const std::vector<uint32_t> literals = code("ps_3_0\ndefi i0, 65535, 0, 0, 0\ndefb b0, true\nmov oC0, c0\n");
  ASSERT_EQ(literals[3], 0x0000FFFFu);
  const std::vector<uint8_t> bytes = plat::gpu::makeToken(plat::gpu::ShaderStage::pixel, "copy_ps");
  std::vector<uint32_t> token(bytes.size() / 4);
  std::memcpy(token.data(), bytes.data(), bytes.size());
  const std::vector<uint32_t> cut = {0xFFFF0200u, 0x00000000u, 0x00000000u, 0x0000FFFFu};
  std::vector<uint32_t> padded = literals;
  padded.push_back(0x12345678u);
  struct Case {
    const char* name;
    const std::vector<uint32_t>* words;
    int size;
    bool accepted;
  };
  const Case cases[] = {
      {"whole program", &literals, int(literals.size() * 4), true},
      {"bytes after the end", &padded, int(padded.size() * 4), true},
      {"cut after a literal equal to the end word", &literals, 16, false},
      {"cut before the end word", &literals, int(literals.size() * 4 - 4), false},
      {"end word past the size", &cut, 12, false},
      {"version word only", &cut, 4, false},
      {"whole token", &token, int(token.size() * 4), true},
      {"token cut before its end word", &token, int(token.size() * 4 - 4), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::gpu::resetJournal();
    // An exact-size copy: a read past the size shows under the sanitizers.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size_t(c.size)]);
    std::memcpy(exact.get(), c.words->data(), size_t(c.size));
    const int h = LoadPixelShaderFromMem(exact.get(), c.size);
    EXPECT_EQ(h > 0, c.accepted);
    EXPECT_EQ(plat::gpu::callCount("d3d9.CreatePixelShader"), c.accepted ? 1 : 0);
    if (h > 0) SubHandle(h);
  }
}

TEST_F(D3D9UserShader, DrawPreparationBindsTheFrontsShaders) {
  ASSERT_EQ(begin(), kGraphicsApiD3D9);
  const int graphs[3] = {MakeGraph(8, 8), MakeGraph(8, 8), MakeGraph(16, 16)};
  for (int g : graphs) ASSERT_GT(g, 0);
  const int ps = load(code("ps_2_0\ndcl t0.xy\ndcl_2d s0\ntexld r0, t0, s0\nmov oC0, r0\n"));
  const std::vector<uint32_t> vsCode = code("vs_2_0\ndcl_position v0\nmov oPos, v0\n");
  const int vs = LoadShaderFromMemBase(1, vsCode.data(), int(vsCode.size() * 4), 0, 0, 0);
  ASSERT_GT(ps, 0);
  ASSERT_GT(vs, 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(SetUseTextureToShader(i, graphs[i]), 0);
  ASSERT_EQ(SetUsePixelShader(ps), 0);
  ASSERT_EQ(SetUseVertexShader(vs), 0);
  D3D9DeviceStateCache& c = D3D9State;
  for (int round = 0; round < 2; ++round) {
    Graphics_D3D9_DrawPreparationToShader(0, 0, 1, 0);
    EXPECT_EQ(c.stageCount, 3);
    for (int i = 0; i < 3; ++i) EXPECT_NE(c.stages[i].texture, nullptr) << i;
    for (int i = 3; i < kD3D9Stages; ++i) EXPECT_EQ(c.stages[i].texture, nullptr) << i;
    EXPECT_EQ(c.pixelShader, GetShaderData(ps, 0)->deviceObject);
    EXPECT_EQ(c.vertexShader, GetShaderData(vs, 0)->deviceObject);
    EXPECT_EQ(c.declaration, D3D9ShaderSys.declarations[0]);
    // A plain draw preparation drops the user pixel shader.
    // The preparation's own draw preparation (under key bit 0x2000) keeps it too.
    GraphicsRender.settingsChanged = 1;
    Graphics_D3D9_DrawPreparationToShader(0, 0, 1, 0);
    EXPECT_EQ(c.pixelShader, GetShaderData(ps, 0)->deviceObject);
    EXPECT_EQ(c.pixelShaderUser, 1);
    Graphics_D3D9_DrawPreparation(0);
    EXPECT_NE(c.pixelShader, GetShaderData(ps, 0)->deviceObject);
  }
  // A vertex type past the table binds no declaration and no vertex shader.
  Graphics_D3D9_DeviceState_ResetUserVertexShader(0);
  Graphics_D3D9_DeviceState_SetVertexDeclaration(nullptr);
  Graphics_D3D9_DrawPreparationToShader(0, 12, 1, 0);
  EXPECT_EQ(c.declaration, nullptr);
  EXPECT_NE(c.vertexShader, GetShaderData(vs, 0)->deviceObject);

  // A deleted graph binds nothing and is cleared in the front.
  SubHandle(graphs[1]);
  Graphics_D3D9_DrawPreparationToShader(0, 0, 1, 0);
  EXPECT_EQ(ShaderUse.textures[1], 0);
  EXPECT_EQ(c.stages[1].texture, nullptr);
  EXPECT_NE(c.stages[2].texture, nullptr);
  EXPECT_EQ(c.stageCount, 3);

  // No user pixel shader: the preparation binds none.
  ASSERT_EQ(SetUsePixelShader(0), 0);
  Graphics_D3D9_DrawPreparation(0);
  Graphics_D3D9_DrawPreparationToShader(0, 0, 1, 0);
  EXPECT_NE(c.pixelShader, GetShaderData(ps, 0)->deviceObject);
  for (int i = 0; i < 3; ++i) SetUseTextureToShader(i, -1);
  SetUseVertexShader(0);
}

}  // namespace
}  // namespace d3d9test
