// The music devices over the synthesiser, on the manual sink: the MCI sequencer and
// the DirectMusic performance play a MIDI file made here, heard in the mix for as long
// as FluidSynth's own render of it, and both report themselves missing without the
// library or a sound font.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/audio/dmusic.h"
#include "platform/win/path.h"
#include "platform/win/win_window.h"
#include "tests/platform/audio/audio_fixture.h"
#include "tests/platform/audio/midi_file.h"

namespace halvorine_test {
namespace {

namespace win = plat::win;

win::LRESULT musicTestProc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
  return win::DefWindowProcW(h, m, w, l);
}

// Two notes, then a rest, then a chord: 1.2 s in all.
const std::vector<MidiNote> kPiece = {{60, 0, 300}, {64, 300, 300}, {60, 900, 300}, {67, 900, 300}};

class MusicDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("HALVORINE_MISSING");
    setenv("HALVORINE_HEADLESS", "1", 1);
    if (pa::MidiSoundFontPath() == nullptr) GTEST_SKIP() << "no FluidSynth or sound font (scripts/install-deps.sh)";
    pa::UseManualAudioSinkForTest(true);
    folder_ = "/tmp/halvorine_midi_test." + std::to_string(getpid());
    std::system(("mkdir -p '" + folder_ + "'").c_str());
    midi_ = makeMidi(kPiece);
    std::FILE* f = std::fopen((folder_ + "/piece.mid").c_str(), "wb");
    std::fwrite(midi_.data(), 1, midi_.size(), f);
    std::fclose(f);
    static const bool registered = [] {
      win::WNDCLASSEXW cls{};
      cls.cbSize = sizeof cls;
      cls.lpfnWndProc = musicTestProc;
      cls.lpszClassName = u"MusicTestWindow";
      win::RegisterClassExW(&cls);
      return true;
    }();
    (void)registered;
    window_ = win::CreateWindowExW(0, u"MusicTestWindow", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) win::DestroyWindow(window_);
    pa::TakeCapturedAudioForTest();
    pa::UseManualAudioSinkForTest(false);
    unsetenv("HALVORINE_MISSING");
    if (!folder_.empty()) std::system(("rm -rf '" + folder_ + "'").c_str());
  }

  std::u16string path(const std::string& name) { return win::utf16FromUtf8(folder_ + "/" + name); }

  pa::MCIERROR openSequencer(const std::u16string& file, pa::MCIDEVICEID* id, const char16_t* type = u"sequencer") {
    pa::MCI_OPEN_PARMSW open{0, 0, type, file.c_str(), nullptr};
    const pa::DWORD flags = pa::MCI_OPEN_ELEMENT | (type != nullptr ? pa::MCI_OPEN_TYPE : 0);
    const pa::MCIERROR error = pa::mciSendCommandW(0, pa::MCI_OPEN, flags, reinterpret_cast<std::uintptr_t>(&open));
    *id = open.wDeviceID;
    return error;
  }
  pa::DWORD status(pa::MCIDEVICEID id, pa::DWORD item) {
    pa::MCI_STATUS_PARMS parms{0, 0, item, 0};
    EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_STATUS, pa::MCI_STATUS_ITEM, reinterpret_cast<std::uintptr_t>(&parms)),
              0u);
    return static_cast<pa::DWORD>(parms.dwReturn);
  }
  // Mixes quantum by quantum until the window is notified (or `limit` quanta pass),
  // keeping what was mixed; answers the notifications seen.
  int mixUntilNotified(int limit, std::vector<std::int16_t>* mixed, pa::MCIDEVICEID id) {
    int notes = 0;
    for (int i = 0; i < limit && notes == 0; ++i) {
      pa::AdvanceAudioForTest(441);
      win::MSG msg;
      while (win::PeekMessageW(&msg, window_, 0, 0, win::PM_REMOVE)) {
        if (msg.message == win::MM_MCINOTIFY) {
          EXPECT_EQ(msg.wParam, pa::MCI_NOTIFY_SUCCESSFUL);
          EXPECT_EQ(static_cast<pa::MCIDEVICEID>(msg.lParam), id);
          ++notes;
        }
      }
    }
    auto got = pa::TakeCapturedAudioForTest();
    mixed->insert(mixed->end(), got.begin(), got.end());
    return notes;
  }

  std::string folder_;
  std::vector<std::uint8_t> midi_;
  win::HWND window_ = nullptr;
};

