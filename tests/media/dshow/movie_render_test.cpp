// The movie renderer filter: the types it takes, its buffer layouts for packed and
// planar output, each YUV format against its converter, short samples, format changes
// while the main thread holds a frame, frames read while the streaming thread writes, and
// YUV frames converted only when read (across stops, flushes and disconnection).
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "media/dshow/mem_allocator.h"
#include "media/dshow/movie_render.h"
#include "media/graphics/base_image.h"
#include "media/graphics/hardware.h"
#include "media/graphics/image/yuv.h"
#include "tests/media/dshow/render_harness.h"

namespace halvorine_test {
namespace {

constexpr DWORD fourCC(const char (&s)[5]) {
  return DWORD(BYTE(s[0])) | DWORD(BYTE(s[1])) << 8 | DWORD(BYTE(s[2])) << 16 | DWORD(BYTE(s[3])) << 24;
}

struct ShaderModel {
  explicit ShaderModel(int version) { Graphics_Hardware_ForceShaderModelVersionForTest(version); }
  ~ShaderModel() { Graphics_Hardware_ForceShaderModelVersionForTest(-1); }
};

// Samples of one allocator, filled by the test.
class Samples {
 public:
  explicit Samples(LONG size) {
    HRESULT hr = S_OK;
    allocator_ = made<D_CMemAllocator>(u"test samples", nullptr, &hr);
    D_ALLOCATOR_PROPERTIES want{2, size, 1, 0}, got{};
    allocator_->SetProperties(&want, &got);
    allocator_->Commit();
  }
  ~Samples() {
    allocator_->Decommit();
    allocator_->NonDelegatingRelease();
  }
  // A sample holding `bytes` (its actual length is their count).
  D_IMediaSample* make(const std::vector<BYTE>& bytes) {
    D_IMediaSample* sample = nullptr;
    allocator_->GetBuffer(&sample, nullptr, nullptr, 0);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    std::memcpy(data, bytes.data(), bytes.size());
    sample->SetActualDataLength(static_cast<LONG>(bytes.size()));
    return sample;
  }

