// Movie handles with the clock held and stepped: open from a file and from memory,
// the failures, play time turned into frames (looping, ending, speed), suspend and
// resume, and handles opened and released in a loop.
#include <cstring>

#include "media/base/clock.h"
#include "media/movie/movie.h"
#include "media/movie/theora_movie.h"
#include "media/sound/sound_handle.h"
#include "platform/win/win_clock.h"
#include "tests/media/log_capture.h"
#include "tests/media/movie/movie_fixture.h"
#include "tests/media/sound/sound_system_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;


int openMemory(const std::vector<std::uint8_t>& data) {
  return OpenMovie(kNoSettings, nullptr, data.data(), static_cast<std::uint32_t>(data.size()), nullptr, nullptr, 0, 0);
}

void advanceMs(long long ms) { plat::win::StepClockForTest(ms * 1000000LL); }

// Gives a movie a sound track of its own: a 1-s WAVE sound, whatever the file's track did.
void giveSound(MovieHandleRecord* movie, int outlasts) {
  const std::vector<std::int16_t> samples = ramp(44100);
  const std::vector<std::uint8_t> wave =
      makeWave(1, 1, 44100, 16, samples.data(), static_cast<std::uint32_t>(samples.size() * 2));
  DeleteSoundMem(movie->sound);
  movie->sound = LoadSoundMemByMemImage(wave.data(), static_cast<std::uint32_t>(wave.size()));
  ASSERT_NE(movie->sound, -1);
  movie->soundOutlastsPicture = outlasts;
}

using MovieHandleTest = MovieTest;

TEST_F(MovieHandleTest, OpensAFileWithItsPictureLengthAndSoundTrack) {
  const std::u16string path = MovieFile("regular.ogv", MovieRegular());
  int width = 0, height = 0;
  const int handle = OpenMovie(kNoSettings, path.c_str(), nullptr, 0, &width, &height, 0, 0);
  ASSERT_NE(handle, -1);
  MovieHandleRecord* movie = GetMovieHandleRecord(handle);
  EXPECT_EQ(width, 160);
  EXPECT_EQ(height, 120);
  EXPECT_EQ(movie->length, 2000);
  EXPECT_EQ(movie->theora, 1);
  EXPECT_EQ(movie->paused, 1);
  EXPECT_EQ(movie->playRequested, 0);
  EXPECT_EQ(movie->playType, DX_PLAYTYPE_BACK);
  EXPECT_EQ(movie->currentImage, TheoraMovie_GetBaseImage(movie->decoder));
  EXPECT_EQ(movie->soundOutlastsPicture, 0);
  // The sound track loads once the Ogg Vorbis decoder is there; without it the movie is silent.
  if (movie->sound != -1) {
    EXPECT_EQ(GetSoundMemTotalSample(movie->sound), 88200);
    EXPECT_EQ(GetSoundRecord(movie->sound)->StreamFlag, 1);
  }
  EXPECT_EQ(DeleteAnyHandle(handle), 0);
  EXPECT_EQ(GetMovieHandleRecord(handle), nullptr);
}

TEST_F(MovieHandleTest, DataThatIsNoMovieFailsWithItsMessageAndLeavesNoHandle) {
  LogCapture log;
  const std::vector<std::uint8_t> notTheora = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(openMemory(notTheora), -1);
  EXPECT_TRUE(LogCapture::contains(u"ムービーファイルオープン処理時に失敗しました"));
  const std::u16string path = MovieFile("not_a_movie.ogv", std::vector<std::uint8_t>(100, 'x'));
  EXPECT_EQ(OpenMovie(kNoSettings, path.c_str(), nullptr, 0, nullptr, nullptr, 0, 0), -1);
  EXPECT_TRUE(LogCapture::contains(u"ムービーファイルオープン処理時にエラーが発生しました"));
  EXPECT_EQ(HandleManageArray[HANDLETYPE_MOVIE].Num, 0);
  EXPECT_EQ(UpdateMovie(-1, 0), -1);
  EXPECT_EQ(SetMovieFrameCallback(12345, nullptr, 0), -1);
  EXPECT_EQ(InitializeMovie(), -1);
}

