// IME messages: composition string, cursor, clauses, attributes and candidates from
// the input method, reconversion of the active key input, the four-pass refresh after
// re-activation and the composition length limits.
#include <algorithm>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/clock.h"
#include "media/base/format.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/input/key_input.h"
#include "media/input/key_input_state.h"
#include "media/system/fatal.h"
#include "media/system/sysinfo_log.h"
#include "media/system/system.h"
#include "media/system/window_state.h"
#include "media/system/winapi.h"

namespace ZaDod {

namespace {

using namespace plat::win;

// The imm32 entries; each is null when the library is missing.
template <auto F>
auto imm(FARPROC entry) {
  return reinterpret_cast<decltype(F)>(entry);
}
#define IMM(name) imm<&plat::win::name>(WinAPI.name##Func)

// Runs f with the window's input context; nothing happens without the library.
template <typename F>
void withContext(HWND hwnd, F f) {
  auto get = IMM(ImmGetContext);
  auto release = IMM(ImmReleaseContext);
  if (!get || !release) return;
  HIMC context = get(hwnd);
  if (!context) return;
  f(context);
  release(hwnd, context);
}

// Rereads the composition; one unit of the buffer stays for the terminator.
void readComposition(HIMC context) {
  auto read = IMM(ImmGetCompositionStringW);
  if (!read) return;
  LONG bytes = read(context, GCS_COMPSTR, TextInput.Composition, kImeTextBytes - 2);
  bytes = std::clamp<LONG>(bytes, 0, kImeTextBytes - 2);
  TextInput.Composition[bytes / 2] = 0;
}

int charactersIn(const char16_t* text, int units) {
  int n = 0;
  for (int i = 0; i < units && text[i]; ++i, ++n)
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      ++i;
  return n;
}

void onComposition(HWND hwnd, LPARAM flags) {
  withContext(hwnd, [&](HIMC context) {
    auto read = IMM(ImmGetCompositionStringW);
    if (!read) return;
    if (flags & GCS_COMPSTR) readComposition(context);
    if (flags & GCS_RESULTSTR) {
      LONG bytes = read(context, GCS_RESULTSTR, nullptr, 0);
      if (bytes > 0) {
        std::u16string result(static_cast<size_t>(bytes) / 2, u'\0');
        bytes = read(context, GCS_RESULTSTR, result.data(), static_cast<DWORD>(result.size() * 2));
        for (LONG i = 0; i < bytes / 2; ++i) PushInputChar(result[i]);
      }
      readComposition(context);
      FreeCandidateList();
    }
    if (flags & GCS_CURSORPOS) {
      LONG units = read(context, GCS_CURSORPOS, nullptr, 0);
      int cursor = charactersIn(TextInput.Composition, std::clamp<LONG>(units, 0, kImeTextBytes / 2));
      if (cursor != TextInput.CompositionCursor && TextInput.Candidates) FreeCandidateList();
      TextInput.CompositionCursor = cursor;
    }
    if (flags & GCS_COMPCLAUSE) {
      LONG bytes = read(context, GCS_COMPCLAUSE, TextInput.Clauses, sizeof TextInput.Clauses);
      TextInput.ClauseCount = std::clamp<LONG>(bytes, 0, sizeof TextInput.Clauses) / 4;
    }
    if (flags & GCS_COMPATTR) {
      LONG bytes = read(context, GCS_COMPATTR, TextInput.Attributes, sizeof TextInput.Attributes);
      TextInput.AttributeCount = std::clamp<LONG>(bytes, 0, sizeof TextInput.Attributes);
    }
  });
}

void readCandidates(HWND hwnd) {
  withContext(hwnd, [&](HIMC context) {
    auto count = IMM(ImmGetCandidateListCountW);
    auto get = IMM(ImmGetCandidateListW);
    if (!count || !get) return;
    DWORD lists = 0;
    DWORD size = count(context, &lists);
    if (size == 0) return;
    FreeCandidateList();
    auto* list = static_cast<CANDIDATELIST*>(MemAlloc(size, "ime", __LINE__));
    if (!list) {
      char16_t text[160];
      CharCode_SNPrintf(CodePageUtf16LE, 1, GetDefaultNarrowCodePage(), CodePageUtf16LE, text, 159,
                        u"漢字変換候補を保存するメモリの確保に失敗しました( 確保しようとしたサイズ %d バイト )",
                        static_cast<int>(size));
      FatalErrorExit(text);
    }
    if (get(context, 0, list, size) == 0) {
      MemFree(list);
      LogFormatUtf16(u"漢字変換候補の取得に失敗しました  BufSize:%d\n", static_cast<int>(size));
      return;
    }
    TextInput.Candidates = list;
    TextInput.CandidateSize = static_cast<int>(size);
  });
}

void onOpenStatus(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (TextInput.InOpenStatusNotify) return;
  TextInput.InOpenStatusNotify = 1;
  DefWindowProcW(hwnd, message, wParam, lParam);
  // The clock alone may not bound the wait: without the multimedia library it reads -1
  // for ever. A pass count keeps the wait finite either way.
  long long start = GetMicrosecondCount();
  for (int pass = 0; pass < 64 && ProcessWindowMessages() == 0 && GetMicrosecondCount() - start < 2000; ++pass) {
  }
  TextInput.ImeOpen = 0;
  withContext(hwnd, [](HIMC context) {
    if (auto open = IMM(ImmGetOpenStatus)) TextInput.ImeOpen = open(context) ? 1 : 0;
  });
  TextInput.InOpenStatusNotify = 0;
}

LRESULT onReconvert(HWND hwnd, LPARAM lParam) {
  KeyInputRecord* r = KeyInputRecordOf(TextInput.ActiveHandle);
  if (!r) return 0;
  bool selection = r->SelectStart != -1;
  int lo = selection ? std::min(r->SelectStart, r->SelectEnd) : 0;
  int hi = selection ? std::max(r->SelectStart, r->SelectEnd) : r->Length;
  lo = std::clamp(lo, 0, r->Length), hi = std::clamp(hi, lo, r->Length);
  DWORD units = static_cast<DWORD>(hi - lo);
  if (lParam == 0) return static_cast<LRESULT>(units * 2 + 34);
  auto* record = reinterpret_cast<RECONVERTSTRING*>(lParam);
  auto* text = reinterpret_cast<char16_t*>(reinterpret_cast<BYTE*>(record) + 32);
  std::memcpy(text, r->Text + lo, units * sizeof(char16_t));
  text[units] = 0;
  record->dwSize = units * 2 + 34;
  record->dwVersion = 0;
  record->dwStrLen = units;
  record->dwStrOffset = 32;
  record->dwTargetStrLen = 0;
  record->dwTargetStrOffset = 0;
  record->dwCompStrOffset = selection ? 0 : static_cast<DWORD>(r->Cursor * 2);
  record->dwCompStrLen = selection ? units : static_cast<DWORD>(r->Length);
  withContext(hwnd, [&](HIMC context) {
    auto set = IMM(ImmSetCompositionStringW);
    if (!set || !set(context, SCS_QUERYRECONVERTSTRING, record, record->dwSize, nullptr, 0)) return;
    if (!set(context, SCS_SETRECONVERTSTRING, record, record->dwSize, nullptr, 0)) return;
    if (!selection) {
      int start = std::clamp(static_cast<int>(record->dwCompStrOffset / 2), 0, r->Length);
      r->SelectStart = start;
      r->SelectEnd = std::clamp(start + static_cast<int>(record->dwCompStrLen), start, r->Length);
      r->Cursor = start;
    }
  });
  DeleteKeyInputSelection(*r);
  return 0;
}

}  // namespace

void FreeCandidateList() {
  if (TextInput.Candidates) MemFree(TextInput.Candidates);
  TextInput.Candidates = nullptr;
  TextInput.CandidateSize = 0;
}

LRESULT ProcessIMEMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ResetKeyInputCursorBlink();
  bool vista = SystemInfo.WindowsVersion >= 0x108;
  switch (message) {
    case WM_IME_SETCONTEXT: return DefWindowProcW(hwnd, message, wParam, 0);
    case WM_IME_STARTCOMPOSITION:
      TextInput.Composing = 1;
      TextInput.CompositionCursor = 0;
      if (!TextInput.ImeOpen && vista) TextInput.ImeOpen = 1;
      return 0;
    case WM_IME_ENDCOMPOSITION:
      TextInput.Composition[0] = 0;
      TextInput.Composing = 0;
      if (TextInput.ImeOpen && vista) TextInput.ImeOpen = 0;
      return 0;
    case WM_IME_COMPOSITION: onComposition(hwnd, lParam); return 0;
    case WM_IME_NOTIFY:
      switch (wParam) {
        case IMN_CHANGECANDIDATE: case IMN_OPENCANDIDATE: case IMN_SETCANDIDATEPOS: readCandidates(hwnd); return 0;
        case IMN_CLOSECANDIDATE: FreeCandidateList(); return 0;
        case IMN_SETOPENSTATUS: onOpenStatus(hwnd, message, wParam, lParam); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
      }
    case WM_IME_REQUEST:
      if (wParam == IMR_RECONVERTSTRING && KeyInputRecordOf(TextInput.ActiveHandle)) return onReconvert(hwnd, lParam);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void RunImeRefreshStep() {
  int step = TextInput.RefreshStep;
  if (step == 0) return;
  HWND hwnd = Win.Status.MainWindow;
  withContext(hwnd, [&](HIMC context) {
    switch (step) {
      case 1:
        std::memcpy(TextInput.SavedComposition, TextInput.Composition, sizeof TextInput.SavedComposition);
        if (auto notify = IMM(ImmNotifyIME)) notify(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
        break;
      case 2: if (auto open = IMM(ImmSetOpenStatus)) open(context, 0); break;
      case 3: if (auto open = IMM(ImmSetOpenStatus)) open(context, 1); break;
      case 4:
        if (auto open = IMM(ImmSetOpenStatus)) open(context, 1);
        if (auto set = IMM(ImmSetCompositionStringW)) {
          DWORD units = 0;
          while (units + 1 < kImeTextBytes / 2 && TextInput.SavedComposition[units]) ++units;
          set(context, SCS_SETSTR, TextInput.SavedComposition, units * 2, nullptr, 0);
          readComposition(context);
        }
        break;
    }
  });
  TextInput.RefreshStep = step == 4 ? 0 : step + 1;
}

void ApplyImeLimits(const KeyInputRecord& r) {
  if (!TextInput.ImeLimitFlag && TextInput.ImeMaxLength == 0) return;
  int units = 0;
  while (units + 1 < kImeTextBytes / 2 && TextInput.Composition[units]) ++units;
  int length = NarrowLength(r.Text, r.Length), composition = NarrowLength(TextInput.Composition, units);
  int allowed = -1;
  if (TextInput.ImeLimitFlag && composition + length > r.MaxLength) allowed = std::max(0, r.MaxLength - length);
  if (TextInput.ImeMaxLength && composition > TextInput.ImeMaxLength)
    allowed = allowed < 0 ? TextInput.ImeMaxLength : std::min(allowed, TextInput.ImeMaxLength);
  if (allowed < 0) return;
  int cut = 0, bytes = 0;
  while (cut < units) {
    int k = TextInput.Composition[cut] >= 0xD800 && TextInput.Composition[cut] <= 0xDBFF && cut + 1 < units ? 2 : 1;
    int n = NarrowLength(TextInput.Composition + cut, k);
    if (bytes + n > allowed) break;
    bytes += n, cut += k;
  }
  TextInput.Composition[cut] = 0;
  withContext(Win.Status.MainWindow, [&](HIMC context) {
    if (auto notify = IMM(ImmNotifyIME)) notify(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
    if (auto set = IMM(ImmSetCompositionStringW))
      set(context, SCS_SETSTR, TextInput.Composition, static_cast<DWORD>(cut * 2), nullptr, 0);
  });
}

}  // namespace ZaDod
