// What the sound fuzz targets share: decoding a whole opened converter into memory
// and checking the size it reports.
#pragma once
#include <cstdint>
#include <cstdlib>

#include "media/base/memory.h"
#include "media/sound/sound_handle.h"

namespace sound_fuzz {

// Decodes everything at once; no more bytes may come out than the total promised.
inline void readWhole(ZaDod::SoundConvert* convert, std::int32_t total) {
  ZaDod::pa::WAVEFORMATEX format;
  void* whole = nullptr;
  std::uint32_t wholeSize = 0;
  if (ZaDod::SoundConvertToMemory(convert, &format, &whole, &wholeSize) == 0) {
    if (wholeSize > static_cast<std::uint32_t>(total)) std::abort();
    ZaDod::MemFree(whole);
  }
}

}  // namespace sound_fuzz
