// Opens the input with every converter method but the filter-graph MP3 path switched
// off, so each input either is refused or decodes through the graph into memory, and
// reads the result back in pieces and whole.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/sound_fuzz.h"
#include "media/sound/sound_convert_methods.h"
#include "media/system/winapi.h"

using namespace ZaDod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int started = (LoadWinAPI(), InitializeSoundConvert());
  (void)started;
  if (size > (1u << 18)) return 0;
  MemStream* stream = MemStreamOpen(data, static_cast<std::uint32_t>(size));
  if (stream == nullptr) return 0;
  StreamData source{*GetMemStreamFunctions(), stream};
  SoundConvert convert;
  const int disable = SOUNDCONVERT_NO_WAVE | SOUNDCONVERT_NO_OGG | SOUNDCONVERT_NO_OPUS | SOUNDCONVERT_NO_ACM |
                      SOUNDCONVERT_NO_ACM_MP3;
  if (SetupSoundConvert(&convert, &source, disable, 2, 0) == 0) {
    if (convert.Method != SOUND_METHODTYPE_MEMORY || convert.OutFormat.nBlockAlign == 0) std::abort();
    const std::int32_t total = GetSoundConvertDestSize(&convert);
    if (total < 0 || total % convert.OutFormat.nBlockAlign != 0) std::abort();
    std::vector<std::uint8_t> piece(4096);
    for (int n = 1, k = 0; k < 16; n = n * 7 % 4093 + 1, ++k) {
      const int got = RunSoundConvert(&convert, piece.data(), n);
      if (got < 0 || got > n) std::abort();
    }
    SetSoundConvertPosition(&convert, 0);
    sound_fuzz::readWhole(&convert, total);
    CloseSoundConvert(&convert);
  }
  MemStreamClose(stream);
  return 0;
}
