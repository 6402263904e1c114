// Temporary: the input module as start-up, the pump and the window procedure see it.
#include "media/system/input_seam.h"

#include "media/system/seam_record.h"
#include "media/system/window.h"
#include "platform/win/window.h"

namespace ZaDod {
namespace {
bool startFails = false;
}

int InitializeInput() {
  RecordSeamCall("InitializeInput");
  return startFails ? -1 : 0;
}
int TerminateInput() { RecordSeamCall("TerminateInput"); return 0; }
int RefreshKeyboardInput(int) { return 0; }
int ProcessJoypadEffectTimers() { return 0; }
int RefreshJoypadEffects() { RecordSeamCall("RefreshJoypadEffects"); return 0; }
int ReacquireInputDevices() { RecordSeamCall("ReacquireInputDevices"); return 0; }
int RefreshInputState() { return 0; }
int SetInputFlagFromMessage(unsigned int, int) { RecordSeamCall("SetInputFlagFromMessage"); return 0; }
int AddTouchInputRecord(const TouchInputRecord*) { return 0; }
int IsDirectInputMouseUsed() { return 0; }
int GetMouseWheelNotches(int) { return 0; }

// The cursor in screen-image co-ordinates.
int GetMousePoint(int* x, int* y) {
  plat::win::POINT p{0, 0};
  plat::win::GetCursorPos(&p);
  int sx, sy;
  ConvDesktopPosToScreenPos(p.x, p.y, &sx, &sy);
  if (x) *x = sx;
  if (y) *y = sy;
  return 0;
}

void SetInputStartFailsForTest(bool fails) { startFails = fails; }

}  // namespace ZaDod
