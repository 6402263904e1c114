// The main window's toolbar: a child window whose buttons share one bitmap strip.
#include <cstring>
#include <vector>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/graphics/base_image_load.h"
#include "media/system/window.h"
#include "media/system/window_decor.h"
#include "media/system/window_state.h"
#include "media/system/winapi.h"
#include "platform/win/menu.h"

namespace ZaDod {

using namespace plat::win;

namespace {

HBITMAP loadBitmap(const char* fileName, int resourceId) {
  if (fileName) {
    std::vector<char16_t> wide(std::strlen(fileName) + 16);
    if (ConvertString(fileName, GetDefaultNarrowCodePage(), wide.data(), wide.size() * 2, CodePageUtf16LE) == 0)
      return nullptr;
    return CreateDIBGraphFromFile(wide.data(), 0, nullptr);
  }
  // Bitmap resources: this program carries none, so the search always fails.
  HRSRC resource = FindResourceW(nullptr, reinterpret_cast<const char16_t*>(static_cast<uintptr_t>(resourceId)),
                                 reinterpret_cast<const char16_t*>(static_cast<uintptr_t>(2)));
  if (!resource || !LockResource(LoadResource(nullptr, resource))) return nullptr;
  return nullptr;
}

void dropToolbar() {
  WindowDecorData& d = WindowDecor;
  if (d.Toolbar) SendMessageW(d.Toolbar, WM_CLOSE, 0, 0);
  if (d.ToolbarBitmap) DeleteObject(d.ToolbarBitmap);
  d.Toolbar = nullptr;
  d.ToolbarBitmap = nullptr;
  d.ButtonNum = 0;
}

}  // namespace

int DeleteAllToolbarButtons() {
  WindowDecorData& d = WindowDecor;
  if (!d.Toolbar) return -1;
  for (int i = 0; i < d.ButtonNum; ++i) SendMessageW(d.Toolbar, TB_DELETEBUTTON, 0, 0);
  d.ButtonNum = 0;
  return 0;
}

int SetToolbar(const char* fileName, int buttonCount, int resourceId) {
  if (!Win.Settings.WindowModeFlag) return 0;
  WindowDecorData& d = WindowDecor;
  DeleteAllToolbarButtons();
  if (!fileName && resourceId < 0) {
    dropToolbar();
    UpdateWindowSize();
    return 0;
  }
  HBITMAP bitmap = loadBitmap(fileName, resourceId);
  if (!bitmap) {
    LogAddTextUtf16(u"ツールバーのボタン用のビットマップファイルの読み込みに失敗しました\n");
    return -1;
  }
  BITMAP info{};
  GetObject(bitmap, sizeof info, &info);
  TBADDBITMAP add{nullptr, reinterpret_cast<uintptr_t>(bitmap)};
  if (!d.Toolbar) {
    if (WinAPI.InitCommonControlsFunc) WinAPI.InitCommonControlsFunc();
    d.Toolbar = CreateWindowExW(0, u"ToolbarWindow32", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                Win.Status.MainWindow, nullptr, nullptr, nullptr);
    if (!d.Toolbar) {
      LogAddTextUtf16(u"ツールバーウインドウの作成に失敗しました\n");
      DeleteObject(bitmap);
      return -1;
    }
    SendMessageW(d.Toolbar, TB_BUTTONSTRUCTSIZE, 20, 0);
    SendMessageW(d.Toolbar, TB_ADDBITMAP, static_cast<WPARAM>(buttonCount), reinterpret_cast<LPARAM>(&add));
  } else {
    SendMessageW(d.Toolbar, TB_REPLACEBITMAP, 0, reinterpret_cast<LPARAM>(&add));
    if (d.ToolbarBitmap) DeleteObject(d.ToolbarBitmap);
  }
  d.ToolbarBitmap = bitmap;
  int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  int width = buttonCount > 0 ? info.bmWidth / buttonCount : info.bmWidth;
  SendMessageW(d.Toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
  Win.Settings.WindowStyleIndex = 6;
  ApplyWindowStyle(0);
  UpdateWindowSize();
  return 0;
}

int FindToolbarButton(int id) {
  for (int i = 0; i < WindowDecor.ButtonNum; ++i)
    if (WindowDecor.Buttons[i].Id == id && WindowDecor.Buttons[i].Type != 3) return i;
  return -1;
}

int GetToolbarHeight() {
  RECT r{};
  if (!WindowDecor.Toolbar || !GetWindowRect(WindowDecor.Toolbar, &r)) return 0;
  return r.bottom - r.top;
}

int AddToolbarButtonForTest(int id, int type) {
  WindowDecorData& d = WindowDecor;
  if (!d.Toolbar || d.ButtonNum >= kToolbarButtonMax) return -1;
  TBBUTTON button{};
  button.iBitmap = d.ButtonNum;
  button.idCommand = id;
  button.fsStyle = static_cast<BYTE>(type == 3 ? 1 : 0);
  SendMessageW(d.Toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
  d.Buttons[d.ButtonNum++] = ToolbarButtonRecord{id, type};
  return 0;
}

void RemoveToolbarAndMenu() {
  WindowDecorData& d = WindowDecor;
  if (d.Menu) {
    if (Win.Status.MainWindow && d.MenuAttached) SetMenu(Win.Status.MainWindow, nullptr);
    DestroyMenu(d.Menu);
    d.Menu = nullptr;
    d.MenuAttached = d.MenuHidden = d.FullScreenMenuCount = 0;
    d.ItemNum = 0;
  }
  DeleteAllToolbarButtons();
  dropToolbar();
}

}  // namespace ZaDod