 private:
  D_CMemAllocator* allocator_;
};

std::vector<BYTE> noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<BYTE> v(n);
  for (BYTE& b : v) b = static_cast<BYTE>(rng());
  return v;
}

D_CMovieRender* newRenderer() {
  HRESULT hr = plat::win::E_FAIL;
  D_CMovieRender* r = D_CMovieRender::Create(nullptr, &hr);
  EXPECT_EQ(hr, S_OK);
  r->NonDelegatingAddRef();
  return r;
}

// Checks and sets the type; the renderer then has its buffers.
void connect(D_CMovieRender* r, const GUID& subtype, LONG w, LONG h) {
  D_AM_MEDIA_TYPE type = videoType(subtype, w, h);
  ASSERT_EQ(r->CheckMediaType(&type), S_OK);
  ASSERT_EQ(r->SetMediaType(&type), S_OK);
  D_FreeMediaType(type);
}

void render(D_CMovieRender* r, Samples& samples, const std::vector<BYTE>& bytes) {
  D_IMediaSample* sample = samples.make(bytes);
  EXPECT_EQ(r->DoRenderSample(sample), S_OK);
  sample->Release();
}

D_MovieFrameView readFrame(D_CMovieRender* r, bool* fresh = nullptr) {
  D_MovieFrameView view{};
  const bool isNew = r->BeginFrameRead(&view);
  r->EndFrameRead();
  if (fresh != nullptr) *fresh = isNew;
  return view;
}

TEST_F(DShowTest, MovieRendererTakesEightVideoTypes) {
  D_CMovieRender* r = newRenderer();
  EXPECT_EQ(r->CheckMediaType(nullptr), plat::win::E_POINTER);
  struct Case {
    GUID subtype;
    GUID format;
    GUID major;
    HRESULT result;
    int kind;
  } cases[] = {
      {D_MEDIASUBTYPE_RGB32, GUID{1, 2, 3, {0}}, ds::MEDIATYPE_Audio, plat::win::E_INVALIDARG, -1},
      {D_MEDIASUBTYPE_RGB32, ds::FORMAT_WaveFormatEx, D_MEDIATYPE_Video, plat::win::E_INVALIDARG, -1},
      {D_MEDIASUBTYPE_RGB32, D_FORMAT_VideoInfo, ds::MEDIATYPE_Audio, plat::win::E_FAIL, -1},
      {D_FourCCSubtype(fourCC("I420")), D_FORMAT_VideoInfo, D_MEDIATYPE_Video, plat::win::E_FAIL, -1},
      {D_MEDIASUBTYPE_RGB24, D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieRGB24},
      {D_MEDIASUBTYPE_RGB32, D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieRGB32},
      {D_FourCCSubtype(fourCC("YV12")), D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieYV12},
      {D_FourCCSubtype(fourCC("NV12")), D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieNV12},
      {D_FourCCSubtype(fourCC("YUY2")), D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieYUY2},
      {D_FourCCSubtype(fourCC("UYVY")), D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieUYVY},
      {D_FourCCSubtype(fourCC("YVYU")), D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieYVYU},
      {D_FourCCSubtype(fourCC("NV11")), D_FORMAT_VideoInfo, D_MEDIATYPE_Video, S_OK, kMovieNV11},
  };
  for (const Case& c : cases) {
    D_AM_MEDIA_TYPE type = videoType(c.subtype, 8, 8, c.format, c.major);
    EXPECT_EQ(r->CheckMediaType(&type), c.result) << c.subtype.Data1;
    if (c.kind >= 0) {
      EXPECT_EQ(r->FormatKind(), c.kind);
    }
    D_FreeMediaType(type);
  }
  // Format blocks that cannot be read, and sizes no buffer should be made for.
  D_AM_MEDIA_TYPE type = videoType(D_MEDIASUBTYPE_RGB32, 8, 8);
  type.cbFormat = 8;
  EXPECT_EQ(r->CheckMediaType(&type), plat::win::E_INVALIDARG);
  type.cbFormat = sizeof(D_VIDEOINFOHEADER);
  for (LONG side : {0, -4, 100000}) {
    reinterpret_cast<D_VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader.biWidth = side;
    EXPECT_EQ(r->CheckMediaType(&type), plat::win::E_FAIL) << side;
  }
  D_FreeMediaType(type);
  r->NonDelegatingRelease();
}

TEST_F(DShowTest, MovieRendererPacksRGBRowsTopFirst) {
  D_CMovieRender* r = newRenderer();
  Samples samples(1 << 16);
  // 24-bit, width 5, bottom-up: pitch 16 and the rows turned over.
  connect(r, D_MEDIASUBTYPE_RGB24, 5, 3);
  std::vector<BYTE> rows = noise(16 * 3, 1);
  render(r, samples, rows);
  bool fresh = false;
  D_MovieFrameView view = readFrame(r, &fresh);
  EXPECT_TRUE(fresh);
  EXPECT_EQ(view.pitch, 16);
  EXPECT_TRUE(view.bottomUp);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(view.frame + 16 * y, rows.data() + 16 * (2 - y), 16), 0) << y;
  // 32-bit top-down: one block as it came.
  connect(r, D_MEDIASUBTYPE_RGB32, 7, -4);
  rows = noise(7 * 4 * 4, 2);
  render(r, samples, rows);
  view = readFrame(r, &fresh);
  EXPECT_TRUE(fresh);
  EXPECT_FALSE(view.bottomUp);
  EXPECT_EQ(view.pitch, 28);
  EXPECT_EQ(std::memcmp(view.frame, rows.data(), rows.size()), 0);
  EXPECT_EQ(view.luma, nullptr);
  // A short sample is skipped: no copy, no flag.
  std::vector<BYTE> shortRows(rows.size() - 1, 0xEE);
  render(r, samples, shortRows);
  EXPECT_FALSE(r->HasNewFrame());
  view = readFrame(r, &fresh);
  EXPECT_FALSE(fresh);
  EXPECT_EQ(std::memcmp(view.frame, rows.data(), rows.size()), 0);
  r->NonDelegatingRelease();
}