TEST_F(MusicDeviceTest, SequencerPlaysTheFileAndNotifiesAtItsEnd) {
  const Span reference = audibleSpan(referenceRender(midi_));
  ASSERT_GT(reference.seconds(), 1.0);
  pa::MCIDEVICEID id = 0;
  ASSERT_EQ(openSequencer(path("piece.mid"), &id), 0u);
  EXPECT_EQ(status(id, pa::MCI_STATUS_MODE), pa::MCI_MODE_STOP);
  // Twice in a row on the same device: from the start, then again after the end.
  for (int round = 0; round < 2; ++round) {
    pa::MCI_PLAY_PARMS play{reinterpret_cast<std::uintptr_t>(window_), 0, 0};
    ASSERT_EQ(
        pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_NOTIFY | pa::MCI_FROM, reinterpret_cast<std::uintptr_t>(&play)),
        0u);
    EXPECT_EQ(status(id, pa::MCI_STATUS_MODE), pa::MCI_MODE_PLAY);
    std::vector<std::int16_t> mixed;
    ASSERT_EQ(mixUntilNotified(1000, &mixed, id), 1) << "round " << round;
    EXPECT_EQ(status(id, pa::MCI_STATUS_MODE), pa::MCI_MODE_STOP);
    const Span heard = audibleSpan(mixed);
    EXPECT_NEAR(heard.seconds(), reference.seconds(), 0.1) << "round " << round;
    EXPECT_NEAR(status(id, pa::MCI_STATUS_POSITION), mixed.size() / 2 * 1000 / 44100, 20);
  }
  EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_CLOSE, 0, 0), 0u);
  EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_CLOSE, 0, 0), pa::MCIERR_INVALID_DEVICE_ID);
}

// Played again at each end, as a looping piece is, the piece starts over within 0.2 s of
// the end of its last note's sound, not after a silent tail.
TEST_F(MusicDeviceTest, ALoopingPieceStartsAgainWhereItsSoundEnds) {
  pa::MCIDEVICEID id = 0;
  ASSERT_EQ(openSequencer(path("piece.mid"), &id), 0u);
  for (int round = 0; round < 3; ++round) {
    pa::MCI_PLAY_PARMS play{reinterpret_cast<std::uintptr_t>(window_), 0, 0};
    ASSERT_EQ(
        pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_NOTIFY | pa::MCI_FROM, reinterpret_cast<std::uintptr_t>(&play)),
        0u);
    std::vector<std::int16_t> mixed;
    ASSERT_EQ(mixUntilNotified(1000, &mixed, id), 1) << "round " << round;
    const Span heard = audibleSpan(mixed);
    EXPECT_GT(heard.seconds(), 1.2) << "round " << round;  // the last note ends at 1.2 s
    EXPECT_LT(static_cast<double>(mixed.size() / 2 - heard.end) / 44100, 0.2) << "round " << round;
  }
  EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_CLOSE, 0, 0), 0u);
}

