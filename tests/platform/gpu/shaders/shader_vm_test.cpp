// The shader machine, instruction group by instruction group: each case is assembled,
// decoded and run on one quad (or a batch of four vertices) against hand values, with the
// lanes taking different sides of branches and loops where the case is about flow.
#include <cmath>

#include "shader_vm_fixture.h"

namespace vmtest {
namespace {

constexpr float X = NAN;  // a component the case does not check

struct Case {
  const char* name;
  const char* text;
  float v0[4][4];     // input register 0, per lane
  float out[4][4];    // output register 0, per lane
  uint32_t discarded;
};

// c0..c7 bound by the stage for every case.
const float kConstants[8][4] = {{0, 0, 0, 0},   {1, 1, 1, 1},      {1, 2, 3, 4},   {10, 20, 30, 40},
                                {100, 200, 300, 400}, {-4, -8, 0.5f, 2}, {0, 0, 0, 0}, {0, 0, 0, 0}};
const int32_t kIntConstants[16][4] = {{3, 0, 1, 0}, {255, 0, 0, 0}};
const int32_t kBoolConstants[16] = {0, 1};

#define PS "ps_3_0\ndcl_texcoord0 v0\n"
#define LANES(a, b, c, d) {{a}, {b}, {c}, {d}}

const Case kCases[] = {
    {"nrm", PS "def c10, 3, 4, 0, 7\nnrm r0.xyz, c10\nmov r0.w, c0.x\nmov oC0, r0", {},
     {{0.6f, 0.8f, 0, 0}, {0.6f, 0.8f, 0, 0}, {0.6f, 0.8f, 0, 0}, {0.6f, 0.8f, 0, 0}}, 0},
    {"frc, abs and negate", PS "def c10, -0.25, 2.5, -3, 1\nfrc r0.xy, c10\nmov r0.z, -c10_abs.z\nabs r0.w, -c10.z\nmov oC0, r0", {},
     {{0.75f, 0.5f, -3, 3}, {0.75f, 0.5f, -3, 3}, {0.75f, 0.5f, -3, 3}, {0.75f, 0.5f, -3, 3}}, 0},
    {"dp2add, dp3, dp4, sub", PS "dp2add r0.x, c2, c3, c1.x\ndp3 r0.y, c2, c2\ndp4 r0.z, c2, c1\nsub r0.w, c2.w, c3.x\nmov oC0, r0", {},
     {{51, 14, 10, -6}, {51, 14, 10, -6}, {51, 14, 10, -6}, {51, 14, 10, -6}}, 0},
    {"lit and pow", PS "def c10, 0.5, 0.25, 0, 2\nlit r0, c10\npow r1.x, c5.x, c5.w\nmov r0.w, r1.x\nmov oC0, r0", {},
     {{1, 0.5f, 0.0625f, 16}, {1, 0.5f, 0.0625f, 16}, {1, 0.5f, 0.0625f, 16}, {1, 0.5f, 0.0625f, 16}}, 0},
    {"sincos, rsq and log of |x|", PS "sincos r0.xy, c0.x\nrsq r0.z, c5.x\nlog r0.w, c5.y\nmov oC0, r0", {},
     {{1, 0, 0.5f, 3}, {1, 0, 0.5f, 3}, {1, 0, 0.5f, 3}, {1, 0, 0.5f, 3}}, 0},
    {"cmp, lrp, min, max, slt, sge", PS
     "def c10, 1, -1, 0, -0.5\ncmp r0, c10, c3, c4\nlrp r1, c5.z, c3, c2\nmin r2, c10, c0\nmax r3, c10, c0\n"
     "slt r4, c10, c0\nsge r5, c10, c0\nmov r0.y, r1.y\nmov r0.z, r2.w\nmov r0.w, r4.y\nadd r0.x, r0.x, r5.w\nmov oC0, r0",
     {}, {{10, 11, -0.5f, 1}, {10, 11, -0.5f, 1}, {10, 11, -0.5f, 1}, {10, 11, -0.5f, 1}}, 0},
    {"lanes take both sides of a dynamic if", PS "def c10, 1.5, 0, 0, 0\nif_lt v0.x, c10.x\nmov r0, c3\nelse\nmov r0, c4\nendif\nmov oC0, r0",
     LANES(0, 1, 2, 3), {{10, 20, 30, 40}, {10, 20, 30, 40}, {100, 200, 300, 400}, {100, 200, 300, 400}}, 0},
    {"nested if on the predicate", PS
     "def c10, 1.5, 0.5, 0, 0\nsetp_gt p0.xy, v0.x, c10\nmov r0, c0\nif p0.x\nif !p0.y\nmov r0, c1\nendif\nelse\nmov r0, c2\nendif\nmov oC0, r0",
     LANES(0, 1, 2, 3), {{1, 2, 3, 4}, {1, 2, 3, 4}, {0, 0, 0, 0}, {0, 0, 0, 0}}, 0},
    {"rep i0", PS "mov r0, c0\nrep i0\nadd r0, r0, c1\nendrep\nmov oC0, r0", {},
     {{3, 3, 3, 3}, {3, 3, 3, 3}, {3, 3, 3, 3}, {3, 3, 3, 3}}, 0},
    {"loop aL with c[aL + 2]", PS "mov r0, c0\nloop aL, i0\nadd r0, r0, c[aL + 2]\nendloop\nmov oC0, r0", {},
     {{111, 222, 333, 444}, {111, 222, 333, 444}, {111, 222, 333, 444}, {111, 222, 333, 444}}, 0},
    {"texkill of a negative component", PS "def c10, -1.5, 0, 0, 0\nadd r0, v0, c10.x\ntexkill r0.x\nmov oC0, c1", LANES(0, 1, 2, 3),
     {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}}, 3},
    {"predicated breakp", PS "mov r0, c0\nrep i1\nadd r0, r0, c1\nsetp_ge p0.x, r0.x, v0.x\nbreakp p0.x\nendrep\nmov oC0, r0",
     {{1, 0, 0, 0}, {2, 0, 0, 0}, {5, 0, 0, 0}, {300, 0, 0, 0}},
     {{1, 1, 1, 1}, {2, 2, 2, 2}, {5, 5, 5, 5}, {255, 255, 255, 255}}, 0},
    {"break inside an if and breakc", PS
     "def c10, 2, 0, 0, 0\nmov r0, c0\nrep i1\nif_ge r0.x, v0.x\nbreak\nendif\nadd r0, r0, c1\nbreak_ge r0.y, c10.x\nendrep\nmov oC0, r0",
     LANES(0, 1, 2, 3), {{0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {2, 2, 2, 2}}, 0},
    {"predicated writes", PS "def c10, 1.5, 0, 0, 0\nsetp_lt p0, v0.x, c10.x\nmov r0, c1\n(p0.x) mov r0, c2\n(!p0.y) mov r0.w, c3.w\nmov oC0, r0",
     LANES(0, 1, 2, 3), {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 1, 1, 40}, {1, 1, 1, 40}}, 0},
    {"call, callnz and ret", PS
     "mov r0, c0\ncall l0\ncallnz l0, b0\ncallnz l0, b1\ncallnz l1, !b0\nmov oC0, r0\nret\nlabel l0\nadd r0, r0, c1\nret\nlabel l1\nadd r0, r0, c3\nret",
     {}, {{12, 22, 32, 42}, {12, 22, 32, 42}, {12, 22, 32, 42}, {12, 22, 32, 42}}, 0},
    {"dsx and dsy of a ramp", PS "dsx r0.xy, v0\ndsy r0.zw, v0.xxxy\nmov oC0, r0",
     {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 3, 0, 0}, {1, 3, 0, 0}}, {{1, 0, 0, 3}, {1, 0, 0, 3}, {1, 0, 0, 3}, {1, 0, 0, 3}}, 0},
    {"saturate and swizzles", PS "def c10, -2, 0.5, 2, 0.25\nmov_sat r0, c10.wzyx\nmul r0.xz, r0, c10.zzxx\nmov oC0, r0", {},
     {{0.5f, 1, -1, 0}, {0.5f, 1, -1, 0}, {0.5f, 1, -1, 0}, {0.5f, 1, -1, 0}}, 0},
    {"crs, sgn and exp", "ps_2_x\ndef c10, 1, 0, 0, 3\ndef c11, 0, 1, 0, -2\ncrs r0.xyz, c10, c11\nexp r1.x, c10.w\nmov r0.w, r1.x\nmov oC0, r0", {},
     {{0, 0, 1, 8}, {0, 0, 1, 8}, {0, 0, 1, 8}, {0, 0, 1, 8}}, 0},
    {"model 2.0 colour and texture inputs", "ps_2_0\ndcl t0.xy\ndcl v0\nmul r0, v0, t0.xyxy\nmov oC0, r0", {},
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}, 0},
    {"m4x4 in a vertex batch", "vs_2_0\ndcl_position v0\nm4x4 oPos, v0, c1",
     {{1, 2, 3, 0}, {1, 2, 3, 0}, {1, 2, 3, 0}, {1, 2, 3, 0}},
     {{6, 14, 140, 1400}, {6, 14, 140, 1400}, {6, 14, 140, 1400}, {6, 14, 140, 1400}}, 0},
};

