// Standard MIDI Files made in memory for the music tests and FluidSynth's own render of
// one, the reference the devices' output is held against.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/audio/midi_synth.h"
#include "platform/dynload/fluidsynth_api.h"

namespace halvorine_test {

struct MidiNote {
  int key;
  int startMs;
  int lengthMs;
};

// Format 0, 1000 ticks per second (tempo 500000 µs per quarter, 500 ticks per quarter),
// a piano on channel 0 playing the notes given, in order of their start.
inline std::vector<std::uint8_t> makeMidi(const std::vector<MidiNote>& notes, int program = 0) {
  struct Event {
    int at;
    std::uint8_t status, key, velocity;
  };
  std::vector<Event> events;
  for (const MidiNote& n : notes) {
    events.push_back({n.startMs, 0x90, static_cast<std::uint8_t>(n.key), 100});
    events.push_back({n.startMs + n.lengthMs, 0x80, static_cast<std::uint8_t>(n.key), 0});
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.at < b.at; });
  std::vector<std::uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07,
                                     0xA1, 0x20, 0x00, 0xC0, static_cast<std::uint8_t>(program)};
  auto delta = [&](std::uint32_t v) {
    std::uint8_t bytes[5];
    int n = 0;
    do {
      bytes[n++] = static_cast<std::uint8_t>(v & 0x7F);
      v >>= 7;
    } while (v != 0);
    while (n > 0) {
      --n;
      track.push_back(static_cast<std::uint8_t>(bytes[n] | (n > 0 ? 0x80 : 0)));
    }
  };
  int now = 0;
  for (const Event& e : events) {
    delta(static_cast<std::uint32_t>(e.at - now));
    now = e.at;
    track.insert(track.end(), {e.status, e.key, e.velocity});
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xF4, 'M', 'T', 'r', 'k'};
  const auto size = static_cast<std::uint32_t>(track.size());
  file.insert(file.end(), {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                           static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

// Renders the file with FluidSynth alone until its player is done: 44100-Hz stereo
// 16-bit, with the sound font the devices use. Empty when there is no synthesiser.
inline std::vector<std::int16_t> referenceRender(const std::vector<std::uint8_t>& midi) {
  const char* font = plat::audio::MidiSoundFontPath();
  const plat::fluid::Api* f = plat::fluid::TryApi();
  if (font == nullptr || f == nullptr) return {};
  fluid_settings_t* settings = f->new_fluid_settings();
  f->fluid_settings_setnum(settings, "synth.sample-rate", 44100);
  fluid_synth_t* synth = f->new_fluid_synth(settings);
  f->fluid_synth_sfload(synth, font, 1);
  fluid_player_t* player = f->new_fluid_player(synth);
  f->fluid_player_add_mem(player, midi.data(), midi.size());
  f->fluid_player_play(player);
  std::vector<std::int16_t> out;
  float block[441 * 2];
  for (int guard = 0; guard < 100 * 600 && f->fluid_player_get_status(player) != FLUID_PLAYER_DONE; ++guard) {
    f->fluid_synth_write_float(synth, 441, block, 0, 2, block, 1, 2);
    for (float v : block)
      out.push_back(static_cast<std::int16_t>(std::clamp(std::lrintf(v * 32768.0f), -32768L, 32767L)));
  }
  f->delete_fluid_player(player);
  f->delete_fluid_synth(synth);
  f->delete_fluid_settings(settings);
  return out;
}

// First and one past the last stereo frame whose samples pass the level given.
struct Span {
  std::size_t first = 0, end = 0;
  double seconds() const { return static_cast<double>(end - first) / 44100.0; }
};
inline Span audibleSpan(const std::vector<std::int16_t>& stereo, int level = 16) {
  Span s;
  const std::size_t frames = stereo.size() / 2;
  bool any = false;
  for (std::size_t f = 0; f < frames; ++f) {
    if (std::abs(stereo[2 * f]) > level || std::abs(stereo[2 * f + 1]) > level) {
      if (!any) s.first = f;
      any = true;
      s.end = f + 1;
    }
  }
  return s;
}

}  // namespace halvorine_test
