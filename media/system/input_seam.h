// Temporary: what the life-cycle code, the pump and the window procedure use of the
// input module, until it lands. input_seam.cpp records the start, end and activation
// calls.
#pragma once

namespace ZaDod {

struct TouchInputRecord;

int InitializeInput();
int TerminateInput();
int RefreshKeyboardInput(int processMessages);
int ProcessJoypadEffectTimers();
int RefreshJoypadEffects();
int ReacquireInputDevices();
int RefreshInputState();
int SetInputFlagFromMessage(unsigned int message, int on);
int AddTouchInputRecord(const TouchInputRecord* record);
int IsDirectInputMouseUsed();
int GetMouseWheelNotches(int clearFlag);
int GetMousePoint(int* x, int* y);

// Test facility: make InitializeInput fail.
void SetInputStartFailsForTest(bool fails);

}  // namespace ZaDod
