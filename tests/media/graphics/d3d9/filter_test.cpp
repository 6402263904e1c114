// Graph filters and blends on Direct3D 9 against the software path: the shared tables of
// filter and blend kinds, each run on the same varied picture in a software session and
// in a Direct3D 9 session and compared channel by channel; Gauss against a separable
// reference of the same weights; the resamplers against their taps; the pass plan, work
// screens, a shader that cannot be loaded, and the device state a filter leaves.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "d3d9_fixture.h"
#include "media/graphics/d3d9/d3d9_filter.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shader.h"
#include "tests/media/graphics/filter_cases.h"
#include "tools/shaderasm/shader_asm.h"

namespace d3d9test {
namespace {

using namespace filtercases;

// A graph's bytes B, G, R, A as its texture holds them, row by row (one piece).
std::vector<uint8_t> textureBytes(int graph) {
  std::vector<uint8_t> out;
  GraphData* g = GetGraphData(graph);
  if (g == nullptr || g->pieceCount != 1) return out;
  const GraphDrawPiece& p = g->pieces[0];
  IDirect3DTexture9* texture = D3D9_TileTexture(p.tile)->texture;
  const plat::win::RECT r{p.tileX, p.tileY, p.tileX + g->area.width, p.tileY + g->area.height};
  D3DLOCKED_RECT locked{};
  if (texture == nullptr || Direct3DTexture9_LockRect(texture, 0, &locked, &r, D3DLOCK_READONLY) != D3D_OK) return out;
  for (int y = 0; y < g->area.height; ++y) {
    const auto* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
    out.insert(out.end(), row, row + size_t(g->area.width) * 4);
  }
  Direct3DTexture9_UnlockRect(texture, 0);
  return out;
}

class D3D9Filter : public D3D9BackEnd {
 protected:
  // Software results, then Direct3D 9 results, compared within the tolerance.
  void compareTable(const std::vector<Request>& table, int tolerance, const Sheet& sheet = Sheet{}) {
    // Both sessions hold their pictures in 32 bits.
    setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    SetScreenMode(640, 480, 32, 0);
    ASSERT_EQ(startWindowed(), 0);
    ASSERT_EQ(GraphicsApiType, kGraphicsApiSoftware);
    const auto soft = runAll(table, bytesOf, sheet);
    TerminateLibrary();
    setenv("HALVORINE_MISSING", "d3d11", 1);
    SetScreenMode(640, 480, 32, 0);
    attach();
    ASSERT_EQ(ProgrammableShaderFlag, 1);
    const auto hard = runAll(table, textureBytes, sheet);
    for (size_t i = 0; i < table.size(); ++i) {
      SCOPED_TRACE(std::string(table[i].name) + " ratio " + std::to_string(table[i].ratio));
      ASSERT_EQ(soft[i].size(), size_t(sheet.width * sheet.height * 4));
      ASSERT_EQ(hard[i].size(), soft[i].size());
      size_t at = 0;
      const int worst = worstDifference(soft[i], hard[i], &at);
      EXPECT_LE(worst, tolerance) << "pixel " << at / 4 % sheet.width << ", " << at / 4 / sheet.width << " byte "
                                  << at % 4
                                  << ": software " << int(soft[i][at]) << ", Direct3D 9 " << int(hard[i][at]);
    }
  }

