// Sound output start-up: the log of each kind, the fall-back order, the silent buffer,
// the reverb presets and MCI music state.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "media/file/archive_set.h"
#include "platform/win/path.h"
#include "tests/media/file/archive_testing.h"
#include "tests/media/sound/sound_fixture.h"
#include "tests/platform/audio/midi_file.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

// True when the pieces appear in the log in this order.
bool inOrder(const std::u16string& log, std::initializer_list<std::u16string> pieces) {
  size_t at = 0;
  int index = 0;
  for (const std::u16string& p : pieces) {
    at = log.find(p, at);
    if (at == std::u16string::npos) {
      ADD_FAILURE() << "piece " << index << " missing or out of order";
      return false;
    }
    ++index;
    at += p.size();
  }
  return true;
}

TEST_F(SoundOutputTest, DirectSoundStartsWithSilentBufferAndReport) {
  LogCapture log;
  ASSERT_EQ(InitializeSoundOutput(), 0);
  EXPECT_EQ(IsSoundOutputReady(), 1);
  EXPECT_TRUE(inOrder(log.all(), {u"DirectSound の初期化を行います\n", u"DirectSound インターフェースの取得を行います....  ",
                                  u"成功\n", u"引き続きインターフェースの初期化処理...  ", u"成功\n",
                                  u"DirectSound デバイスを列挙します\n", u"DeviceName:Software mixer",
                                  u"最大サンプリングレート:200.00KHz 最小サンプリングレート:0.10KHz ",
                                  u"総サウンドメモリ領域:0.00KB 空きサウンドメモリ領域:0.00KB ",
                                  u"  Primary    16bit = OK  8bit = OK ", u"  Secondary  MONO = OK   STEREO = OK "}));
  EXPECT_EQ(SoundOutput.PrimaryFormat.nSamplesPerSec, 44100u);
  EXPECT_EQ(SoundOutput.PrimaryFormat.nChannels, 2);
  EXPECT_EQ(SoundOutput.PrimaryFormat.wBitsPerSample, 16);
  ASSERT_NE(SoundOutput.SilentBuffer, nullptr);
  plat::audio::DWORD status = 0;
  SoundOutput.SilentBuffer->GetStatus(&status);
  EXPECT_EQ(status, plat::audio::DSBSTATUS_PLAYING | plat::audio::DSBSTATUS_LOOPING);
  EXPECT_EQ(SoundOutput.Listener.pCone->OuterVolume, 0.75f);

  // A second start refuses and leaves the open device as it is.
  auto* device = SoundOutput.DirectSound;
  EXPECT_EQ(InitializeSoundOutput(), -1);
  EXPECT_EQ(SoundOutput.DirectSound, device);
  EXPECT_EQ(GetReverbPresetParam(nullptr, 0), -1);

  ASSERT_EQ(TerminateSoundOutput(), 0);
  EXPECT_EQ(IsSoundOutputReady(), 0);
  EXPECT_EQ(SoundOutput.CurrentMusicHandle, -1);
  EXPECT_TRUE(LogCapture::contains(u"DirectSound の終了処理は正常に終了しました\n"));
  EXPECT_EQ(plat::audio::CurrentAudioSinkForTest(), "");
}

