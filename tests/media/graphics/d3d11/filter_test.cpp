// Graph filters and blends on Direct3D 11 against the software path: one table of filter
// kinds and one of blend kinds, each run on the same varied 64 x 64 picture in a software
// session and in a Direct3D 11 session and compared channel by channel; Gauss against a
// separable reference of the same weights; the pass plan, work screens, shader slots and
// the channel-mix shader choice; and the shutdown dump after a filtering run.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "d3d11_fixture.h"
#include "tests/media/graphics/filter_cases.h"
#include "media/base/handle.h"
#include "media/graphics/d3d11/d3d11_filter.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/mask.h"
#include "media/graphics/draw.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/graphics/shader.h"

namespace d3d11test {
namespace {

using namespace filtercases;

class D3D11Filter : public D3D11Test {
 protected:
  static int begin(bool software) { return startOn(software); }

  // Software results, then Direct3D 11 results, compared within the tolerance.
  void compareTable(const std::vector<Request>& table, int tolerance) {
    ASSERT_EQ(begin(true), kGraphicsApiSoftware);
    const auto soft = runAll(table);
    TerminateLibrary();
    ASSERT_EQ(begin(false), kGraphicsApiD3D11);
    const auto hard = runAll(table);
    for (size_t i = 0; i < table.size(); ++i) {
      SCOPED_TRACE(std::string(table[i].name) + " ratio " + std::to_string(table[i].ratio));
      ASSERT_EQ(soft[i].size(), size_t(kSize * kSize * 4));
      ASSERT_EQ(hard[i].size(), soft[i].size());
      int worst = 0;
      size_t at = 0;
      for (size_t k = 0; k < soft[i].size(); ++k) {
        const int d = std::abs(int(soft[i][k]) - int(hard[i][k]));
        if (d > worst) worst = d, at = k;
      }
      EXPECT_LE(worst, tolerance) << "pixel " << at / 4 % kSize << ", " << at / 4 / kSize << " byte " << at % 4
                                  << ": software " << int(soft[i][at]) << ", Direct3D 11 " << int(hard[i][at]);
    }
  }
};

TEST_F(D3D11Filter, FilterShadersGiveTheSoftwareResult) { compareTable(filterTable(), 2); }

TEST_F(D3D11Filter, BlendShadersGiveTheSoftwareResult) { compareTable(blendTable(), 2); }

// A picture wider than the largest texture (several tiles): a kind that works pixel by pixel
// runs cell by cell and reaches both tiles; one that reads neighbours is refused and leaves
// the picture as it was.
TEST_F(D3D11Filter, APictureWiderThanATextureFiltersCellByCellOrIsRefused) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  constexpr int kWide = 17000, kHigh = 4;
  const int picture = makePicture(kWide, kHigh, 0);
  ASSERT_GE(picture, 0);
  const GraphOrigData* orig = GetGraphData(picture)->orig;
  ASSERT_GT(orig->tileCount, 1);
  // Each tile's part, read apart (a read stays inside one texture).
  auto read = [&] {
    std::vector<uint8_t> all;
    for (int i = 0; i < orig->tileCount; ++i) {
      const GraphTextureTile& t = orig->tiles[i];
      const int part = CreatePartGraph(picture, t.x, t.y, t.usedWidth, t.usedHeight);
      const std::vector<uint8_t> bytes = bytesOf(part);
      SubHandle(part);
      all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
  };
  const std::vector<uint8_t> before = read();
  ASSERT_EQ(before.size(), size_t(kWide) * kHigh * 4);
  EXPECT_EQ(GraphFilter(picture, kGraphFilterGauss, 8, 100), -1);
  EXPECT_EQ(read(), before);
  ASSERT_EQ(GraphFilter(picture, kGraphFilterInvert), 0);
  const std::vector<uint8_t> after = read();
  ASSERT_EQ(after.size(), before.size());
  int wrong = 0;
  for (size_t k = 0; k < after.size(); ++k)
    if (after[k] != (k % 4 == 3 ? before[k] : uint8_t(255 - before[k]))) ++wrong;
  EXPECT_EQ(wrong, 0);
  SubHandle(picture);
}

TEST_F(D3D11Filter, GaussBlursOnceEachWayWithTheSoftwareWeights) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  for (const int width : {8, 16, 32}) {
    SCOPED_TRACE(width);
    const int picture = makePicture(kSize, kSize, 0);
    const std::vector<uint8_t> before = bytesOf(picture);
    const int args[2] = {width, 300};
    ASSERT_EQ(GraphFilterBlendWithArgs(0, picture, -1, picture, 0, kGraphFilterGauss, 0, 0, kSize, kSize, 0, 0, 0,
                                       0, 0, args, 2),
              0);
    const std::vector<uint8_t> after = bytesOf(picture);
    const float* w = GetGraphFilterGaussWeights(width, 3.0f);
    for (int c = 0; c < 4; ++c) {
      std::vector<float> plane(kSize * kSize);
      for (int i = 0; i < kSize * kSize; ++i) plane[i] = before[size_t(i) * 4 + c];
      plane = blurLine(plane, kSize, 1, kSize, w, width / 2);      // along rows
      plane = blurLine(plane, kSize, kSize, kSize, w, width / 2);  // along columns
      int worst = 0;
      for (int i = 0; i < kSize * kSize; ++i) worst = std::max(worst, std::abs(int(plane[i]) - after[size_t(i) * 4 + c]));
      EXPECT_LE(worst, 2) << "channel " << c;
    }
    SubHandle(picture);
  }
}

TEST_F(D3D11Filter, PassPlanWorkScreensAndShaderSlots) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int picture = makePicture(kSize, kSize, 0);
  const int target = makeDrawable(kSize, kSize);
  ASSERT_GE(target, 0);

