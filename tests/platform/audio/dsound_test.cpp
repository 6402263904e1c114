// The DirectSound face over the mixer: levels, cursor, locks, formats and rates.
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/module.h"
#include "tests/platform/audio/audio_fixture.h"

namespace halvorine_test {
namespace {

TEST_F(AudioTest, VolumeAndPanScaleALoopingSineExactly) {
  constexpr int kFrames = 4410;
  const std::vector<std::int16_t> src = sineFrames(kFrames);
  struct Case {
    pa::LONG volume, pan;
    double left, right;  // gains; 1.0 must come out bit-exact and 0.0 exactly silent
  };
  const Case cases[] = {
      {0, 0, 1.0, 1.0},
      {-1496, 0, 0.178649, 0.178649},
      {0, -10000, 1.0, 0.0},
      {0, 5000, 0.0031623, 1.0},
      {0, -2000, 1.0, 0.1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.volume) + " " + std::to_string(c.pan));
    pa::IDirectSoundBuffer* b = makeBuffer(pcmFormat(2, 16, 44100), kFrames * 4);
    ASSERT_NE(b, nullptr);
    fill(b, src.data(), kFrames * 4);
    ASSERT_EQ(b->SetVolume(c.volume), 0);
    ASSERT_EQ(b->SetPan(c.pan), 0);
    ASSERT_EQ(b->Play(0, 0, pa::DSBPLAY_LOOPING), 0);
    // Two and a half rounds of the loop.
    const std::vector<std::int16_t> out = mix(kFrames * 5 / 2);
    ASSERT_EQ(out.size(), static_cast<size_t>(kFrames * 5 / 2) * 2);
    int worst = 0;
    for (size_t i = 0; i < out.size() / 2; ++i) {
      const size_t k = i % kFrames;
      for (int ch = 0; ch < 2; ++ch) {
        const double gain = ch == 0 ? c.left : c.right;
        const int want = static_cast<int>(std::lround(src[2 * k + ch] * gain));
        const int diff = std::abs(out[2 * i + ch] - want);
        if (gain == 1.0 || gain == 0.0) {
          ASSERT_EQ(diff, 0) << "frame " << i << " channel " << ch;
        }
        worst = std::max(worst, diff);
      }
    }
    EXPECT_LE(worst, 1);
    b->Stop();
  }
}

TEST_F(AudioTest, CursorLocksAndTheEndOfAOnceBuffer) {
  constexpr pa::DWORD kSize = 44100;  // 11025 stereo 16-bit frames
  pa::IDirectSoundBuffer* b = makeBuffer(pcmFormat(2, 16, 44100), kSize);
  ASSERT_NE(b, nullptr);
  std::vector<std::int16_t> ones(kSize / 2, 1000);
  fill(b, ones.data(), kSize);

  pa::DWORD play = 1, write = 0;
  ASSERT_EQ(b->Play(0, 0, 0), 0);
  for (int q = 1; q <= 5; ++q) {
    mix(441);
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), 0);
    EXPECT_EQ(play, static_cast<pa::DWORD>(1764 * q));
    EXPECT_EQ(write, static_cast<pa::DWORD>(1764 * (q + 1)));
  }
  pa::DWORD status = 0;
  b->GetStatus(&status);
  EXPECT_EQ(status, pa::DSBSTATUS_PLAYING);

  // A lock across the end comes back in two regions.
  void* p1 = nullptr;
  void* p2 = nullptr;
  pa::DWORD n1 = 0, n2 = 0;
  ASSERT_EQ(b->Lock(kSize - 400, 1000, &p1, &n1, &p2, &n2, 0), 0);
  EXPECT_EQ(n1, 400u);
  EXPECT_EQ(n2, 600u);
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), 0);
  EXPECT_EQ(b->Lock(kSize, 4, &p1, &n1, &p2, &n2, 0), pa::DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Lock(0, kSize + 1, &p1, &n1, &p2, &n2, 0), pa::DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetCurrentPosition(kSize), pa::DSERR_INVALIDPARAM);

  // Played once, the buffer stops at its end and the rest is silence.
  const std::vector<std::int16_t> out = mix(kSize / 4);
  b->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), 0);
  EXPECT_EQ(play, kSize);
  const size_t heard = kSize / 4 - 5 * 441;
  for (size_t i = 0; i < out.size() / 2; ++i) ASSERT_EQ(out[2 * i], i < heard ? 1000 : 0) << i;

  const std::vector<std::string> log = pa::TakeAudioCallLogForTest();
  EXPECT_NE(std::find(log.begin(), log.end(), "Lock 43700 1000"), log.end());
}

