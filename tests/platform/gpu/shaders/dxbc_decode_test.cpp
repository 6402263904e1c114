// Shader-model 4 and 5 programs on the shader machine: the container check and the
// decoder's refusals (each blob held in a buffer of exactly its size, so a read past it is
// caught under AddressSanitizer), and the interpreter instruction group by group against
// hand values, lanes taking different sides where the group is about flow.
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include "platform/gpu/d3d11/dxbc_decode.h"
#include "platform/gpu/copy.h"
#include "platform/gpu/resource.h"
#include "platform/gpu/sampler.h"
#include "shader_vm_fixture.h"

namespace vmtest {
namespace {

using plat::gpu::dxbc::decodeShader;
using plat::gpu::dxbc::Shader;

std::vector<uint8_t> blobOf(const std::string& text) {
  const std::vector<uint32_t> w = assembled(text);
  std::vector<uint8_t> b(w.size() * 4);
  std::memcpy(b.data(), w.data(), b.size());
  return b;
}

uint32_t wordAt(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void setWord(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// Byte offset of the chunk with this tag.
size_t chunkAt(const std::vector<uint8_t>& b, const char* tag) {
  for (uint32_t k = 0; k < wordAt(b, 28); ++k) {
    const uint32_t at = wordAt(b, 32 + 4 * k);
    if (std::memcmp(b.data() + at, tag, 4) == 0) return at;
  }
  ADD_FAILURE() << "no chunk " << tag;
  return 0;
}

bool decodeExactBlob(const std::vector<uint8_t>& b, Shader& s, std::string& reason) {
  // A heap block of exactly the blob's size: any read past it is an overflow.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[b.size()]);
  std::memcpy(exact.get(), b.data(), b.size());
  return decodeShader(exact.get(), b.size(), s, reason);
}

const char* const kPlain = R"(ps_4_0
isgn TEXCOORD0 v1.xy
osgn SV_Target0 o0.xyzw
dcl_input_ps linear v1.xy
dcl_output o0.xyzw
dcl_temps 1
mov r0.xy, v1.xyxx
mov o0.xyzw, r0.xyxy
ret
)";

TEST(DxbcDecode, ContainerRefusals) {
  const std::vector<uint8_t> good = blobOf(kPlain);
  Shader s;
  std::string reason;
  ASSERT_TRUE(decodeExactBlob(good, s, reason)) << reason;
  ASSERT_EQ(s.inputs.size(), 1u);
  EXPECT_EQ(s.inputs[0].name, "TEXCOORD");
  EXPECT_EQ(s.inputs[0].reg, 1u);
  EXPECT_EQ(s.inputs[0].mask, 3);
  const size_t isgn = chunkAt(good, "ISGN"), shdr = chunkAt(good, "SHDR");
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
    const char* reason;
  };
  const Case cases[] = {
      {"wrong magic", [](auto& b) { b[1] = 'Y'; }, "wrong magic"},
      {"total size larger", [](auto& b) { setWord(b, 24, uint32_t(b.size() + 4)); }, "total size"},
      {"cut short", [](auto& b) { b.resize(b.size() - 4); }, "total size"},
      {"header only", [](auto& b) { b.resize(20); }, "shorter than a container header"},
      {"version 2", [](auto& b) { setWord(b, 20, 2); }, "version"},
      {"chunk count past the table", [](auto& b) { setWord(b, 28, 60); }, "chunk"},
      {"chunk offset past the end", [](auto& b) { setWord(b, 32, uint32_t(b.size())); }, "chunk offset past the end"},
      {"chunk offset unaligned", [](auto& b) { setWord(b, 32, wordAt(b, 32) + 2); }, "not aligned"},
      {"chunk size past the end", [isgn](auto& b) { setWord(b, isgn + 4, 0x7FFFFFF0u); }, "chunk size past the end"},
      {"signature name outside its chunk", [isgn](auto& b) { setWord(b, isgn + 16, 0x10000u); },
       "signature name outside its chunk"},
      {"signature elements past the chunk", [isgn](auto& b) { setWord(b, isgn + 8, 40); }, "signature elements"},
      {"program length differs", [shdr](auto& b) { setWord(b, shdr + 12, wordAt(b, shdr + 12) + 1); },
       "program length differs"},
      {"no program chunk", [shdr](auto& b) { std::memcpy(b.data() + shdr, "XXXX", 4); }, "no program chunk"},
      {"instruction length zero", [shdr](auto& b) { setWord(b, shdr + 16, wordAt(b, shdr + 16) & 0x80FFFFFFu); },
       "instruction length of zero"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> b = good;
    c.spoil(b);
    Shader out;
    EXPECT_FALSE(decodeExactBlob(b, out, reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_TRUE(out.program.code.empty());
  }
  EXPECT_FALSE(decodeShader(nullptr, 100, s, reason));
}

TEST(DxbcDecode, ProgramRefusals) {
  struct Case {
    const char* name;
    std::string text;
    const char* reason;
  };
  const std::string body = "dcl_temps 2\n";
  const Case cases[] = {
      {"geometry", "gs_4_0\nret\n", "geometry program"},
      {"compute", "cs_5_0\nret\n", "compute program"},
      {"hull", "hs_5_0\nret\n", "hull program"},
      {"model 4.2", "ps_4_2\nret\n", "model other than"},
      {"typed view", "ps_5_0\ndcl_uav_typed_texture2d (float,float,float,float) u0\nret\n", "unordered-access view"},
      {"gather", "ps_4_1\ndcl_sampler s0, mode_default\ndcl_resource_texture2d (float,float,float,float) t0\n" + body +
                     "gather4 r0.xyzw, r1.xyxx, t0.xyzw, s0\nret\n",
       "gather"},
      {"double", "ps_5_0\n" + body + "dadd r0.xy, r1.xyxy, r1.xyxy\nret\n", "double precision"},
      {"atomic", "ps_5_0\n" + body + "atomic_iadd u0, r0.x, r1.x\nret\n", "atomic"},
      {"3D texture", "ps_4_0\ndcl_resource_texture3d (float,float,float,float) t0\nret\n", "never makes"},
      {"buffer", "ps_4_0\ndcl_resource_buffer (float,float,float,float) t0\nret\n", "never makes"},
      {"multisampled", "ps_4_1\ndcl_resource_texture2dms (float,float,float,float) t0\nret\n", "never makes"},
      {"class linkage", "ps_5_0\nfcall fb0\nret\n", "class linkage"},
      {"emit", "ps_4_0\nemit\nret\n", "geometry stream"},
      {"undeclared temp", "ps_4_0\n" + body + "mov r2.x, r0.x\nret\n", "temporary not declared"},
      {"too many temps", "ps_4_0\ndcl_temps 40\nret\n", "more temporaries"},
      {"else alone", "ps_4_0\nelse\nret\n", "else without its if"},
      {"open loop", "ps_4_0\nloop\nret\n", "left open"},
      {"break outside", "ps_4_0\nbreak\nret\n", "break outside"},
      {"continue in a switch only", "ps_4_0\n" + body + "switch r0.x\ncase l(1)\ncontinue\nendswitch\nret\n",
       "continue outside"},
      {"same case twice", "ps_4_0\n" + body + "switch r0.x\ncase l(1)\nbreak\ncase l(1)\nbreak\nendswitch\nret\n",
       "same value"},
      {"undeclared sampler", "ps_4_0\ndcl_resource_texture2d (float,float,float,float) t0\n" + body +
                                 "sample r0.xyzw, r1.xyxx, t0.xyzw, s0\nret\n",
       "sampler not declared"},
      {"comparison mode mismatch", "ps_4_0\ndcl_sampler s0, mode_default\n"
                                   "dcl_resource_texture2d (float,float,float,float) t0\n" + body +
                                       "sample_c r0.xyzw, r1.xyxx, t0.xxxx, s0, r1.z\nret\n",
       "sampler mode"},
      {"implicit lod in a vertex program", "vs_4_0\ndcl_sampler s0, mode_default\n"
                                           "dcl_resource_texture2d (float,float,float,float) t0\n" + body +
                                               "sample r0.xyzw, r1.xyxx, t0.xyzw, s0\nret\n",
       "vertex program"},
      {"integer absolute", "ps_4_0\n" + body + "iadd r0.x, |r1.x|, r1.y\nret\n", "absolute value of an integer"},
      {"discard in a vertex program", "vs_4_0\n" + body + "discard_nz r0.x\nret\n", "discard in a vertex"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> w;
    std::string err;
    if (!halvorine::shaderasm::assemble(c.text, w, err)) {
      EXPECT_NE(err.find(c.reason), std::string::npos) << err;  // refused by the assembler already
      continue;
    }
    std::vector<uint8_t> b(w.size() * 4);
    std::memcpy(b.data(), w.data(), b.size());
    Shader s;
    std::string reason;
    EXPECT_FALSE(decodeExactBlob(b, s, reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_NE(reason.find("byte offset"), std::string::npos) << reason;
  }
  // An operand with an index representation no program has (5..7).
  std::vector<uint8_t> b = blobOf(kPlain);
  const size_t shdr = chunkAt(b, "SHDR");
  // First instruction after the three declarations: dcl_input_ps (3 words), dcl_output
  // (3), dcl_temps (2); then mov's opcode and its destination operand token.
  const size_t dstToken = shdr + 8 + 4 * (2 + 3 + 3 + 2 + 1);
  setWord(b, dstToken, wordAt(b, dstToken) | 7u << 22);
  Shader s;
  std::string reason;
  EXPECT_FALSE(decodeExactBlob(b, s, reason));
  EXPECT_NE(reason.find("unknown index representation"), std::string::npos) << reason;
}

// A one-level shader-resource view of a texture holding `data`; null on failure.
plat::gpu::Ref<plat::gpu::View> textureView(plat::gpu::Format f, int w, int h, const void* data, size_t pitch) {
  using namespace plat::gpu;
  TextureDesc d;
  d.width = w;
  d.height = h;
  d.format = f;
  d.bind = kBindShaderResource;
  Ref<Texture> t;
  Ref<View> v;
  ViewDesc vd;
  vd.kind = ViewKind::shaderResource;
  if (createTexture(d, nullptr, t) != Status::ok || updateSubresource(*t, 0, nullptr, data, pitch) != Status::ok ||
      createView(*t, vd, v) != Status::ok)
    return Ref<View>();
  return v;
}

uint32_t bitsOf(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}
float floatOf(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
float intBits(int32_t i) { return floatOf(uint32_t(i)); }

// Runs `text` (a pixel program) on one quad with v1 per lane; o0 comes back.
vm::Lanes runOn(const std::string& text, const float v1[4][4], const vm::Bindings* bind = nullptr) {
  const std::vector<uint8_t> b = blobOf(text);
  Shader s;
  std::string reason;
  EXPECT_TRUE(decodeShader(b.data(), b.size(), s, reason)) << reason << "\n" << text;
  vm::Lanes lanes{};
  for (int l = 0; l < 4; ++l) setLane(lanes.in[1], l, v1[l][0], v1[l][1], v1[l][2], v1[l][3]);
  vm::Bindings none;
  none.quad = true;
  EXPECT_TRUE(vm::run(s.program, bind ? *bind : none, lanes));
  return lanes;
}

const char* const kHead = R"(ps_5_0
isgn TEXCOORD1 v1.xyzw
osgn SV_Target0 o0.xyzw
dcl_input_ps linear v1.xyzw
dcl_output o0.xyzw
dcl_temps 4
)";

TEST(DxbcDecode, InstructionGroups) {
  const float I = intBits(0);
  struct Case {
    const char* name;
    const char* text;
    float v1[4][4];
    uint32_t out[4][4];  // bits of o0 per lane; kAny: not checked
    uint32_t discarded;
  };
  constexpr uint32_t kAny = 0xDEADBEEFu;
  auto f = [](float x) { return bitsOf(x); };
  auto i = [](int32_t x) { return uint32_t(x); };
  const Case cases[] = {
      {"movc on mixed lanes: any non-zero bits select, -0.0 too",
       "movc o0.xyzw, v1.xxxx, l(1.0, 2.0, 3.0, 4.0), l(5.0, 6.0, 7.0, 8.0)\nret\n",
       {{I, 0, 0, 0}, {intBits(-1), 0, 0, 0}, {intBits(1), 0, 0, 0}, {floatOf(0x80000000u), 0, 0, 0}},
       {{f(5), f(6), f(7), f(8)}, {f(1), f(2), f(3), f(4)}, {f(1), f(2), f(3), f(4)}, {f(1), f(2), f(3), f(4)}},
       0},
      {"shifts of negative numbers, counts taken modulo 32",
       "ushr o0.x, v1.x, l(1)\nishr o0.y, v1.x, l(1)\nishr o0.z, v1.x, l(33)\nishl o0.w, v1.x, l(31)\nret\n",
       {{intBits(-8), 0, 0, 0}, {intBits(-1), 0, 0, 0}, {intBits(16), 0, 0, 0}, {intBits(INT32_MIN), 0, 0, 0}},
       {{0x7FFFFFFCu, i(-4), i(-4), 0},
        {0x7FFFFFFFu, i(-1), i(-1), 0x80000000u},
        {8, 8, 8, 0},
        {0x40000000u, 0xC0000000u, 0xC0000000u, 0}},
       0},
      {"conversions and rounding",
       "ftoi o0.x, v1.x\nround_ne o0.y, v1.y\nftou o0.z, v1.z\nitof r0.x, v1.w\nmov o0.w, r0.x\nret\n",
       {{-1.5f, 2.5f, -3.0f, intBits(-7)}, {1.5f, 3.5f, 4e9f, intBits(5)}, {NAN, -2.5f, NAN, 0}, {3e9f, 0.5f, 7.9f, 0}},
       {{i(-1), f(2), 0, f(-7)}, {1, f(4), 4000000000u, f(5)}, {0, f(-2), 0, f(0)}, {i(INT32_MAX), f(0), 7, f(0)}},
       0},
      {"integer arithmetic with a negated operand and two results",
       "iadd o0.x, v1.x, -v1.y\nudiv r0.x, r1.x, v1.x, v1.y\nmov o0.y, r0.x\nmov o0.z, r1.x\n"
       "imul r2.x, r3.x, v1.x, v1.y\nmov o0.w, r3.x\nret\n",
       {{intBits(7), intBits(2), 0, 0}, {intBits(9), intBits(0), 0, 0}, {intBits(-1), intBits(-1), 0, 0},
        {intBits(100000), intBits(100000), 0, 0}},
       {{5, 3, 1, 14}, {9, 0xFFFFFFFFu, 0xFFFFFFFFu, 0}, {0, 1, 0, 1}, {0, 1, 0, 1410065408u}},
       0},
      {"a quotient written over its own divisor keeps the remainder right",
       "mov r0.xy, v1.xyxx\nudiv r0.y, r1.x, r0.x, r0.y\nmov o0.xy, r0.xyxx\nmov o0.z, r1.x\nmov o0.w, l(0)\nret\n",
       {{intBits(17), intBits(5), 0, 0}, {intBits(4), intBits(2), 0, 0}, {intBits(1), intBits(3), 0, 0},
        {intBits(0), intBits(1), 0, 0}},
       {{17, 3, 2, 0}, {4, 2, 0, 0}, {1, 0, 1, 0}, {0, 0, 0, 0}},
       0},
      {"bit fields and counts",
       "ubfe o0.x, l(4), l(4), v1.x\nibfe o0.y, l(4), l(4), v1.x\nbfi o0.z, l(8), l(8), v1.y, v1.x\n"
       "countbits r0.x, v1.x\nfirstbit_hi r0.y, v1.x\nfirstbit_lo r0.z, v1.x\niadd o0.w, r0.x, r0.y\nret\n",
       {{intBits(0xF0), intBits(0xAB), 0, 0}, {intBits(0x80), intBits(1), 0, 0}, {intBits(0), intBits(0), 0, 0},
        {intBits(-1), intBits(0xFF), 0, 0}},
       {{15, i(-1), 0xABF0, 4 + 24}, {8, i(-8), 0x180, 1 + 24}, {0, 0, 0, i(-1)}, {15, i(-1), 0xFFFFFFFFu, 32 + 0}},
       0},
      {"float comparisons give all-ones masks",
       "lt o0.x, v1.x, v1.y\nge o0.y, v1.x, v1.y\neq o0.z, v1.x, v1.y\nne o0.w, v1.x, v1.y\nret\n",
       {{1, 2, 0, 0}, {2, 2, 0, 0}, {3, 2, 0, 0}, {NAN, 2, 0, 0}},
       {{~0u, 0, 0, ~0u}, {0, ~0u, ~0u, 0}, {0, ~0u, 0, ~0u}, {0, 0, 0, ~0u}},
       0},
      {"switch with fall-through, break and default",
       "mov r0.x, l(0)\nswitch v1.x\ncase l(0)\niadd r0.x, r0.x, l(1)\ncase l(1)\niadd r0.x, r0.x, l(10)\nbreak\n"
       "default\niadd r0.x, r0.x, l(1000)\nbreak\ncase l(2)\niadd r0.x, r0.x, l(100)\nbreak\nendswitch\n"
       "mov o0.x, r0.x\nmov o0.yzw, l(0, 0, 0, 0)\nret\n",
       {{I, 0, 0, 0}, {intBits(1), 0, 0, 0}, {intBits(2), 0, 0, 0}, {intBits(7), 0, 0, 0}},
       {{11, 0, 0, 0}, {10, 0, 0, 0}, {100, 0, 0, 0}, {1000, 0, 0, 0}},
       0},
      {"loop left by breakc_nz, continuec skipping odd rounds",
       "mov r0.xyz, l(0, 0, 0, 0)\nloop\nige r1.x, r0.x, v1.x\nbreakc_nz r1.x\niadd r0.x, r0.x, l(1)\n"
       "iadd r0.y, r0.y, r0.x\nand r1.y, r0.x, l(1)\ncontinuec_nz r1.y\niadd r0.z, r0.z, l(1)\nendloop\n"
       "mov o0.xyz, r0.xyzx\nmov o0.w, l(0)\nret\n",
       {{I, 0, 0, 0}, {intBits(1), 0, 0, 0}, {intBits(3), 0, 0, 0}, {intBits(5), 0, 0, 0}},
       {{0, 0, 0, 0}, {1, 1, 0, 0}, {3, 6, 1, 0}, {5, 15, 2, 0}},
       0},
      {"a branch inside a loop, some lanes breaking from it",
       "mov r0.x, l(0)\nloop\nif_nz v1.x\niadd r0.x, r0.x, l(1)\nuge r1.x, r0.x, l(3)\nbreakc_nz r1.x\nelse\n"
       "iadd r0.x, r0.x, l(2)\nuge r1.x, r0.x, l(8)\nbreakc_nz r1.x\nendif\nendloop\nmov o0.x, r0.x\n"
       "mov o0.yzw, l(0, 0, 0, 0)\nret\n",
       {{I, 0, 0, 0}, {intBits(1), 0, 0, 0}, {I, 0, 0, 0}, {intBits(-1), 0, 0, 0}},
       {{8, 0, 0, 0}, {3, 0, 0, 0}, {8, 0, 0, 0}, {3, 0, 0, 0}},
       0},
      {"discard_nz and discard_z",
       "discard_nz v1.x\ndiscard_z v1.y\nmov o0.xyzw, l(1.0, 1.0, 1.0, 1.0)\nret\n",
       {{I, intBits(1), 0, 0}, {intBits(1), intBits(1), 0, 0}, {I, I, 0, 0}, {intBits(5), I, 0, 0}},
       {{f(1), f(1), f(1), f(1)}, {kAny, kAny, kAny, kAny}, {kAny, kAny, kAny, kAny}, {kAny, kAny, kAny, kAny}},
       0b1110},
      {"retc_nz ends some lanes early",
       "mov o0.xyzw, l(1.0, 1.0, 1.0, 1.0)\nretc_nz v1.x\nmov o0.xyzw, l(2.0, 2.0, 2.0, 2.0)\nret\n",
       {{I, 0, 0, 0}, {intBits(1), 0, 0, 0}, {I, 0, 0, 0}, {intBits(1), 0, 0, 0}},
       {{f(2), f(2), f(2), f(2)}, {f(1), f(1), f(1), f(1)}, {f(2), f(2), f(2), f(2)}, {f(1), f(1), f(1), f(1)}},
       0},
      {"indexable temporaries and an immediate constant buffer by relative index",
       "ftoi r0.x, v1.x\nmov x0[0].x, l(5.0)\nmov x0[1].x, l(6.0)\nmov x0[2].x, l(7.0)\nmov x0[3].x, l(8.0)\n"
       "mov x0[r0.x + 0].y, l(9.0)\nmov o0.x, x0[r0.x + 0].x\nmov o0.y, icb[r0.x + 1].x\nmov o0.z, x0[2].y\n"
       "mov o0.w, x0[0].y\nret\n",
       {{0, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}, {9, 0, 0, 0}},
       {{f(5), f(20), f(0), f(9)}, {f(7), f(40), f(9), f(0)}, {f(8), f(0), f(0), f(0)}, {f(0), f(0), f(0), f(0)}},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = kHead;
    if (std::strstr(c.text, "x0[")) text += "dcl_indexableTemp x0[4], 4\n";
    if (std::strstr(c.text, "icb[")) text += "dcl_immediateConstantBuffer { { 10.0, 0, 0, 0 }, { 20.0, 0, 0, 0 },\n"
                                             "  { 30.0, 0, 0, 0 }, { 40.0, 0, 0, 0 } }\n";
    text += c.text;
    const vm::Lanes lanes = runOn(text, c.v1);
    EXPECT_EQ(lanes.discarded, c.discarded);
    for (int l = 0; l < 4; ++l)
      for (int k = 0; k < 4; ++k) {
        if (c.out[l][k] == kAny) continue;
        EXPECT_EQ(bitsOf(lanes.out[0].v[k][l]), c.out[l][k]) << "lane " << l << " component " << k << " = "
                                                              << lanes.out[0].v[k][l];
      }
  }
}

TEST(DxbcDecode, ConstantBuffersAndComparisonSamples) {
  // Two buffers, one read past its end; a comparison read against a two-texel depth row.
  const std::string text = std::string(kHead) +
                           "dcl_constantbuffer cb0[2], immediateIndexed\ndcl_constantbuffer cb3[1], dynamicIndexed\n"
                           "dcl_sampler s1, mode_comparison\ndcl_resource_texture2d (float,float,float,float) t2\n"
                           "ftoi r0.x, v1.w\nmov o0.x, cb0[1].y\nmov o0.y, cb3[r0.x + 0].x\n"
                           "sample_c_lz o0.z, v1.xyxx, t2.xxxx, s1, v1.z\nresinfo_uint r1.xyzw, l(0), t2.xyzw\n"
                           "iadd o0.w, r1.x, r1.w\nret\n";
  const float cb0[8] = {0, 0, 0, 0, 0, 42.0f, 0, 0};
  const float cb3[4] = {7.0f, 0, 0, 0};
  vm::Bindings b;
  b.buffers[0] = cb0;
  b.bufferRegs[0] = 2;
  b.buffers[3] = cb3;
  b.bufferRegs[3] = 1;
  using namespace plat::gpu;
  const float depths[2] = {0.25f, 0.75f};
  Ref<View> v = textureView(Format::R32F, 2, 1, depths, 8);
  ASSERT_TRUE(v);
  SamplerDesc sd;
  sd.comparison = true;
  sd.compareFunc = Compare::lessEqual;
  TextureSampler smp;
  ASSERT_TRUE(smp.bind(sd, v.get()));
  const std::vector<uint8_t> blob = blobOf(text);
  Shader s;
  std::string reason;
  ASSERT_TRUE(decodeShader(blob.data(), blob.size(), s, reason)) << reason;
  ASSERT_EQ(s.pairs.size(), 2u);  // the comparison read, then the size read through no sampler
  EXPECT_EQ(s.pairs[0].texture, 2);
  EXPECT_EQ(s.pairs[0].sampler, 1);
  EXPECT_EQ(s.pairs[1].sampler, plat::gpu::dxbc::kNoSampler);
  b.samplers[0] = b.samplers[1] = &smp;
  b.quad = true;
  const float v1[4][4] = {{0.25f, 0.5f, 0.5f, 0}, {0.75f, 0.5f, 0.5f, 1}, {0.25f, 0.5f, 0.2f, 2}, {0.75f, 0.5f, 0.9f, -1}};
  vm::Lanes lanes{};
  for (int l = 0; l < 4; ++l) setLane(lanes.in[1], l, v1[l][0], v1[l][1], v1[l][2], v1[l][3]);
  ASSERT_TRUE(vm::run(s.program, b, lanes));
  const float wantCompare[4] = {0.0f, 1.0f, 1.0f, 0.0f};  // reference <= texel
  const float wantBuffer[4] = {7.0f, 0.0f, 0.0f, 0.0f};   // only register 0 exists
  for (int l = 0; l < 4; ++l) {
    SCOPED_TRACE(l);
    EXPECT_EQ(lanes.out[0].v[0][l], 42.0f);
    EXPECT_EQ(lanes.out[0].v[1][l], wantBuffer[l]);
    EXPECT_EQ(lanes.out[0].v[2][l], wantCompare[l]);
    EXPECT_EQ(bitsOf(lanes.out[0].v[3][l]), 2u + 1u);  // width 2 plus one level
  }
}

TEST(DxbcDecode, SwitchAndLoopEqualTheirUnrolledForm) {
  // A switch choosing a weight inside a counted loop, against the same sums written out.
  const std::string looped = std::string(kHead) +
                             "mov r0.xy, l(0, 0, 0, 0)\nloop\nuge r1.x, r0.x, l(4)\nbreakc_nz r1.x\n"
                             "switch r0.x\ncase l(0)\nmov r2.x, l(0.5)\nbreak\ncase l(1)\ncase l(2)\n"
                             "mov r2.x, l(0.25)\nbreak\ndefault\nmov r2.x, l(0.125)\nbreak\nendswitch\n"
                             "itof r1.y, r0.x\nmad r0.y, r2.x, v1.x, r0.y\nadd r0.y, r0.y, r1.y\n"
                             "iadd r0.x, r0.x, l(1)\nendloop\nmov o0.x, r0.y\nmov o0.yzw, l(0, 0, 0, 0)\nret\n";
  const std::string unrolled = std::string(kHead) +
                               "mul r0.y, l(0.5), v1.x\nadd r0.y, r0.y, l(0.0)\nmad r0.y, l(0.25), v1.x, r0.y\nadd r0.y, r0.y, l(1.0)\n"
                               "mad r0.y, l(0.25), v1.x, r0.y\nadd r0.y, r0.y, l(2.0)\n"
                               "mad r0.y, l(0.125), v1.x, r0.y\nadd r0.y, r0.y, l(3.0)\n"
                               "mov o0.x, r0.y\nmov o0.yzw, l(0, 0, 0, 0)\nret\n";
  const float v1[4][4] = {{1, 0, 0, 0}, {-2.5f, 0, 0, 0}, {1e6f, 0, 0, 0}, {0.1f, 0, 0, 0}};
  const vm::Lanes a = runOn(looped, v1), b = runOn(unrolled, v1);
  for (int l = 0; l < 4; ++l) EXPECT_EQ(bitsOf(a.out[0].v[0][l]), bitsOf(b.out[0].v[0][l])) << l;
}

TEST(DxbcDecode, AssembledShadersListBackAndDecode) {
  const std::string dir = shaderDir() + "/dxbc";
  size_t seen = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.path().extension() != ".asm") continue;
    ++seen;
    SCOPED_TRACE(e.path().filename().string());
    const std::vector<uint32_t> w = assembled(readText(e.path().string()));
    std::string listed;
    ASSERT_TRUE(halvorine::shaderasm::list(w.data(), w.size(), listed));
    EXPECT_EQ(assembled(listed), w) << listed;
    Shader s;
    std::string reason;
    EXPECT_TRUE(decodeShader(w.data(), w.size() * 4, s, reason)) << reason;
  }
  EXPECT_GE(seen, 4u);
}

// An output signature may name registers no instruction can write (the checks of the
// declarations stop those): such elements are dropped, so nothing reads past the
// machine's output registers when the program's results are gathered.
TEST(DxbcDecode, SignatureElementsPastTheOutputFileAreDropped) {
  const std::vector<uint8_t> b = blobOf(R"(vs_4_0
isgn POSITION0 v0.xyzw
osgn SV_Position o29.xyzw
osgn TEXCOORD0 o1.xy
dcl_input v0.xyzw
dcl_output o1.xy
mov o1.xy, v0.xyxx
ret
)");
  Shader s;
  std::string reason;
  ASSERT_TRUE(decodeExactBlob(b, s, reason)) << reason;
  EXPECT_EQ(s.program.outputOf(vm::Usage::position, 0), -1);
  for (const vm::Signature& o : s.program.outputs) EXPECT_LT(o.reg, vm::kMaxOutputs);
  EXPECT_EQ(s.program.outputs.size(), 1u);
}

TEST(DxbcDecode, HostileLoopStopsAtTheBudget) {
  const float v1[4][4] = {};
  const std::vector<uint8_t> b = blobOf(std::string(kHead) + "loop\niadd r0.x, r0.x, l(1)\nendloop\nret\n");
  Shader s;
  std::string reason;
  ASSERT_TRUE(decodeShader(b.data(), b.size(), s, reason)) << reason;
  vm::Lanes lanes{};
  (void)v1;
  vm::Bindings none;
  EXPECT_FALSE(vm::run(s.program, none, lanes));
  EXPECT_TRUE(lanes.overBudget);
}

}  // namespace
}  // namespace vmtest

namespace vmtest {
namespace {

// The model 2 and model 4 forms of one effect, on the same quads with the same texture,
// give the same bits.
TEST(DxbcDecode, ModelTwoAndModelFourFormsAgree) {
  using namespace plat::gpu;
  uint8_t texels[64];
  for (int k = 0; k < 64; ++k) texels[k] = uint8_t(k * 37 + 11);
  Ref<View> v = textureView(Format::R8G8B8A8, 4, 4, texels, 16);
  ASSERT_TRUE(v);
  TextureSampler smp;
  ASSERT_TRUE(smp.bind(SamplerDesc{}, v.get()));
  struct Pair {
    const char* file;
    int sm2Coord, sm2Colour;  // input registers of the model 2 form (-1: none)
    int sm4Coord, sm4Colour;
  };
  const Pair pairs[] = {{"textured_modulate.asm", 2, 0, 2, 1}, {"invert.asm", 2, -1, 1, -1}};
  for (const Pair& pr : pairs) {
    SCOPED_TRACE(pr.file);
    const vm::Program two = decoded(readText(shaderDir() + "/" + pr.file));
    const std::vector<uint8_t> blob = blobOf(readText(shaderDir() + "/dxbc/" + pr.file));
    Shader four;
    std::string reason;
    ASSERT_TRUE(decodeShader(blob.data(), blob.size(), four, reason)) << reason;
    vm::Bindings b;
    b.samplers[0] = &smp;
    b.texSize[0][0] = b.texSize[0][1] = 4;
    b.quad = true;
    for (int quad = 0; quad < 16; ++quad) {
      vm::Lanes a{}, c{};
      for (int l = 0; l < 4; ++l) {
        const float u = 0.13f * float(quad) + 0.25f * float(l & 1), w = 0.07f * float(quad) + 0.25f * float(l >> 1);
        const float col[4] = {0.2f + 0.05f * float(quad), 0.9f - 0.1f * float(l), 0.5f, 0.75f};
        setLane(a.in[pr.sm2Coord], l, u, w, 0, 1);
        setLane(c.in[pr.sm4Coord], l, u, w, 0, 1);
        if (pr.sm2Colour >= 0) {
          setLane(a.in[pr.sm2Colour], l, col[0], col[1], col[2], col[3]);
          setLane(c.in[pr.sm4Colour], l, col[0], col[1], col[2], col[3]);
        }
      }
      ASSERT_TRUE(vm::run(two, b, a));
      ASSERT_TRUE(vm::run(four.program, b, c));
      for (int k = 0; k < 4; ++k)
        for (int l = 0; l < 4; ++l)
          EXPECT_EQ(bitsOf(a.out[0].v[k][l]), bitsOf(c.out[0].v[k][l])) << quad << " " << k << " " << l;
    }
  }
}

}  // namespace
}  // namespace vmtest