TEST_F(DShowTest, MovieRendererSplitsNV12IntoPlanesOnShaderModel200) {
  ShaderModel model(200);
  D_CMovieRender* r = newRenderer();
  Samples samples(640 * 480 * 2);
  connect(r, D_FourCCSubtype(fourCC("NV12")), 640, 480);
  const std::vector<BYTE> frame = noise(640 * 480 * 3 / 2, 3);
  render(r, samples, frame);
  bool fresh = false;
  const D_MovieFrameView view = readFrame(r, &fresh);
  EXPECT_TRUE(fresh);
  ASSERT_NE(view.luma, nullptr);
  EXPECT_EQ(view.lumaWidth, 640);
  EXPECT_EQ(view.lumaHeight, 480);
  EXPECT_EQ(view.lumaPitch, 640);
  EXPECT_EQ(view.chromaWidth, 320);
  EXPECT_EQ(view.chromaHeight, 240);
  EXPECT_EQ(view.chromaPitch, 640);
  EXPECT_EQ(view.chroma - view.luma, 640 * 480);
  EXPECT_EQ(view.chromaPitch * view.chromaHeight + view.lumaPitch * view.lumaHeight, 460800);
  EXPECT_EQ(std::memcmp(view.luma, frame.data(), frame.size()), 0);  // both planes as they came
  r->NonDelegatingRelease();
}

TEST_F(DShowTest, MovieRendererConvertsEachYUVFormatLikeItsConverter) {
  ShaderModel model(100);
  struct Case {
    const char* name;
    DWORD code;
    int w, h;
    size_t bytes;
    int (*convert)(const void*, int, int, BaseImage*);
  } cases[] = {
      {"NV12", fourCC("NV12"), 640, 480, 640 * 480 * 3 / 2, ConvertNV12ToARGB8},
      {"YV12", fourCC("YV12"), 64, 48, 64 * 48 * 3 / 2, ConvertYV12ToARGB8},
      {"YUY2", fourCC("YUY2"), 62, 30, 62 * 30 * 2, ConvertYUY2ToARGB8},
      {"UYVY", fourCC("UYVY"), 64, 31, 64 * 31 * 2, ConvertUYVYToARGB8},
      {"YVYU", fourCC("YVYU"), 30, 16, 30 * 16 * 2, ConvertYVYUToARGB8},
      {"NV11", fourCC("NV11"), 64, 20, 64 * 20 * 3 / 2, ConvertNV11ToARGB8},
  };
  D_CMovieRender* r = newRenderer();
  Samples samples(640 * 480 * 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    connect(r, D_FourCCSubtype(c.code), c.w, c.h);
    const std::vector<BYTE> frame = noise(c.bytes, c.code);
    render(r, samples, frame);
    bool fresh = false;
    const D_MovieFrameView view = readFrame(r, &fresh);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(view.luma, nullptr);
    ASSERT_EQ(view.pitch, c.w * 4);
    BaseImage expected{};
    ASSERT_EQ(CreateXRGB8ColorBaseImage(c.w, c.h, &expected), 0);
    c.convert(frame.data(), c.w, c.h, &expected);
    for (int y = 0; y < c.h; ++y)
      ASSERT_EQ(std::memcmp(view.frame + size_t(y) * view.pitch,
                            static_cast<const BYTE*>(expected.pixels) + size_t(y) * expected.pitch, size_t(c.w) * 4),
                0)
          << "row " << y;
    ReleaseBaseImage(&expected);
    // One byte short: refused.
    render(r, samples, std::vector<BYTE>(frame.begin(), frame.end() - 1));
    EXPECT_FALSE(r->HasNewFrame());
  }
  r->NonDelegatingRelease();
}

