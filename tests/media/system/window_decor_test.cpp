// Window services beyond the window itself: the shape from a bitmap, the toolbar, the
// menu item table and menu visibility, desktop composition, and their removal at the
// window's end.
#include <cstdio>
#include <vector>

#include "media_library_fixture.h"
#include "media/graphics/base_image.h"
#include "media/graphics/hwdraw/window_dest.h"
#include "media/system/window_decor.h"
#include "platform/win/dwm.h"
#include "platform/win/menu.h"
#include "platform/win/region.h"

namespace {
using namespace halvorine_test;
using namespace ZaDod;
using namespace plat::win;

bool inside(const std::vector<RECT>& rects, int x, int y) {
  for (const RECT& r : rects)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

// A 24-bit bottom-up BMP; 1 in the mask is white, 0 black.
void writeBmp(const char* name, int width, int height, const std::vector<int>& mask) {
  int pitch = (width * 3 + 3) / 4 * 4;
  std::vector<unsigned char> file(54 + pitch * height, 0);
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  file[0] = 'B', file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  file[26] = 1, file[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (mask.empty() || mask[y * width + x])
        for (int c = 0; c < 3; ++c) file[54 + (height - 1 - y) * pitch + x * 3 + c] = 0xFF;
  FILE* f = std::fopen(name, "wb");
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
}

TEST_F(LibraryTest, ZeroRunsOfAnImageAreCutFromTheScreenRectangle) {
  ASSERT_EQ(startWindowed(), 0);
  const unsigned char pixels8[] = {1, 0, 0, 1, 0, 1, 1, 0};
  const unsigned char pixels24[] = {9, 9, 9, 0, 0, 9, 9, 9, 0, 9, 9, 9,   // zero, zero, zero, kept
                                    9, 0, 9, 9, 9, 9, 0, 9, 9, 9, 9, 9};  // kept, kept, kept, kept
  struct Case {
    const void* pixels;
    int pitch, bytes;
    std::vector<std::pair<int, int>> holes;
  } cases[] = {
      {pixels8, 4, 1, {{1, 0}, {2, 0}, {0, 1}, {3, 1}}},
      {pixels24, 12, 3, {{1, 0}, {2, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    HRGN region = CreateWindowRegionFromImage(4, 2, c.pixels, c.pitch, c.bytes);
    ASSERT_EQ(SetWindowRgn(mainWindow(), region, 1), 1);
    std::vector<RECT> rects;
    ASSERT_TRUE(GetWindowRegionRects(mainWindow(), &rects));
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        bool hole = false;
        for (auto [hx, hy] : c.holes) hole = hole || (hx == x && hy == y);
        EXPECT_EQ(inside(rects, x, y), !hole) << x << "," << y;
      }
    EXPECT_TRUE(inside(rects, 639, 479));
    EXPECT_FALSE(inside(rects, 640, 0));
  }
}

TEST_F(LibraryTest, WindowShapeComesFromABitmapAndGoesWithNull) {
  ASSERT_EQ(startWindowed(), 0);
  writeBmp("shape.bmp", 2, 2, {1, 0, 0, 1});
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(SetWindowShapeFromBitmap("shape.bmp"), 0);
    std::vector<RECT> rects;
    GetWindowRegionRects(mainWindow(), &rects);
    EXPECT_TRUE(inside(rects, 0, 0));
    EXPECT_FALSE(inside(rects, 1, 0));
    EXPECT_FALSE(inside(rects, 0, 1));
    EXPECT_TRUE(inside(rects, 1, 1));
    ASSERT_EQ(SetWindowShapeFromBitmap(nullptr), 0);
    GetWindowRegionRects(mainWindow(), &rects);
    EXPECT_TRUE(rects.empty());
  }
  EXPECT_EQ(SetWindowShapeFromBitmap("missing.bmp"), -1);
}

TEST_F(LibraryTest, ToolbarButtonsShareTheStripAndTheToolbarCanBeRemoved) {
  ASSERT_EQ(startWindowed(), 0);
  writeBmp("strip.bmp", 64, 16, {});
  RECT plain{};
  GetClientRect(mainWindow(), &plain);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(SetToolbar("strip.bmp", 4, 0), 0);
    // The window takes the toolbar's style pair.
    EXPECT_EQ(Win.Settings.WindowStyleIndex, 6);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(mainWindow(), GWL_STYLE)) & ~WS_VISIBLE, 0x80CA0000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(mainWindow(), GWL_EXSTYLE)), 0x300u);
    HWND toolbar = WindowDecor.Toolbar;
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(GetToolbarHeight(), 16 + 6);
    // The window grows by the toolbar, and the picture (and the cursor's place on
    // it) starts below it.
    RECT withBar{};
    GetClientRect(mainWindow(), &withBar);
    EXPECT_EQ(withBar.bottom - withBar.top, plain.bottom - plain.top + 22);
    EXPECT_EQ(withBar.right - withBar.left, plain.right - plain.left);
    int sx = -1, sy = -1;
    ConvDesktopPosToScreenPos(Win.Status.ClientRect.left + 5, Win.Status.ClientRect.top + 22 + 7, &sx, &sy);
    EXPECT_EQ(sx, 5);
    EXPECT_EQ(sy, 7);
    // A hardware flip puts the picture there too, and paints no centred borders.
    SetWindowCentreLayout(round == 2);
    const WindowDestLayout below = ComputeWindowDest(640, 480);
    EXPECT_EQ(below.dest.top, 22);
    EXPECT_EQ(below.dest.bottom, 502);
    EXPECT_EQ(below.dest.left, 0);
    EXPECT_EQ(below.dest.right, 640);
    EXPECT_EQ(below.borders, 0);
    AddToolbarButtonForTest(10, 0);
    AddToolbarButtonForTest(11, 3);
    AddToolbarButtonForTest(11, 0);
    EXPECT_EQ(FindToolbarButton(11), 2);  // the separator is skipped
    EXPECT_EQ(FindToolbarButton(12), -1);
    EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 3);
    ASSERT_EQ(SetToolbar("strip.bmp", 2, 0), 0);  // replaced bitmap, buttons gone
    EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 0);
    EXPECT_EQ(FindToolbarButton(10), -1);
    EXPECT_EQ(SetToolbar("missing.bmp", 4, 0), -1);
    EXPECT_EQ(SetToolbar(nullptr, 0, 3), -1);  // no resources in this program
    ASSERT_EQ(SetToolbar(nullptr, 0, -1), 0);
    EXPECT_FALSE(IsWindow(toolbar));
    EXPECT_EQ(GetToolbarHeight(), 0);
    RECT after{};
    GetClientRect(mainWindow(), &after);
    EXPECT_EQ(after.bottom - after.top, plain.bottom - plain.top);
    EXPECT_EQ(ComputeWindowDest(640, 480).dest.top, 0);
    SetWindowCentreLayout(0);
    EXPECT_EQ(DeleteAllToolbarButtons(), -1);
  }
  EXPECT_GE(logCount(u"ツールバーのボタン用のビットマップファイルの読み込みに失敗しました"), 6);
}

