// The frame loop: one scheduler tick, the layers and one flip per frame.
#include "runtime/library/game_loop.h"

#include <cstdint>

#include "media/input/input.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "runtime/library/command_line.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/graphics/draw.h"
#include "runtime/library/layer.h"
#include "runtime/library/object_slots.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/scheduler.h"

namespace kv {
namespace {

constexpr int kKeyEscape = 1;
constexpr int kPadWithKeys = 0x1001;
constexpr int kPadOne = 1;
constexpr int32_t kInputSlots[] = {kSysKeyPad1,     kSysPad1,          kSysMouseX, kSysMouseY,
                                   kSysMouseButton, kSysMouseWheelRot, kSysLaps,   kSysBetaTime};

// The input and timing members get the integer tag once; the loop writes
// payloads only.
void tagInputCells() {
  for (int32_t slot : kInputSlots) {
    Value& v = builtinObjectCell(kObjSystem, slot);
    v.tag = kInt;
    v.bits = 0;
  }
}

void refreshInput(int32_t& wheelTotal) {
  builtinObjectCell(kObjSystem, kSysKeyPad1).i = ZaDod::GetJoypadInputState(kPadWithKeys);
  builtinObjectCell(kObjSystem, kSysPad1).i = ZaDod::GetJoypadInputState(kPadOne);
  if (!gSettings.mouseReading) return;
  ZaDod::GetMousePoint(&builtinObjectCell(kObjSystem, kSysMouseX).i, &builtinObjectCell(kObjSystem, kSysMouseY).i);
  builtinObjectCell(kObjSystem, kSysMouseButton).i = ZaDod::GetMouseButtonInput();
  wheelTotal += ZaDod::GetMouseWheelRotation(1);
  builtinObjectCell(kObjSystem, kSysMouseWheelRot).i = wheelTotal;
}

// "laps" counts the frames the loop has finished; "BetaTime" is the script
// time since the last sixty-frame reset, in microseconds.
void refreshTiming() {
  builtinObjectCell(kObjSystem, kSysLaps).i = gRuntime.totalFrames;
  uint64_t used = Scheduler::tickTime();
  builtinObjectCell(kObjSystem, kSysBetaTime).i = used > INT32_MAX ? INT32_MAX : static_cast<int32_t>(used);
}

}  // namespace

void runGame() {
  logSystem("starting a game-loop.");
  Scheduler::tick();
  if (gSettings.tickBudget > 0 && gSettings.tickBudget-- == 1) return;
  ZaDod::SetDrawTarget(-2);
  ZaDod::SetDrawableGraphMultiSample(0, 0);
  gRuntime.loopRunning = 1;
  tagInputCells();
  int32_t wheelTotal = 0;
  while (ZaDod::ProcessWindowMessages() == 0) {
    if (ZaDod::CheckKeyDown(kKeyEscape)) break;
    ZaDod::ClearDrawTarget(nullptr);
    refreshInput(wheelTotal);
    refreshTiming();
    Scheduler::tick();
    drawAllLayers();
    ZaDod::SetDrawBlendMode(0, 0);
    ZaDod::FlipScreen();
    if (++gRuntime.sixtyFrames == 60) {
      gRuntime.sixtyFrames = 0;
      Scheduler::clearTickTime();
    }
    ++gRuntime.totalFrames;
  }
}

}  // namespace kv
