// Internal to media/input: the text-input block (ring, IME state, key-input records)
// and the helpers the editing and IME code share. Tests reach records through it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/win/imm.h"

namespace ZaDod {

constexpr int kInputRingSlots = 1025;
constexpr int kKeyInputMax = 256;
constexpr int kImeTextBytes = 1024;

struct KeyInputRecord {
  int Used;
  int Check;
  int Ended;
  int Cancelled;
  int Length;        // units
  int MaxLength;     // bytes in the default narrow code page
  int SelectStart;   // -1: no selection
  int SelectEnd;
  int FirstDisplay;  // first displayed unit
  int Cursor;        // units
  char16_t* Text;    // MaxLength + 1 units at least; always terminated
  int TextUnits;     // room in Text, terminator included
  int CancelAllowed;
  int SingleByteOnly;
  int NumbersOnly;
  int DoubleByteOnly;
  int MultiLine;
};

struct TextInputData {
  char16_t Ring[kInputRingSlots];
  int ReadIndex, WriteIndex;

  int Composing;
  char16_t Composition[kImeTextBytes / 2];  // always terminated
  int CompositionCursor;                    // characters
  uint32_t Clauses[1024];
  int ClauseCount;
  uint8_t Attributes[1024];
  int AttributeCount;
  plat::win::CANDIDATELIST* Candidates;
  int CandidateSize;
  int ImeOpen;
  int ImeEnabled;  // kept across start-up
  int UseIme;      // kept across start-up
  int RefreshStep;
  char16_t SavedComposition[kImeTextBytes / 2];
  int InOpenStatusNotify;
  int ImeLimitFlag;
  int ImeMaxLength;

  int BlinkTime, BlinkInterval, CursorVisible;

  KeyInputRecord Records[kKeyInputMax];
  int ActiveHandle;  // -1 none
  int RefuseWhenFull;
};

extern TextInputData TextInput;

// Key-input records: made by tests only (nothing in this system creates one).
int MakeKeyInputForTest(int maxLength, int multiLine, int numbersOnly, int cancelAllowed, int singleByteOnly,
                        int doubleByteOnly);
int SetActiveKeyInput(int handle);  // -1 for none
KeyInputRecord* KeyInputRecordOf(int handle);  // null for no handle
int DeleteKeyInput(int handle);

// Editing of the active record (key_input_edit.cpp).
void ApplyInputChar(KeyInputRecord& record, const char16_t* unit, int units);
void DeleteKeyInputSelection(KeyInputRecord& record);
// Length of units in the default narrow code page.
int NarrowLength(const char16_t* units, int count);
// The IME's per-pass work: the refresh step and the length limits (ime.cpp).
void RunImeRefreshStep();
void ApplyImeLimits(const KeyInputRecord& record);
void FreeCandidateList();

}  // namespace ZaDod