TEST_F(AudioTest, RatesStretchTheSoundAndEightBitMidpointIsSilent) {
  constexpr int kFrames = 4410;
  std::vector<std::int16_t> level(kFrames * 2, 500);
  struct Case {
    pa::DWORD frequency;
    size_t heard;
  };
  for (const Case& c : {Case{0, kFrames}, Case{44100, kFrames}, Case{22050, 2 * kFrames}, Case{88200, kFrames / 2}}) {
    SCOPED_TRACE(c.frequency);
    pa::IDirectSoundBuffer* b = makeBuffer(pcmFormat(2, 16, 44100), kFrames * 4);
    fill(b, level.data(), kFrames * 4);
    ASSERT_EQ(b->SetFrequency(c.frequency), 0);
    pa::DWORD f = 0;
    b->GetFrequency(&f);
    EXPECT_EQ(f, c.frequency == 0 ? 44100u : c.frequency);
    b->Play(0, 0, 0);
    const std::vector<std::int16_t> out = mix(4 * kFrames);
    const size_t nonSilent = static_cast<size_t>(std::count_if(out.begin(), out.end(), [](std::int16_t v) {
                               return v != 0;
                             })) / 2;
    EXPECT_NEAR(static_cast<double>(nonSilent), static_cast<double>(c.heard), 1.0);
  }
  pa::IDirectSoundBuffer* b = makeBuffer(pcmFormat(2, 16, 44100), 400);
  EXPECT_EQ(b->SetFrequency(99), pa::DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(200001), pa::DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetVolume(1), pa::DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetPan(-10001), pa::DSERR_INVALIDPARAM);

  for (int channels : {1, 2}) {
    pa::IDirectSoundBuffer* eight = makeBuffer(pcmFormat(channels, 8, 11025), 2000);
    std::vector<std::uint8_t> mid(2000, 0x80);
    fill(eight, mid.data(), 2000);
    eight->Play(0, 0, pa::DSBPLAY_LOOPING);
  }
  const std::vector<std::int16_t> out = mix(4410);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::int16_t v) { return v == 0; }));
}

TEST_F(AudioTest, FormatsSizesAndInjectedFailures) {
  struct Case {
    pa::WAVEFORMATEX format;
    pa::DWORD bytes;
    pa::HRESULT result;
  };
  pa::WAVEFORMATEX badTag = pcmFormat(2, 16, 44100);
  badTag.wFormatTag = 3;
  pa::WAVEFORMATEX badAlign = pcmFormat(2, 16, 44100);
  badAlign.nBlockAlign = 2;
  const Case cases[] = {
      {pcmFormat(1, 8, 8000), 4, 0},
      {pcmFormat(2, 16, 200000), 0x1000, 0},
      {pcmFormat(3, 16, 44100), 4096, pa::DSERR_BADFORMAT},
      {pcmFormat(2, 24, 44100), 4096, pa::DSERR_BADFORMAT},
      {pcmFormat(2, 16, 99), 4096, pa::DSERR_BADFORMAT},
      {badTag, 4096, pa::DSERR_BADFORMAT},
      {badAlign, 4096, pa::DSERR_BADFORMAT},
      {pcmFormat(1, 8, 8000), 3, pa::DSERR_INVALIDPARAM},
      {pcmFormat(1, 8, 8000), 0x10000000, pa::DSERR_INVALIDPARAM},
  };
  for (const Case& c : cases) {
    pa::HRESULT hr = 1;
    makeBuffer(c.format, c.bytes, &hr);
    EXPECT_EQ(hr, c.result) << c.format.nChannels << "ch " << c.format.wBitsPerSample << "bit " << c.bytes;
  }
  pa::FailNextCreateSoundBuffersForTest(2);
  pa::HRESULT hr = 0;
  EXPECT_EQ(makeBuffer(pcmFormat(2, 16, 44100), 400, &hr), nullptr);
  EXPECT_EQ(makeBuffer(pcmFormat(2, 16, 44100), 400, &hr), nullptr);
  EXPECT_NE(makeBuffer(pcmFormat(2, 16, 44100), 400, &hr), nullptr);

  pa::DSCAPS caps{};
  caps.dwSize = sizeof(caps);
  ASSERT_EQ(device->GetCaps(&caps), 0);
  EXPECT_EQ(caps.dwMinSecondarySampleRate, 100u);
  EXPECT_EQ(caps.dwMaxSecondarySampleRate, 200000u);
  EXPECT_NE(caps.dwFlags & pa::DSCAPS_PRIMARYSTEREO, 0u);
  EXPECT_NE(caps.dwFlags & pa::DSCAPS_PRIMARY16BIT, 0u);
  EXPECT_EQ(caps.dwTotalHwMemBytes, 0u);
}

