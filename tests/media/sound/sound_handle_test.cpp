// Sound handles end to end on the manual sink: tables, levels, voices, pause-all,
// memory and stream sounds checked sample by sample in the mixed output, loop tags,
// loop points and handle life cycles in loops.
#include <cmath>
#include <filesystem>

#include "media/base/memory.h"
#include "tests/media/file/file_testing.h"
#include "tests/media/sound/sound_system_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

SoundHandleRecord* record(int h) { return GetSoundRecord(h, 1); }

TEST_F(SoundSystemTest, TablesLevelsAndConversions) {
  EXPECT_EQ(InitializeSoundSystem(), -1);  // already started
  const int at[] = {0, 8192, 16384, 32768, 49152};
  const int sine[] = {0, 11585, 16384, 0, -16384};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(SoundSys.SinTable[at[i]], sine[i]) << at[i];

  const int h = loadMono16(ramp(4410), 44100, 2);
  ASSERT_NE(h, -1);
  const int volume[] = {255, 254, 200, 128, 127, 64, 1, 0};
  const int stored[] = {0, -8, -527, -1496, -1513, -3001, -10000, -10000};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(ChangeSoundMemVolume(volume[i], h), 0);
    EXPECT_EQ(record(h)->Volume[0], stored[i]) << volume[i];
    EXPECT_EQ(record(h)->Buffer[1].Volume[7], stored[i]);
  }
  ChangeSoundMemVolume(128, h);
  EXPECT_EQ(GetSoundMemChannelVolume(0, h), 8504);
  EXPECT_EQ(GetSoundMemChannelVolume(8, h), -1);
  EXPECT_EQ(ConvertSamplesToMs(44100, 44099), 999);
  EXPECT_EQ(ConvertMsToSamples(44100, 1), 44);
  EXPECT_EQ(GetSoundMemTotalSample(h), 4410);
  EXPECT_EQ(GetSoundMemTotalTime(h), 100);

  void* wave = nullptr;
  std::uint32_t size = 0;
  std::vector<std::uint8_t> data(1000, 7);
  pa::WAVEFORMATEX format{1, 1, 8000, 8000, 1, 8, 0};
  ASSERT_EQ(MakeTempWaveImage(&wave, &size, &format, 18, data.data(), 1000), 0);
  EXPECT_EQ(size, 1046u);
  std::uint32_t riff = 0;
  std::memcpy(&riff, static_cast<char*>(wave) + 4, 4);
  EXPECT_EQ(riff, 1038u);
  MemFree(wave);
  EXPECT_EQ(DeleteSoundMem(h), 0);
  EXPECT_EQ(CheckSoundMemPlaying(h), -1);
  EXPECT_EQ(StopSoundThread(), 0);  // one processor: no thread
}

TEST_F(SoundSystemTest, MemorySoundPlaysExactlyAndScalesByVolume) {
  const std::vector<std::int16_t> src = ramp(4410, 13);
  const int h = loadMono16(src);
  ASSERT_NE(h, -1);
  EXPECT_EQ(record(h)->StreamFlag, 0);
  struct Case {
    int volume;
    std::int32_t hundredths;
  } cases[] = {{255, 0}, {128, -1496}, {64, -3001}};
  for (const Case& c : cases) {
    ChangeSoundMemVolume(c.volume, h);
    ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
    EXPECT_EQ(CheckSoundMemPlaying(h), 1);
    const std::vector<std::int16_t> l = left(run(8820));
    const std::size_t at = firstSound(l);
    EXPECT_EQ(mismatch(l, at, src, std::pow(10.0, c.hundredths / 2000.0), 1), -1) << c.volume;
    EXPECT_EQ(CheckSoundMemPlaying(h), 0);
  }
}

