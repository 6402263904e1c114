// One GetJoypadInputState(0x1001) with four virtual pads attached: through the
// DirectInput devices and, in the same run, through the multimedia joystick functions.
// The clock is stepped a millisecond before each call, so every call reads the devices.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "media/input/input.h"
#include "media/input/input_state.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/input/joystick_test.h"
#include "platform/win/win_clock.h"

namespace {

void readPads(benchmark::State& state, bool directInput) {
  setenv("HALVORINE_HEADLESS", "1", 1);
  setenv("HALVORINE_MISSING", directInput ? "" : "dinput", 1);
  const auto home = std::filesystem::current_path();
  const auto dir = std::filesystem::temp_directory_path() / "halvorine-bench-input";
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  for (int i = 0; i < 4; ++i) plat::input::AttachVirtualJoystick(6, 12);
  ZaDod::Input.Settings.NoDirectInput = 0;
  ZaDod::ChangeWindowMode(1);
  if (ZaDod::InitializeLibrary() != 0) {
    state.SkipWithError("the media layer did not start");
  } else {
    plat::win::HoldClockForTest(1'000'000'000LL);
    plat::input::SetVirtualJoystickAxis(0, 0, 32767);
    for (auto _ : state) {
      plat::win::StepClockForTest(1'000'000);
      benchmark::DoNotOptimize(ZaDod::GetJoypadInputState(0x1001));
    }
    state.counters["pads"] = ZaDod::Input.Status.PadCount;
    state.counters["x"] = ZaDod::Input.Status.Pad[0].State.lX;
    plat::win::ReleaseClockForTest();
  }
  ZaDod::TerminateLibrary();
  plat::input::DetachAllVirtualJoysticks();
  unsetenv("HALVORINE_MISSING");
  std::filesystem::current_path(home);
  std::filesystem::remove_all(dir);
}

void BM_PadStateDirectInput(benchmark::State& state) { readPads(state, true); }
void BM_PadStateJoystickFunctions(benchmark::State& state) { readPads(state, false); }

BENCHMARK(BM_PadStateDirectInput);
BENCHMARK(BM_PadStateJoystickFunctions);

}  // namespace

BENCHMARK_MAIN();
