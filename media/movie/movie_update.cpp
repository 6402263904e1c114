// Moving movies with time: the update that brings a movie to the frame of its play
// time and hands the frame to its graph, and the suspend and resume of activation.
#include "media/base/clock.h"
#include "media/movie/movie.h"
#include "media/movie/theora_movie.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

using u128 = unsigned __int128;

// Frames per second in 16.16 fixed point: the rate that turns play time into frames.
std::uint64_t fixedRate(double framesPerSecond) {
  const double scaled = framesPerSecond * 65536.0;
  return scaled > 0 ? static_cast<std::uint64_t>(scaled) : 0;
}

// The time frame that a play time in microseconds falls in.
std::uint64_t frameAt(std::uint64_t elapsed, double framesPerSecond) {
  return static_cast<std::uint64_t>(u128{elapsed} * fixedRate(framesPerSecond) / 65536000000ull);
}

// The first microsecond of a time frame, in the same arithmetic: a movie resumed there
// shows the frame it was suspended on. (The frame's start in floating point lies a
// fraction of a microsecond early at 30 frames a second, which the update took for the
// frame before and so for a wrap back through the whole movie.)
std::uint64_t frameStart(int frame, double framesPerSecond) {
  const std::uint64_t rate = fixedRate(framesPerSecond);
  if (rate == 0 || frame <= 0) return 0;
  return static_cast<std::uint64_t>((u128(static_cast<std::uint64_t>(frame)) * 65536000000ull + rate - 1) / rate);
}

void updateTheora(MovieHandleRecord* movie) {
  TheoraDecoder* decoder = movie->decoder;
  TheoraMovieInfo info{};
  TheoraMovie_GetInfo(decoder, &info);
  if (movie->paused || info.frameCount <= 0) return;
  const std::uint64_t now = static_cast<std::uint64_t>(GetMicrosecondCount());
  std::uint64_t delta = now - movie->lastTime;
  if (movie->playSpeed < 0.999999999 || movie->playSpeed > 1.0000000001) {
    const double scaled = movie->playSpeed * 65536.0;
    const std::uint64_t factor = scaled > 0 ? static_cast<std::uint64_t>(scaled) : 0;
    delta = static_cast<std::uint64_t>(u128{delta} * factor / 65536);
  }
  movie->elapsed += delta;
  movie->lastTime = now;
  std::uint64_t frame = frameAt(movie->elapsed, info.framesPerSecond);
  const std::uint64_t count = static_cast<std::uint64_t>(info.frameCount);
  const bool loops = (movie->playType & DX_PLAYTYPE_LOOPBIT) != 0;
  if (frame >= count) frame = loops ? frame % count : count - 1;
  const std::uint64_t current = static_cast<std::uint64_t>(TheoraMovie_GetCurrentFrame(decoder));
  if (frame != current) {
    movie->frameUpdated = 1;
    std::uint64_t skip;
    if (frame < current) {
      skip = count - current + frame;
      if (!movie->soundOutlastsPicture) PlaySoundMem(movie->sound, DX_PLAYTYPE_BACK, 1);
    } else {
      skip = frame - current;
    }
    TheoraMovie_AdvanceFrames(decoder, static_cast<int>(skip));
    movie->lastFrameTime = static_cast<int>(now / 1000);
  }
  if (frame == current && frame == count - 1 && !loops) {
    if (!(movie->sound != -1 && CheckSoundMemPlaying(movie->sound) == 1)) {
      movie->playRequested = 0;
      movie->paused = 1;
    }
  }
}

// Visits every live, settled movie in index order.
template <typename Visit>
void forEachMovie(Visit visit) {
  HandleTypeManager& m = HandleManageArray[HANDLETYPE_MOVIE];
  for (int i = m.AreaMin; m.Num > 0 && i <= m.AreaMax; ++i) {
    auto* movie = reinterpret_cast<MovieHandleRecord*>(m.Handle[i]);
    if (movie == nullptr || movie->header.DeleteRequestFlag || HandleASyncLoadCount(&movie->header) != 0) continue;
    visit(movie);
  }
}

}  // namespace

int UpdateMovie(int handle, int flag) {
  MovieHandleRecord* movie = GetMovieHandleRecord(handle);
  if (movie == nullptr) return -1;
  if (!movie->theora) {
    // The DirectShow update calls the callback itself, only after a new frame or a refresh.
    UpdateDirectShowMovie(movie, flag);
    return 0;
  }
  updateTheora(movie);
  if (movie->frameCallback != nullptr) {
    movie->frameCallback(movie, movie->callbackParameter);
    movie->callbackRan = 1;
  }
  return 0;
}

int SuspendPlayingMovies() {
  if (HandleManageArray[HANDLETYPE_MOVIE].InitializeFlag == 0) return -1;
  forEachMovie([](MovieHandleRecord* movie) {
    if (movie->paused) return;
    if (movie->theora) {
      StopSoundMem(movie->sound);
      UpdateMovie(movie->header.Handle, 0);
      movie->paused = 1;
    } else {
      PauseDirectShowMovie(movie);
      if (movie->mediaControl != nullptr) movie->paused = 1;
    }
  });
  return 0;
}

int ResumeSuspendedMovies() {
  if (HandleManageArray[HANDLETYPE_MOVIE].InitializeFlag == 0) return -1;
  forEachMovie([](MovieHandleRecord* movie) {
    if (!movie->paused || !movie->playRequested) return;
    movie->frameUpdated = 0;
    movie->paused = 0;
    if (movie->playType == 0) movie->playType = DX_PLAYTYPE_BACK;
    movie->playRequested = 1;
    if (movie->theora) {
      movie->lastTime = static_cast<std::uint64_t>(GetMicrosecondCount());
      movie->elapsed = frameStart(TheoraMovie_GetCurrentFrame(movie->decoder), movie->framesPerSecond);
      const int type = movie->soundOutlastsPicture && movie->playType != 0 ? movie->playType : DX_PLAYTYPE_BACK;
      PlaySoundMem(movie->sound, type, 0);
    } else {
      RunDirectShowMovie(movie);
    }
  });
  return 0;
}

}  // namespace ZaDod
