// The software synthesiser behind the music devices: FluidSynth with a General MIDI
// sound font, rendering a Standard MIDI File from memory as one more voice of the
// mixer. The MCI sequencer and the DirectMusic performance each own one.
// HALVORINE_MISSING names: "fluidsynth" (the library) and "soundfont" (every font).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/mixer.h"

namespace plat::audio {

// The sound font the synthesiser would load, or null when the library or every font of
// the search list is missing; the music devices then report themselves unavailable.
const char* MidiSoundFontPath();

// Reads a whole file for the music devices. The media layer puts in a reader that goes
// through its own file functions (archives included); without one, or when it fails,
// the file is read from disk.
using MidiFileReader = bool (*)(const char16_t* path, std::vector<std::uint8_t>* bytes);
void SetMidiFileReader(MidiFileReader reader);
bool ReadMidiFile(const char16_t* path, std::vector<std::uint8_t>* bytes);

// A Standard MIDI File at least has its header chunk; what follows is the synthesiser's
// to judge, and data it cannot read plays as silence that ends at once.
bool LooksLikeMidiFile(const std::vector<std::uint8_t>& bytes);

class MidiSynth final : public MixClient {
 public:
  // Null when the synthesiser is unavailable. The new synthesiser is silent and keeps
  // the mixer running (it counts as a device) until it is destroyed. A destroyed one
  // is reset and kept (one at most) for the next create, which then loads no font.
  static std::unique_ptr<MidiSynth> create();
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  // Starts the piece from its beginning, skipping the first `fromFrames` frames.
  // `ended` runs on the mixing thread, with no lock held, after the quantum in which
  // the piece's last event played; it does not run for a piece stopped or replaced.
  bool start(std::vector<std::uint8_t> midi, std::uint64_t fromFrames, std::function<void()> ended);
  // Holds the piece where it is, forgetting `ended`; resume goes on from there with a
  // new one. False when there is no piece to go on with (never started, ended, stopped).
  void pause();
  bool resume(std::function<void()> ended);
  // Ends the piece and silences what still sounds.
  void stop();
  bool playing();
  std::uint64_t playedFrames();
  // Master volume in hundredths of a decibel (see GainFromHundredthsDb).
  void setVolume(long hundredths);

  void passStart() override;
  void render(float* mixed) override;
  void passEnd() override;

 private:
  MidiSynth() = default;
  void dropPlayer();               // with mutex_ held
  bool renderQuantum(float* out);  // with mutex_ held; false once the piece has ended

  std::mutex mutex_;  // the synthesiser and the piece; never held with the mixer's lock
  void* settings_ = nullptr;
  void* synth_ = nullptr;
  void* player_ = nullptr;
  const char* font_ = nullptr;  // set once the synthesiser holds this font
  std::uint64_t written_ = 0;   // frames the synthesiser has handed out, kept or new
  bool inMixer_ = false;        // a client and a device of the mixer
  std::vector<std::uint8_t> midi_;
  std::function<void()> ended_;
  bool paused_ = false;
  bool endPending_ = false;  // the piece ended in this pass; passEnd reports it
  std::uint64_t played_ = 0;
  std::atomic<float> gain_{1.0f};

  // Rendered in passStart, added in render: the synthesiser never runs under the
  // mixer's lock. Guarded by the mixer's lock while `haveQuantum_` is read.
  float quantum_[kQuantumFrames * kOutputChannels] = {};
  bool haveQuantum_ = false;
};

}  // namespace plat::audio
