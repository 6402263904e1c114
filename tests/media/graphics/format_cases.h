// Shared by the format-table tests of both hardware back ends: creation settings that reach
// each pixel-format index a request can select, a known picture, and the comparison of
// read-back colours within the precision of the format's channels.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_types.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/pixel_read.h"
#include "media/graphics/pixel_format.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_display.h"

namespace formattest {

using namespace ZaDod;

// One way to make a graph of pixel-format index `index` (no block kinds).
struct FormatCase {
  int index;
  SetupGraphParam param;
  int colorKey, paletteBits;
};

// The first settings found for every index a plain request can select, in index order.
inline std::vector<FormatCase> reachableFormatCases() {
  std::vector<FormatCase> found(kPixelFormatTableSize, FormatCase{-1, {}, 0, 0});
  const GraphDeviceState device{1, 32};
  for (int drawable = 0; drawable < 2; ++drawable)
    for (int key = 0; key < 3; ++key)  // none, 4-bit palette, 8-bit palette
      for (int bits : {16, 32, 64, 128})
        for (int alpha = 0; alpha < 2; ++alpha)
          for (int test = 0; test < 2; ++test)
            for (int isFloat = 0; isFloat < 2; ++isFloat)
              for (int channels : {0, 1, 2, 4})
                for (int channelBits : {0, 8, 16, 32}) {
                  SetupGraphParam p{};
                  if (drawable)
                    InitSetupGraphParamDrawable(&p, bits, alpha);
                  else
                    InitSetupGraphParam(&p, bits, alpha, test);
                  p.floatType = p.drawableFloat = isFloat;
                  p.channelNum = p.drawableChannelNum = channels;
                  p.channelBitDepth = channelBits;
                  GraphFormatRequest request{};
                  BuildGraphFormatRequest(&request, &p, &device, 8, 8, alpha, key != 0, key == 1 ? 4 : 8, 0, 1);
                  const int index = SelectPixelFormatIndex(&request);
                  if (index >= 0 && index < kPixelFormatTableSize && found[size_t(index)].index < 0)
                    found[size_t(index)] = FormatCase{index, p, key != 0, key == 1 ? 4 : 8};
                }
  std::vector<FormatCase> out;
  for (const FormatCase& c : found)
    if (c.index >= 0) out.push_back(c);
  return out;
}

// An opaque 8 x 8 picture of distinct colours (a ramp per channel), ARGB words.
inline uint32_t knownColour(int x, int y) {
  const uint32_t r = uint32_t(x * 32 + 16), g = uint32_t(y * 32 + 8), b = uint32_t((x + y) * 15 + 10);
  return 0xFF000000u | r << 16 | g << 8 | b;
}
inline BaseImage knownPicture() {
  BaseImage image{};
  CreateARGB8ColorData(&image.format);
  image.width = image.height = 8;
  image.pitch = 32;
  auto* p = static_cast<uint32_t*>(MemAlloc(64 * 4, __FILE__, __LINE__));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) p[y * 8 + x] = knownColour(x, y);
  image.pixels = p;
  return image;
}

// The largest difference an 8-bit value may show after a trip through `bits` stored bits
// (integer) or a half float (1/1024 relative, at least 1 step).
inline int channelTolerance(int bits, bool isFloat, int value) {
  if (isFloat) return bits >= 32 ? 0 : int(std::ceil(value / 1024.0)) + 1;
  if (bits >= 8) return bits == 8 ? 0 : 1;
  return int(std::ceil(255.0 / double((1 << bits) - 1)));
}

// Which of red, green, blue (and alpha) a layout stores, and their widths.
struct StoredChannels {
  int bits[4];  // 0: not stored
  bool isFloat;
};
inline StoredChannels storedChannels(const PixelFormatDesc& d) {
  if (d.channelCount != 0) {
    StoredChannels s{{0, 0, 0, 0}, d.floatFlag != 0};
    for (int k = 0; k < d.channelCount && k < 4; ++k) s.bits[k] = d.channelBits;
    return s;
  }
  return StoredChannels{{d.redWidth, d.greenWidth, d.blueWidth, d.alphaWidth}, false};
}

// Each stored channel of `got` (0xAARRGGBB) against `want` within the layout's precision.
inline ::testing::AssertionResult closeInLayout(const PixelFormatDesc& d, uint32_t want, uint32_t got) {
  const StoredChannels s = storedChannels(d);
  const int shift[4] = {16, 8, 0, 24};
  for (int k = 0; k < 4; ++k) {
    if (s.bits[k] == 0) continue;
    const int w = int(want >> shift[k] & 0xFF), g = int(got >> shift[k] & 0xFF);
    if (std::abs(w - g) > channelTolerance(s.bits[k], s.isFloat, w))
      return ::testing::AssertionFailure() << "channel " << k << ": want " << w << " got " << g;
  }
  return ::testing::AssertionSuccess();
}

// The 8 x 8 pixels of a graph read back through the draw-target lock, 0xAARRGGBB; empty
// when the lock fails.
inline std::vector<uint32_t> readGraph(int graph, PixelFormatDesc* layout) {
  BaseImage image{};
  const ImageRect whole{0, 0, 8, 8};
  std::vector<uint32_t> out;
  if (LockDrawTargetBuffer(&whole, &image, graph, 0, 1) != 0) return out;
  *layout = image.format;
  out.assign(64, 0);
  if (ReadTexelsARGB(&image.format, image.pixels, image.pitch, 8, 8, out.data(), false) < 0) out.clear();
  UnlockDrawTargetBuffer();
  return out;
}

