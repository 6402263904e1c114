// The input character ring, the key-input records and the pump's editing pass.
#include "media/input/key_input.h"

#include <cstring>

#include "media/base/clock.h"
#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/input/key_input_state.h"
#include "media/system/window_state.h"
#include "media/system/winapi.h"

namespace ZaDod {

TextInputData TextInput;

namespace {

constexpr char16_t kControlCodes[] = {0x10, 0x1D, 0x1C, 0x1E, 0x1F, 0x1A, 0x19, 0x17, 0x15};

bool isControlCode(char16_t c) {
  for (char16_t k : kControlCodes)
    if (k == c) return true;
  return false;
}

int next(int index) { return index + 1 == kInputRingSlots ? 0 : index + 1; }

int checkCounter = 0;

}  // namespace

int PushInputChar(int character) {
  if (IsInputCharBufferFull()) return -1;
  TextInput.Ring[TextInput.WriteIndex] = static_cast<char16_t>(character);
  TextInput.WriteIndex = next(TextInput.WriteIndex);
  return 0;
}

int IsInputCharBufferFull() { return next(TextInput.WriteIndex) == TextInput.ReadIndex ? 1 : 0; }

int GetInputChar(char16_t* out, int consume) {
  int read = TextInput.ReadIndex;
  if (read == TextInput.WriteIndex) return 0;
  char16_t first = TextInput.Ring[read];
  int units = 1;
  if (!isControlCode(first) && first >= 0xD800 && first <= 0xDBFF) {
    // The partner has not arrived yet: leave the half where it is.
    if (next(read) == TextInput.WriteIndex) return 0;
    units = 2;
  }
  for (int i = 0; i < units; ++i) {
    if (out) out[i] = TextInput.Ring[read];
    read = next(read);
  }
  if (consume) TextInput.ReadIndex = read;
  return units;
}

int ResetKeyInputCursorBlink() {
  TextInput.BlinkTime = GetMillisecondCount();
  TextInput.CursorVisible = 1;
  return 0;
}

int InitializeInputCharBuffer() {
  LogAddTextUtf16(u"文字コードバッファの初期化を行います... ");
  int useIme = TextInput.UseIme, enabled = TextInput.ImeEnabled;
  if (TextInput.Candidates) MemFree(TextInput.Candidates);
  std::memset(&TextInput, 0, sizeof TextInput);
  TextInput.UseIme = useIme;
  TextInput.ImeEnabled = enabled;
  TextInput.ActiveHandle = -1;
  TextInput.BlinkInterval = 500;
  TextInput.CursorVisible = 1;
  LogAddTextUtf16(u"完了しました\n");
  return 0;
}

KeyInputRecord* KeyInputRecordOf(int handle) {
  if (handle < 0 || ((handle & HANDLE_TYPE_MASK) >> HANDLE_TYPE_SHIFT) != HANDLETYPE_KEYINPUT) return nullptr;
  int index = handle & HANDLE_INDEX_MASK;
  if (index >= kKeyInputMax) return nullptr;
  KeyInputRecord& r = TextInput.Records[index];
  if (!r.Used || r.Check != ((handle & HANDLE_CHECK_MASK) >> HANDLE_CHECK_SHIFT)) return nullptr;
  return &r;
}

int MakeKeyInputForTest(int maxLength, int multiLine, int numbersOnly, int cancelAllowed, int singleByteOnly,
                        int doubleByteOnly) {
  if (maxLength < 0) return -1;
  for (int i = 0; i < kKeyInputMax; ++i) {
    KeyInputRecord& r = TextInput.Records[i];
    if (r.Used) continue;
    r = KeyInputRecord{};
    // Every character takes at least one narrow byte, so the text never holds more
    // units than the maximum plus a pair's second half.
    r.TextUnits = maxLength + 2;
    r.Text = static_cast<char16_t*>(MemAlloc(r.TextUnits * sizeof(char16_t), "key_input", __LINE__));
    if (!r.Text) return -1;
    r.Text[0] = 0;
    checkCounter = checkCounter % (HANDLE_CHECK_LIMIT - 1) + 1;
    r.Used = 1;
    r.Check = checkCounter;
    r.MaxLength = maxLength;
    r.SelectStart = r.SelectEnd = -1;
    r.MultiLine = multiLine;
    r.NumbersOnly = numbersOnly;
    r.CancelAllowed = cancelAllowed;
    r.SingleByteOnly = singleByteOnly;
    r.DoubleByteOnly = doubleByteOnly;
    return (HANDLETYPE_KEYINPUT << HANDLE_TYPE_SHIFT) | (r.Check << HANDLE_CHECK_SHIFT) | i;
  }
  return -1;
}

int SetActiveKeyInput(int handle) {
  if (handle != -1 && !KeyInputRecordOf(handle)) return -1;
  TextInput.ActiveHandle = handle;
  return 0;
}

int DeleteKeyInput(int handle) {
  KeyInputRecord* r = KeyInputRecordOf(handle);
  if (!r) return -1;
  MemFree(r->Text);
  *r = KeyInputRecord{};
  if (TextInput.ActiveHandle == handle) TextInput.ActiveHandle = -1;
  return 0;
}

int DeleteAllKeyInput() {
  for (KeyInputRecord& r : TextInput.Records) {
    if (!r.Used) continue;
    MemFree(r.Text);
    r = KeyInputRecord{};
  }
  if (TextInput.UseIme != TextInput.ImeEnabled) {
    if (auto enable = reinterpret_cast<decltype(&plat::win::WINNLSEnableIME)>(WinAPI.WINNLSEnableIMEFunc))
      enable(Win.Status.MainWindow, TextInput.UseIme);
    TextInput.ImeEnabled = TextInput.UseIme;
    if (!TextInput.ImeEnabled) {
      FreeCandidateList();
      TextInput.Composition[0] = 0;
      TextInput.Composing = 0;
    }
  }
  TextInput.ActiveHandle = -1;
  return 0;
}

int ProcessKeyInputString() {
  // Reading the shift and control keys may run the pump; a pass inside it must not take
  // characters from under the pass that is running.
  static bool running = false;
  if (running) return 0;
  running = true;
  RunImeRefreshStep();
  KeyInputRecord* r = KeyInputRecordOf(TextInput.ActiveHandle);
  if (r && !r->Ended) {
    ApplyImeLimits(*r);
    char16_t c[2];
    while (!r->Ended) {
      int units = GetInputChar(c, 1);
      if (units == 0) break;
      ResetKeyInputCursorBlink();
      ApplyInputChar(*r, c, units);
    }
  }
  running = false;
  return 0;
}

int GetUseIMEFlag() { return TextInput.UseIme; }
int GetIMEEnabledFlag() { return TextInput.ImeEnabled; }
int GetIMEOpenFlag() { return TextInput.ImeOpen; }

int SetIMERefreshStep(int step) {
  TextInput.RefreshStep = step;
  return 0;
}

}  // namespace ZaDod