  static int run(int blend, int type, int source, int blendGraph, int dest, std::vector<int> args, int ratio = 255) {
    return GraphFilterBlendWithArgs(blend, source, blendGraph, dest, ratio, type, 0, 0, kSize, kSize, 0, 0, 0, 0, 0,
                                    args.data(), int(args.size()));
  }
};

// A test shader kept as text beside the shader-machine tests, assembled.
std::vector<uint32_t> testProgram(const char* name) {
  std::ifstream f(std::string(HALVORINE_SOURCE_DIR) + "/tests/platform/gpu/shaders/" + name);
  std::ostringstream text;
  text << f.rdbuf();
  std::vector<uint32_t> words;
  std::string err;
  EXPECT_TRUE(halvorine::shaderasm::assemble(text.str(), words, err)) << name << ": " << err;
  return words;
}

TEST_F(D3D9Filter, UserProgramsRunThroughThePassAsTheBuiltInShaders) {
  const std::vector<Request> table = {{"Mono", 0, kGraphFilterMono, {60, -40}},
                                      {"MonoCbCr", 0, kGraphFilterMono, {-20, 30}},
                                      {"Invert", 0, kGraphFilterInvert, {}}};
  const int slots[3] = {kFNMono, kFNMono, kFNInvert};
  setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
  SetScreenMode(640, 480, 32, 0);
  ASSERT_EQ(startWindowed(), 0);
  const auto soft = runAll(table);
  TerminateLibrary();
  setenv("HALVORINE_MISSING", "d3d11", 1);
  SetScreenMode(640, 480, 32, 0);
  attach();
  const auto builtIn = runAll(table, textureBytes);

  // The user's own selection, which every pass must leave as it found it.
  const int own = MakeGraph(8, 8), ownSecond = MakeGraph(8, 8);
  const std::vector<uint32_t> invert = testProgram("invert.asm"), mono = testProgram("mono.asm");
  const int userInvert = LoadPixelShaderFromMem(invert.data(), int(invert.size() * 4));
  const int userMono = LoadPixelShaderFromMem(mono.data(), int(mono.size() * 4));
  ASSERT_GT(userInvert, 0);
  ASSERT_GT(userMono, 0);
  ASSERT_EQ(SetUsePixelShader(userInvert), 0);
  ASSERT_EQ(SetUseTextureToShader(0, own), 0);
  ASSERT_EQ(SetUseTextureToShader(1, ownSecond), 0);
  const ShaderSelection selected = ShaderUse;
  for (const int slot : {kFNMono, kFNInvert}) {
    SubHandle(GraphFilterShaderHandleTable[slot]);
    ASSERT_EQ(SetGraphFilterShaderHandle(slot, slot == kFNMono ? userMono : userInvert), 0);
  }
  const auto user = runAll(table, textureBytes);
  EXPECT_EQ(std::memcmp(&selected, &ShaderUse, sizeof selected), 0);
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(table[i].name);
    EXPECT_EQ(GraphFilterShaderHandleTable[slots[i]], slots[i] == kFNMono ? userMono : userInvert);
    ASSERT_EQ(user[i].size(), size_t(kSize * kSize * 4));
    EXPECT_EQ(user[i], builtIn[i]);
    size_t at = 0;
    EXPECT_LE(worstDifference(soft[i], user[i], &at), 1) << "byte " << at;
  }
  SetUsePixelShader(0);
  SetUseTextureToShader(0, -1);
  SetUseTextureToShader(1, -1);
  for (int h : {userInvert, userMono, own, ownSecond}) SubHandle(h);
}

TEST_F(D3D9Filter, FilterShadersGiveTheSoftwareResult) { compareTable(filterTable(), 2); }

TEST_F(D3D9Filter, BlendShadersGiveTheSoftwareResult) {
  std::vector<Request> table = blendTable();
  // The ratios the blends are checked at here: a quarter and whole.
  for (Request& r : table)
    if (r.ratio == 128) r.ratio = 64;
  table.push_back({"MixGreyAlpha", 1, kGraphBlendRGBAMix, {0, 0, 0, 7}});
  compareTable(table, 2);
}

// Neighbours far apart and a size of no power of two: a pixel centre that lands a hair off
// its texel centre must still read that texel alone.
TEST_F(D3D9Filter, LevelAndBlendsMatchSoftwareOnHighContrastOddPictures) {
  std::vector<Request> table = blendTable();
  table.push_back({"Level", 0, kGraphFilterLevel, {50, 60, 40, 0, 255}});
  table.push_back({"LevelWide", 0, kGraphFilterLevel, {16, 240, 150, 0, 255}});
  compareTable(table, 2, Sheet{37, 29, true});
}

TEST_F(D3D9Filter, GaussBlursOnceEachWayThroughAWorkScreen) {
  attach();
  for (const int width : {8, 16, 32}) {
    SCOPED_TRACE(width);
    const int picture = makePicture(kSize, kSize, 0);
    const std::vector<uint8_t> before = textureBytes(picture);
    ASSERT_EQ(run(0, kGraphFilterGauss, picture, -1, picture, {width, 300}), 0);
    const std::vector<uint8_t> after = textureBytes(picture);
    const float* w = GetGraphFilterGaussWeights(width, 3.0f);
    for (int c = 0; c < 4; ++c) {
      std::vector<float> plane(kSize * kSize);
      for (int i = 0; i < kSize * kSize; ++i) plane[i] = before[size_t(i) * 4 + c];
      plane = blurLine(plane, kSize, 1, kSize, w, width / 2);
      plane = blurLine(plane, kSize, kSize, kSize, w, width / 2);
      int worst = 0;
      for (int i = 0; i < kSize * kSize; ++i) worst = std::max(worst, std::abs(int(plane[i]) - after[size_t(i) * 4 + c]));
      EXPECT_LE(worst, 2) << "channel " << c;
    }
    SubHandle(picture);
  }
}

// The taps of the resamplers: cubic convolution (a = -0.5) over four texels and the
// three-lobe Lanczos window over six, clamped at the edges.
double cubic(double x) {
  x = std::fabs(x);
  return x < 1 ? (1.5 * x - 2.5) * x * x + 1 : x < 2 ? ((-0.5 * x + 2.5) * x - 4) * x + 2 : 0;
}
double lanczos3(double x) {
  if (x == 0) return 1;
  if (std::fabs(x) >= 3) return 0;
  const double p = M_PI * x;
  return 3 * std::sin(p) * std::sin(p / 3) / (p * p);
}

TEST_F(D3D9Filter, ResamplersFollowTheirTaps) {
  attach();
  const int picture = makePicture(kSize, kSize, 0);
  const std::vector<uint8_t> src = textureBytes(picture);
  constexpr int kW = 96, kH = 96;  // 1.5 times the picture
  for (const int type : {kGraphFilterBicubic, kGraphFilterLanczos3}) {
    SCOPED_TRACE(type);
    const int taps = type == kGraphFilterBicubic ? 4 : 6;
    double (*kernel)(double) = type == kGraphFilterBicubic ? cubic : lanczos3;
    const int target = makeDrawable(kW, kH);
    ASSERT_EQ(GraphFilterBlendWithArgs(0, picture, -1, target, 0, type, 0, 0, kSize, kSize, 0, 0, 0, 0, 0,
                                       std::vector<int>{kW, kH}.data(), 2),
              0);
    const std::vector<uint8_t> out = textureBytes(target);
    ASSERT_EQ(out.size(), size_t(kW * kH * 4));
    int worst = 0;
    for (int y = 2; y < kH - 2; ++y)
      for (int x = 2; x < kW - 2; ++x) {
        const double sx = (x + 0.5) * kSize / kW - 0.5, sy = (y + 0.5) * kSize / kH - 0.5;
        const int bx = int(std::floor(sx)) - taps / 2 + 1, by = int(std::floor(sy)) - taps / 2 + 1;
        for (int c = 0; c < 3; ++c) {
          double sum = 0, weight = 0;
          for (int j = 0; j < taps; ++j)
            for (int i = 0; i < taps; ++i) {
              const double k = kernel(sx - (bx + i)) * kernel(sy - (by + j));
              const int px = std::clamp(bx + i, 0, kSize - 1), py = std::clamp(by + j, 0, kSize - 1);
              sum += k * src[(size_t(py) * kSize + px) * 4 + c];
              weight += k;
            }
          const int want = std::clamp(int(std::lround(sum / weight)), 0, 255);
          worst = std::max(worst, std::abs(want - out[(size_t(y) * kW + x) * 4 + c]));
        }
      }
    EXPECT_LE(worst, 3);
    SubHandle(target);
  }
}

TEST_F(D3D9Filter, PassPlanWorkScreensAndALostShader) {
  attach();
  const int picture = makePicture(kSize, kSize, 0);
  GraphFilterInfo info{};
  GraphFilterParam param{};
  info.kind = kGraphFilterGauss, info.x2 = info.y2 = kSize, info.source = info.destination = picture;
  Graphics_D3D9_FilterPass_SelectSampling(&info, &param);
  EXPECT_EQ(info.passCount, 2);
  EXPECT_EQ(info.workFlag, 1);
  info.kind = kGraphFilterHsb;
  Graphics_D3D9_FilterPass_SelectSampling(&info, &param);
  EXPECT_EQ(info.passCount, 2);
  param.ints[0] = 1;
  Graphics_D3D9_FilterPass_SelectSampling(&info, &param);
  EXPECT_EQ(info.passCount, 1);
  Graphics_D3D9_FilterPass_CopyResult(&info, picture, -1);

  // Hue lock runs one pass with its own shader; mode 0 the pair.
  ASSERT_EQ(run(0, kGraphFilterHsb, picture, -1, picture, {1, 100, 0, 0}), 0);
  EXPECT_NE(GetShaderData(GraphFilterShaderHandleTable[kFNHsb + 1], 0), nullptr);
  EXPECT_EQ(GetShaderData(GraphFilterShaderHandleTable[kHwHsbSecondSlot], 0), nullptr);
  ASSERT_EQ(run(0, kGraphFilterHsb, picture, -1, picture, {0, 100, 0, 0}), 0);
  EXPECT_NE(GetShaderData(GraphFilterShaderHandleTable[kHwHsbSecondSlot], 0), nullptr);

  // A work screen is square and a power of two.
  const int work = Graphics_D3D9_Filter_CreateWorkScreen(0, 300, 200, 0);
  int w = 0, h = 0;
  ASSERT_EQ(GetGraphSize(work, &w, &h), 0);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 512);
  EXPECT_EQ(Graphics_D3D9_Filter_CreateWorkScreen(0, 512, 400, 0), work);

