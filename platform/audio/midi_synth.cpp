// FluidSynth as the mixer voice of the music devices.
#include "platform/audio/midi_synth.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <utility>

#include "platform/audio/mix_kernel.h"
#include "platform/dynload/fluidsynth_api.h"
#include "platform/win/missing.h"
#include "platform/win/path.h"

namespace plat::audio {

namespace {

// General MIDI fonts as Debian installs them, the small one first: every device loads
// its font when it opens.
constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
};

std::atomic<MidiFileReader> fileReader{nullptr};

// The synthesiser of the last device destroyed, reset and out of the mixer, with the
// font it loaded: the next device made takes it instead of loading the font again,
// which is most of what opening a device costs. At most one is kept.
struct Engine {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  const char* font = nullptr;
};
std::mutex spareMutex;
Engine spare;

bool spareKept() {
  std::lock_guard<std::mutex> guard(spareMutex);
  return spare.synth != nullptr;
}

Engine takeSpare(const char* font) {
  std::lock_guard<std::mutex> guard(spareMutex);
  if (spare.synth == nullptr || spare.font != font) return {};
  return std::exchange(spare, Engine{});
}

// Makes a used synthesiser sound as a new one would: every channel, controller and
// tuning reset and no voice left (the reset), and its effects' tail rendered away
// until it is below the output's last bit (the reset leaves reverb and chorus
// sounding). `written` frames were handed out in all; the synthesiser renders whole
// blocks, so the rest of the last one goes first, and the next piece starts on a
// block edge as on a new synthesiser. False when the tail does not fade.
bool quieten(const fluid::Api& f, fluid_synth_t* synth, std::uint64_t written) {
  f.fluid_synth_system_reset(synth);
  const int block = f.fluid_synth_get_internal_bufsize(synth);
  if (block <= 0 || block > 4096) return false;
  constexpr int kMaxBlocks = 8192;  // 12 s at 44.1 kHz and 64-frame blocks
  constexpr float kQuiet = 0.25f / 32768.0f;
  std::vector<float> scratch(2 * static_cast<std::size_t>(block));
  int rest = static_cast<int>((block - written % static_cast<std::uint64_t>(block)) % block);
  if (rest > 0) f.fluid_synth_write_float(synth, rest, scratch.data(), 0, 2, scratch.data(), 1, 2);
  for (int i = 0; i < kMaxBlocks; ++i) {
    f.fluid_synth_write_float(synth, block, scratch.data(), 0, 2, scratch.data(), 1, 2);
    float peak = 0.0f;
    for (float v : scratch) peak = std::max(peak, std::abs(v));
    if (peak < kQuiet) return true;
  }
  return false;
}

// Keeps the engine as the spare, or deletes it when one is kept already.
void keepOrDelete(const fluid::Api& f, Engine engine) {
  {
    std::lock_guard<std::mutex> guard(spareMutex);
    if (spare.synth == nullptr) {
      spare = engine;
      return;
    }
  }
  f.delete_fluid_synth(engine.synth);
  f.delete_fluid_settings(engine.settings);
}

const fluid::Api* api() {
  if (win::IsStandInMissing("fluidsynth")) return nullptr;
  return fluid::TryApi();
}

bool readFromDisk(const char16_t* path, std::vector<std::uint8_t>* bytes) {
  std::string posix;
  if (!win::mapPath(path, posix, false)) return false;
  std::FILE* file = std::fopen(posix.c_str(), "rb");
  if (file == nullptr) return false;
  bytes->clear();
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

}  // namespace

const char* MidiSoundFontPath() {
  if (api() == nullptr || win::IsStandInMissing("soundfont")) return nullptr;
  for (const char* path : kSoundFonts) {
    if (access(path, R_OK) == 0) return path;
  }
  return nullptr;
}

void SetMidiFileReader(MidiFileReader reader) { fileReader.store(reader); }

bool ReadMidiFile(const char16_t* path, std::vector<std::uint8_t>* bytes) {
  if (path == nullptr || bytes == nullptr) return false;
  const MidiFileReader reader = fileReader.load();
  if (reader != nullptr && reader(path, bytes)) return true;
  return readFromDisk(path, bytes);
}

bool LooksLikeMidiFile(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() >= 14 && std::equal(bytes.begin(), bytes.begin() + 4, "MThd");
}

std::unique_ptr<MidiSynth> MidiSynth::create() {
  const char* font = MidiSoundFontPath();
  if (font == nullptr) return nullptr;
  const fluid::Api& f = *fluid::TryApi();
  std::unique_ptr<MidiSynth> made(new MidiSynth());
  Engine engine = takeSpare(font);
  if (engine.synth == nullptr) {
    fluid_settings_t* settings = f.new_fluid_settings();
    if (settings == nullptr) return nullptr;
    made->settings_ = settings;
    f.fluid_settings_setnum(settings, "synth.sample-rate", kOutputRate);
    fluid_synth_t* synth = f.new_fluid_synth(settings);
    if (synth == nullptr) return nullptr;
    made->synth_ = synth;
    if (f.fluid_synth_sfload(synth, font, 1) == FLUID_FAILED) return nullptr;
  } else {
    made->settings_ = engine.settings;
    made->synth_ = engine.synth;
  }
  made->font_ = font;
  Mixer::instance().addDevice();
  Mixer::instance().addClient(made.get());
  made->inMixer_ = true;
  return made;
}

MidiSynth::~MidiSynth() {
  const fluid::Api* f = fluid::TryApi();
  if (f == nullptr) return;
  if (inMixer_) Mixer::instance().removeClient(this);
  if (synth_ != nullptr) {
    std::lock_guard<std::mutex> guard(mutex_);
    dropPlayer();
  }
  if (inMixer_) Mixer::instance().releaseDevice();
  auto* synth = static_cast<fluid_synth_t*>(synth_);
  auto* settings = static_cast<fluid_settings_t*>(settings_);
  if (font_ != nullptr && !spareKept() && quieten(*f, synth, written_)) {
    keepOrDelete(*f, Engine{settings, synth, font_});
    return;
  }
  if (synth != nullptr) f->delete_fluid_synth(synth);
  if (settings != nullptr) f->delete_fluid_settings(settings);
}

void MidiSynth::dropPlayer() {
  if (player_ == nullptr) return;
  const fluid::Api& f = *fluid::TryApi();
  f.fluid_player_stop(static_cast<fluid_player_t*>(player_));
  f.delete_fluid_player(static_cast<fluid_player_t*>(player_));
  player_ = nullptr;
  f.fluid_synth_all_sounds_off(static_cast<fluid_synth_t*>(synth_), -1);
  endPending_ = false;
}

bool MidiSynth::start(std::vector<std::uint8_t> midi, std::uint64_t fromFrames, std::function<void()> ended) {
  const fluid::Api& f = *fluid::TryApi();
  std::lock_guard<std::mutex> guard(mutex_);
  dropPlayer();
  midi_ = std::move(midi);
  fluid_player_t* player = f.new_fluid_player(static_cast<fluid_synth_t*>(synth_));
  if (player == nullptr) return false;
  player_ = player;
  // The player keeps a pointer to the data, which midi_ holds until the next start.
  if (f.fluid_player_add_mem(player, midi_.data(), midi_.size()) != FLUID_OK ||
      f.fluid_player_play(player) != FLUID_OK) {
    dropPlayer();
    return false;
  }
  ended_ = std::move(ended);
  paused_ = false;
  played_ = 0;
  float discard[kQuantumFrames * kOutputChannels];
  while (played_ + kQuantumFrames <= fromFrames && renderQuantum(discard)) {
  }
  return true;
}

void MidiSynth::pause() {
  std::lock_guard<std::mutex> guard(mutex_);
  paused_ = true;
  ended_ = nullptr;
}

bool MidiSynth::resume(std::function<void()> ended) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (player_ == nullptr) return false;
  paused_ = false;
  ended_ = std::move(ended);
  return true;
}

