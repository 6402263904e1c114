// Temporary: text input, the IME and the window decorations as the
// life-cycle code and the window procedure see them.
#include "media/system/periphery_seam.h"

#include "media/system/seam_record.h"

namespace ZaDod {

int InitializeInputCharBuffer() { RecordSeamCall("InitializeInputCharBuffer"); return 0; }
int ProcessKeyInputString() { return 0; }
int PushInputChar(int) { return 0; }  // no text input yet: the character is dropped
int IsInputCharBufferFull() { return 0; }

plat::win::LRESULT ProcessIMEMessage(plat::win::HWND hwnd, plat::win::UINT message, plat::win::WPARAM wParam,
                                     plat::win::LPARAM lParam) {
  return plat::win::DefWindowProcW(hwnd, message, wParam, lParam);
}

int GetIMEEnabledFlag() { return 0; }
int GetIMEOpenFlag() { return 0; }
int SetIMERefreshStep(int) { return 0; }
int DeleteAllKeyInput() { RecordSeamCall("DeleteAllKeyInput"); return 0; }
int RemoveWindowDecorations() { RecordSeamCall("RemoveWindowDecorations"); return 0; }

}  // namespace ZaDod