// Whether a layout holds red, green and blue, so a draw of it shows the picture's colours.
inline bool holdsColour(const PixelFormatDesc& d) {
  const StoredChannels s = storedChannels(d);
  return s.bits[0] != 0 && s.bits[1] != 0 && s.bits[2] != 0;
}

// Upload, read back and draw: the known picture within the precision of the graph's
// texture format, on the screen too when the format holds red, green and blue.
inline void checkHoldsPicture(int graph) {
  BaseImage picture = knownPicture();
  const ImageRect whole{0, 0, 8, 8};
  ASSERT_EQ(BltBaseImageToGraph(&whole, 0, 0, graph, &picture, nullptr, 0, 0), 0);
  MemFree(picture.pixels);
  PixelFormatDesc layout{};
  const std::vector<uint32_t> back = readGraph(graph, &layout);
  ASSERT_EQ(back.size(), 64u);
  for (int i = 0; i < 64; ++i)
    ASSERT_TRUE(closeInLayout(layout, knownColour(i % 8, i / 8), back[size_t(i)])) << "texel " << i;
  if (!holdsColour(layout)) return;
  ClearDrawTarget(nullptr);
  ASSERT_EQ(DrawGraph(100, 100, graph, 0), 0);
  PixelFormatDesc opaque = layout;
  opaque.alphaWidth = 0;
  if (opaque.channelCount == 4) opaque.channelCount = 3;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_TRUE(closeInLayout(opaque, knownColour(x, y), GetDrawTargetPixel(100 + x, 100 + y))) << x << ", " << y;
}

// Every reachable index against a back end's format table (`table`, of its API format
// type): the graph's texture (`formatOf`) is the surveyed row and holds the picture; a row
// emptied refuses the graph with the logged reason (`forgetLog`, `logged`).
template <class Api, class FormatOf, class Forget, class Logged>
void checkEveryIndex(Api* table, FormatOf&& formatOf, Forget&& forgetLog, Logged&& logged) {
  const std::vector<FormatCase> cases = reachableFormatCases();
  ASSERT_GE(cases.size(), 30u);
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.index);
    const Api row = table[c.index];
    const int graph = MakeGraphFromParam(&c.param, 8, 8, c.colorKey, c.paletteBits, 0, 0);
    if (row == Api{}) {
      EXPECT_EQ(graph, -1);
      continue;
    }
    ASSERT_GE(graph, 0);
    EXPECT_EQ(formatOf(graph), row);
    EXPECT_EQ(GetGraphData(graph)->orig->textureFormat.pixelFormatIndex, c.index);
    checkHoldsPicture(graph);
    SubHandle(graph);

    // A row the device has no format for refuses the graph before anything is made.
    forgetLog();
    table[c.index] = Api{};
    EXPECT_EQ(MakeGraphFromParam(&c.param, 8, 8, c.colorKey, c.paletteBits, 0, 0), -1);
    EXPECT_TRUE(logged(u"指定のフォーマットで作成できるテクスチャフォーマットがありませんでした"));
    table[c.index] = row;
  }
}

// A drawable half-float graph (made, checked to be of `format` by `isFormat`) cleared to
// (0.25, 0.5, 1.0) reads (64, 128, 255) within 1 through the pixel read.
template <class IsFormat>
void checkHalfFloatTargetPixel(IsFormat&& isFormat) {
  SetupGraphParam param{};
  InitSetupGraphParamDrawable(&param, 64, 1);
  param.drawableFloat = 1;
  const int graph = MakeGraphFromParam(&param, 16, 16, 0, 0, 0, 0);
  ASSERT_GE(graph, 0);
  ASSERT_TRUE(isFormat(graph));
  ASSERT_EQ(SetDrawTarget(graph), 0);
  SetBackgroundColor(64, 128, 255);
  ClearDrawTarget(nullptr);
  const unsigned c = GetDrawTargetPixel(3, 3);
  EXPECT_NEAR(int(c >> 16 & 0xFF), 64, 1);
  EXPECT_NEAR(int(c >> 8 & 0xFF), 128, 1);
  EXPECT_NEAR(int(c & 0xFF), 255, 1);
  EXPECT_EQ(c >> 24, 0xFFu);
}

// The full-screen desktop rectangle the front keeps against a monitor's.
inline void expectKeptMonitorRect(plat::win::HMONITOR monitor) {
  plat::win::MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(plat::win::GetMonitorInfoA(monitor, &info));
  const ImageRect& kept = GraphicsSys.fullScreenDesktopRect;
  EXPECT_EQ(kept.left, int(info.rcMonitor.left));
  EXPECT_EQ(kept.top, int(info.rcMonitor.top));
  EXPECT_EQ(kept.right, int(info.rcMonitor.right));
  EXPECT_EQ(kept.bottom, int(info.rcMonitor.bottom));
  EXPECT_GT(kept.right, kept.left);
}

}  // namespace formattest