void MidiSynth::stop() {
  std::lock_guard<std::mutex> guard(mutex_);
  dropPlayer();
}

bool MidiSynth::playing() {
  std::lock_guard<std::mutex> guard(mutex_);
  return player_ != nullptr && !paused_;
}

std::uint64_t MidiSynth::playedFrames() {
  std::lock_guard<std::mutex> guard(mutex_);
  return played_;
}

void MidiSynth::setVolume(long hundredths) { gain_.store(GainFromHundredthsDb(hundredths)); }

bool MidiSynth::renderQuantum(float* out) {
  const fluid::Api& f = *fluid::TryApi();
  auto* player = static_cast<fluid_player_t*>(player_);
  if (f.fluid_player_get_status(player) == FLUID_PLAYER_DONE) return false;
  // The player reports itself done only after a fixed tail past the last event. The
  // piece ends as soon as its last event has played and no voice sounds (none is left,
  // or what they still make is below the 16-bit output's last bits), so that a looping
  // piece starts again where its sound ends.
  const int total = f.fluid_player_get_total_ticks(player);
  const bool lastEventPlayed = total > 0 && f.fluid_player_get_current_tick(player) >= total;
  if (lastEventPlayed && f.fluid_synth_get_active_voice_count(static_cast<fluid_synth_t*>(synth_)) == 0) return false;
  f.fluid_synth_write_float(static_cast<fluid_synth_t*>(synth_), kQuantumFrames, out, 0, 2, out, 1, 2);
  written_ += kQuantumFrames;
  if (lastEventPlayed) {
    constexpr float kSilent = 16.0f / 32768.0f;
    float peak = 0.0f;
    for (int i = 0; i < kQuantumFrames * kOutputChannels; ++i) peak = std::max(peak, std::abs(out[i]));
    if (peak < kSilent) return false;
  }
  played_ += kQuantumFrames;
  return true;
}

void MidiSynth::passStart() {
  std::lock_guard<std::mutex> guard(mutex_);
  haveQuantum_ = false;
  if (player_ == nullptr || paused_) return;
  haveQuantum_ = renderQuantum(quantum_);
  if (!haveQuantum_) {
    // The last event has played: the piece ends here, and its tail with it.
    dropPlayer();
    endPending_ = static_cast<bool>(ended_);
  }
}

void MidiSynth::render(float* mixed) {
  if (!haveQuantum_) return;
  // The synthesiser makes full scale 1.0; the mix is in 16-bit units.
  const float gain = gain_.load() * 32768.0f;
  for (int i = 0; i < kQuantumFrames * kOutputChannels; ++i) mixed[i] += quantum_[i] * gain;
}

void MidiSynth::passEnd() {
  std::function<void()> ended;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!endPending_) return;
    endPending_ = false;
    ended = std::move(ended_);
    ended_ = nullptr;
  }
  ended();
}

}  // namespace plat::audio