TEST(AudioMissing, MissingNamesTakeTheClassesAndLibrariesAway) {
  struct Case {
    const char* missing;
    bool dsound, xaudio28, xaudio27, x3daudio;
  };
  const Case cases[] = {
      {"", true, true, true, true},
      {"dsound", false, true, true, true},
      {"xaudio2", true, false, false, true},
      {"xaudio2_8", true, false, true, true},
      {"x3daudio", true, true, true, false},
      {"dmusic", true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    setenv("HALVORINE_MISSING", c.missing, 1);
    void* object = nullptr;
    const bool ds = plat::win::CoCreateInstance(pa::CLSID_DirectSound, nullptr, plat::win::CLSCTX_ALL,
                                                pa::IID_IDirectSound, &object) == 0;
    if (object != nullptr) static_cast<pa::IDirectSound*>(object)->Release();
    EXPECT_EQ(ds, c.dsound);
    plat::win::HMODULE library = plat::win::LoadLibraryW(u"DSound.DLL");
    EXPECT_EQ(library != nullptr, c.dsound);
    if (library != nullptr) plat::win::FreeLibrary(library);
    library = plat::win::LoadLibraryW(u"XAudio2_8.dll");
    EXPECT_EQ(library != nullptr, c.xaudio28);
    if (library != nullptr) plat::win::FreeLibrary(library);
    object = nullptr;
    const bool xa27 = plat::win::CoCreateInstance(pa::CLSID_XAudio2_7, nullptr, plat::win::CLSCTX_ALL,
                                                  pa::IID_IXAudio2_7, &object) == 0;
    if (object != nullptr) static_cast<pa::IXAudio2_7*>(object)->Release();
    EXPECT_EQ(xa27, c.xaudio27);
    library = plat::win::LoadLibraryW(u"X3DAudio1_7.dll");
    EXPECT_EQ(library != nullptr, c.x3daudio);
    if (library != nullptr) plat::win::FreeLibrary(library);
  }
  unsetenv("HALVORINE_MISSING");
}

}  // namespace

// Buffers made and released while another thread mixes: a pass walks its copy of the
// client list without the lock, so adding clients must never move that copy under it.
TEST_F(AudioTest, BuffersComeAndGoWhileAnotherThreadMixes) {
  std::atomic<bool> done{false};
  std::thread mixer([&] {
    while (!done.load()) pa::AdvanceAudioForTest(441);
  });
  std::vector<std::int16_t> level(882, 700);
  for (int round = 0; round < 3; ++round) {
    std::vector<pa::IDirectSoundBuffer*> made;
    for (int i = 0; i < 300 << round; ++i) {
      pa::DSBUFFERDESC desc{};
      pa::WAVEFORMATEX f = pcmFormat(2, 16, 44100);
      desc.dwSize = sizeof(desc);
      desc.dwBufferBytes = 1764;
      desc.lpwfxFormat = &f;
      pa::IDirectSoundBuffer* b = nullptr;
      ASSERT_EQ(device->CreateSoundBuffer(&desc, &b, nullptr), 0);
      fill(b, level.data(), 1764);
      ASSERT_EQ(b->Play(0, 0, pa::DSBPLAY_LOOPING), 0);
      made.push_back(b);
    }
    for (pa::IDirectSoundBuffer* b : made) b->Release();
  }
  done = true;
  mixer.join();
  pa::TakeCapturedAudioForTest();
}

}  // namespace halvorine_test
