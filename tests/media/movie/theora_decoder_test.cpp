// The Theora decoder against libtheora's own decode of the same files: open and
// index, the picture region and colour conversion, stepping, wrapping, seeking and
// repeated frames, and many decoders opened, stepped and closed together.
#include <cstring>
#include <random>

#include "media/movie/theora_decoder.h"
#include "media/movie/yuv_tables.h"
#include "tests/media/log_capture.h"
#include "tests/media/movie/movie_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

struct Opened {
  explicit Opened(const std::vector<std::uint8_t>& bytes, int stock = 20) : stream(bytes) {
    decoder = TheoraMovie_Open(&stream.data, stock, 0, 0, 0);
  }
  ~Opened() { TheoraMovie_Close(decoder); }
  MemMovieStream stream;
  TheoraDecoder* decoder;
};

std::vector<std::uint8_t> imageBytes(TheoraDecoder* d) {
  BaseImage* image = TheoraMovie_GetBaseImage(d);
  std::vector<std::uint8_t> out;
  for (int y = 0; y < image->height; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(image->pixels) + std::size_t(y) * image->pitch;
    out.insert(out.end(), row, row + image->width * 4);
  }
  return out;
}

std::vector<std::uint8_t> reference(const std::vector<std::uint8_t>& file, int frame, bool useFloat = false) {
  RefFrame ref;
  EXPECT_TRUE(DecodeReference(file, frame, &ref));
  return ReferenceARGB(ref, useFloat);
}

using TheoraDecoderTest = MovieTest;

TEST_F(TheoraDecoderTest, TablePointsConvertAsTheFixedPointFormulaGives) {
  struct Case {
    std::uint8_t y, u, v;
    std::uint8_t r, g, b;
  } cases[] = {{16, 128, 128, 0, 0, 0}, {235, 128, 128, 254, 254, 254}, {128, 128, 128, 130, 130, 130},
               {81, 90, 240, 254, 0, 0}};
  for (const Case& c : cases) {
    const std::uint8_t luma[2] = {c.y, c.y};
    const std::uint8_t chroma[2] = {c.u, c.v};
    std::uint8_t out[8] = {};
    ConvertYUVToARGBTable(YUVRegion{luma, 2, chroma, 2, 0, 0, 1, 1, 2, 1}, out, 8);
    for (int p = 0; p < 2; ++p) {
      EXPECT_EQ(out[p * 4 + 2], c.r) << int(c.y);
      EXPECT_EQ(out[p * 4 + 1], c.g) << int(c.y);
      EXPECT_EQ(out[p * 4 + 0], c.b) << int(c.y);
      EXPECT_EQ(out[p * 4 + 3], 255);
    }
  }
}

TEST_F(TheoraDecoderTest, OpensWithThePictureRegionAndOneTimeFramePerDataFrame) {
  struct Case {
    const std::vector<std::uint8_t>* file;
    int width, height, frames;
    bool useFloat;
  } cases[] = {{&MovieRegular(), 160, 120, 50, false}, {&MovieCropped(), 100, 60, 6, false},
               {&Movie444(), 64, 48, 4, true}};
  for (const Case& c : cases) {
    Opened m(*c.file);
    ASSERT_NE(m.decoder, nullptr);
    TheoraMovieInfo info{};
    TheoraMovie_GetInfo(m.decoder, &info);
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
    EXPECT_EQ(info.frameCount, c.frames);
    EXPECT_DOUBLE_EQ(info.framesPerSecond, 25.0);
    EXPECT_EQ(m.decoder->dataFrames, c.frames);
    EXPECT_EQ(TheoraMovie_GetCurrentFrame(m.decoder), 0);
    // The first picture is exactly the conversion of libtheora's own decode of its region.
    EXPECT_EQ(imageBytes(m.decoder), reference(*c.file, 0, c.useFloat)) << c.width;
  }
}

TEST_F(TheoraDecoderTest, RefusesDataThatIsNotOggWithoutALogLineAndOggThatIsNotTheora) {
  LogCapture log;
  const std::vector<std::uint8_t> notOgg = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  EXPECT_EQ(Opened(notOgg).decoder, nullptr);
  EXPECT_TRUE(LogCapture::all().empty());
  std::vector<std::uint8_t> truncated(MovieRegular().begin(), MovieRegular().begin() + 60);
  EXPECT_EQ(Opened(truncated).decoder, nullptr);
  std::vector<std::uint8_t> damaged = MovieRegular();
  for (std::size_t i = 28; i < 80 && i < damaged.size(); ++i) damaged[i] ^= 0x5A;  // the first header packet
  EXPECT_EQ(Opened(damaged).decoder, nullptr);
}