  // The draw settings, targets and device state are those from before the filters.
  const DrawSettings before = GraphicsDrawSettings;
  const D3D9DeviceStateCache& c = D3D9State;
  IDirect3DSurface9* target = c.targets[0];
  const D3DVIEWPORT9 viewport = c.viewport;
  const int zEnable = c.zEnable, filter = c.textureFilter;
  IDirect3DPixelShader9* shader = c.pixelShader;
  const ShaderSelection selected = ShaderUse;
  const int useSets = D3D9ShaderConstantSys.activeMask;
  for (const auto& r : filterTable())
    if (r.args.empty() || (r.args[0] != -1000 && r.args[0] != -1001)) run(r.blend, r.type, picture, -1, picture, r.args);
  EXPECT_EQ(std::memcmp(&before, &GraphicsDrawSettings, sizeof before), 0);
  EXPECT_EQ(c.targets[0], target);
  EXPECT_EQ(std::memcmp(&viewport, &c.viewport, sizeof viewport), 0);
  EXPECT_EQ(c.zEnable, zEnable);
  EXPECT_EQ(c.textureFilter, filter);
  EXPECT_EQ(c.pixelShader, shader);
  EXPECT_EQ(std::memcmp(&selected, &ShaderUse, sizeof selected), 0);
  EXPECT_EQ(D3D9ShaderConstantSys.activeMask, useSets);

  // A filter whose shader cannot be made is logged and refused; the front carries on.
  D3D9Packages& p = D3D9PackageSys;
  SubHandle(GraphFilterShaderHandleTable[kFNMono]);
  Archive saved = p.filterArchive;
  std::memset(&p.filterArchive, 0, sizeof p.filterArchive);
  ArchiveInitialize(&p.filterArchive);
  const std::vector<uint8_t> kept = textureBytes(picture);
  run(0, kGraphFilterMono, picture, -1, picture, {10, 20});
  EXPECT_TRUE(logged(u"フィルター用シェーダーの作成に失敗しました Mono.pso"));
  EXPECT_EQ(textureBytes(picture), kept);
  p.filterArchive = saved;
  EXPECT_EQ(run(0, kGraphFilterMono, picture, -1, picture, {10, 20}), 0);
  EXPECT_NE(textureBytes(picture), kept);
  SubHandle(picture);
}

}  // namespace
}  // namespace d3d9test