TEST_F(SoundSystemTest, VoicesRestartAndPauseAll) {
  const int h = loadMono16(ramp(44100), 44100, 3);
  ASSERT_NE(h, -1);
  ASSERT_EQ(record(h)->BufferNum, 3);
  // Without restart every buffer is taken in turn, then the oldest voice is left alone.
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 0), 0);
    run(441 * 2);
  }
  std::uint32_t before[3];
  for (int i = 0; i < 3; ++i) SoundBufferFront_GetCurrentPosition(&record(h)->Buffer[i], &before[i], nullptr);
  EXPECT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 0), 0);
  std::uint32_t pos = 0;
  SoundBufferFront_GetCurrentPosition(&record(h)->Buffer[1], &pos, nullptr);  // the oldest voice
  EXPECT_EQ(pos, before[1]);
  EXPECT_EQ(record(h)->CurrentBuffer, 1);
  // Pause-all stops all three and resumes them where they were.
  StopSoundMem(h);
  PlaySoundMem(h, DX_PLAYTYPE_BACK, 1);
  run(441);
  SetSoundMemPauseAll(1);
  EXPECT_EQ(CheckSoundMemPlaying(h), 1);  // a paused voice that played counts as playing
  SoundBuffer* b = &record(h)->Buffer[record(h)->CurrentBuffer];
  SoundBufferFront_GetCurrentPosition(b, &before[0], nullptr);
  run(441 * 5);
  SoundBufferFront_GetCurrentPosition(b, &pos, nullptr);
  EXPECT_EQ(pos, before[0]);
  SetSoundMemPauseAll(0);
  run(441);
  SoundBufferFront_GetCurrentPosition(b, &pos, nullptr);
  EXPECT_EQ(pos, before[0] + 441 * 2);
  int playingVoices = 0;
  for (int i = 0; i < 3; ++i) playingVoices += SoundBufferFront_IsPlaying(&record(h)->Buffer[i]);
  EXPECT_EQ(playingVoices, 1);  // stopped voices stay stopped
}

TEST_F(SoundSystemTest, LoadPlayDeleteInLoopsLeavesNothingBehind) {
  const std::size_t allocations = static_cast<std::size_t>(MemGetAllocNum());
  const std::vector<std::int16_t> src = ramp(2000);
  for (int round = 0; round < 12; ++round) {
    std::vector<int> handles;
    for (int i = 0; i < 4; ++i) {
      LoadSoundSettings s;
      InitLoadSoundSettings(&s);
      s.CreateSoundDataType = (i % 2) * 2;  // memory and stream sounds interleaved
      std::vector<std::uint8_t> w = makeWave(1, 1, 22050, 16, src.data(), 4000);
      const int h = LoadSoundMemByMemImageWithParams(&s, 1, -1, w.data(), static_cast<std::uint32_t>(w.size()), 2,
                                                     -1, 0, 0);
      ASSERT_NE(h, -1);
      handles.push_back(h);
      PlaySoundMem(h, (round + i) % 2 ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK, 1);
      if (round % 3 == 0) SetPlayFinishDeleteSoundMem(1, h);
      run(441);
    }
    DeleteSoundMem(handles[round % 4]);
    run(441 * 20);
    ProcessPlayEndSounds();
    for (int h : handles) DeleteSoundMem(h);
  }
  EXPECT_EQ(static_cast<std::size_t>(MemGetAllocNum()), allocations);
}

TEST_F(SoundSystemTest, StreamOfElevenKilohertzKeepsItsLead) {
  const std::vector<std::int16_t> src = ramp(11025 * 2 * 3);  // 3 s stereo
  std::vector<std::uint8_t> w = makeWave(1, 2, 11025, 16, src.data(), static_cast<std::uint32_t>(src.size() * 2));
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = 2;
  const int h = LoadSoundMemByMemImageWithParams(&s, 1, -1, w.data(), static_cast<std::uint32_t>(w.size()), 1, -1, 0, 0);
  ASSERT_NE(h, -1);
  SoundHandleRecord* r = record(h);
  ASSERT_EQ(r->StreamFlag, 1);
  EXPECT_EQ(r->StreamBufferSize, 44100u);
  EXPECT_EQ(r->WritePosition, 33072);
  ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
  std::vector<std::int16_t> captured;
  for (int tick = 0; tick < 250; ++tick) {
    std::vector<std::int16_t> piece = run(441);
    captured.insert(captured.end(), piece.begin(), piece.end());
    std::uint32_t p = 0;
    SoundBufferFront_GetCurrentPosition(&r->Buffer[0], &p, nullptr);
    const std::uint32_t lead = (static_cast<std::uint32_t>(r->WritePosition) + 44100 - p) % 44100;
    ASSERT_LE(lead, 38588u) << tick;
    ASSERT_EQ(r->WritePosition % 4, 0);
  }
  EXPECT_GT(GetSoundMemCurrentPosition(h), 44100 * 2);
}

