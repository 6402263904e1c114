// Opens the input as an Ogg Theora movie from memory, then seeks, steps and converts
// a few frames as the movie handles do, and closes it (joining the decode thread).
#include <cstdint>

#include "media/graphics/base_image.h"
#include "media/movie/theora_movie.h"
#include "media/movie/yuv_tables.h"

using namespace ZaDod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  static const int tables = SetupYUVToRGBTables();
  (void)tables;
  MemStream* stream = MemStreamOpen(data, static_cast<std::uint32_t>(size));
  if (stream == nullptr) return 0;
  StreamData source{*GetMemStreamFunctions(), stream};
  if (TheoraDecoder* movie = TheoraMovie_Open(&source, 4, 0, 0, 0)) {
    TheoraMovieInfo info{};
    TheoraMovie_GetInfo(movie, &info);
    TheoraMovie_SeekFrame(movie, info.frameCount / 2);
    TheoraMovie_UpdateImage(movie, 1, 0, 0, 0);
    for (int step = 1; step <= 3; ++step) {
      TheoraMovie_AdvanceFrames(movie, step);
      TheoraMovie_GetBaseImage(movie);
    }
    TheoraMovie_Close(movie);
  }
  MemStreamClose(stream);
  return 0;
}
