// Graph-filter cases both hardware back ends' tests run: a varied picture (every channel
// and alpha changes), the tables of filter and blend requests, running a table in place
// on fresh pictures, and the separable blur the shader Gauss is checked against.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "media/base/handle.h"
#include "media/graphics/base_image.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/screen.h"

namespace filtercases {

using namespace ZaDod;

constexpr int kSize = 64;

// Bytes B, G, R, A of the picture at (x, y): every channel and alpha varies.
inline void variedPixel(int x, int y, int seed, int* r, int* g, int* b, int* a) {
  *r = (x * 4 + y * 3 + seed * 50) % 256;
  *g = (x * x + y * 7 + seed * 30) % 256;
  *b = (255 - x * 3 + y * 5 + seed * 90) % 256;
  *a = (x * 5 + y * 9 + seed * 70) % 256;
}

// Bytes of a high-contrast picture: neighbours differ by up to the whole range, so that a
// read leaning the least towards a neighbour texel shows.
inline void contrastPixel(int x, int y, int seed, int* r, int* g, int* b, int* a) {
  uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(seed + 1) * 83492791u;
  h ^= h >> 13, h *= 0x5bd1e995u, h ^= h >> 15;
  *r = int(h & 0xFF), *g = int(h >> 8 & 0xFF), *b = int(h >> 16 & 0xFF), *a = int(h >> 24 & 0xFF);
}

// The picture a table runs on: the varied one of kSize square, or a high-contrast one of
// any size.
struct Sheet {
  int width = kSize, height = kSize;
  bool contrast = false;
};

inline int makePicture(int width, int height, int seed, bool contrast = false) {
  BaseImage image{};
  if (CreateARGB8ColorBaseImage(width, height, &image) != 0) return -1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int r, g, b, a;
      (contrast ? contrastPixel : variedPixel)(x, y, seed, &r, &g, &b, &a);
      SetBaseImagePixel(&image, x, y, r, g, b, a);
    }
  const int handle = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
  ReleaseBaseImage(&image);
  return handle;
}

inline int makeDrawable(int width, int height) {
  SetupGraphParam param{};
  InitSetupGraphParamDrawable(&param, 32, 1);
  return MakeGraphFromParam(&param, width, height, 0, 0, 0, 0);
}

inline std::vector<uint8_t> bytesOf(int graph) {
  BaseImage image{};
  std::vector<uint8_t> out;
  if (GraphFilter_GetGraphImage(graph, &image, nullptr) != 0) return out;
  for (int y = 0; y < image.height; ++y) {
    const auto* row = static_cast<const uint8_t*>(image.pixels) + size_t(y) * image.pitch;
    out.insert(out.end(), row, row + size_t(image.width) * 4);
  }
  ReleaseBaseImage(&image);
  return out;
}

// Arguments naming a graph: the session's gradient or UV graph takes their place.
constexpr int kGradient = -1000, kUV = -1001;

struct Request {
  const char* name;
  int blend;  // 0 filter, 1 blend
  int type;
  std::vector<int> args;
  int ratio = 255;
  int width = 0;  // source rectangle width from x = 0; 0: the whole picture
};

inline std::vector<Request> filterTable() {
  const int red = int(PackScreenColor(255, 0, 0)), blue = int(PackScreenColor(0, 0, 255));
  const int olive = int(PackScreenColor(128, 128, 0));
  return {
      {"Mono", 0, kGraphFilterMono, {60, -40}},
      {"MonoBlueOnly", 0, kGraphFilterMono, {-90, 0}},
      {"MonoCbCr", 0, kGraphFilterMono, {-20, 30}},
      {"Invert", 0, kGraphFilterInvert, {}},
      {"Level", 0, kGraphFilterLevel, {16, 240, 150, 0, 255}},
      {"TwoColor", 0, kGraphFilterTwoColor, {128, red, 255, blue, 100}},
      {"BrightClipLess", 0, kGraphFilterBrightClip, {2, 100, 0, 0, 0}},
      {"BrightClipFillLess", 0, kGraphFilterBrightClip, {2, 100, 1, olive, 200}},
      {"BrightClipGreater", 0, kGraphFilterBrightClip, {5, 150, 0, 0, 0}},
      {"BrightClipFillGreater", 0, kGraphFilterBrightClip, {5, 150, 1, red, 128}},
      {"BrightnessScale", 0, kGraphFilterBrightnessScale, {30, 200}},
      {"HsbTurn", 0, kGraphFilterHsb, {0, 90, 50, 10}},
      {"HsbLock", 0, kGraphFilterHsb, {1, 200, -30, -20}},
      {"GradientMap", 0, kGraphFilterGradientMap, {kGradient, 0}},
      {"GradientMapReversed", 0, kGraphFilterGradientMap, {kGradient, 1}},
      {"PremultipliedAlpha", 0, kGraphFilterPremultipliedAlpha, {}},
      {"InterpolatedAlpha", 0, kGraphFilterInterpolatedAlpha, {}},
      {"YuvHalfUV", 0, kGraphFilterYuvToRgbUV, {kUV}},
      {"YuvHalvesHalfUV", 0, kGraphFilterYuvToRgbUVRRA, {kUV}, 255, kSize / 2},
      {"DownScale2", 0, kGraphFilterDownScale, {2}},
      {"DownScale4", 0, kGraphFilterDownScale, {4}},
      {"DownScale8", 0, kGraphFilterDownScale, {8}},
  };
}