TEST_F(SoundSystemTest, StreamPlayedOnceEndsAfterItsLastFrame) {
  const std::vector<std::int16_t> src = ramp(39690, 11);  // 0.9 s mono
  std::vector<std::uint8_t> w = makeWave(1, 1, 44100, 16, src.data(), 39690 * 2);
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = 2;
  const int h = LoadSoundMemByMemImageWithParams(&s, 1, -1, w.data(), static_cast<std::uint32_t>(w.size()), 1, -1, 0, 0);
  ASSERT_NE(h, -1);
  ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
  std::vector<std::int16_t> captured = run(441 * 88);
  EXPECT_EQ(CheckSoundMemPlaying(h), 1);
  std::vector<std::int16_t> rest = run(441 * 4);
  EXPECT_EQ(CheckSoundMemPlaying(h), 0);
  EXPECT_EQ(record(h)->Active, 0);
  captured.insert(captured.end(), rest.begin(), rest.end());
  rest = run(441 * 100);
  captured.insert(captured.end(), rest.begin(), rest.end());
  const std::vector<std::int16_t> l = left(captured);
  const std::size_t at = firstSound(l);
  EXPECT_EQ(mismatch(l, at, src), -1);
  for (std::size_t i = at + src.size(); i < l.size(); ++i) ASSERT_EQ(l[i], 0) << i;
}

TEST_F(SoundSystemTest, EntriesRepeatThenDrain) {
  const std::vector<std::int16_t> a = ramp(4410, 3), b = ramp(4410, 17);
  std::vector<std::uint8_t> wa = makeWave(1, 1, 44100, 16, a.data(), 8820);
  std::vector<std::uint8_t> wb = makeWave(1, 1, 44100, 16, b.data(), 8820);
  std::vector<std::uint8_t> other = makeWave(1, 2, 44100, 16, a.data(), 8820);
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  const int h = AddSoundHandle(0, 0, 0);
  ASSERT_EQ(AddStreamSoundMemToMem(&s, wa.data(), static_cast<std::uint32_t>(wa.size()), 1, h, 2, -1, 0), 0);
  ASSERT_EQ(AddStreamSoundMemToMem(&s, other.data(), static_cast<std::uint32_t>(other.size()), 0, h, 2, -1, 0), -1);
  ASSERT_EQ(AddStreamSoundMemToMem(&s, wb.data(), static_cast<std::uint32_t>(wb.size()), 0, h, 2, -1, 0), 0);
  ASSERT_EQ(AddStreamSoundMemToMem(&s, wb.data(), static_cast<std::uint32_t>(wb.size()), 0, h, 2, -1, 0), 0);
  ASSERT_EQ(AddStreamSoundMemToMem(&s, wb.data(), static_cast<std::uint32_t>(wb.size()), 0, h, 2, -1, 0), -1);
  EXPECT_EQ(record(h)->EntryCount, 3);
  EXPECT_EQ(SetStreamSoundMemBytePosition(0, h, 0), -1);  // two or more entries cannot seek
  StartStreamSoundMem(h, 0);
  ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
  const std::vector<std::int16_t> l = left(run(44100));
  const std::size_t at = firstSound(l);
  std::vector<std::int16_t> want = a;
  want.insert(want.end(), a.begin(), a.end());
  want.insert(want.end(), b.begin(), b.end());
  want.insert(want.end(), b.begin(), b.end());
  EXPECT_EQ(mismatch(l, at, want), -1);
  for (std::size_t i = at + want.size(); i < l.size(); ++i) ASSERT_EQ(l[i], 0) << i;
  EXPECT_EQ(record(h)->Active, 0);
}