TEST_F(MusicDeviceTest, SequencerStopHoldsThePositionAndDropsTheNotification) {
  pa::MCIDEVICEID id = 0;
  ASSERT_EQ(openSequencer(path("piece.mid"), &id, nullptr), 0u);  // the type from the extension
  pa::MCI_PLAY_PARMS play{reinterpret_cast<std::uintptr_t>(window_), 0, 0};
  ASSERT_EQ(pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_NOTIFY, reinterpret_cast<std::uintptr_t>(&play)), 0u);
  std::vector<std::int16_t> mixed;
  EXPECT_EQ(mixUntilNotified(30, &mixed, id), 0);
  ASSERT_EQ(pa::mciSendCommandW(id, pa::MCI_STOP, 0, 0), 0u);
  const pa::DWORD held = status(id, pa::MCI_STATUS_POSITION);
  EXPECT_NEAR(held, 300, 20);
  mixed.clear();
  EXPECT_EQ(mixUntilNotified(200, &mixed, id), 0);  // stopped: no end, no sound
  EXPECT_EQ(audibleSpan(mixed).end, 0u);
  EXPECT_EQ(status(id, pa::MCI_STATUS_POSITION), held);
  // Going on from there reaches the end where the sound of FluidSynth's own render ends,
  // and only the new play notifies.
  ASSERT_EQ(pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_NOTIFY, reinterpret_cast<std::uintptr_t>(&play)), 0u);
  mixed.clear();
  EXPECT_EQ(mixUntilNotified(1000, &mixed, id), 1);
  const double soundEnds = audibleSpan(referenceRender(midi_)).end / 44100.0;
  EXPECT_GE(held / 1000.0 + mixed.size() / 2 / 44100.0, soundEnds - 0.03);
  EXPECT_LT(held / 1000.0 + mixed.size() / 2 / 44100.0, soundEnds + 0.2);
  // At the end, a play without a position is done at once.
  ASSERT_EQ(pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_NOTIFY, reinterpret_cast<std::uintptr_t>(&play)), 0u);
  mixed.clear();
  EXPECT_EQ(mixUntilNotified(1, &mixed, id), 1);
  EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_CLOSE, 0, 0), 0u);
}

// A closed device's synthesiser serves the next device opened. Whatever a piece left
// set (program, volume, pan, reverb, sustain, bend and its range, a note still held)
// must not reach the next piece, nor may its sound: the same piece sounds the same on
// the reused synthesiser and on a fresh one, and a kept synthesiser does not keep the
// mixer running.
TEST_F(MusicDeviceTest, AReusedSynthesiserSoundsLikeAFreshOne) {
  const std::vector<std::uint8_t> track = {0x00, 0xC0, 48,   0x00, 0xB0, 7,    30,   0x00, 0xB0, 10,   0,
                                           0x00, 0xB0, 91,   127,  0x00, 0xB0, 64,   127,  0x00, 0xB0, 101,
                                           0,    0x00, 0xB0, 100,  0,    0x00, 0xB0, 6,    12,   0x00, 0xE0,
                                           0x00, 0x7F, 0x00, 0x90, 60,   100,  0x83, 0x60, 0xFF, 0x2F, 0x00};
  std::vector<std::uint8_t> dirty = {
      'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
      1,   0x01, 0xF4, 'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())};
  dirty.insert(dirty.end(), track.begin(), track.end());
  std::FILE* f = std::fopen((folder_ + "/dirty.mid").c_str(), "wb");
  std::fwrite(dirty.data(), 1, dirty.size(), f);
  std::fclose(f);

  auto play = [&](pa::MCIDEVICEID id, int quanta) {
    pa::MCI_PLAY_PARMS parms{0, 0, 0};
    EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_FROM, reinterpret_cast<std::uintptr_t>(&parms)), 0u);
    for (int i = 0; i < quanta; ++i) pa::AdvanceAudioForTest(441);
    return pa::TakeCapturedAudioForTest();
  };
  pa::MCIDEVICEID used = 0;
  ASSERT_EQ(openSequencer(path("dirty.mid"), &used), 0u);
  EXPECT_GT(audibleSpan(play(used, 30)).seconds(), 0.2);
  ASSERT_EQ(pa::mciSendCommandW(used, pa::MCI_CLOSE, 0, 0), 0u);  // closed with the note still sounding
  EXPECT_EQ(pa::CurrentAudioSinkForTest(), "");

  pa::MCIDEVICEID reused = 0, fresh = 0;
  ASSERT_EQ(openSequencer(path("piece.mid"), &reused), 0u);  // takes the kept synthesiser
  ASSERT_EQ(openSequencer(path("piece.mid"), &fresh), 0u);   // none is kept: a new one
  const std::vector<std::int16_t> fromReused = play(reused, 160);
  ASSERT_EQ(pa::mciSendCommandW(reused, pa::MCI_CLOSE, 0, 0), 0u);
  const std::vector<std::int16_t> fromFresh = play(fresh, 160);
  ASSERT_EQ(pa::mciSendCommandW(fresh, pa::MCI_CLOSE, 0, 0), 0u);
  EXPECT_GT(audibleSpan(fromFresh).seconds(), 1.0);
  ASSERT_EQ(fromReused.size(), fromFresh.size());
  // The reverb's slow modulation runs on from where the old piece left it, so the two
  // differ a little in the reverb (-30 dB); anything the old piece left set would
  // differ as much as the piece itself.
  double signal = 0, difference = 0;
  for (std::size_t i = 0; i < fromFresh.size(); ++i) {
    signal += double{fromFresh[i]} * fromFresh[i];
    difference += double(fromReused[i] - fromFresh[i]) * (fromReused[i] - fromFresh[i]);
  }
  EXPECT_LT(std::sqrt(difference / signal), 0.1);  // 0.03 here; 1.0 without the reset
  EXPECT_NEAR(static_cast<double>(audibleSpan(fromReused).first), static_cast<double>(audibleSpan(fromFresh).first),
              4.0);  // no tail of the old piece before the new one sounds
  EXPECT_EQ(pa::CurrentAudioSinkForTest(), "");
}

