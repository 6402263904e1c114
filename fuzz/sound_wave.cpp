// Opens the input with the sound converter (WAVE only) and reads it every way a sound
// loader does: its size, pieces of changing length, moves, and the whole at once.
// Memory use must stay within a constant of the input's size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/sound_fuzz.h"

using namespace ZaDod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 22)) return 0;
  MemStream* stream = MemStreamOpen(data, static_cast<std::uint32_t>(size));
  if (stream == nullptr) return 0;
  StreamData source{*GetMemStreamFunctions(), stream};
  const std::size_t before = MemGetTotalAllocSize();
  SoundConvert convert;
  const int disable = SOUNDCONVERT_NO_OGG | SOUNDCONVERT_NO_OPUS | SOUNDCONVERT_NO_ACM | SOUNDCONVERT_NO_ACM_MP3 |
                      SOUNDCONVERT_NO_DSMP3;
  if (SetupSoundConvert(&convert, &source, disable, 2, 0) == 0) {
    if (MemGetTotalAllocSize() - before > 2 * size + 256) std::abort();
    const std::int32_t total = GetSoundConvertDestSize(&convert);
    if (total < 0 || static_cast<std::size_t>(total) > size) std::abort();
    std::vector<std::uint8_t> piece(4096);
    std::int64_t read = 0;
    for (int n = 1, k = 0; k < 64; n = n * 3 % 4093 + 1, ++k) {
      const int got = RunSoundConvert(&convert, piece.data(), n);
      if (got < 0 || got > n) std::abort();
      read += got;
      if (k % 8 == 7) SetSoundConvertPosition(&convert, static_cast<std::int32_t>(read / 3 % 977));
    }
    sound_fuzz::readWhole(&convert, total);
    CloseSoundConvert(&convert);
  }
  MemStreamClose(stream);
  return 0;
}