TEST_F(SoundSystemTest, LoopTagFileLoopsWithoutStaleData) {
  filetest::TempFolder folder;
  const std::vector<std::int16_t> src = ramp(8000, 9);
  const std::vector<std::uint8_t> wave = makeWave(1, 1, 44100, 16, src.data(), 16000);
  filetest::writeFile(folder / "dir.v2/x", wave);
  const std::string tag = "\xEF\xBB\xBFLOOPSTART=1000\r\nLOOPLENGTH=500";
  filetest::writeFile(folder / "dir.v2/x_loop.txt", std::vector<std::uint8_t>(tag.begin(), tag.end()));
  const std::u16string path = filetest::mediaPath(folder / "dir.v2/x");
  const int h = LoadSoundMem(path.c_str(), 3, -1);
  ASSERT_NE(h, -1);
  ASSERT_EQ(record(h)->StreamFlag, 1);
  EXPECT_EQ(record(h)->Entries[0].LoopStartSamplePosition, 1000);
  EXPECT_EQ(record(h)->Entries[0].LoopEndSamplePosition, 1500);
  ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
  std::vector<std::int16_t> captured = run(441 * 2);
  // The reported position jumps back only once the cursor has passed the first wrap.
  EXPECT_EQ(GetSoundMemCurrentPosition(h), 441 * 2 * 2);
  std::vector<std::int16_t> rest = run(441 * 2);
  captured.insert(captured.end(), rest.begin(), rest.end());
  EXPECT_EQ(GetSoundMemCurrentPosition(h), (1000 + 441 * 4 - 1500) * 2);
  rest = run(44100 * 2);
  captured.insert(captured.end(), rest.begin(), rest.end());
  const std::vector<std::int16_t> l = left(captured);
  const std::size_t at = firstSound(l);
  std::vector<std::int16_t> want(src.begin(), src.begin() + 1500);
  while (want.size() < 44100 * 2) want.insert(want.end(), src.begin() + 1000, src.begin() + 1500);
  EXPECT_EQ(mismatch(l, at, want), -1);

  struct TagCase {
    const char* name;
    std::vector<std::uint8_t> text;
    int result, start, end;
  } cases[] = {
      {"no signature, code page 932", {'L', 'O', 'O', 'P', 'S', 'T', 'A', 'R', 'T', '=', '5', '\n', 'L', 'O', 'O', 'P', 'E', 'N', 'D', '=', '9'}, 0, 5, 9},
      {"first L starts another word", {'L', 'E', 'N', '=', '1', ' ', 'L', 'O', 'O', 'P', 'E', 'N', 'D', '=', '9'}, -1, 0, 0},
      {"start not below end", {'L', 'O', 'O', 'P', 'S', 'T', 'A', 'R', 'T', '=', '9', ' ', 'L', 'O', 'O', 'P', 'E', 'N', 'D', '=', '9'}, -1, 0, 0},
      {"value past 2^31-1", {'L', 'O', 'O', 'P', 'S', 'T', 'A', 'R', 'T', '=', '1', ' ', 'L', 'O', 'O', 'P', 'E', 'N', 'D', '=', '3', '0', '0', '0', '0', '0', '0', '0', '0', '0'}, -1, 0, 0},
      {"UTF-16LE", {0xFF, 0xFE, 'L', 0, 'O', 0, 'O', 0, 'P', 0, 'S', 0, 'T', 0, 'A', 0, 'R', 0, 'T', 0, '=', 0, '2', 0, ' ', 0, 'L', 0, 'O', 0, 'O', 0, 'P', 0, 'L', 0, 'E', 0, 'N', 0, 'G', 0, 'T', 0, 'H', 0, '=', 0, '3', 0}, 0, 2, 5},
  };
  for (const TagCase& c : cases) {
    SCOPED_TRACE(c.name);
    filetest::writeFile(folder / "t_loop.txt", c.text);
    std::int32_t start = 0, end = 0;
    const std::u16string tagPath = filetest::mediaPath(folder / "t_loop.txt");
    ASSERT_EQ(ReadLoopTagFile(tagPath.c_str(), &start, &end), c.result);
    if (c.result == 0) {
      EXPECT_EQ(start, c.start);
      EXPECT_EQ(end, c.end);
    }
  }
  char16_t name[64];
  MakeLoopTagFileName(u"dir.v2\\x", name, sizeof(name));
  EXPECT_EQ(std::u16string(name), u"dir.v2\\x_loop.txt");
  MakeLoopTagFileName(u"a/bgm.ogg", name, sizeof(name));
  EXPECT_EQ(std::u16string(name), u"a/bgm_loop.txt");
}

TEST_F(SoundSystemTest, LoopPointsTurnAMemorySoundIntoAStream) {
  const std::vector<std::int16_t> src = ramp(44100, 5);
  const int h = loadMono16(src);
  ASSERT_NE(h, -1);
  ChangeSoundMemVolume(200, h);
  SetSoundMemPan(-3000, h);
  SetSoundMemCurrentPosition(4410, h);
  EXPECT_EQ(SetSoundMemLoopSamplePos(500, 500, h), -1);
  EXPECT_EQ(SetSoundMemLoopSamplePos(44100, 44200, h), -1);
  ASSERT_EQ(SetSoundMemLoopSamplePos(22050, 33075, h), 0);
  ASSERT_NE(record(h), nullptr);  // the same handle value
  EXPECT_EQ(record(h)->StreamFlag, 1);
  EXPECT_EQ(GetSoundMemChannelVolume(0, h), 9473);
  EXPECT_EQ(GetSoundMemPan(h), -3000);
  EXPECT_EQ(GetSoundMemCurrentPosition(h), 8820);  // 4410 mono samples
  SetSoundMemVolumeHundredths(10000, h);
  SetSoundMemPan(0, h);
  ASSERT_EQ(PlaySoundMem(h, DX_PLAYTYPE_BACK, 1), 0);
  const std::vector<std::int16_t> l = left(run(44100 * 2));
  const std::size_t at = firstSound(l);
  std::vector<std::int16_t> want(src.begin(), src.begin() + 33075);
  while (want.size() < 80000) want.insert(want.end(), src.begin() + 22050, src.begin() + 33075);
  want.resize(80000);
  EXPECT_EQ(mismatch(l, at, want), -1);
}