TEST_F(MusicDeviceTest, SequencerRefusesBadRequests) {
  std::FILE* f = std::fopen((folder_ + "/text.mid").c_str(), "wb");
  std::fputs("not a MIDI file at all", f);
  std::fclose(f);
  pa::MCIDEVICEID id = 0;
  struct Case {
    std::u16string file;
    const char16_t* type;
    pa::MCIERROR want;
  };
  for (const Case& c : {Case{path("missing.mid"), u"sequencer", pa::MCIERR_FILE_NOT_FOUND},
                        Case{path("text.mid"), u"sequencer", pa::MCIERR_INVALID_FILE},
                        Case{path("piece.mid"), u"waveaudio", pa::MCIERR_INVALID_DEVICE_NAME},
                        Case{path("piece.wav"), nullptr, pa::MCIERR_INVALID_DEVICE_NAME}}) {
    EXPECT_EQ(openSequencer(c.file, &id, c.type), c.want);
  }
  EXPECT_EQ(pa::mciSendCommandW(0, pa::MCI_OPEN, pa::MCI_OPEN_ELEMENT, 0), pa::MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(pa::mciSendCommandW(12345, pa::MCI_PLAY, 0, 0), pa::MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(pa::mciSendCommandW(12345, pa::MCI_STOP, 0, 0), pa::MCIERR_INVALID_DEVICE_ID);
  ASSERT_EQ(openSequencer(path("piece.mid"), &id), 0u);
  pa::MCI_STATUS_PARMS length{0, 0, 1, 0};
  EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_STATUS, pa::MCI_STATUS_ITEM, reinterpret_cast<std::uintptr_t>(&length)),
            pa::MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(pa::mciSendCommandW(id, 0x0899, 0, 0), pa::MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(pa::mciSendCommandW(id, pa::MCI_CLOSE, 0, 0), 0u);
}

template <class T>
T* createMusicObject(const win::CLSID& clsid, const win::IID& iid) {
  void* object = nullptr;
  EXPECT_EQ(win::CoCreateInstance(clsid, nullptr, win::CLSCTX_INPROC_SERVER, iid, &object), 0);
  return static_cast<T*>(object);
}

TEST_F(MusicDeviceTest, PerformancePlaysSegmentsAtTheMasterVolume) {
  auto* music = createMusicObject<pa::IDirectMusic8>(pa::CLSID_DirectMusic, pa::IID_IDirectMusic8);
  ASSERT_NE(music, nullptr);
  pa::DMUS_PORTCAPS caps{};
  caps.dwSize = sizeof caps;
  EXPECT_EQ(music->EnumPort(0, &caps), 0);
  EXPECT_EQ(caps.dwClass, pa::DMUS_PC_OUTPUTCLASS);
  EXPECT_EQ(std::u16string(caps.wszDescription), u"Software synthesizer");
  EXPECT_EQ(music->EnumPort(1, &caps), win::S_FALSE);
  music->Release();

  auto* loader = createMusicObject<pa::IDirectMusicLoader8>(pa::CLSID_DirectMusicLoader, pa::IID_IDirectMusicLoader8);
  auto* performance = createMusicObject<pa::IDirectMusicPerformance8>(pa::CLSID_DirectMusicPerformance,
                                                                      pa::IID_IDirectMusicPerformance8);
  ASSERT_NE(loader, nullptr);
  ASSERT_NE(performance, nullptr);
  pa::IDirectSound* sound = nullptr;
  pa::DMUS_AUDIOPARAMS parameters{sizeof(pa::DMUS_AUDIOPARAMS), 1, 0, 0, 0, 44100};
  ASSERT_EQ(performance->InitAudio(nullptr, &sound, nullptr, pa::DMUS_APATH_DYNAMIC_STEREO, 64, pa::DMUS_AUDIOF_ALL,
                                   &parameters),
            0);
  ASSERT_NE(sound, nullptr);
  pa::DSCAPS dscaps{};
  dscaps.dwSize = sizeof dscaps;
  EXPECT_EQ(sound->GetCaps(&dscaps), 0);  // an initialised device
  EXPECT_EQ(performance->InitAudio(nullptr, &sound, nullptr, 8, 64, 0, &parameters), pa::DMUS_E_ALREADY_INITED);

  // One segment from memory, one through the file reader.
  pa::DMUS_OBJECTDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwValidData = pa::DMUS_OBJ_CLASS | pa::DMUS_OBJ_MEMORY;
  desc.guidClass = pa::CLSID_DirectMusicSegment;
  desc.pbMemData = midi_.data();
  desc.llMemLength = static_cast<std::int64_t>(midi_.size());
  void* object = nullptr;
  ASSERT_EQ(loader->GetObject(&desc, pa::IID_IDirectMusicSegment8, &object), 0);
  auto* fromMemory = static_cast<pa::IDirectMusicSegment8*>(object);
  desc.dwValidData = pa::DMUS_OBJ_CLASS | pa::DMUS_OBJ_FILENAME | pa::DMUS_OBJ_FULLPATH;
  const std::u16string file = path("piece.mid");
  std::copy(file.begin(), file.end(), desc.wszFileName);
  ASSERT_EQ(loader->GetObject(&desc, pa::IID_IDirectMusicSegment8, &object), 0);
  auto* fromFile = static_cast<pa::IDirectMusicSegment8*>(object);
  const std::u16string missing = path("missing.mid");
  std::fill(std::begin(desc.wszFileName), std::end(desc.wszFileName), u'\0');
  std::copy(missing.begin(), missing.end(), desc.wszFileName);
  EXPECT_EQ(loader->GetObject(&desc, pa::IID_IDirectMusicSegment8, &object), pa::DMUS_E_LOADER_FAILEDOPEN);

  const Span reference = audibleSpan(referenceRender(midi_));
  const std::vector<std::int16_t> full = [&] {
    std::vector<std::int16_t> mixed;
    EXPECT_EQ(performance->PlaySegmentEx(fromMemory, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    for (int i = 0; i < 1000 && performance->IsPlaying(fromMemory, nullptr) == win::S_OK; ++i) {
      pa::AdvanceAudioForTest(441);
    }
    EXPECT_EQ(performance->IsPlaying(fromMemory, nullptr), win::S_FALSE);
    return pa::TakeCapturedAudioForTest();
  }();
  EXPECT_NEAR(audibleSpan(full).seconds(), reference.seconds(), 0.1);

  // The file's segment at -6 dB: the same piece at half the level. (Not sample for
  // sample: the synthesiser's internal blocks fall differently on a second play.)
  std::int32_t volume = -600;
  ASSERT_EQ(performance->SetGlobalParam(pa::GUID_PerfMasterVolume, &volume, 4), 0);
  EXPECT_EQ(performance->PlaySegmentEx(fromFile, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(performance->IsPlaying(fromMemory, nullptr), win::S_FALSE);
  EXPECT_EQ(performance->IsPlaying(fromFile, nullptr), win::S_OK);
  pa::AdvanceAudioForTest(static_cast<std::uint32_t>(full.size() / 2));
  const std::vector<std::int16_t> half = pa::TakeCapturedAudioForTest();
  ASSERT_EQ(half.size(), full.size());
  auto rms = [](const std::vector<std::int16_t>& s) {
    double sum = 0;
    for (std::int16_t v : s) sum += static_cast<double>(v) * v;
    return std::sqrt(sum / static_cast<double>(s.size()));
  };
  EXPECT_NEAR(rms(half) / rms(full), std::pow(10.0, -600 / 2000.0), 0.02);
  volume = -10000;
  ASSERT_EQ(performance->SetGlobalParam(pa::GUID_PerfMasterVolume, &volume, 4), 0);
  EXPECT_EQ(performance->PlaySegmentEx(fromFile, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
  pa::AdvanceAudioForTest(441 * 50);
  EXPECT_EQ(audibleSpan(pa::TakeCapturedAudioForTest(), 0).end, 0u);

  // Stopping a segment ends its sound at once.
  EXPECT_EQ(performance->PlaySegmentEx(fromFile, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
  pa::AdvanceAudioForTest(441 * 10);
  EXPECT_EQ(performance->Stop(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(performance->IsPlaying(nullptr, nullptr), win::S_FALSE);
  pa::TakeCapturedAudioForTest();
  pa::AdvanceAudioForTest(441 * 10);
  EXPECT_EQ(audibleSpan(pa::TakeCapturedAudioForTest()).end, 0u);

  EXPECT_EQ(loader->ReleaseObjectByUnknown(fromFile), 0);
  EXPECT_EQ(loader->ReleaseObjectByUnknown(fromFile), win::S_FALSE);
  fromFile->Release();
  fromMemory->Release();
  EXPECT_EQ(performance->CloseDown(), 0);
  performance->Release();
  loader->Release();
  sound->Release();
  EXPECT_EQ(pa::CurrentAudioSinkForTest(), "");  // nothing keeps the mixer running
}

TEST_F(MusicDeviceTest, DevicesAreMissingWithoutSynthesiserOrSoundFont) {
  for (const char* missing : {"fluidsynth", "soundfont", "dmusic"}) {
    SCOPED_TRACE(missing);
    setenv("HALVORINE_MISSING", missing, 1);
    for (const win::CLSID* clsid :
         {&pa::CLSID_DirectMusicLoader, &pa::CLSID_DirectMusicPerformance, &pa::CLSID_DirectMusic}) {
      void* object = nullptr;
      EXPECT_EQ(win::CoCreateInstance(*clsid, nullptr, win::CLSCTX_INPROC_SERVER, win::IID_IUnknown, &object),
                win::REGDB_E_CLASSNOTREG);
    }
    pa::MCIDEVICEID id = 0;
    // MCI belongs to the multimedia library, which "dmusic" leaves alone.
    const pa::MCIERROR opened = openSequencer(path("piece.mid"), &id);
    if (std::string(missing) == "dmusic") {
      EXPECT_EQ(opened, 0u);
      pa::mciSendCommandW(id, pa::MCI_CLOSE, 0, 0);
    } else {
      EXPECT_EQ(opened, pa::MCIERR_DEVICE_NOT_INSTALLED);
    }
  }
}

}  // namespace
}  // namespace halvorine_test