  // Gauss plans two passes through a work screen; Hsb one; a moved blend needs a work flag.
  GraphFilterInfo info{};
  info.kind = kGraphFilterGauss, info.x2 = info.y2 = kSize, info.source = info.destination = picture;
  Graphics_D3D11_FilterPass_SelectSampling(&info, nullptr);
  EXPECT_EQ(info.passCount, 2);
  EXPECT_EQ(info.workFlag, 1);
  info.kind = kGraphFilterHsb;
  Graphics_D3D11_FilterPass_SelectSampling(&info, nullptr);
  EXPECT_EQ(info.passCount, 1);
  EXPECT_EQ(info.workFlag, 0);
  info.blendFlag = 1, info.kind = kGraphBlendAdd, info.destX = 4;
  Graphics_D3D11_FilterPass_SelectSampling(&info, nullptr);
  EXPECT_EQ(info.workFlag, 1);

  // A blend at the source corner goes straight into a drawable destination.
  info = GraphFilterInfo{};
  info.blendFlag = 1, info.kind = kGraphBlendAdd, info.x2 = info.y2 = kSize;
  info.source = picture, info.destination = target;
  Graphics_D3D11_FilterPass_SelectSampling(&info, nullptr);
  int source = picture, dest = -1;
  ASSERT_EQ(Graphics_D3D11_FilterPass_Begin(&info, &source, &dest), 0);
  EXPECT_EQ(dest, target);
  // A one-pass filter in place on a picture of one tile draws straight into the picture,
  // which stays not drawable for anything else.
  info = GraphFilterInfo{};
  info.kind = kGraphFilterMono, info.x2 = info.y2 = kSize, info.source = info.destination = picture;
  Graphics_D3D11_FilterPass_SelectSampling(&info, nullptr);
  source = picture, dest = -1;
  ASSERT_EQ(Graphics_D3D11_FilterPass_Begin(&info, &source, &dest), 0);
  EXPECT_EQ(source, picture);
  EXPECT_EQ(dest, picture);
  EXPECT_EQ(SetDrawTarget(picture), -1);
  // The first Gauss pass into the same graph draws into a work screen.
  info.blendFlag = 0, info.kind = kGraphFilterGauss, info.destination = picture;
  Graphics_D3D11_FilterPass_SelectSampling(&info, nullptr);
  ASSERT_EQ(Graphics_D3D11_FilterPass_Begin(&info, &source, &dest), 0);
  EXPECT_NE(dest, picture);
  EXPECT_EQ(dest, Graphics_D3D11_Filter_CreateWorkScreen(0, kSize, kSize, 0));

