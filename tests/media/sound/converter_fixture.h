// A sound converter opened over file bytes in memory, and reading from it.
#pragma once
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/sound/sound_handle.h"

namespace halvorine_test {

struct Converter {
  std::vector<std::uint8_t> bytes;
  ZaDod::MemStream* stream = nullptr;
  ZaDod::SoundConvert convert{};
  int result = -1;
  Converter(std::vector<std::uint8_t> file, int flags = 0, int width = 2, int build = 0) : bytes(std::move(file)) {
    stream = ZaDod::MemStreamOpen(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ZaDod::StreamData data{*ZaDod::GetMemStreamFunctions(), stream};
    result = ZaDod::SetupSoundConvert(&convert, &data, flags, width, build);
  }
  ~Converter() {
    if (result == 0) ZaDod::CloseSoundConvert(&convert);
    ZaDod::MemStreamClose(stream);
  }
  std::vector<std::uint8_t> read(int bytes) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(bytes));
    out.resize(static_cast<std::size_t>(std::max(0, ZaDod::RunSoundConvert(&convert, out.data(), bytes))));
    return out;
  }
  std::vector<std::int16_t> all() {
    std::vector<std::uint8_t> b = read(ZaDod::GetSoundConvertDestSize(&convert) + 65536);
    std::vector<std::int16_t> s(b.size() / 2);
    std::memcpy(s.data(), b.data(), s.size() * 2);
    return s;
  }
};

}  // namespace halvorine_test
