// The movie decoder's pictures made in place: the YV12 bytes a decoder that decodes into
// its own blocks hands out are those of a decoder that converts every frame, through
// B-frames, seeks and replays, and stay as they were while held, even past the decoder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/dshow/movie_decode.h"

namespace {

namespace ds = plat::dshow;

// A moving test pattern with B-frames (so pictures come out of decode order and stay
// referenced after they are shown), made by ffmpeg in a folder of this process; empty
// when ffmpeg fails.
std::string movingClip(int w, int h) {
  const std::string dir = std::string(HALVORINE_BINARY_DIR) + "/movie_decode_test/" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/moving" + std::to_string(w) + "x" + std::to_string(h) + ".mp4";
  if (std::filesystem::exists(path)) return path;
  const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=" + std::to_string(w) + "x" +
                              std::to_string(h) + ":rate=25:duration=2 -c:v libx264 -g 12 -bf 2 -pix_fmt yuv420p '" +
                              path + "' </dev/null";
  return std::system(command.c_str()) == 0 ? path : std::string();
}

std::unique_ptr<ds::MovieDecoder> openClip(const std::string& path, bool inPlace) {
  std::shared_ptr<std::FILE> file(std::fopen(path.c_str(), "rb"), [](std::FILE* f) {
    if (f) std::fclose(f);
  });
  if (!file) return nullptr;
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
  ds::MovieByteReader reader = [file](std::int64_t at, int n, std::uint8_t* into) -> int {
    if (std::fseek(file.get(), static_cast<long>(at), SEEK_SET) != 0) return -1;
    return static_cast<int>(std::fread(into, 1, static_cast<size_t>(n), file.get()));
  };
  return ds::MovieDecoder::Open(reader, size, inPlace);
}

struct Shown {
  std::int64_t start;
  std::shared_ptr<const std::uint8_t> held;  // the in-place picture, kept to the end
  std::vector<std::uint8_t> expected;        // the converting decoder's bytes
};

// Runs both decoders to the end of the stream (or `limit` frames), comparing each frame.
void compareFrames(ds::MovieDecoder& inPlace, ds::MovieDecoder& converting, int limit, std::vector<Shown>* shown) {
  const std::size_t bytes = converting.frameBytes(ds::MovieLayout::YV12);
  for (int i = 0; i < limit; ++i) {
    std::int64_t a = 0, b = 0;
    const bool more = inPlace.nextFrame(&a);
    ASSERT_EQ(more, converting.nextFrame(&b)) << "frame " << i;
    if (!more) return;
    ASSERT_EQ(a, b) << "frame " << i;
    EXPECT_EQ(converting.framePictureInPlace(), nullptr);
    Shown s{a, inPlace.framePictureInPlace(), std::vector<std::uint8_t>(bytes)};
    ASSERT_NE(s.held, nullptr) << "frame " << i;
    converting.convert(ds::MovieLayout::YV12, s.expected.data());
    ASSERT_EQ(std::memcmp(s.held.get(), s.expected.data(), bytes), 0) << "frame " << i << " at " << a;
    // The decoder's own conversion of an in-place frame gives the same bytes.
    std::vector<std::uint8_t> converted(bytes);
    inPlace.convert(ds::MovieLayout::YV12, converted.data());
    ASSERT_EQ(converted, s.expected) << "frame " << i;
    shown->push_back(std::move(s));
  }
}

TEST(MovieDecodeInPlace, PicturesMatchTheConvertingDecoderThroughSeeksAndReplaysAndStayWhileHeld) {
  const std::string clip = movingClip(256, 128);
  if (clip.empty()) GTEST_SKIP() << "ffmpeg could not make the clip";
  std::vector<Shown> shown;
  {
    auto inPlace = openClip(clip, true);
    auto converting = openClip(clip, false);
    ASSERT_NE(inPlace, nullptr);
    ASSERT_NE(converting, nullptr);
    compareFrames(*inPlace, *converting, 1000, &shown);
    ASSERT_EQ(shown.size(), 50u);
    // A seek into the middle, then back to the start and a whole replay, twice.
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      ASSERT_TRUE(inPlace->seek(ds::kMovieUnitsPerSecond * 13 / 10));
      ASSERT_TRUE(converting->seek(ds::kMovieUnitsPerSecond * 13 / 10));
      compareFrames(*inPlace, *converting, 7, &shown);
      ASSERT_TRUE(inPlace->seek(0));
      ASSERT_TRUE(converting->seek(0));
      const std::size_t before = shown.size();
      compareFrames(*inPlace, *converting, 1000, &shown);
      EXPECT_EQ(shown.size() - before, 50u);
      EXPECT_EQ(shown[before].start, 0);
    }
  }
  // Every picture held is still what it was when it was shown, with the decoders gone:
  // no block went back to the decoder while a holder had it.
  const std::size_t bytes = shown.front().expected.size();
  for (std::size_t i = 0; i < shown.size(); ++i)
    ASSERT_EQ(std::memcmp(shown[i].held.get(), shown[i].expected.data(), bytes), 0) << "held picture " << i;
}

TEST(MovieDecodeInPlace, SizesTheLayoutDoesNotSuitAreConverted) {
  for (const auto& [w, h] : {std::pair{160, 120}, std::pair{200, 128}}) {
    const std::string clip = movingClip(w, h);
    if (clip.empty()) GTEST_SKIP() << "ffmpeg could not make the clip";
    auto decoder = openClip(clip, true);
    ASSERT_NE(decoder, nullptr);
    std::int64_t start = 0;
    ASSERT_TRUE(decoder->nextFrame(&start));
    EXPECT_EQ(decoder->framePictureInPlace(), nullptr) << w << "x" << h;
  }
}

}  // namespace