TEST_F(DShowTest, MovieRendererKeepsAHeldFrameAcrossAFormatChange) {
  D_CMovieRender* r = newRenderer();
  Samples samples(1 << 16);
  for (int round = 0; round < 20; ++round) {
    const LONG w = 8 + round;
    connect(r, D_MEDIASUBTYPE_RGB32, w, -6);
    const std::vector<BYTE> frame = noise(size_t(w) * 4 * 6, round);
    render(r, samples, frame);
    const D_MovieFrameView held = readFrame(r);
    // The stream changes format while the main thread still shows the old frame.
    connect(r, D_MEDIASUBTYPE_RGB24, w + 3, 6);
    EXPECT_EQ(std::memcmp(held.frame, frame.data(), frame.size()), 0);
    bool fresh = true;
    const D_MovieFrameView next = readFrame(r, &fresh);  // the old buffers go here
    EXPECT_FALSE(fresh);
    EXPECT_EQ(next.pitch, ((w + 3) * 3 + 3) / 4 * 4);
  }
  r->NonDelegatingRelease();
}

TEST_F(DShowTest, MovieRendererFramesReadWhileStreaming) {
  D_CMovieRender* r = newRenderer();
  Samples samples(1 << 16);
  connect(r, D_MEDIASUBTYPE_RGB32, 16, -16);
  std::atomic<bool> done{false};
  std::thread streaming([&] {
    for (int k = 1; k <= 2000; ++k) {
      const LONG width = k < 100 ? 16 : 16 + (k / 100) % 2;
      if (k % 100 == 0) connect(r, D_MEDIASUBTYPE_RGB32, width, -16);
      render(r, samples, std::vector<BYTE>(size_t(width) * 4 * 16, static_cast<BYTE>(k)));
    }
    done = true;
  });
  int frames = 0;
  while (!done) {
    D_MovieFrameView view{};
    if (r->BeginFrameRead(&view)) {
      ++frames;
      // A frame is never seen half written.
      const BYTE first = view.frame[0];
      for (int i = 0; i < view.pitch * view.height; ++i) ASSERT_EQ(view.frame[i], first) << i;
    }
    r->EndFrameRead();
  }
  streaming.join();
  EXPECT_GE(frames, 0);
  r->NonDelegatingRelease();
}

// What the renderer must show for a YV12 frame: the packed conversion, or both planes.
std::vector<BYTE> expectedYV12(const std::vector<BYTE>& frame, int w, int h, bool planar) {
  if (planar) {
    std::vector<BYTE> planes(size_t(w) * h + size_t(w) * (h / 2));
    ConvertYV12ToYUVBuffers(frame.data(), w, h, planes.data(), planes.data() + size_t(w) * h);
    return planes;
  }
  BaseImage image{};
  CreateXRGB8ColorBaseImage(w, h, &image);
  ConvertYV12ToARGB8(frame.data(), w, h, &image);
  std::vector<BYTE> packed(size_t(w) * 4 * h);
  for (int y = 0; y < h; ++y)
    std::memcpy(packed.data() + size_t(y) * w * 4, static_cast<const BYTE*>(image.pixels) + size_t(y) * image.pitch,
                size_t(w) * 4);
  ReleaseBaseImage(&image);
  return packed;
}

std::vector<BYTE> shown(const D_MovieFrameView& view, bool planar) {
  if (planar) return std::vector<BYTE>(view.luma, view.luma + size_t(view.lumaPitch) * view.lumaHeight +
                                                       size_t(view.chromaPitch) * view.chromaHeight);
  return std::vector<BYTE>(view.frame, view.frame + size_t(view.pitch) * view.height);
}

