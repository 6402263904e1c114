// The input front: whether a key is down, what a joypad reports, where the mouse is and
// which mouse buttons are held. Input starts on demand; every query runs on the thread
// that owns the window.
#pragma once

namespace ZaDod {

// Pad input bits: direction bits, then buttons 1-24 (button byte i of a pad gives bit
// 4 + i); with the keyboard option any bit can also come from an assigned key.
constexpr int PAD_INPUT_DOWN = 0x1, PAD_INPUT_LEFT = 0x2, PAD_INPUT_RIGHT = 0x4, PAD_INPUT_UP = 0x8,
              PAD_INPUT_1 = 0x10;
// OR'ed into a pad number: add the keyboard keys assigned to that pad.
constexpr int PAD_INPUT_KEY = 0x1000;

constexpr int kMaxTouchPoints = 16;

struct TouchInputPoint {
  int Device;  // always 0
  int ID;
  int PositionX, PositionY;  // screen-image co-ordinates
};

struct TouchInputRecord {
  long long Time;  // microseconds
  int PointNum;
  TouchInputPoint Point[kMaxTouchPoints];
};

// 1 when the key (scan-code numbering, 1 is Escape) is down, else 0; 0 for a code
// outside 0-255 and while input cannot start.
int CheckKeyDown(int keyCode);
// The pad's input bits; 0 for a pad that does not exist and while input cannot start.
int GetJoypadInputState(int inputType);
// Bit 0 left, 1 right, 2 middle; bit 0 also while a touch is held.
int GetMouseButtonInput();
// The tracked touch, else the cursor, in screen-image co-ordinates. Either pointer may
// be null. Returns 0.
int GetMousePoint(int* x, int* y);

int InitializeInput();
int TerminateInput();
int StartInputOnDemand();

// Called by the window procedure with each touch message's points.
int AddTouchInputRecord(const TouchInputRecord* record);

// Guarded keyboard refresh: 0 when one is already running, else the read's result.
int RefreshKeyboardInput(int processMessages);

// Vibration: the per-pass timer, pushing the wanted state to the devices, stopping.
int ProcessJoypadEffectTimers();
int RefreshJoypadEffects();
int StopJoypadVibration(int padNumber, int slot);

// The window procedure's two input-flag messages, each with its flag on (wParam 1) or
// off: WM_USER + 0x6F the DirectInput keyboard and mouse on every Windows version,
// WM_USER + 0x70 the exclusive keyboard. Both take effect at the next device start.
int SetInputFlagFromMessage(unsigned int message, int on);

int ReSetupJoypad();
int TerminateJoypad();

}  // namespace ZaDod
