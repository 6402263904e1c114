// Movie tests: the fixture files made once per run, memory streams over them, the
// media layer's clock held, and the movie and sound modules started.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/file/file_access.h"
#include "media/movie/movie.h"
#include "tests/media/movie/ogv_writer.h"

namespace halvorine_test {

// The test movies (made on first use).
const std::vector<std::uint8_t>& MovieRegular();   // 160x120 4:2:0, 25 fps, 50 frames, Vorbis track
const std::vector<std::uint8_t>& MovieCropped();   // 100x60 picture at (4, 2) of a 112x64 frame
const std::vector<std::uint8_t>& Movie444();       // 64x48 4:4:4
const std::vector<std::uint8_t>& MovieRepeats();   // 20 data frames, frames after 9 stamped 3 later
// Writes the file into the build tree; the path in the media layer's form.
std::u16string MovieFile(const std::string& name, const std::vector<std::uint8_t>& data);

// A memory stream the test owns.
struct MemMovieStream {
  explicit MemMovieStream(const std::vector<std::uint8_t>& data);
  ~MemMovieStream();
  ZaDod::StreamData data;
};

// Puts a just-opened movie into play as a player would (play requested, then resumed).
ZaDod::MovieHandleRecord* PlayMovie(int handle, int playType);
inline ZaDod::MovieHandleRecord* play(int handle, int playType) { return PlayMovie(handle, playType); }
// Open settings that leave every choice at its default.
inline const int kNoSettings[3] = {0, 0, 0};

// The software renderer on the headless display, for tests of graphs that show movies.
int StartSoftwareGraphics();
void StopSoftwareGraphics();

class MovieTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace halvorine_test