TEST_F(DShowTest, MovieRendererShowsTheNewestYUVFrameWhenRead) {
  constexpr int kW = 32, kH = 8;
  constexpr LONG kBytes = kW * kH * 3 / 2;
  // Packed and planar output, and a source of one buffer, which the renderer must not keep.
  struct Case {
    int model;
    LONG buffers;
  } cases[] = {{100, 3}, {200, 3}, {100, 1}, {200, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << ", buffers " << c.buffers);
    ShaderModel model(c.model);
    const bool planar = c.model >= 200;
    D_CMovieRender* r = newRenderer();
    D_AM_MEDIA_TYPE type = videoType(D_FourCCSubtype(fourCC("YV12")), kW, kH);
    {
      GraphRig rig(r, type, kBytes, c.buffers);
      ASSERT_EQ(rig.connected, S_OK);
      unsigned seed = 10;
      std::vector<BYTE> last;
      D_REFERENCE_TIME at = 0;
      auto push = [&] {
        last = noise(kBytes, seed++);
        rig.step(400000);
        EXPECT_EQ(rig.pin()->push(at, at + 400000, last.data(), kBytes), S_OK);
        at += 400000;
        EXPECT_TRUE(r->HasNewFrame());
      };
      // Each run's stream time starts at 0 again.
      auto run = [&] {
        rig.control->Run();
        at = 0;
      };
      for (int round = 0; round < 2; ++round) {
        run();
        // Read after every frame, then after several, then twice with nothing new between.
        for (int k = 0; k < 3; ++k) {
          push();
          bool fresh = false;
          EXPECT_EQ(shown(readFrame(r, &fresh), planar), expectedYV12(last, kW, kH, planar)) << k;
          EXPECT_TRUE(fresh);
        }
        for (int k = 0; k < 4; ++k) push();
        bool fresh = false;
        EXPECT_EQ(shown(readFrame(r, &fresh), planar), expectedYV12(last, kW, kH, planar));
        EXPECT_TRUE(fresh);
        EXPECT_EQ(shown(readFrame(r, &fresh), planar), expectedYV12(last, kW, kH, planar));
        EXPECT_FALSE(fresh);
        // A frame nobody read before the stream stopped, or before a flush, is the one shown after it.
        push();
        rig.control->Stop();
        EXPECT_EQ(shown(readFrame(r, &fresh), planar), expectedYV12(last, kW, kH, planar));
        EXPECT_TRUE(fresh);
        run();
        push();
        rig.pin()->DeliverBeginFlush();
        rig.pin()->DeliverEndFlush();
        EXPECT_EQ(shown(readFrame(r, &fresh), planar), expectedYV12(last, kW, kH, planar));
        EXPECT_TRUE(fresh);
        push();
        rig.control->Stop();
      }
      // Disconnecting converts the frame still kept and gives its buffer back.
      rig.graph->Disconnect(rig.source->GetPin(0));
      rig.graph->Disconnect(r->GetPin(0));
      EXPECT_EQ(shown(readFrame(r), planar), expectedYV12(last, kW, kH, planar));
    }
    D_FreeMediaType(type);
    r->NonDelegatingRelease();
  }
}

TEST_F(DShowTest, MovieRendererPlaysThroughAGraph) {
  D_CMovieRender* r = newRenderer();
  D_AM_MEDIA_TYPE type = videoType(D_FourCCSubtype(fourCC("YUY2")), 32, 8);
  {
    GraphRig rig(r, type, 32 * 8 * 2);
    ASSERT_EQ(rig.connected, S_OK);
    for (int round = 0; round < 3; ++round) {
      rig.control->Run();
      rig.step(200000);  // the frame is due
      const std::vector<BYTE> frame = noise(32 * 8 * 2, round);
      EXPECT_EQ(rig.pin()->push(0, 400000, frame.data(), static_cast<LONG>(frame.size())), S_OK);
      EXPECT_TRUE(r->HasNewFrame());
      bool fresh = false;
      const D_MovieFrameView view = readFrame(r, &fresh);
      EXPECT_TRUE(fresh);
      EXPECT_EQ(view.kind, kMovieYUY2);
      EXPECT_EQ(view.pitch, 128);
      rig.control->Stop();
    }
  }
  D_FreeMediaType(type);
  r->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
