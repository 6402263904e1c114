// Internal to media/system: the menu, menu item table and toolbar of the main window.
// Nothing in this system sets a menu or adds toolbar buttons; tests do through here.
#pragma once
#include "platform/win/gdi.h"
#include "platform/win/win_window.h"

namespace ZaDod {

constexpr int kMenuItemMax = 512;
constexpr int kMenuItemNameMax = 128;
constexpr int kToolbarButtonMax = 256;

struct MenuItemRecord {
  plat::win::HMENU Menu;
  int Position;
  int Id;
  char16_t Name[kMenuItemNameMax + 1];
};

struct ToolbarButtonRecord {
  int Id;
  int Type;  // 3: separator
};

struct WindowDecorData {
  plat::win::HMENU Menu;  // the menu in use, or null
  int MenuHidden;
  int MenuShownAlways;
  int FullScreenMenuCount;  // 1 while the full-screen menu is pulled down
  int MenuAttached;         // the bar is set on the window
  MenuItemRecord Items[kMenuItemMax];
  int ItemNum;
  plat::win::HWND Toolbar;
  plat::win::HBITMAP ToolbarBitmap;
  ToolbarButtonRecord Buttons[kToolbarButtonMax];
  int ButtonNum;
};

extern WindowDecorData WindowDecor;

int SetMenuVisible(int visible);
int SetupMenuItemTable(plat::win::HMENU menu);
// The name in the default narrow code page; name needs room for 128 characters there.
int GetMenuItemName(int id, char* name);
// 1 for a separator, 0 done, -1 failure; text takes up to 128 characters and a zero.
int GetMenuItemInfoText(plat::win::HMENU menu, int position, char16_t* text);
int SetToolbar(const char* fileName, int buttonCount, int resourceId);
int DeleteAllToolbarButtons();
int FindToolbarButton(int id);
int GetToolbarHeight();
// Appends a button to the toolbar and its table (tests only).
int AddToolbarButtonForTest(int id, int type);
// Takes the toolbar and the menu away (the window's end).
void RemoveToolbarAndMenu();

}  // namespace ZaDod
