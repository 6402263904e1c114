// The main window's menu: the menu item table, visibility, and the full-screen menu
// that follows the mouse near the top of the screen.
#include <cstring>

#include "media/base/charcode.h"
#include "media/graphics/hardware.h"
#include "media/system/window.h"
#include "media/system/window_decor.h"
#include "media/system/window_state.h"
#include "platform/win/menu.h"

namespace ZaDod {

using namespace plat::win;

WindowDecorData WindowDecor;

namespace {

int walk(HMENU menu) {
  int count = GetMenuItemCount(menu);
  if (count < 0) return -1;
  for (int i = 0; i < count; ++i) {
    char16_t text[kMenuItemNameMax + 1];
    int kind = GetMenuItemInfoText(menu, i, text);
    if (kind < 0) return -1;
    // An item that opens a submenu is an item of its own, listed before the submenu's.
    if (kind != 1 && WindowDecor.ItemNum < kMenuItemMax) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID;
      if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), 1, &info)) return -1;
      MenuItemRecord& r = WindowDecor.Items[WindowDecor.ItemNum++];
      r.Menu = menu;
      r.Position = i;
      r.Id = static_cast<int>(info.wID);
      std::memcpy(r.Name, text, sizeof r.Name);
    }
    if (HMENU sub = GetSubMenu(menu, i))
      if (walk(sub) < 0) return -1;
  }
  return 0;
}

void attach(bool on) {
  HWND hwnd = Win.Status.MainWindow;
  if (!hwnd || WindowDecor.MenuAttached == (on ? 1 : 0)) return;
  SetMenu(hwnd, on ? WindowDecor.Menu : nullptr);
  WindowDecor.MenuAttached = on ? 1 : 0;
  DrawMenuBar(hwnd);
}

}  // namespace

int GetMenuItemInfoText(HMENU menu, int position, char16_t* text) {
  if (!text) return -1;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = kMenuItemNameMax + 1;
  text[0] = 0;
  if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), 1, &info)) return -1;
  return info.fType & MFT_SEPARATOR ? 1 : 0;
}

int SetupMenuItemTable(HMENU menu) {
  WindowDecor.ItemNum = 0;
  return walk(menu);
}

int GetMenuItemName(int id, char* name) {
  for (int i = 0; i < WindowDecor.ItemNum; ++i) {
    const MenuItemRecord& r = WindowDecor.Items[i];
    if (r.Id != id) continue;
    // The current text: the menu may have been renamed since the table was made.
    char16_t text[kMenuItemNameMax + 1];
    const char16_t* now = GetMenuItemInfoText(r.Menu, r.Position, text) == 0 ? text : r.Name;
    if (name) ConvertString(now, CodePageUtf16LE, name, (kMenuItemNameMax + 1) * 4, GetDefaultNarrowCodePage());
    return 0;
  }
  return -1;
}

int SetMenuVisible(int visible) {
  if (!WindowDecor.Menu) return 0;
  int hidden = visible ? 0 : 1;
  if (hidden != WindowDecor.MenuHidden) {
    WindowDecor.MenuHidden = hidden;
    attach(!hidden);
    if (Win.Settings.WindowModeFlag) UpdateWindowSize();
  }
  if (Win.Status.MainWindow) UpdateWindow(Win.Status.MainWindow);
  return 0;
}

int IsMenuShown() {
  if (!Win.Status.MainWindow || !WindowDecor.Menu || WindowDecor.MenuHidden) return 0;
  return WindowDecor.MenuShownAlways || Win.Settings.WindowModeFlag || WindowDecor.FullScreenMenuCount > 0 ? 1 : 0;
}

// Full screen only. Without a hardware device the bar comes down while the mouse is
// within the top 60 pixels. A device's picture covers the screen and the bar cannot be
// pulled over it: the bar stays attached from the first pass, and only the cursor
// follows the mouse, shown near the top and ruled by the cursor wish further down.
int UpdateFullScreenMenu() {
  if (Win.Settings.WindowModeFlag || !WindowDecor.Menu || WindowDecor.MenuHidden || !Win.Status.MainWindow) return 0;
  int x = 0, y = 0;
  GetMousePointOnScreen(&x, &y);
  const int pulled = y <= 60 ? 1 : 0;
  const bool device = Graphics_Hardware_IsDeviceValid() != 0;
  if (device) attach(true);
  if (pulled != WindowDecor.FullScreenMenuCount) {
    WindowDecor.FullScreenMenuCount = pulled;
    if (!device) attach(pulled || WindowDecor.MenuShownAlways);
    ApplyCursorVisibility(-1);
  }
  return 0;
}

}  // namespace ZaDod
