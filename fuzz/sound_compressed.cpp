// Opens the input with the sound converter's compressed methods (Ogg Vorbis, Opus,
// compressed WAVE and MP3 through the codec stand-in; the WAVE and DirectShow paths
// off) and reads it as loaders and streams do: pieces of changing length, loop points,
// moves backwards and forwards with a loop-ahead target, and the whole at once.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/sound_fuzz.h"

using namespace ZaDod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int started = InitializeSoundConvert();
  (void)started;
  if (size > (1u << 20)) return 0;
  MemStream* stream = MemStreamOpen(data, static_cast<std::uint32_t>(size));
  if (stream == nullptr) return 0;
  StreamData source{*GetMemStreamFunctions(), stream};
  SoundConvert convert;
  const int disable = SOUNDCONVERT_NO_WAVE | SOUNDCONVERT_NO_DSMP3;
  const int width = size > 0 && (data[size - 1] & 1) ? 1 : 2;
  if (SetupSoundConvert(&convert, &source, disable, width, static_cast<int>(size & 2) >> 1) == 0) {
    const std::int32_t total = GetSoundConvertDestSize(&convert);
    std::int32_t loopStart = 0, loopEnd = 0;
    GetSoundConvertLoopPoints(&convert, &loopStart, &loopEnd);
    const int align = convert.OutFormat.nBlockAlign;
    if (align <= 0) std::abort();
    SetSoundConvertLoopAheadPosition(&convert, 3000);
    std::vector<std::uint8_t> piece(8192);
    std::int64_t read = 0;
    for (int n = 1, k = 0; k < 48; n = n * 5 % 8191 + 1, ++k) {
      const int got = RunSoundConvert(&convert, piece.data(), n);
      if (got < 0 || got > n) std::abort();
      read += got;
      if (k % 8 == 7) SetSoundConvertPosition(&convert, static_cast<std::int32_t>((read / align) * (k % 3) / 4));
    }
    // A decoded size many times the input only comes from a stream that claims it;
    // reading it all would just measure memory.
    if (total >= 0 && static_cast<std::uint64_t>(total) < 64 * size + (1u << 20)) sound_fuzz::readWhole(&convert, total);
    CloseSoundConvert(&convert);
  }
  MemStreamClose(stream);
  return 0;
}
