// Menu stand-in: item lists, window menu bars, the toolbar child window and the
// (empty) resource table.
#include "platform/win/menu.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win/window_internal.h"

namespace plat::win {

namespace {

struct Item {
  UINT flags;
  UINT id;
  HMENU submenu;
  std::u16string text;
};

struct Menu : GdiTag {
  Menu() : GdiTag{Kind::Menu, 0, false, nullptr, 0} {}
  std::vector<Item> items;
};

Menu* menuOf(HMENU menu) { return menu && menu->kind == GdiTag::Kind::Menu ? static_cast<Menu*>(menu) : nullptr; }

struct Toolbar {
  std::vector<TBBUTTON> buttons;
  int buttonWidth = 0, buttonHeight = 0, images = 0;
  uintptr_t bitmap = 0;
};

std::map<HWND, Toolbar> toolbars;  // under windowLock

LRESULT toolbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::unique_lock lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  Toolbar& t = toolbars[hwnd];
  switch (message) {
    case TB_BUTTONSTRUCTSIZE: return 0;
    case TB_ADDBITMAP:
    case TB_REPLACEBITMAP: {
      if (message == TB_ADDBITMAP) t.images = static_cast<int>(wParam);
      if (lParam && message == TB_ADDBITMAP) t.bitmap = reinterpret_cast<const TBADDBITMAP*>(lParam)->nID;
      return message == TB_ADDBITMAP ? 0 : 1;
    }
    case TB_SETBUTTONSIZE:
      t.buttonWidth = LOWORD(static_cast<uintptr_t>(lParam));
      t.buttonHeight = HIWORD(static_cast<uintptr_t>(lParam));
      w->rect.bottom = w->rect.top + t.buttonHeight + 6;
      return 1;
    case TB_ADDBUTTONSW: {
      const auto* buttons = reinterpret_cast<const TBBUTTON*>(lParam);
      for (WPARAM i = 0; buttons && i < wParam; ++i) t.buttons.push_back(buttons[i]);
      return 1;
    }
    case TB_DELETEBUTTON:
      if (wParam >= t.buttons.size()) return 0;
      t.buttons.erase(t.buttons.begin() + static_cast<long>(wParam));
      return 1;
    case TB_BUTTONCOUNT: return static_cast<LRESULT>(t.buttons.size());
    case WM_CLOSE:
      lock.unlock();
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY: toolbars.erase(hwnd); return 0;
    default: return 0;
  }
}

}  // namespace

HWND createToolbarWindow(HWND parent, DWORD style) {
  static uintptr_t nextChild = 0x7F000000;
  auto w = std::make_unique<Window>();
  std::lock_guard lock(windowLock());
  Window* owner = findWindow(parent);
  if (!owner || !(style & WS_CHILD)) return nullptr;
  w->className = u"ToolbarWindow32";
  w->proc = toolbarProc;
  w->style = style;
  w->visible = (style & WS_VISIBLE) != 0;
  w->threadId = currentThreadId();
  w->rect = RECT{owner->client.left, owner->client.top, owner->client.right, owner->client.top};
  w->client = w->rect;
  w->id = nextChild;
  nextChild += 0x10;
  HWND hwnd = toHandle(w.get());
  toolbars[hwnd] = Toolbar{};
  windowTable()[w->id] = std::move(w);
  return hwnd;
}

HMENU CreateMenu() { return new Menu; }

BOOL DestroyMenu(HMENU menu) {
  Menu* m = menuOf(menu);
  if (!m) return 0;
  for (Item& item : m->items)
    if (item.submenu) DestroyMenu(item.submenu);
  delete m;
  return 1;
}

BOOL AppendMenuW(HMENU menu, UINT flags, uintptr_t item, const char16_t* text) {
  Menu* m = menuOf(menu);
  if (!m) return 0;
  Item i{flags, static_cast<UINT>(item), nullptr, text && !(flags & MF_SEPARATOR) ? text : u""};
  if (flags & MF_POPUP) {
    i.submenu = reinterpret_cast<HMENU>(item);
    i.id = 0;
  }
  m->items.push_back(std::move(i));
  return 1;
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = menuOf(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

HMENU GetSubMenu(HMENU menu, int position) {
  Menu* m = menuOf(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return nullptr;
  return m->items[position].submenu;
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info) {
  Menu* m = menuOf(menu);
  if (!m || !info) return 0;
  const Item* found = nullptr;
  if (byPosition) {
    if (item < m->items.size()) found = &m->items[item];
  } else {
    for (const Item& i : m->items)
      if (!i.submenu && i.id == item) found = &i;
  }
  if (!found) return 0;
  if (info->fMask & (MIIM_FTYPE | MIIM_TYPE)) info->fType = found->flags & MF_SEPARATOR ? MFT_SEPARATOR : 0;
  if (info->fMask & MIIM_ID) info->wID = found->id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = found->submenu;
  if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
    UINT length = static_cast<UINT>(found->text.size());
    if (info->dwTypeData && info->cch > 0) {
      UINT n = std::min(length, info->cch - 1);
      std::memcpy(info->dwTypeData, found->text.data(), n * sizeof(char16_t));
      info->dwTypeData[n] = 0;
      info->cch = n;
    } else {
      info->cch = length;
    }
  }
  return 1;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || (menu && !menuOf(menu))) return 0;
  // The client keeps its place under the frame: the window grows by the bar.
  LONG before = w->menu ? kMenuBarHeight : 0, after = menu ? kMenuBarHeight : 0;
  w->menu = menu;
  w->rect.bottom += after - before;
  clientRectOnScreen(*w, &w->client);
  return 1;
}

HMENU GetMenu(HWND hwnd) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  return w ? w->menu : nullptr;
}

BOOL DrawMenuBar(HWND hwnd) { return IsWindow(hwnd); }

HRSRC FindResourceW(HINSTANCE, const char16_t*, const char16_t*) { return nullptr; }
HGLOBAL_RESOURCE LoadResource(HINSTANCE, HRSRC) { return nullptr; }
void* LockResource(HGLOBAL_RESOURCE) { return nullptr; }

}  // namespace plat::win