TEST_F(TheoraDecoderTest, FrameRatesFromADamagedHeaderAreRefused) {
  struct Case {
    int numerator, denominator;
    bool opens;
  } cases[] = {{25, 2147483647, false}, {1, 1001, false}, {1, 1000, true}, {1000, 1, true}, {2147483647, 1, false}};
  for (const Case& c : cases) {
    OgvOptions o;
    o.width = 32, o.height = 16, o.frames = 3;
    o.fpsNumerator = c.numerator, o.fpsDenominator = c.denominator;
    Opened m(MakeOgv(o));
    EXPECT_EQ(m.decoder != nullptr, c.opens) << c.numerator << "/" << c.denominator;
  }
}

TEST_F(TheoraDecoderTest, WrapsSeeksAndStepsToTheSamePicturesAsAStraightDecode) {
  Opened m(MovieRegular());
  ASSERT_NE(m.decoder, nullptr);
  const std::vector<std::uint8_t> first = imageBytes(m.decoder);
  // Advance to the last frame, then once more: the movie wraps to its first picture.
  TheoraMovie_AdvanceFrames(m.decoder, 49);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(m.decoder), 49);
  EXPECT_EQ(imageBytes(m.decoder), reference(MovieRegular(), 49));
  TheoraMovie_AdvanceFrames(m.decoder, 1);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(m.decoder), 0);
  EXPECT_EQ(imageBytes(m.decoder), first);
  TheoraMovie_AdvanceFrames(m.decoder, 1);
  EXPECT_EQ(imageBytes(m.decoder), reference(MovieRegular(), 1));

  TheoraMovie_SeekFrame(m.decoder, 37);
  EXPECT_EQ(imageBytes(m.decoder), reference(MovieRegular(), 37));
  TheoraMovie_AdvanceFrames(m.decoder, 1);
  EXPECT_EQ(imageBytes(m.decoder), reference(MovieRegular(), 38));
  TheoraMovie_SeekFrame(m.decoder, 3);  // backwards, from before a key frame
  EXPECT_EQ(imageBytes(m.decoder), reference(MovieRegular(), 3));

  // A seek to the frame already shown asks nothing of the thread.
  TheoraMovie_SeekFrame(m.decoder, 3);
  THEORA_LOCK(m.decoder);
  EXPECT_EQ(m.decoder->pauseRequest, 0);
  EXPECT_EQ(m.decoder->seekRequest, 0);
  THEORA_UNLOCK(m.decoder);
}

TEST_F(TheoraDecoderTest, RepeatedFramesShareADataFrameAndAreNotConvertedAgain) {
  Opened m(MovieRepeats());
  ASSERT_NE(m.decoder, nullptr);
  TheoraMovieInfo info{};
  TheoraMovie_GetInfo(m.decoder, &info);
  EXPECT_EQ(m.decoder->dataFrames, 20);
  EXPECT_EQ(info.frameCount, 23);
  std::vector<int> map(m.decoder->timeMap, m.decoder->timeMap + m.decoder->timeCount);
  EXPECT_EQ(std::vector<int>(map.begin() + 8, map.begin() + 16), (std::vector<int>{8, 9, 10, 10, 10, 10, 11, 12}));
  TheoraMovie_SeekFrame(m.decoder, 10);
  EXPECT_EQ(imageBytes(m.decoder), reference(MovieRepeats(), 10));
  for (int t = 11; t <= 13; ++t) {
    TheoraMovie_AdvanceFrames(m.decoder, 1);
    EXPECT_EQ(TheoraMovie_GetCurrentFrame(m.decoder), t);
    EXPECT_EQ(TheoraMovie_UpdateImage(m.decoder, 1, 0, 0, 0), 0) << t;  // the picture is already made
  }
  TheoraMovie_AdvanceFrames(m.decoder, 1);
  EXPECT_EQ(TheoraMovie_UpdateImage(m.decoder, 1, 0, 0, 0), 1);
  EXPECT_EQ(imageBytes(m.decoder), reference(MovieRepeats(), 11));
}