TEST_F(MovieHandleTest, PlayTimeBecomesFramesLoopingHoldingAndAtTheSetSpeed) {
  const int looping = openMemory(MovieRegular());
  const int once = openMemory(MovieRegular());
  const int fast = openMemory(MovieRegular());
  ASSERT_NE(looping, -1);
  MovieHandleRecord* loopMovie = play(looping, DX_PLAYTYPE_LOOP);
  MovieHandleRecord* onceMovie = play(once, DX_PLAYTYPE_BACK);
  MovieHandleRecord* fastMovie = GetMovieHandleRecord(fast);
  fastMovie->playSpeed = 2.0;
  play(fast, DX_PLAYTYPE_LOOP);
  giveSound(loopMovie, 0);
  giveSound(fastMovie, 1);
  giveSound(onceMovie, 0);
  ASSERT_EQ(PlaySoundMem(onceMovie->sound, DX_PLAYTYPE_BACK, 1), 0);

  advanceMs(400);  // 10 frames at 25 fps
  for (int h : {looping, once, fast}) EXPECT_EQ(UpdateMovie(h, 0), 0);
  EXPECT_EQ(loopMovie->elapsed, 400000u);
  EXPECT_EQ(fastMovie->elapsed, 800000u);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(loopMovie->decoder), 10);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(fastMovie->decoder), 20);
  EXPECT_EQ(loopMovie->frameUpdated, 1);

  advanceMs(1800);  // 2.2 s: frame 55 of 50, 110 at double speed
  for (int h : {looping, once, fast}) EXPECT_EQ(UpdateMovie(h, 0), 0);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(loopMovie->decoder), 5);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(fastMovie->decoder), 10);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(onceMovie->decoder), 49);
  // The wrap restarts the sound unless it outlasts the picture.
  EXPECT_EQ(CheckSoundMemPlaying(loopMovie->sound), 1);
  EXPECT_EQ(CheckSoundMemPlaying(fastMovie->sound), 0);
  // A movie played once holds its last frame while its sound plays, and ends after.
  EXPECT_EQ(UpdateMovie(once, 0), 0);
  EXPECT_EQ(onceMovie->paused, 0);
  EXPECT_EQ(onceMovie->playRequested, 1);
  StopSoundMem(onceMovie->sound);
  EXPECT_EQ(UpdateMovie(once, 0), 0);
  EXPECT_EQ(onceMovie->playRequested, 0);
  EXPECT_EQ(onceMovie->paused, 1);
  EXPECT_EQ(loopMovie->paused, 0);

  // Suspend keeps the frame and resume restarts time from it.
  EXPECT_EQ(SuspendPlayingMovies(), 0);
  EXPECT_EQ(loopMovie->paused, 1);
  advanceMs(1000);
  EXPECT_EQ(ResumeSuspendedMovies(), 0);
  EXPECT_EQ(loopMovie->elapsed, 200000u);  // frame 5 at 25 fps
  EXPECT_EQ(onceMovie->paused, 1);         // ended movies stay ended
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(loopMovie->decoder), 5);
}

TEST_F(MovieHandleTest, SuspendAndResumeOfAJustOpenedMovieChangeNothing) {
  const int handle = openMemory(MovieCropped());
  ASSERT_NE(handle, -1);
  MovieHandleRecord* movie = GetMovieHandleRecord(handle);
  std::vector<std::uint8_t> before(sizeof(MovieHandleRecord));
  std::memcpy(before.data(), movie, sizeof(MovieHandleRecord));
  advanceMs(500);
  EXPECT_EQ(SuspendPlayingMovies(), 0);
  EXPECT_EQ(ResumeSuspendedMovies(), 0);
  EXPECT_EQ(std::memcmp(before.data(), movie, sizeof(MovieHandleRecord)), 0);
  EXPECT_EQ(UpdateMovie(handle, 0), 0);
  EXPECT_EQ(TheoraMovie_GetCurrentFrame(movie->decoder), 0);
}

// Handles opened, played, updated and released in a loop, several alive at a time;
// terminating the module releases whatever is left.
TEST_F(MovieHandleTest, HandlesOpenPlayAndReleaseInALoop) {
  static int calls = 0;
  std::vector<int> alive;
  for (int round = 0; round < 40; ++round) {
    const int handle = openMemory(MovieCropped());
    ASSERT_NE(handle, -1);
    SetMovieFrameCallback(handle, [](MovieHandleRecord*, std::uint32_t) { ++calls; }, 0);
    play(handle, round % 2 ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK);
    alive.push_back(handle);
    advanceMs(30 + round * 7);
    for (int h : alive) EXPECT_EQ(UpdateMovie(h, 0), 0);
    if (alive.size() > 3) {
      EXPECT_EQ(DeleteAnyHandle(alive.front()), 0);
      alive.erase(alive.begin());
    }
  }
  EXPECT_GT(calls, 40);
}

}  // namespace
}  // namespace halvorine_test