TEST_F(SoundOutputTest, FallBackOrder) {
  struct Case {
    int useXAudio2, musicMode;
    const char* missing;
    int result, version;
    bool directSound;
    std::initializer_list<std::u16string> log;
    int musicModeAfter = 0;
  };
  const Case cases[] = {
      {1, 0, "", 0, 8, false,
       {u"XAudio2 の初期化を行います\n", u"XAudio2_8.dll を使用します\n",
        u"XAudio2 インターフェースの取得と初期化を行います....  ", u"成功 Ver2.8"}},
      {1, 0, "xaudio2_8", 0, 7, false,
       {u"XAudio2 の初期化を行います\n", u"XAudio2 インターフェースの取得を行います....  ", u"成功 Ver2.7",
        u"X3DAudio.DLL の読み込み中... ", u"成功\n", u"Device Name : Software mixer", u"チャンネル数:2",
        u"ビット精度:16bit", u"サンプリングレート:44100Hz"}},
      {1, 0, "xaudio2", 0, 0, true,
       {u"XAudio2 の初期化を行います\n", u"XAudio2インターフェースの取得に失敗しました\n",
        u"DirectSound の初期化を行います\n"}},
      {1, 0, "xaudio2_8,x3daudio", 0, 0, true,
       {u"成功 Ver2.7", u"失敗、X3DAudio、XAudio2は使用しません\n", u"DirectSound の初期化を行います\n"}},
      {0, 1, "soundfont", 0, 0, true,
       {u"DirectSound8 の初期化を行います\n", u"DirectMusicLoader8 オブジェクトの作成に失敗しました\n",
        u"前バージョンでの初期化処理に移ります\n", u"DirectSound の初期化を行います\n"}},
      {0, 2, "fluidsynth", 0, 0, true,
       {u"DirectMusicLoader8 オブジェクトの作成に失敗しました\n", u"DirectSound の初期化を行います\n"}},
      {0, 1, "", 0, 0, true,
       {u"DirectSound8 の初期化を行います\n", u"Output port  Device0:Software synthesizer ",
        u"DirectSound デバイスを列挙します\n"},
       1},
      {0, 2, "dsound", -1, 0, false,
       {u"DirectSound8 の初期化を行います\n", u"DirectMusicPerformanceオブジェクトの初期化に失敗しました\n"},
       2},
      {0, 0, "dsound", -1, 0, false,
       {u"DirectSound の初期化を行います\n", u"DirectSoundインターフェースの取得に失敗しました\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    SoundOutput = SoundOutputState{};
    SoundOutput.UseXAudio2Flag = c.useXAudio2;
    SoundOutput.MusicMode = c.musicMode;
    setenv("HALVORINE_MISSING", c.missing, 1);
    LogCapture log;
    EXPECT_EQ(InitializeSoundOutput(), c.result);
    EXPECT_TRUE(inOrder(log.all(), c.log));
    EXPECT_EQ(SoundOutput.XAudio2Version, c.version);
    EXPECT_EQ(SoundOutput.DirectSound != nullptr, c.directSound);
    EXPECT_EQ(SoundOutput.MusicMode, c.musicModeAfter);
    EXPECT_EQ(SoundOutput.MusicPerformance != nullptr, c.musicModeAfter != 0 && c.result == 0);
    if (c.version != 0) {
      EXPECT_EQ(SoundOutput.OutputChannels, 2);
      EXPECT_EQ(SoundOutput.OutputChannelMask, 3u);
    }
    TerminateSoundOutput();
    EXPECT_EQ(IsSoundOutputReady(), 0);
    EXPECT_EQ(plat::audio::CurrentAudioSinkForTest(), "");
  }
}

TEST_F(SoundOutputTest, ReverbPresetsConvertAndCopyInTheEngineLayout) {
  pa::XAUDIO2FX_REVERB_PARAMETERS presets[kReverbPresetCount];
  ConvertReverbPresets(presets);
  const pa::XAUDIO2FX_REVERB_PARAMETERS& forest = presets[0];
  EXPECT_EQ(forest.ReflectionsDelay, 162u);
  EXPECT_EQ(forest.ReverbDelay, 84);
  EXPECT_EQ(forest.LowEQGain, 8);
  EXPECT_EQ(forest.HighEQGain, 7);
  EXPECT_EQ(forest.EarlyDiffusion, 11);
  EXPECT_FLOAT_EQ(forest.RoomFilterMain, -10.0f);
  EXPECT_FLOAT_EQ(forest.ReverbGain, -6.13f);
  EXPECT_FLOAT_EQ(forest.DecayTime, 1.49f);
  // A decay ratio above 1 lowers the low EQ gain and stretches the decay instead.
  const pa::XAUDIO2FX_REVERB_PARAMETERS& parking = presets[21];
  EXPECT_EQ(parking.LowEQGain, 8);  // trunc(-4 log10 1.5) = 0
  EXPECT_EQ(parking.HighEQGain, 8);
  EXPECT_FLOAT_EQ(parking.DecayTime, 1.65f * 1.5f);
  EXPECT_EQ(presets[29].ReflectionsDelay, 2u);
  EXPECT_EQ(presets[29].ReverbDelay, 10);

  for (int version : {8, 7}) {
    SCOPED_TRACE(version);
    SoundOutput = SoundOutputState{};
    start(version);
    unsigned char block[64];
    std::memset(block, 0xAB, sizeof(block));
    ASSERT_EQ(GetReverbPresetParam(block, 0), 0);
    EXPECT_EQ(std::memcmp(block, &forest, 52), 0);
    EXPECT_EQ(block[52] == 0xAB, version == 7);  // 2.7 blocks end after 52 bytes
    EXPECT_EQ(block[56], 0xAB);
    EXPECT_EQ(GetReverbPresetParam(nullptr, 0), 0);
    TerminateSoundOutput();
    unsetenv("HALVORINE_MISSING");
  }
}

TEST_F(SoundOutputTest, MciNotificationLoopsOrCloses) {
  ASSERT_EQ(InitializeSoundOutput(), 0);
  const std::string dir = "/tmp/halvorine_output_test." + std::to_string(getpid());
  std::system(("mkdir -p '" + dir + "'").c_str());
  const std::vector<std::uint8_t> midi = makeMidi({{60, 0, 200}});
  std::FILE* f = std::fopen((dir + "/a.mid").c_str(), "wb");
  std::fwrite(midi.data(), 1, midi.size(), f);
  std::fclose(f);
  const std::u16string path = plat::win::utf16FromUtf8(dir + "/a.mid");
  struct Case {
    int loop, playing, open, wantPlaying;
  };
  // A loop plays again only on a device that takes the command; anything else ends
  // closed and not playing. The file is read through the file functions.
  for (const Case& c : {Case{1, 1, 1, 1}, Case{1, 0, 1, 1}, Case{1, 1, 0, 0}, Case{0, 1, 1, 0}, Case{0, 0, 0, 0}}) {
    pa::MCI_OPEN_PARMSW open{0, 0, u"sequencer", path.c_str(), nullptr};
    SoundOutput.MciDeviceId = 999;
    if (c.open) {
      ASSERT_EQ(pa::mciSendCommandW(0, pa::MCI_OPEN, pa::MCI_OPEN_TYPE | pa::MCI_OPEN_ELEMENT,
                                    reinterpret_cast<std::uintptr_t>(&open)),
                0u);
      SoundOutput.MciDeviceId = open.wDeviceID;
    }
    SoundOutput.MciLoop = c.loop;
    SoundOutput.MciPlaying = c.playing;
    EXPECT_EQ(ProcessMusicMciNotify(0, 0), 0);
    EXPECT_EQ(SoundOutput.MciPlaying, c.wantPlaying);
    EXPECT_EQ(GetMusicPlayState(nullptr), c.wantPlaying);
    pa::MCI_STATUS_PARMS mode{0, 0, pa::MCI_STATUS_MODE, 0};
    const pa::MCIERROR asked = pa::mciSendCommandW(SoundOutput.MciDeviceId, pa::MCI_STATUS, pa::MCI_STATUS_ITEM,
                                                   reinterpret_cast<std::uintptr_t>(&mode));
    if (c.wantPlaying) {
      EXPECT_EQ(mode.dwReturn, pa::MCI_MODE_PLAY);
    } else if (c.open && c.playing) {
      EXPECT_EQ(asked, pa::MCIERR_INVALID_DEVICE_ID);  // closed
    }
    pa::mciSendCommandW(SoundOutput.MciDeviceId, pa::MCI_CLOSE, 0, 0);
  }
  // Shut-down closes a device that still plays.
  pa::MCI_OPEN_PARMSW open{0, 0, u"sequencer", path.c_str(), nullptr};
  ASSERT_EQ(pa::mciSendCommandW(0, pa::MCI_OPEN, pa::MCI_OPEN_TYPE | pa::MCI_OPEN_ELEMENT,
                                reinterpret_cast<std::uintptr_t>(&open)),
            0u);
  SoundOutput.MciDeviceId = open.wDeviceID;
  SoundOutput.MciPlaying = 1;
  EXPECT_EQ(TerminateSoundOutput(), 0);
  EXPECT_EQ(SoundOutput.MciPlaying, 0);
  EXPECT_EQ(pa::mciSendCommandW(open.wDeviceID, pa::MCI_CLOSE, 0, 0), pa::MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(plat::audio::CurrentAudioSinkForTest(), "");
  std::system(("rm -rf '" + dir + "'").c_str());
  MusicPlayRecord music{1, 1, nullptr};
  SoundOutput.MusicMode = 2;
  EXPECT_EQ(GetMusicPlayState(&music), 1);
  SoundOutput.MusicMode = 3;
  EXPECT_EQ(GetMusicPlayState(&music), -1);
  EXPECT_EQ(ReleaseMusicSegment(&music), 0);
}

// The music devices read through the file functions: a MIDI file that exists only
// inside an archive opens on the sequencer and loads as a DirectMusic segment.
TEST_F(SoundOutputTest, MidiFilesComeOutOfArchives) {
  const std::string dir = "/tmp/halvorine_music_archive." + std::to_string(getpid());
  filetest::writeFile(dir + "/src/MUSIC/TUNE.MID", makeMidi({{60, 0, 100}}));
  filetest::writeFile(dir + "/game/data.zda", filetest::packFolder(dir + "/src", 6, "abc"));
  SetArchiveKeyString("abc");
  SoundOutput.MusicMode = 1;
  ASSERT_EQ(InitializeSoundOutput(), 0);
  ASSERT_EQ(SoundOutput.MusicMode, 1);
  {
    filetest::InFolder in(dir);
    const char16_t* path = u"game\\data\\music\\tune.mid";
    pa::MCI_OPEN_PARMSW open{0, 0, u"sequencer", path, nullptr};
    EXPECT_EQ(pa::mciSendCommandW(0, pa::MCI_OPEN, pa::MCI_OPEN_TYPE | pa::MCI_OPEN_ELEMENT,
                                  reinterpret_cast<std::uintptr_t>(&open)),
              0u);
    EXPECT_EQ(pa::mciSendCommandW(open.wDeviceID, pa::MCI_CLOSE, 0, 0), 0u);
    pa::DMUS_OBJECTDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwValidData = pa::DMUS_OBJ_CLASS | pa::DMUS_OBJ_FILENAME;
    desc.guidClass = pa::CLSID_DirectMusicSegment;
    std::copy(path, path + std::char_traits<char16_t>::length(path), desc.wszFileName);
    void* segment = nullptr;
    ASSERT_EQ(SoundOutput.MusicLoader->GetObject(&desc, pa::IID_IDirectMusicSegment8, &segment), 0);
    MusicPlayRecord music{1, 0, static_cast<pa::IDirectMusicSegment8*>(segment)};
    ASSERT_EQ(SoundOutput.MusicPerformance->PlaySegmentEx(music.Segment, nullptr, nullptr, 0, 0, nullptr, nullptr,
                                                          nullptr),
              0);
    RefreshMusicPlayState(&music);
    EXPECT_EQ(music.StartedFlag, 1);
    EXPECT_EQ(StopMusicPlayback(&music), 0);
    RefreshMusicPlayState(&music);
    EXPECT_EQ(GetMusicPlayState(&music), 0);
    EXPECT_EQ(ReleaseMusicSegment(&music), 0);
    EXPECT_EQ(music.Segment, nullptr);
  }
  SetArchiveKeyString(nullptr);
  std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
}  // namespace halvorine_test
