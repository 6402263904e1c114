// Writes the input to a temporary file with a movie extension and opens it as a movie
// handle: the Theora decoder refuses it, the DirectShow graph renders it or fails; a
// movie that opens is run, updated a few times and deleted (stopping its graph threads).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/input_file.h"
#include "media/movie/movie.h"
#include "media/movie/yuv_tables.h"
#include "media/sound/sound_handle.h"
#include "media/system/winapi.h"

using namespace ZaDod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  static const bool ready = [] {
    setenv("HALVORINE_HEADLESS", "1", 1);
    LoadWinAPI();
    SetupYUVToRGBTables();
    return InitializeMovie() == 0;
  }();
  if (!ready) return 0;
  static const std::string path = "/tmp/halvorine_fuzz_movie_" + std::to_string(getpid()) + ".mp4";
  fuzzinput::writeInputFile(path, data, size);
  const std::u16string wide = fuzzinput::windowsPath(path);
  const int settings[3] = {0, 0, 0};
  const int handle = OpenMovie(settings, wide.c_str(), nullptr, 0, nullptr, nullptr, 0, 0);
  if (handle != -1) {
    MovieHandleRecord* movie = GetMovieHandleRecord(handle);
    movie->playType = DX_PLAYTYPE_LOOP;
    movie->playRequested = 1;
    ResumeSuspendedMovies();
    for (int i = 0; i < 3; ++i) {
      UpdateMovie(handle, 0);
      usleep(2000);
    }
    DeleteAnyHandle(handle);
  }
  std::remove(path.c_str());
  return 0;
}
