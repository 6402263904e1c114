// The input-method record fed by text-editing events, the clipboard's single open, and
// region arithmetic.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win/clipboard.h"
#include "platform/win/imm.h"
#include "platform/win/region.h"
#include "platform/win/window_test.h"

namespace {
using namespace plat::win;

LRESULT quietProc(HWND hwnd, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(hwnd, m, w, l); }

class ImeWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("HALVORINE_HEADLESS", "1", 1); }
  void SetUp() override {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = quietProc;
    cls.lpszClassName = u"ImeTest";
    RegisterClassExW(&cls);
    hwnd_ = CreateWindowExW(0, u"ImeTest", u"", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(hwnd_);
    UnregisterClassW(u"ImeTest", nullptr);
  }
  // Dispatches what is queued; returns the messages in order.
  std::vector<UINT> pump() {
    std::vector<UINT> seen;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      seen.push_back(m.message);
      DispatchMessageW(&m);
    }
    return seen;
  }
  HWND hwnd_ = nullptr;
};

TEST_F(ImeWindow, EditingEventsGiveTheMessagesAndTheRecordFollowsDispatch) {
  for (int round = 0; round < 3; ++round) {
    WindowEvent e;
    e.kind = WindowEvent::Kind::Editing;
    e.text = "ab\xF0\x9F\x98\x80";  // a pair counts as one character of the cursor
    e.x = 3;
    InjectWindowEvent(hwnd_, e);
    e.kind = WindowEvent::Kind::Text;
    e.text = "AB";
    InjectWindowEvent(hwnd_, e);
    HIMC context = ImmGetContext(hwnd_);
    ASSERT_NE(context, nullptr);
    // Nothing is seen before its message is dispatched.
    EXPECT_EQ(ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0), 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_IME_STARTCOMPOSITION);
    DispatchMessageW(&m);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_IME_COMPOSITION);
    DispatchMessageW(&m);
    EXPECT_EQ(ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0), 8);
    EXPECT_EQ(ImmGetCompositionStringW(context, GCS_CURSORPOS, nullptr, 0), 4);
    EXPECT_EQ(ImmGetCompositionStringW(context, GCS_COMPATTR, nullptr, 0), 4);
    char16_t small[2];
    EXPECT_EQ(ImmGetCompositionStringW(context, GCS_COMPSTR, small, sizeof small), 4);  // cut, never past
    EXPECT_EQ(pump(), (std::vector<UINT>{WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION}));
    EXPECT_EQ(ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0), 0);
    // Text without a composition is typed characters.
    InjectWindowEvent(hwnd_, e);
    EXPECT_EQ(pump(), (std::vector<UINT>{WM_CHAR, WM_CHAR}));
    ImmReleaseContext(hwnd_, context);
  }
}

TEST_F(ImeWindow, CandidateListIsLaidOutWithOffsets) {
  WindowEvent e;
  e.kind = WindowEvent::Kind::Candidates;
  e.files = {"x", "yz"};
  InjectWindowEvent(hwnd_, e);
  HIMC context = ImmGetContext(hwnd_);
  DWORD lists = 0;
  DWORD size = ImmGetCandidateListCountW(context, &lists);
  EXPECT_EQ(lists, 1u);
  std::vector<unsigned char> block(size);
  auto* list = reinterpret_cast<CANDIDATELIST*>(block.data());
  EXPECT_EQ(ImmGetCandidateListW(context, 0, list, size - 1), 0u);  // too small
  ASSERT_EQ(ImmGetCandidateListW(context, 0, list, size), size);
  ASSERT_EQ(list->dwCount, 2u);
  EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(block.data() + list->dwOffset[1])), u"yz");
  EXPECT_TRUE(ImmSetOpenStatus(context, 1));
  EXPECT_TRUE(ImmGetOpenStatus(context));
  ImmReleaseContext(hwnd_, context);
}

TEST(Clipboard, OneOpenAtATimeAndTheTextRoundTrips) {
  setenv("HALVORINE_HEADLESS", "1", 1);
  for (int round = 0; round < 50; ++round) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 8);
    std::memcpy(GlobalLock(memory), u"abc", 8);
    GlobalUnlock(memory);
    EXPECT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    auto got = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT));
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(GlobalSize(got), 8u);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(got))), u"abc");
    GlobalUnlock(got);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);  // not open
  }
}

TEST(Region, CombinationsKeepTheCoveredArea) {
  struct Case {
    int mode, expected;
    RECT a, b;
  } cases[] = {
      {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}, {2, 2, 4, 4}},
      {RGN_DIFF, NULLREGION, {0, 0, 10, 10}, {-1, -1, 11, 11}},
      {RGN_OR, COMPLEXREGION, {0, 0, 10, 10}, {5, 5, 15, 15}},
      {RGN_AND, SIMPLEREGION, {0, 0, 10, 10}, {5, 5, 15, 15}},
      {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    HRGN a = CreateRectRgn(c.a.left, c.a.top, c.a.right, c.a.bottom);
    HRGN b = CreateRectRgn(c.b.left, c.b.top, c.b.right, c.b.bottom);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.expected) << c.mode;
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
  }
  EXPECT_EQ(CombineRgn(nullptr, nullptr, nullptr, RGN_OR), REGION_ERROR);
}

}  // namespace
