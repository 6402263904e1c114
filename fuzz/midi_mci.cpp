// Writes the input to a temporary MIDI file and plays it through the MCI sequencer as
// the media layer would reach it: the file read through the file functions, then handed
// to the synthesiser from memory. Each input is played from its start and from a
// position, stopped and resumed, its status read, and closed. Only a few milliseconds
// are mixed each time (on the manual sink, so no real time passes): the decoding of the
// file is what is under test, and rendering seconds of a piece made each input cost
// a tenth of a second. Each open after the first takes the synthesiser the last close
// kept, so the sound font is loaded once a run. The file goes once played.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/input_file.h"
#include "media/sound/output.h"
#include "platform/audio/audio_test.h"
#include "platform/audio/midi_synth.h"

namespace pa = plat::audio;

namespace {

bool stillPlaying(pa::MCIDEVICEID id) {
  pa::MCI_STATUS_PARMS mode{0, 0, pa::MCI_STATUS_MODE, 0};
  if (pa::mciSendCommandW(id, pa::MCI_STATUS, pa::MCI_STATUS_ITEM, reinterpret_cast<std::uintptr_t>(&mode)) != 0)
    std::abort();
  if (mode.dwReturn != pa::MCI_MODE_PLAY && mode.dwReturn != pa::MCI_MODE_STOP) std::abort();
  return mode.dwReturn == pa::MCI_MODE_PLAY;
}

void mixWhilePlaying(pa::MCIDEVICEID id, int quanta) {
  for (int i = 0; i < quanta && stillPlaying(id); ++i) pa::AdvanceAudioForTest(441);
  pa::TakeCapturedAudioForTest();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 16)) return 0;
  static const bool ready = [] {
    setenv("HALVORINE_HEADLESS", "1", 1);
    // The synthesiser's sample loading runs on a thread team whose idle members spin;
    // one thread loads each open's sound font without burning the other cores.
    setenv("OMP_NUM_THREADS", "1", 1);
    pa::UseManualAudioSinkForTest(true);
    pa::SetMidiFileReader(&ZaDod::ReadMidiThroughFileFunctions);
    return pa::MidiSoundFontPath() != nullptr;
  }();
  if (!ready) return 0;
  static const std::string path = "/tmp/halvorine_fuzz_midi_" + std::to_string(getpid()) + ".mid";
  fuzzinput::writeInputFile(path, data, size);
  // Every run removes its file, however it ends.
  struct Removed {
    const std::string& path;
    ~Removed() { std::remove(path.c_str()); }
  } removed{path};
  const std::u16string wide = fuzzinput::windowsPath(path);
  pa::MCI_OPEN_PARMSW open{0, 0, u"sequencer", wide.c_str(), nullptr};
  if (pa::mciSendCommandW(0, pa::MCI_OPEN, pa::MCI_OPEN_TYPE | pa::MCI_OPEN_ELEMENT,
                          reinterpret_cast<std::uintptr_t>(&open)) != 0) {
    return 0;
  }
  const pa::MCIDEVICEID id = open.wDeviceID;
  pa::MCI_PLAY_PARMS play{0, 0, 0};
  if (pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_FROM, reinterpret_cast<std::uintptr_t>(&play)) == 0) {
    mixWhilePlaying(id, 3);
    pa::mciSendCommandW(id, pa::MCI_STOP, 0, 0);
    if (stillPlaying(id)) std::abort();
    pa::mciSendCommandW(id, pa::MCI_PLAY, 0, reinterpret_cast<std::uintptr_t>(&play));
    mixWhilePlaying(id, 3);
  }
  play.dwFrom = size > 20 ? data[size - 1] : 0;
  if (pa::mciSendCommandW(id, pa::MCI_PLAY, pa::MCI_FROM, reinterpret_cast<std::uintptr_t>(&play)) == 0) {
    mixWhilePlaying(id, 3);
  }
  if (pa::mciSendCommandW(id, pa::MCI_CLOSE, 0, 0) != 0) std::abort();
  return 0;
}