// A locked memory surface in each layout holds the picture region of libtheora's decode.
TEST_F(TheoraDecoderTest, FillsYUVSurfacesWithThePictureRegion) {
  Opened m(MovieCropped());
  ASSERT_NE(m.decoder, nullptr);
  TheoraMovie_AdvanceFrames(m.decoder, 2);
  RefFrame ref;
  ASSERT_TRUE(DecodeReference(MovieCropped(), 2, &ref));
  const int w = 100, h = 60, px = 4, py = 2, pitch = 128;
  auto Y = [&](int x, int y) { return ref.y[std::size_t(y + py) * ref.yWidth + x + px]; };
  auto U = [&](int x, int y) { return ref.cb[std::size_t((y + py) / 2) * ref.cWidth + (x + px) / 2]; };
  auto V = [&](int x, int y) { return ref.cr[std::size_t((y + py) / 2) * ref.cWidth + (x + px) / 2]; };
  std::vector<std::uint8_t> surface(std::size_t(pitch) * h * 2);
  ASSERT_EQ(TheoraMovie_FillSurface(m.decoder, kFourCCYV12, surface.data(), pitch), 0);
  const std::uint8_t* vPlane = surface.data() + pitch * h;
  const std::uint8_t* uPlane = vPlane + (pitch / 2) * (h / 2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      ASSERT_EQ(surface[std::size_t(y) * pitch + x], Y(x, y)) << x << "," << y;
      ASSERT_EQ(vPlane[std::size_t(y / 2) * (pitch / 2) + x / 2], V(x & ~1, y & ~1));
      ASSERT_EQ(uPlane[std::size_t(y / 2) * (pitch / 2) + x / 2], U(x & ~1, y & ~1));
    }
  for (const std::uint32_t fourCC : {kFourCCYUY2, kFourCCUYVY}) {
    ASSERT_EQ(TheoraMovie_FillSurface(m.decoder, fourCC, surface.data(), pitch * 2), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; x += 2) {
        const std::uint8_t* p = &surface[std::size_t(y) * pitch * 2 + x * 2];
        const std::uint8_t want[4] = {Y(x, y), U(x, y), Y(x + 1, y), V(x, y)};
        const int order[2][4] = {{0, 1, 2, 3}, {1, 0, 3, 2}};
        for (int k = 0; k < 4; ++k) ASSERT_EQ(p[k], want[order[fourCC == kFourCCUYVY][k]]) << x << "," << y;
      }
  }
  EXPECT_EQ(TheoraMovie_FillSurface(m.decoder, 0x12345678, surface.data(), pitch), -1);
  Opened full(Movie444());
  EXPECT_EQ(TheoraMovie_FillSurface(full.decoder, kFourCCYUY2, surface.data(), pitch), -1);
}

TEST_F(TheoraDecoderTest, AFrameWhosePlanesCouldNotBeMadeEndsTheWait) {
  Opened m(MovieCropped());
  ASSERT_NE(m.decoder, nullptr);
  // Mark the stock entry of the next frame as the thread does when its planes fail.
  TheoraMovie_AdvanceFrames(m.decoder, 1);
  for (;;) {
    THEORA_LOCK(m.decoder);
    bool marked = false;
    for (int i = 0; i < m.decoder->stockCount; ++i)
      if (m.decoder->stock[i].valid && m.decoder->stock[i].frame == 1) m.decoder->stock[i].failed = marked = true;
    THEORA_UNLOCK(m.decoder);
    if (marked) break;
    Thread_Sleep(1);
  }
  EXPECT_EQ(TheoraMovie_UpdateImage(m.decoder, 1, 0, 0, 0), 0);
}

// Several movies open at once, with stocks smaller and larger than the movie, stepped
// forwards and wrapping, sought back and forth and closed in random order: every
// picture matches the straight decode, and closing joins each thread.
TEST_F(TheoraDecoderTest, ManyMoviesOpenStepAndCloseInterleaved) {
  const std::vector<std::uint8_t>* files[2] = {&MovieCropped(), &MovieRepeats()};
  std::vector<std::vector<std::uint8_t>> refs[2];
  for (int f = 0; f < 6; ++f) refs[0].push_back(reference(MovieCropped(), f));
  for (int f = 0; f < 20; ++f) refs[1].push_back(reference(MovieRepeats(), f));
  std::mt19937 random(7);
  struct Live {
    std::unique_ptr<Opened> movie;
    int file;
  };
  std::vector<Live> open;
  for (int round = 0; round < 80; ++round) {
    if (open.size() < 4 && random() % 3 != 0) {
      const int file = static_cast<int>(random() % 2);
      open.push_back(Live{std::make_unique<Opened>(*files[file], 1 + static_cast<int>(random() % 4) * 6), file});
      ASSERT_NE(open.back().movie->decoder, nullptr);
    }
    for (Live& live : open) {
      TheoraDecoder* d = live.movie->decoder;
      if (random() % 4 == 0)
        TheoraMovie_SeekFrame(d, static_cast<int>(random() % d->timeCount));
      else
        TheoraMovie_AdvanceFrames(d, static_cast<int>(random() % 9));
      if (random() % 2) {
        const int data = d->timeMap[TheoraMovie_GetCurrentFrame(d)];
        ASSERT_EQ(imageBytes(d), refs[live.file][data]) << round;
      }
    }
    if (!open.empty() && random() % 3 == 0) open.erase(open.begin() + random() % open.size());
  }
}

}  // namespace
}  // namespace halvorine_test
