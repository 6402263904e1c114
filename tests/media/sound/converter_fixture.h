// A sound converter opened over file bytes in memory, and reading from it; and the
// sound system ready to load such bytes.
#pragma once
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/sound/sound_handle.h"
#include "tests/media/sound/sound_system_fixture.h"

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

// The sound system with the converter's codecs loaded; load() makes a sound of file
// bytes with the given data kind.
class CompressedTest : public SoundSystemTest {
 protected:
  void SetUp() override {
    SoundSystemTest::SetUp();
    ZaDod::InitializeSoundConvert();
  }
  void TearDown() override {
    ZaDod::TerminateSoundConvert();
    unsetenv("HALVORINE_MISSING");
    SoundSystemTest::TearDown();
  }
  int load(const std::vector<std::uint8_t>& file, int kind = 0) {
    ZaDod::LoadSoundSettings s;
    ZaDod::InitLoadSoundSettings(&s);
    s.CreateSoundDataType = kind;
    return ZaDod::LoadSoundMemByMemImageWithParams(&s, 1, -1, file.data(), static_cast<std::uint32_t>(file.size()),
                                                   1, -1, 0, 0);
  }
};

}  // namespace halvorine_test
