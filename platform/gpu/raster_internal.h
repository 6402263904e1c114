// Internal to the draw pipeline: the per-draw context, clip-space and screen vertices, the
// plane set that interpolates a primitive's varyings, and the stages that pass them on.
#pragma once
#include <cstdint>

#include "platform/gpu/pipeline.h"
#include "platform/gpu/shaders/filter_span.h"
#include "platform/gpu/texel_format.h"

namespace plat::gpu {

inline constexpr int kSubPixel = 256;  // positions snap to 1/256 pixel

// Division rounding toward minus infinity, for sub-pixel positions left of the origin.
inline int64_t floorDiv(int64_t a, int64_t b) {  // b > 0
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
inline constexpr float kGuardBand = 16384.0f;  // pixels either side of the origin

// A vertex function's output is the clip-space vertex the clipper works on.
using ClipVertex = VertexOut;

// A vertex after the perspective divide and the viewport: position in 1/256 pixels.
struct ScreenVertex {
  int32_t X, Y;
  float z;  // depth after the viewport's depth range
  float q;  // 1 / w
  const float* v;
};

// Planes of one primitive: value = origin value + A dx + B dy, dx and dy measured from the
// origin in pixels. With differing w the planes hold value / w and the 1/w plane divides;
// with equal w they hold the values themselves.
struct Interpolator {
  float x0, y0;
  bool perspective;
  bool whiteAffine = false;  // colour 0 is (1, 1, 1, 1) everywhere and w is constant
  // Colour 0 is the same whole bytes / 255 everywhere (red, green, blue, alpha) and w is
  // constant; whiteAffine is this with all four 255.
  bool byteColour = false;
  uint8_t colour[4] = {};
  // Set by the draw's fast set-up: texel column = pixel x + columnBase over the triangle.
  bool columnsLinear = false;
  int columnBase = 0;
  float q0, qA, qB;
  float z0, zA, zB;
  int n;
  float a0[shader::kVaryingCount], aA[shader::kVaryingCount], aB[shader::kVaryingCount];
};

inline float planeAt(float a0, float aA, float aB, float dx, float dy) { return (a0 + aA * dx) + aB * dy; }
// The factor that turns plane values into varyings at (dx, dy).
inline float perspectiveFactor(const Interpolator& I, float dx, float dy) {
  return I.perspective ? 1.0f / planeAt(I.q0, I.qA, I.qB, dx, dy) : 1.0f;
}
inline float varyingAt(const Interpolator& I, int i, float dx, float dy, float f) {
  const float a = planeAt(I.a0[i], I.aA[i], I.aB[i], dx, dy);
  return I.perspective ? a * f : a;
}

struct DrawContext;
// A specialised span: pixels x0..x1-1 of row y.
using FastSpanFn = void (*)(const DrawContext& c, const Interpolator& I, int y, int x0, int x1);
// Two triangles' spans meeting in row y: pixels x0..xm-1 of `left`, xm..x1-1 of `right`.
using FastPairFn = void (*)(const DrawContext& c, const Interpolator& left, const Interpolator& right, int y, int x0,
                            int xm, int x1);
// Two triangles that make up the pixel rectangle x0..x1-1 by y0..y1-1 drawn row by row in
// one pass when that gives the same bytes; false (nothing drawn) when it would not.
using FastRectFn = bool (*)(const DrawContext& c, const Interpolator& a, const Interpolator& b, int x0, int x1,
                            int y0, int y1);

struct FastTarget {
  uint8_t* base = nullptr;
  size_t pitch = 0;
  const uint8_t* texture = nullptr;
  size_t texturePitch = 0;
  int textureWidth = 0, textureHeight = 0;
  float fwidth = 0.0f, fheight = 0.0f;
  int alphaReference = 0;  // alpha bytes above it pass
  uint8_t unread = 0;      // the shader's fastUnread: diffuse channels left out of the product
  // The shader's steps after the product (ShaderEntry::fastSaturates and the rest).
  bool saturates = false, specular = false, fog = false;
  float fogColour[3] = {};
  bool avx2 = false;       // the processor runs the eight-pixel spans
};

// Whether a specialised span reads varying k beyond colour 0 and the first pair.
inline bool fastReads(const FastTarget& t, int k) {
  return (t.specular && k >= shader::kColour1 && k < shader::kColour1 + 4) || (t.fog && k == shader::kExtra);
}

struct DrawContext {
  const ShaderEntry* ps = nullptr;
  ShaderEnv* env = nullptr;
  OutputMerger* om = nullptr;
  int varyings = 0;
  Viewport viewport;
  RasterizerDesc rasterizer;
  // Clip-space guard planes: x/w in [gx0, gx1], y/w in [gy0, gy1] keep positions inside
  // the fixed-point range.
  float gx0 = 0, gx1 = 0, gy0 = 0, gy1 = 0;
  int clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;  // pixels that may be written
  float biasUnit = 0.0f;
  bool cullFront = false, cullBack = false;
  FastSpanFn fast = nullptr;
  FastPairFn fastPair = nullptr;  // set with `fast`
  FastRectFn fastRect = nullptr;  // set with `fast`
  // Per triangle, after its planes, over its columns px0..px1-1 (may be null).
  void (*fastSetup)(const DrawContext& c, Interpolator& I, int px0, int px1) = nullptr;
  FastTarget fastTarget;
  // The pixel function's span form, when the draw's state lets its bytes go straight to
  // the target (an 8-bit RGBA or BGRA target, nothing blended, tested or masked).
  PixelSpanFn span = nullptr;
  uint8_t* spanBase = nullptr;
  size_t spanPitch = 0;
  bool spanBgra = false;
  uint64_t drawId = 0;
  // Samples per pixel of the targets; above 1 triangles cover sample by sample at
  // `positions` and no specialised span runs.
  int samples = 1;
  const SamplePosition* positions = nullptr;
};

// clip.cpp: clips against the depth planes and the guard band, then rasterises.
void drawTriangle(const DrawContext& c, const ClipVertex& a, const ClipVertex& b, const ClipVertex& d);
void drawLine(const DrawContext& c, const ClipVertex& a, const ClipVertex& b);
void drawPoint(const DrawContext& c, const ClipVertex& a);

// Two triangles drawn as one when the draw has a specialised span and neither needs the
// clipper (else one after the other): the rows interleave, each pixel keeping its own
// triangle's coverage and planes, so the bytes equal two separate triangles'.
void drawTrianglePair(const DrawContext& c, const ClipVertex* const first[3], const ClipVertex* const second[3]);

// raster_triangle.cpp
void rasterTriangle(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& d,
                    bool front);
// Both triangles row by row, the first's span before the second's in each row; rows where
// the two spans meet go to the draw's pair span.
void rasterPair(const DrawContext& c, const ScreenVertex* first, const ScreenVertex* second);
struct SpanRow;
// Runs the pixel function over pixels x0..x1-1 of row y and merges them. `row`, when given,
// is the span form's row set-up made for the primitive, moved to row y here.
void shadeSpan(const DrawContext& c, const Interpolator& I, int y, int x0, int x1, bool front, float depthBias,
               SpanRow* row = nullptr);

// span_filter.cpp: sets the draw's span form when its state allows one.
void chooseShaderSpan(const DrawState& s, DrawContext& c);
// What the span form's runs of one row of a primitive share: the row and the levels of
// detail of the two textures.
// Nothing but the row depends on the row for an affine primitive: one set-up serves all
// the primitive's rows.
struct SpanRow {
  SpanRow(const DrawContext& c, const Interpolator& I, int y);
  SpanRow(const SpanRow&) = delete;  // `in` points at its own textures
  void moveTo(const Interpolator& I, int row) {
    y = row;
    dy = float(row) + 0.5f - I.y0;
  }
  int y;
  float dy;
  bool bound[2] = {};
  float lod[2] = {};
  shader::SpanTexture texture[2];  // what spanTexture finds for the row's levels
  SpanIn in;                       // the current run's, over what every run of the row starts from
};
// Pixels x..x+n-1 (n at most kSpanRun) of the row through the span form, stored in the
// target; false (nothing stored) when the span form does not serve them.
bool shadeRunBySpan(const DrawContext& c, const Interpolator& I, SpanRow& row, int x, int n);

// raster_line.cpp
void rasterLine(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b);
void rasterPoint(const DrawContext& c, const ScreenVertex& a);

// span_fast.cpp: the specialised span equal to the draw's state, or null; sets fastPair too.
FastSpanFn chooseFastSpan(const DrawState& s, DrawContext& c);
// On by default where the processor has AVX2; tests switch the eight-pixel runs off to
// check the four-pixel ones alone.
void setWideSpans(bool on);
// On by default where the processor has AVX-512 (with the wide runs on); tests switch the
// sixteen-pixel runs off to check the eight-pixel ones alone.
void setSixteenSpans(bool on);

// input_assembly.cpp: fetches vertices for one vertex function.
class VertexFetcher {
 public:
  void prepare(const DrawState& s, const ShaderEntry& vs);
  void fetch(uint32_t vertex, VertexIn& out) const;

 private:
  struct Source {
    int element = -1;  // -1: the input is not in the layout
    Format format = Format::Unknown;
    uint32_t offset = 0, bytes = 0;
    LoadRowFn load = nullptr;  // the format's, looked up once a draw
  };
  Source sources_[16];
  int inputs_ = 0;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  uint32_t stride_ = 0, base_ = 0;
};

}  // namespace plat::gpu
