// Input-method stand-in: one composition record per window, fed by the window
// system's text-editing events. The media layer reaches these functions through the
// module registry ("imm32"), so a missing library leaves them out.
#pragma once
#include <string>
#include <vector>

#include "platform/win/win_window.h"

namespace plat::win {

struct ImeContextTag;
using HIMC = ImeContextTag*;

struct CANDIDATELIST {
  DWORD dwSize;
  DWORD dwStyle;
  DWORD dwCount;
  DWORD dwSelection;
  DWORD dwPageStart;
  DWORD dwPageSize;
  DWORD dwOffset[1];  // dwCount offsets from the list's start, then the texts
};

struct RECONVERTSTRING {
  DWORD dwSize;
  DWORD dwVersion;
  DWORD dwStrLen;
  DWORD dwStrOffset;
  DWORD dwCompStrLen;
  DWORD dwCompStrOffset;
  DWORD dwTargetStrLen;
  DWORD dwTargetStrOffset;
};

// ImmGetCompositionStringW.
inline constexpr DWORD GCS_COMPATTR = 0x10, GCS_COMPCLAUSE = 0x20, GCS_CURSORPOS = 0x80, GCS_COMPSTR = 0x8,
                       GCS_RESULTSTR = 0x800;
// ImmNotifyIME.
inline constexpr DWORD NI_COMPOSITIONSTR = 0x15, CPS_COMPLETE = 1, CPS_CANCEL = 4;
// ImmSetCompositionStringW.
inline constexpr DWORD SCS_SETSTR = 9, SCS_SETRECONVERTSTRING = 0x10000, SCS_QUERYRECONVERTSTRING = 0x20000;
// WM_IME_NOTIFY.
inline constexpr WPARAM IMN_CLOSECANDIDATE = 4, IMN_CHANGECANDIDATE = 3, IMN_SETOPENSTATUS = 8, IMN_OPENCANDIDATE = 5,
                        IMN_SETCANDIDATEPOS = 9;
// WM_IME_REQUEST.
inline constexpr WPARAM IMR_RECONVERTSTRING = 4;
inline constexpr BYTE ATTR_INPUT = 0;

HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC context);
BOOL ImmGetOpenStatus(HIMC context);
BOOL ImmSetOpenStatus(HIMC context, BOOL open);
BOOL ImmGetConversionStatus(HIMC context, DWORD* conversion, DWORD* sentence);
BOOL ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD value);
LONG ImmGetCompositionStringW(HIMC context, DWORD index, void* buffer, DWORD bytes);
BOOL ImmSetCompositionStringW(HIMC context, DWORD index, void* composition, DWORD compositionBytes, void* reading,
                              DWORD readingBytes);
DWORD ImmGetCandidateListW(HIMC context, DWORD index, CANDIDATELIST* list, DWORD bytes);
DWORD ImmGetCandidateListCountW(HIMC context, DWORD* listCount);

// The window stand-in's side: text editing as the window system reports it. An
// editing event with text starts or changes the composition, one without text ends it;
// text typed while composing becomes the result string. Each call queues the IME
// messages it implies for the window's thread; the record takes the state of a
// message just before its procedure sees it.
struct ImeMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<ImeMessage> imeEditing(HWND hwnd, const std::u16string& composition, int cursor);
// Empty when no composition is running: the text is then typed characters.
std::vector<ImeMessage> imeCommit(HWND hwnd, const std::u16string& text);
void imeSetCandidates(HWND hwnd, const std::vector<std::u16string>& candidates);
void imeBeforeDispatch(const MSG& msg);
void imeForget(HWND hwnd);

}  // namespace plat::win