  // A work screen is square and a power of two; the same size comes back from the cache.
  const int work = Graphics_D3D11_Filter_CreateWorkScreen(0, 300, 200, 0);
  int w = 0, h = 0;
  ASSERT_EQ(GetGraphSize(work, &w, &h), 0);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 512);
  EXPECT_EQ(Graphics_D3D11_Filter_CreateWorkScreen(0, 400, 512, 0), work);
  SubHandle(work);
  EXPECT_NE(Graphics_D3D11_Filter_CreateWorkScreen(0, 300, 200, 0), work);

  // DownScale by 4 writes a quarter-size result at the destination.
  const int small = makeDrawable(kSize, kSize);
  const int four[1] = {4};
  ASSERT_EQ(GraphFilterBlendWithArgs(0, picture, -1, small, 0, kGraphFilterDownScale, 0, 0, kSize, kSize, 0, 0, 0,
                                     0, 0, four, 1),
            0);
  const std::vector<uint8_t> reduced = bytesOf(small);
  EXPECT_NE(reduced[size_t(15 * kSize + 15) * 4 + 3], 0);  // inside the 16 x 16 result
  EXPECT_EQ(reduced[size_t(16 * kSize + 16) * 4 + 3], 0);  // outside it nothing was drawn

  // Filter shader slots follow their handles: deleted, they read -1 and come back on use.
  for (int round = 0; round < 3; ++round) {
    const int mono[2] = {10, 20};
    ASSERT_EQ(GraphFilterBlendWithArgs(0, picture, -1, picture, 0, kGraphFilterMono, 0, 0, kSize, kSize, 0, 0, 0,
                                       0, 0, mono, 2),
              0);
    const int handle = GraphFilterShaderHandleTable[kFNMono];
    ASSERT_NE(GetShaderData(handle, 0), nullptr);
    SubHandle(handle);
    EXPECT_EQ(GraphFilterShaderHandleTable[kFNMono], -1);
  }
}

TEST_F(D3D11Filter, ShadersComeBackAfterTheDeviceIsMadeAgain) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  const int invert[1] = {0};
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const int picture = makePicture(kSize, kSize, round);
    const std::vector<uint8_t> before = bytesOf(picture);
    ASSERT_EQ(GraphFilterBlendWithArgs(0, picture, -1, picture, 0, kGraphFilterInvert, 0, 0, kSize, kSize, 0, 0, 0,
                                       0, 0, invert, 0),
              0);
    EXPECT_NE(GraphFilterShaderHandleTable[kFNInvert], -1);
    const std::vector<uint8_t> after = bytesOf(picture);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[1], 255 - before[1]);
    // A new screen mode makes the device again: the filter shaders go with the old one.
    ASSERT_EQ(SetScreenMode(round % 2 ? 640 : 800, round % 2 ? 480 : 600, 32, 0), 0);
    EXPECT_EQ(GraphFilterShaderHandleTable[kFNInvert], -1);
    SubHandle(picture);
  }
}

TEST_F(D3D11Filter, ResamplersScaleASmoothPictureUp) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  // Red and green rise by 4 a pixel: a doubled picture rises by 2 a pixel in between.
  BaseImage image{};
  ASSERT_EQ(CreateARGB8ColorBaseImage(kSize, kSize, &image), 0);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) SetBaseImagePixel(&image, x, y, x * 4, y * 4, 100, 255);
  const int picture = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
  ReleaseBaseImage(&image);
  for (const int type : {kGraphFilterBicubic, kGraphFilterLanczos3}) {
    SCOPED_TRACE(type);
    const int target = makeDrawable(kSize * 2, kSize * 2);
    const int size[2] = {kSize * 2, kSize * 2};
    ASSERT_EQ(GraphFilterBlendWithArgs(0, picture, -1, target, 0, type, 0, 0, kSize, kSize, 0, 0, 0, 0, 0, size, 2),
              0);
    const std::vector<uint8_t> out = bytesOf(target);
    ASSERT_EQ(out.size(), size_t(kSize * kSize * 16));
    int worst = 0;
    for (int y = 8; y < kSize * 2 - 8; ++y)
      for (int x = 8; x < kSize * 2 - 8; ++x) {
        const uint8_t* p = &out[(size_t(y) * kSize * 2 + x) * 4];  // B, G, R, A
        worst = std::max({worst, std::abs(p[2] - (2 * x - 1)), std::abs(p[1] - (2 * y - 1)), std::abs(p[0] - 100)});
      }
    EXPECT_LE(worst, 2);
    SubHandle(target);
  }
}