TEST_F(LibraryTest, MenuItemTableNamesItemsAndVisibilityFollowsTheSwitch) {
  ASSERT_EQ(startWindowed(), 0);
  HMENU file = CreateMenu();
  AppendMenuW(file, MF_STRING, 100, u"Open");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, 101, u"Quit");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<uintptr_t>(file), u"File");
  AppendMenuW(bar, MF_STRING, 200, u"Help");
  ASSERT_EQ(SetupMenuItemTable(bar), 0);
  // The item that opens the submenu is listed, then the submenu's items; no separator.
  ASSERT_EQ(WindowDecor.ItemNum, 4);
  const char16_t* order[] = {u"File", u"Open", u"Quit", u"Help"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(std::u16string(WindowDecor.Items[i].Name), order[i]) << i;
  EXPECT_EQ(WindowDecor.Items[0].Menu, bar);
  EXPECT_EQ(WindowDecor.Items[1].Menu, file);
  const struct { int id; const char* name; } items[] = {{100, "Open"}, {101, "Quit"}, {200, "Help"}};
  for (const auto& item : items) {
    char name[512] = {};
    ASSERT_EQ(GetMenuItemName(item.id, name), 0);
    EXPECT_STREQ(name, item.name);
  }
  char name[512];
  EXPECT_EQ(GetMenuItemName(999, name), -1);
  EXPECT_EQ(SetupMenuItemTable(nullptr), -1);
  char16_t text[129];
  EXPECT_EQ(GetMenuItemInfoText(file, 1, text), 1);

  RECT before{}, after{};
  GetWindowRect(mainWindow(), &before);
  WindowDecor.Menu = bar;
  EXPECT_EQ(IsMenuShown(), 1);
  for (int round = 0; round < 3; ++round) {
    SetMenuVisible(0);
    EXPECT_EQ(IsMenuShown(), 0);
    EXPECT_EQ(GetMenu(mainWindow()), nullptr);
    SetMenuVisible(1);
    EXPECT_EQ(IsMenuShown(), 1);
    EXPECT_EQ(GetMenu(mainWindow()), bar);
  }
  GetWindowRect(mainWindow(), &after);
  EXPECT_EQ((after.bottom - after.top) - (before.bottom - before.top), kMenuBarHeight);
  TerminateLibrary();
  EXPECT_EQ(WindowDecor.Menu, nullptr);
}

TEST_F(LibraryTest, LayeredPictureIsPresentedByKeyOrByAlpha) {
  ASSERT_EQ(startWindowed(), 0);
  BaseImage image{};
  ASSERT_EQ(CreateARGB8ColorBaseImage(32, 16, &image), 0);
  FillBaseImage(&image, 255, 0, 0, 128);
  for (int round = 0; round < 4; ++round) {
    int before = GetPresentCount(mainWindow());
    EXPECT_EQ(UpdateLayeredWindowFromImage(&image, round % 2, 0xFF0000), 0);
    EXPECT_EQ(GetPresentCount(mainWindow()), before + 1);
  }
  EXPECT_EQ(UpdateLayeredWindowFromImage(nullptr, 0, 0), -1);
  ReleaseBaseImage(&image);
}

TEST_F(LibraryTest, DesktopCompositionSwitchReachesThePlatform) {
  ASSERT_EQ(startWindowed(), 0);
  SetDesktopCompositionEnable(0);
  EXPECT_EQ(GetDesktopCompositionState(), 0);
  SetDesktopCompositionEnable(1);
  EXPECT_EQ(GetDesktopCompositionState(), 1);
}

}  // namespace