TEST(ShaderVm, InstructionGroups) {
  vm::Bindings b;
  b.constF = &kConstants[0][0];
  b.constFCount = 8;
  b.constI = &kIntConstants[0][0];
  b.constB = kBoolConstants;
  b.quad = true;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const vm::Program p = decoded(c.text);
    ASSERT_FALSE(p.code.empty());
    vm::Lanes lanes{};
    for (int l = 0; l < vm::kLanes; ++l) setLane(lanes.in[0], l, c.v0[l][0], c.v0[l][1], c.v0[l][2], c.v0[l][3]);
    // The model-2 pixel program reads colour 0 (v0) and texture 0 (t0, input 2).
    const bool model2 = std::string(c.name).rfind("model 2.0", 0) == 0;
    if (model2)
      for (int l = 0; l < vm::kLanes; ++l) setLane(lanes.in[2], l, 2, 3, 0, 0), setLane(lanes.in[0], l, float(l), 5, 1, 0);
    b.quad = p.pixel;
    ASSERT_TRUE(vm::run(p, b, lanes));
    EXPECT_EQ(lanes.discarded, c.discarded);
    for (int l = 0; l < vm::kLanes; ++l)
      for (int k = 0; k < 4; ++k) {
        const float want = model2 ? (k == 0 ? float(l) * 2 : k == 1 ? 15 : k == 2 ? 2 : 0) : c.out[l][k];
        if (want == want) EXPECT_FLOAT_EQ(lanes.out[0].v[k][l], want) << "lane " << l << " component " << k;
      }
  }
}

