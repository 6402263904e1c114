// Menu stand-in: menus and submenus as item lists, the menu bar of a window (which
// adds its height to the frame), and the toolbar child window.
#pragma once
#include "platform/win/win_window.h"

namespace plat::win {

struct MENUITEMINFOW {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HGDIOBJ hbmpChecked;
  HGDIOBJ hbmpUnchecked;
  uintptr_t dwItemData;
  char16_t* dwTypeData;
  UINT cch;
  HGDIOBJ hbmpItem;
};

inline constexpr UINT MF_STRING = 0, MF_POPUP = 0x10, MF_SEPARATOR = 0x800;
inline constexpr UINT MFT_SEPARATOR = 0x800;
inline constexpr UINT MIIM_ID = 0x2, MIIM_SUBMENU = 0x4, MIIM_TYPE = 0x10, MIIM_STRING = 0x40, MIIM_FTYPE = 0x100;
inline constexpr int kMenuBarHeight = 20;

HMENU CreateMenu();
BOOL DestroyMenu(HMENU menu);
// item is the id, or the submenu with MF_POPUP.
BOOL AppendMenuW(HMENU menu, UINT flags, uintptr_t item, const char16_t* text);
int GetMenuItemCount(HMENU menu);  // -1 for no menu
HMENU GetSubMenu(HMENU menu, int position);
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info);
BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
BOOL DrawMenuBar(HWND hwnd);

// Toolbar child windows (class "ToolbarWindow32") answer these.
inline constexpr UINT TB_BUTTONSTRUCTSIZE = 0x41E, TB_ADDBITMAP = 0x413, TB_REPLACEBITMAP = 0x42E,
                      TB_SETBUTTONSIZE = 0x420, TB_DELETEBUTTON = 0x416, TB_ADDBUTTONSW = 0x444, TB_BUTTONCOUNT = 0x418;

struct TBBUTTON {
  int iBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsStyle;
  BYTE bReserved[6];
  uintptr_t dwData;
  intptr_t iString;
};

// Resources: this program carries none.
struct ResourceTag;
using HRSRC = ResourceTag*;
using HGLOBAL_RESOURCE = ResourceTag*;
HRSRC FindResourceW(HINSTANCE module, const char16_t* name, const char16_t* type);
HGLOBAL_RESOURCE LoadResource(HINSTANCE module, HRSRC resource);
void* LockResource(HGLOBAL_RESOURCE resource);

}  // namespace plat::win

namespace plat::win {

struct TBADDBITMAP {
  HINSTANCE hInst;
  uintptr_t nID;  // the bitmap itself when hInst is null
};

// The toolbar's own record, for the window stand-in's creation path.
HWND createToolbarWindow(HWND parent, DWORD style);

}  // namespace plat::win