TEST(D3D11FilterMix, ChoosesIndexedNamedOrBaseShaders) {
  HwMixChoice c = HwChooseMix(4, 4, 4, 0);
  EXPECT_STREQ(c.name, "RGBAMix_SRSRSRBR.pso");
  EXPECT_TRUE(c.swap);
  c = HwChooseMix(0, 1, 2, 7);
  EXPECT_STREQ(c.name, "RGBAMix_SRSGSBBA.pso");
  EXPECT_FALSE(c.swap);
  c = HwChooseMix(1, 2, 3, 0);
  EXPECT_EQ(c.index, 0 + 4 * (3 + 4 * (2 + 4 * 1)));
  EXPECT_FALSE(c.swap);
  c = HwChooseMix(5, 6, 7, 4);
  EXPECT_EQ(c.index, 0 + 4 * (3 + 4 * (2 + 4 * 1)));
  EXPECT_TRUE(c.swap);
  c = HwChooseMix(1, 5, 2, 6);
  EXPECT_STREQ(c.name, "RGBAMix_Base.pso");
  EXPECT_EQ(c.index, -1);
  // Every choice has a slot of its own.
  std::vector<int> owner(kGraphFilterShaderSlots, -1);
  for (int r = 0; r < 8; ++r)
    for (int g = 0; g < 8; ++g)
      for (int b = 0; b < 8; ++b)
        for (int a = 0; a < 8; ++a) {
          c = HwChooseMix(r, g, b, a);
          ASSERT_GE(c.slot, kFNRGBAMixBase);
          ASSERT_LT(c.slot, kGraphFilterGammaGraphSlot);
          const int key = c.index >= 0 ? c.index : 1000 + int(std::hash<std::string>{}(c.name) % 100000);
          if (owner[size_t(c.slot)] < 0) owner[size_t(c.slot)] = key;
          EXPECT_EQ(owner[size_t(c.slot)], key) << r << g << b << a;
        }
}

TEST_F(D3D11Filter, ShutdownLeavesNoObjectAfterFilteringAndMasking) {
  ASSERT_EQ(begin(false), kGraphicsApiD3D11);
  for (int round = 0; round < 3; ++round) {
    const int picture = makePicture(kSize, kSize, round);
    const int blendGraph = makePicture(kSize, kSize, round + 1);
    const int gauss[2] = {16, 200}, mix[4] = {4, 4, 4, 0};
    GraphFilterBlendWithArgs(0, picture, -1, picture, 0, kGraphFilterGauss, 0, 0, kSize, kSize, 0, 0, 0, 0, 0,
                             gauss, 2);
    GraphFilterBlendWithArgs(1, picture, blendGraph, picture, 200, kGraphBlendRGBAMix, 0, 0, kSize, kSize, 0, 0, 0,
                             8, 8, mix, 4);
    DrawGraph(10, 10, picture, 1);
    // A masked draw of the picture too.
    ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
    ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
    DrawGraph(30, 30, picture, 1);
    ASSERT_EQ(SetUseMaskScreenFlag(0), 0);
    if (round == 1) {
      ASSERT_EQ(DeleteMaskScreen(), 0);
    }
    SubHandle(picture);
    SubHandle(blendGraph);
  }
  forgetLog();
  TerminateLibrary();
  EXPECT_TRUE(LogCapture::contains(u"Direct3D11 のオブジェクト数を出力\nDirect3D11 のオブジェクト合計数 : 0"));
}

}  // namespace
}  // namespace d3d11test
