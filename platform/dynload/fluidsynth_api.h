// libfluidsynth, opened when music first needs it rather than linked: it pulls in
// glib, several sound-server clients and a file-format library that no other run
// needs. Unlike the other tables here a missing library or function is not fatal:
// the music devices then report themselves not installed.
#pragma once

#include <fluidsynth.h>

#include "platform/dynload/lazy_library.h"

namespace plat::fluid {

#define HALVORINE_FLUID_FUNCTIONS(X)                                                                                \
  X(new_fluid_settings)                                                                                             \
  X(delete_fluid_settings)                                                                                          \
  X(fluid_settings_setnum) X(fluid_settings_setint) X(new_fluid_synth) X(delete_fluid_synth) X(fluid_synth_sfload)  \
      X(fluid_synth_write_float) X(fluid_synth_all_sounds_off) X(fluid_synth_system_reset)                          \
          X(fluid_synth_get_internal_bufsize) X(new_fluid_player) X(delete_fluid_player) X(fluid_player_add_mem)    \
              X(fluid_player_play) X(fluid_player_stop) X(fluid_player_get_status) X(fluid_player_get_current_tick) \
                  X(fluid_player_get_total_ticks) X(fluid_synth_get_active_voice_count) X(fluid_set_log_function)

struct Api {
  HALVORINE_FLUID_FUNCTIONS(HALVORINE_LAZY_POINTER)
};

// The table, or null when the library or one of its functions is not there. The
// library is looked for once per run.
const Api* TryApi();

}  // namespace plat::fluid