// The vertex case also writes oT0 from c[a0.x + 1]: per lane, a0 picks another register.
TEST(ShaderVm, RelativeIndexPerLane) {
  const vm::Program p = decoded("vs_2_0\ndcl_position v0\nmova a0.x, v0.x\nmov oT0, c[a0.x + 1]\nmov oPos, c[a0.x + 40]");
  vm::Lanes lanes{};
  for (int l = 0; l < vm::kLanes; ++l) setLane(lanes.in[0], l, float(l) - 0.4f, 0, 0, 0);
  vm::Bindings b;
  b.constF = &kConstants[0][0];
  b.constFCount = 8;
  ASSERT_TRUE(vm::run(p, b, lanes));
  const int oT0 = p.outputOf(vm::Usage::texcoord, 0);
  ASSERT_GE(oT0, 0);
  for (int l = 0; l < vm::kLanes; ++l) {
    EXPECT_EQ(lanes.out[oT0].v[0][l], kConstants[1 + l][0]);
    EXPECT_EQ(lanes.out[0].v[0][l], 0.0f);  // c[40 + l] lies past the bound constants
  }
}

// Two loops of the largest count nested run through; code that could run past the budget
// (a third loop around them, a routine that calls itself) is refused when decoded, with
// the machine's own stop left for loops that end by breaks alone (DXBC `loop`).
TEST(ShaderVm, InstructionBudget) {
  const vm::Program nested = decoded(PS "mov r0, c0\nrep i1\nrep i1\nadd r0, r0, c1\nendrep\nendrep\nmov oC0, r0");
  vm::Bindings b;
  b.constF = &kConstants[0][0];
  b.constFCount = 8;
  b.constI = &kIntConstants[0][0];
  const uint64_t before = vm::budgetStops();
  vm::Lanes lanes{};
  EXPECT_TRUE(vm::run(nested, b, lanes));
  EXPECT_FALSE(lanes.overBudget);
  EXPECT_EQ(lanes.out[0].v[0][3], 65025.0f);
  EXPECT_EQ(vm::budgetStops(), before);
  struct Refused {
    const char* text;
    const char* reason;
  };
  const Refused refused[] = {
      {PS "mov r0, c0\nrep i1\nrep i1\nrep i1\nadd r0, r0, c1\nendrep\nendrep\nendrep\nmov oC0, r0", "limit"},
      {PS "call l0\nmov oC0, c1\nret\nlabel l0\ncall l0\nret", "calls itself"},
  };
  for (const Refused& r : refused) {
    std::vector<uint32_t> w;
    std::string err, reason;
    ASSERT_TRUE(halvorine::shaderasm::assemble(r.text, w, err)) << err;
    vm::Program p;
    EXPECT_FALSE(sm3::decode(w.data(), w.size(), p, reason));
    EXPECT_NE(reason.find(r.reason), std::string::npos) << reason;
  }
}

#undef PS
#undef LANES

}  // namespace
}  // namespace vmtest