TEST_F(SoundSystemTest, SharedStreamBufferOutlivesItsOwner) {
  const std::vector<std::int16_t> src = ramp(44100);
  std::vector<std::uint8_t> w = makeWave(1, 1, 44100, 16, src.data(), 88200);
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = 2;
  for (int round = 0; round < 5; ++round) {
    const int owner = LoadSoundMemByMemImageWithParams(&s, 1, -1, w.data(), static_cast<std::uint32_t>(w.size()), 1, -1, 0, 0);
    const int user = LoadSoundMemByMemImageWithParams(&s, 1, -1, w.data(), static_cast<std::uint32_t>(w.size()), 1, owner, 0, 0);
    ASSERT_NE(user, -1);
    EXPECT_EQ(record(user)->BufferSourceHandle, owner);
    PlaySoundMem(user, DX_PLAYTYPE_LOOP, 1);
    run(441 * 3);
    EXPECT_EQ(SubHandle(owner), 0);
    EXPECT_NE(GetHandleInfo(owner), nullptr);  // kept while the user remains
    EXPECT_EQ(CheckSoundMemPlaying(user), 1);
    run(441 * 3);
    DeleteSoundMem(user);
    EXPECT_EQ(GetHandleInfo(owner), nullptr);
  }
}

TEST_F(SoundSystemTest, BufferCountsAndTheStreamingThreshold) {
  struct Case {
    std::uint32_t bytes;
    int bufferNum;
    int stream;
    int buffers;
  } cases[] = {{1447999, 3, 0, 3}, {1448000, 3, 1, 1}, {8000, 11, -1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::vector<std::uint8_t> data(c.bytes, 0x90);
    std::vector<std::uint8_t> w = makeWave(1, 1, 8000, 8, data.data(), c.bytes);
    const int h = LoadSoundMemByMemImage(w.data(), static_cast<std::uint32_t>(w.size()), c.bufferNum);
    if (c.stream < 0) {
      EXPECT_EQ(h, -1);
      continue;
    }
    ASSERT_NE(h, -1);
    EXPECT_EQ(record(h)->StreamFlag, c.stream);
    EXPECT_EQ(record(h)->BufferNum, c.buffers);
    EXPECT_EQ(record(h)->Buffer[0].SampleNum, c.stream ? 8000 : static_cast<std::int32_t>(c.bytes));
    DeleteSoundMem(h);
  }
}

class SoundThreadTest : public SoundSystemTest {
  int processors() override { return 2; }
};

// The sound thread refills while the main thread loads, plays, seeks and deletes.
TEST_F(SoundThreadTest, RefillsWhileHandlesComeAndGo) {
  EXPECT_EQ(SoundSys.HasThread, 1);
  const std::vector<std::int16_t> src = ramp(22050);
  std::vector<std::uint8_t> w = makeWave(1, 1, 22050, 16, src.data(), 44100);
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = 2;
  for (int round = 0; round < 20; ++round) {
    const int h = LoadSoundMemByMemImageWithParams(&s, 1, -1, w.data(), static_cast<std::uint32_t>(w.size()), 1, -1, 0, 0);
    ASSERT_NE(h, -1);
    PlaySoundMem(h, round % 2 ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK, 1);
    for (int i = 0; i < 5; ++i) {
      plat::audio::AdvanceAudioForTest(441);
      GetSoundMemCurrentPosition(h);
      Thread_Sleep(1);
    }
    if (round % 3 == 0) SetSoundMemLoopSamplePos(100, round % 2 ? 101 : 2000, h);  // a one-sample loop too
    DeleteSoundMem(h);
  }
  EXPECT_EQ(StopSoundThread(), 0);
  EXPECT_EQ(SoundSys.HasThread, 0);
}

}  // namespace
}  // namespace halvorine_test