inline std::vector<Request> blendTable() {
  std::vector<Request> t;
  static const char* const kNames[18] = {"Normal", "RGBAMix", "Multiple", "Difference", "Add", "Screen",
                                         "Overlay", "Dodge", "Burn", "Darken", "Lighten", "SoftLight",
                                         "HardLight", "Exclusion", "NormalAlphaCh", "AddAlphaCh",
                                         "MultipleAOnly", "PMAMultipleAOnly"};
  for (int kind = 0; kind < kGraphBlendKindCount; ++kind) {
    if (kind == kGraphBlendRGBAMix) continue;
    t.push_back({kNames[kind], 1, kind, {}, 255});
    t.push_back({kNames[kind], 1, kind, {}, 128});
  }
  t.push_back({"MixSwappedSame", 1, kGraphBlendRGBAMix, {4, 4, 4, 0}});
  t.push_back({"MixNamed", 1, kGraphBlendRGBAMix, {0, 1, 2, 7}});
  t.push_back({"MixIndexed", 1, kGraphBlendRGBAMix, {2, 1, 0, 3}});
  t.push_back({"MixIndexedBlend", 1, kGraphBlendRGBAMix, {5, 6, 4, 7}});
  t.push_back({"MixBase", 1, kGraphBlendRGBAMix, {1, 5, 2, 6}});
  return t;
}

// Runs every request on a fresh copy of the picture, in place, and reads the results.
// `read` gives a graph's bytes B, G, R, A row by row.
inline std::vector<std::vector<uint8_t>> runAll(const std::vector<Request>& table,
                                                std::vector<uint8_t> (*read)(int) = bytesOf,
                                                const Sheet& sheet = Sheet{}) {
  std::vector<std::vector<uint8_t>> results;
  const int w = sheet.width, h = sheet.height;
  const int blendGraph = makePicture(w, h, 1, sheet.contrast);
  const int gradient = makePicture(256, 1, 2);
  const int uv = makePicture(w / 2, h / 2, 3, sheet.contrast);
  for (const Request& r : table) {
    const int picture = makePicture(w, h, 0, sheet.contrast);
    std::vector<int> args = r.args;
    for (int& a : args) a = a == kGradient ? gradient : a == kUV ? uv : a;
    EXPECT_EQ(GraphFilterBlendWithArgs(r.blend, picture, r.blend ? blendGraph : -1, picture, r.ratio, r.type, 0,
                                       0, r.width > 0 ? r.width : w, h, 0, 0, 0, 0, 0, args.data(),
                                       int(args.size())),
              0)
        << r.name;
    results.push_back(read(picture));
    SubHandle(picture);
  }
  return results;
}

// One direction of the separable blur: tap k weighs the pair at 2k - 1 and 2k on each side.
inline std::vector<float> blurLine(const std::vector<float>& in, int n, int stride, int count, const float* w, int half) {
  std::vector<float> out(in);
  for (int line = 0; line < count; ++line)
    for (int i = 0; i < n; ++i) {
      auto at = [&](int j) { return in[size_t(std::clamp(j, 0, n - 1)) * stride + size_t(line) * (stride == 1 ? n : 1)]; };
      float v = w[0] * at(i);
      for (int k = 1; k < half; ++k) v += w[k] * (at(i - 2 * k + 1) + at(i - 2 * k) + at(i + 2 * k - 1) + at(i + 2 * k)) / 2;
      out[size_t(i) * stride + size_t(line) * (stride == 1 ? n : 1)] = std::round(v);
    }
  return out;
}

// The largest channel difference of two byte pictures, and where it is.
inline int worstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, size_t* at) {
  int worst = 0;
  for (size_t k = 0; k < a.size() && k < b.size(); ++k) {
    const int d = std::abs(int(a[k]) - int(b[k]));
    if (d > worst) worst = d, *at = k;
  }
  return worst;
}

}  // namespace filtercases
