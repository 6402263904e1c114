// Text input: the character ring, editing of a key-input string through pushed
// characters, hostile editing sequences, the clipboard and the IME over injected
// text-editing events.
#include <random>

#include "media/base/charcode.h"
#include "media/input/key_input.h"
#include "media/input/key_input_state.h"
#include "platform/win/clipboard.h"
#include "platform/win/imm.h"
#include "tests/media/input/input_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

class KeyInputTest : public InputTest {
 protected:
  void TearDown() override {
    SetDefaultNarrowCodePage(CodePageUtf8);
    TextInput.RefuseWhenFull = 0;
    InputTest::TearDown();
  }

  // Pushes the units and runs one editing pass.
  void type(const std::u16string& units) {
    for (char16_t c : units) PushInputChar(c);
    tick();
    ProcessKeyInputString();
  }

  // A window-system event carrying text: typed text, or a composition and its cursor.
  static void textEvent(plat::win::WindowEvent::Kind kind, const std::string& text, int cursor = 0) {
    plat::win::WindowEvent e;
    e.kind = kind;
    e.text = text;
    e.x = cursor;
    send(e);
  }

  static std::u16string textOf(int handle) {
    KeyInputRecord* r = KeyInputRecordOf(handle);
    return r ? std::u16string(r->Text, r->Length) : u"<none>";
  }
};

TEST_F(KeyInputTest, RingHoldsUnitsAndWaitsForASurrogatePartner) {
  ASSERT_EQ(startLibrary(), 0);
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(PushInputChar(u'a' + i % 26), 0) << i;
  EXPECT_EQ(PushInputChar(u'z'), -1);
  char16_t c[2];
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(GetInputChar(c, 1), 1);
  EXPECT_EQ(GetInputChar(c, 1), 0);
  PushInputChar(0xD83D);
  EXPECT_EQ(GetInputChar(c, 1), 0);  // the half stays
  PushInputChar(0xDE00);
  EXPECT_EQ(GetInputChar(c, 0), 2);  // peek
  EXPECT_EQ(GetInputChar(c, 1), 2);
  EXPECT_EQ(c[0], 0xD83D);
  EXPECT_EQ(c[1], 0xDE00);
  EXPECT_EQ(GetInputChar(c, 1), 0);
}

TEST_F(KeyInputTest, WindowProcedureFiltersTypedCharactersAndPushesNavigationCodes) {
  ASSERT_EQ(startLibrary(), 0);
  textEvent(plat::win::WindowEvent::Kind::Text, "a\n\x02\x16");
  key(kHidLeft, true);
  key(kHidLeft, false);
  ProcessWindowMessages();
  std::u16string got;
  char16_t c[2];
  while (int n = GetInputChar(c, 1)) got.append(c, n);
  EXPECT_EQ(got, (std::u16string{u'a', 0x0D, 0x16, 0x1D}));
}

struct EditCase {
  const char* name;
  int maxLength, multiLine, numbersOnly, cancelAllowed, refuse, codePage;
  std::u16string typed;
  bool shiftHeld;
  std::u16string text;
  int cursor;
  int ended, cancelled;
};

TEST_F(KeyInputTest, EditingFollowsTheKeyTable) {
  ASSERT_EQ(startLibrary(), 0);
  const char16_t BS = 8, CR = 13, DEL = 0x10, LEFT = 0x1D, RIGHT = 0x1C, UP = 0x1E, DOWN = 0x1F, HOME = 0x1A,
                 END = 0x19, ESC = 0x1B;
  const EditCase cases[] = {
      {"single-line enter ends", 100, 0, 0, 0, 0, 65001, {u'a', u'b', CR, u'c'}, false, u"ab", 2, 1, 0},
      {"multi-line enter inserts a line feed", 100, 1, 0, 0, 0, 65001, {u'a', CR, u'b'}, false, u"a\nb", 3, 0, 0},
      {"back space removes a pair", 100, 0, 0, 0, 0, 65001, {u'x', 0xD83D, 0xDE00, BS}, false, u"x", 1, 0, 0},
      {"delete at the cursor", 100, 0, 0, 0, 0, 65001, {u'a', u'b', LEFT, LEFT, DEL}, false, u"b", 0, 0, 0},
      {"shift selection replaced by typing", 100, 0, 0, 0, 0, 65001, {u'a', u'b', u'c', LEFT, LEFT}, true, u"abc", 1, 0, 0},
      {"up keeps the column, clamped", 100, 1, 0, 0, 0, 65001, {u'a', u'b', CR, u'c', u'd', u'e', UP}, false, u"ab\ncde", 2, 0, 0},
      {"down keeps the column", 100, 1, 0, 0, 0, 65001, {u'a', u'b', CR, u'c', u'd', HOME, UP, RIGHT, DOWN}, false, u"ab\ncd", 4, 0, 0},
      {"end goes to the line end", 100, 1, 0, 0, 0, 65001, {u'a', u'b', CR, u'c', UP, HOME, END}, false, u"ab\nc", 2, 0, 0},
      {"numbers only", 100, 0, 1, 0, 0, 65001, {u'1', u'.', u'2', u'.', u'-', u'x', HOME, u'-'}, false, u"-1.2", 1, 0, 0},
      {"two-byte at the end fills 4 bytes", 4, 0, 0, 0, 0, 932, {u'a', u'b', u'あ'}, false, u"abあ", 3, 0, 0},
      {"a second one takes the last character's place", 4, 0, 0, 0, 0, 932, {u'a', u'b', u'あ', u'い'}, false, u"abい", 3, 0, 0},
      {"refuse when full drops it", 4, 0, 0, 0, 1, 932, {u'a', u'b', u'あ', u'い'}, false, u"abあ", 3, 0, 0},
      {"maximum 0 drops everything", 0, 0, 0, 0, 0, 65001, {u'a', u'b', 0x3042}, false, u"", 0, 0, 0},
      {"escape cancels when allowed", 100, 0, 0, 1, 0, 65001, {u'a', ESC}, false, u"a", 1, 1, 1},
      {"escape ignored otherwise", 100, 0, 0, 0, 0, 65001, {u'a', ESC}, false, u"a", 1, 0, 0},
      {"page codes are inserted", 100, 0, 0, 0, 0, 65001, {0x17, 0x15, 0x01}, false, {0x17, 0x15, 0x01}, 3, 0, 0},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetDefaultNarrowCodePage(c.codePage);
    TextInput.RefuseWhenFull = c.refuse;
    int h = MakeKeyInputForTest(c.maxLength, c.multiLine, c.numbersOnly, c.cancelAllowed, 0, 0);
    ASSERT_GE(h, 0);
    SetActiveKeyInput(h);
    if (c.shiftHeld) key(kHidLeftShift, true), ProcessWindowMessages();
    type(c.typed);
    if (c.shiftHeld) key(kHidLeftShift, false), ProcessWindowMessages();
    KeyInputRecord* r = KeyInputRecordOf(h);
    EXPECT_EQ(textOf(h), c.text);
    EXPECT_EQ(r->Cursor, c.cursor);
    EXPECT_EQ(r->Ended, c.ended);
    EXPECT_EQ(r->Cancelled, c.cancelled);
    if (c.shiftHeld) {
      EXPECT_EQ(r->SelectStart, 3);
      EXPECT_EQ(r->SelectEnd, 1);
      type(u"X");
      EXPECT_EQ(textOf(h), u"aX");
    }
    char16_t rest[2];
    while (GetInputChar(rest, 1)) {
    }
    DeleteKeyInput(h);
  }
}

TEST_F(KeyInputTest, CopyCutAndPasteRoundTripThroughTheClipboard) {
  ASSERT_EQ(startLibrary(), 0);
  for (int multi : {0, 1}) {
    SCOPED_TRACE(multi);
    ASSERT_EQ(SetClipboardText(u"x\r\ny\x16z"), 0);
    int h = MakeKeyInputForTest(100, multi, 0, 0, 0, 0);
    SetActiveKeyInput(h);
    type(u"\x16");
    type(u"");  // the pasted units arrive in the next pass when the ring was read empty
    EXPECT_EQ(textOf(h), multi ? u"x\nyz" : u"xyz");
    key(kHidLeftShift, true);
    ProcessWindowMessages();
    type(u"\x1D\x1D");
    key(kHidLeftShift, false);
    ProcessWindowMessages();
    type(u"\x18");  // cut "yz"
    EXPECT_EQ(textOf(h), multi ? u"x\n" : u"x");
    type(u"\x16");
    type(u"");
    EXPECT_EQ(textOf(h), multi ? u"x\nyz" : u"xyz");
    DeleteKeyInput(h);
  }
}

// Random units, control codes and halves of pairs in every kind of input: the text
// stays within its limits and every pass ends.
TEST_F(KeyInputTest, HostileSequencesKeepTheRecordSound) {
  ASSERT_EQ(startLibrary(), 0);
  std::mt19937 random(7);
  const char16_t pool[] = {u'a', u'0', u'.', u'-', 0x3042, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0x08, 0x09, 0x0D, 0x10,
                           0x16, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x03, 0x0A, 0x01, 0xFFFF};
  SetClipboardText(u"\x16\x16\x08\x0D\x1B");
  for (int cp : {65001, 932}) {
    SetDefaultNarrowCodePage(cp);
    for (int round = 0; round < 400; ++round) {
      int maxLength = static_cast<int>(random() % 12);
      int h = MakeKeyInputForTest(maxLength, random() % 2, random() % 2, random() % 2, random() % 3 == 0,
                                  random() % 5 == 0);
      ASSERT_GE(h, 0);
      SetActiveKeyInput(h);
      TextInput.RefuseWhenFull = static_cast<int>(random() % 2);
      for (int pass = 0; pass < 20; ++pass) {
        std::u16string units;
        for (int i = static_cast<int>(random() % 8); i > 0; --i) units += pool[random() % std::size(pool)];
        type(units);
        KeyInputRecord* r = KeyInputRecordOf(h);
        ASSERT_LE(r->Length, maxLength);
        ASSERT_EQ(r->Text[r->Length], 0);
        ASSERT_LE(NarrowLength(r->Text, r->Length), maxLength);
        ASSERT_GE(r->Cursor, 0);
        ASSERT_LE(r->Cursor, r->Length);
        ASSERT_LE(r->FirstDisplay, r->Length);
        if (r->SelectStart != -1) {
          ASSERT_LE(std::max(r->SelectStart, r->SelectEnd), r->Length);
        }
        if (r->Ended) SetActiveKeyInput(-1);
      }
      char16_t rest[2];
      while (GetInputChar(rest, 1)) {
      }
      DeleteKeyInput(h);
    }
  }
}

TEST_F(KeyInputTest, ClipboardTextRoundTripsAndAHeldClipboardFails) {
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(SetClipboardText(u"héllo"), 0);
  EXPECT_EQ(GetClipboardText(nullptr), 13);  // 6 units of 2 bytes, plus one
  char16_t buffer[8] = {};
  EXPECT_EQ(GetClipboardText(buffer), 0);
  EXPECT_EQ(std::u16string(buffer), u"héllo");
  ASSERT_TRUE(plat::win::OpenClipboard(nullptr));
  EXPECT_EQ(SetClipboardText(u"x"), -1);
  EXPECT_EQ(GetClipboardText(nullptr), -1);
  plat::win::CloseClipboard();
  EXPECT_EQ(GetClipboardText(buffer), 0);
  EXPECT_EQ(std::u16string(buffer), u"héllo");
}

TEST_F(KeyInputTest, CompositionFollowsEditingEventsAndTheResultReachesTheText) {
  ASSERT_EQ(startLibrary(), 0);
  int h = MakeKeyInputForTest(100, 1, 0, 0, 0, 0);
  SetActiveKeyInput(h);
  textEvent(plat::win::WindowEvent::Kind::Editing, "かな", 1);
  plat::win::WindowEvent candidates;
  candidates.kind = plat::win::WindowEvent::Kind::Candidates;
  candidates.files = {"仮名", "かな"};
  send(candidates);
  ProcessWindowMessages();
  EXPECT_EQ(TextInput.Composing, 1);
  EXPECT_EQ(std::u16string(TextInput.Composition), u"かな");
  EXPECT_EQ(TextInput.CompositionCursor, 1);
  EXPECT_EQ(TextInput.ClauseCount, 2);
  EXPECT_EQ(TextInput.AttributeCount, 2);
  plat::win::SendMessageW(GetMainWindowHandle(), plat::win::WM_IME_NOTIFY, plat::win::IMN_OPENCANDIDATE, 0);
  ASSERT_NE(TextInput.Candidates, nullptr);
  EXPECT_EQ(TextInput.Candidates->dwCount, 2u);
  plat::win::SendMessageW(GetMainWindowHandle(), plat::win::WM_IME_NOTIFY, plat::win::IMN_CLOSECANDIDATE, 0);
  EXPECT_EQ(TextInput.Candidates, nullptr);
  textEvent(plat::win::WindowEvent::Kind::Text, "仮名");
  ProcessWindowMessages();
  ProcessWindowMessages();
  EXPECT_EQ(TextInput.Composing, 0);
  EXPECT_EQ(textOf(h), u"仮名");

  // Re-activation with an open IME: four passes restore the composition.
  textEvent(plat::win::WindowEvent::Kind::Editing, "かな", 1);
  ProcessWindowMessages();
  TextInput.ImeEnabled = TextInput.ImeOpen = 1;
  SetIMERefreshStep(1);
  for (int pass = 1; pass <= 4; ++pass) {
    EXPECT_EQ(TextInput.RefreshStep, pass);
    ProcessKeyInputString();
  }
  EXPECT_EQ(TextInput.RefreshStep, 0);
  EXPECT_EQ(std::u16string(TextInput.Composition), u"かな");

  // Reconversion offers the whole text without a selection, then deletes the range.
  EXPECT_EQ(plat::win::SendMessageW(GetMainWindowHandle(), plat::win::WM_IME_REQUEST, plat::win::IMR_RECONVERTSTRING,
                                    0),
            2 * 2 + 34);
  std::vector<unsigned char> record(2 * 2 + 34);
  plat::win::SendMessageW(GetMainWindowHandle(), plat::win::WM_IME_REQUEST, plat::win::IMR_RECONVERTSTRING,
                          reinterpret_cast<plat::win::LPARAM>(record.data()));
  EXPECT_EQ(textOf(h), u"");
}

TEST_F(KeyInputTest, CompositionIsCutToTheRoomLeftInTheInput) {
  ASSERT_EQ(startLibrary(), 0);
  SetDefaultNarrowCodePage(932);
  struct Case {
    int limitFlag, imeMax;
    std::u16string cut;
  } cases[] = {{1, 0, u"あ"}, {0, 4, u"あい"}, {1, 1, u""}, {0, 0, u"あいう"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imeMax);
    int h = MakeKeyInputForTest(4, 0, 0, 0, 0, 0);
    SetActiveKeyInput(h);
    type(u"ab");
    TextInput.ImeLimitFlag = c.limitFlag;
    TextInput.ImeMaxLength = c.imeMax;
    textEvent(plat::win::WindowEvent::Kind::Editing, "あいう", 3);
    ProcessWindowMessages();
    ProcessWindowMessages();
    EXPECT_EQ(std::u16string(TextInput.Composition), c.cut);
    plat::win::HIMC context = plat::win::ImmGetContext(GetMainWindowHandle());
    EXPECT_EQ(plat::win::ImmGetCompositionStringW(context, plat::win::GCS_COMPSTR, nullptr, 0),
              static_cast<int>(c.cut.size() * 2));
    plat::win::ImmReleaseContext(GetMainWindowHandle(), context);
    textEvent(plat::win::WindowEvent::Kind::Editing, "");
    ProcessWindowMessages();
    TextInput.ImeLimitFlag = TextInput.ImeMaxLength = 0;
    DeleteKeyInput(h);
  }
}

TEST_F(KeyInputTest, OpenStatusNoticeReadsTheInputMethodAfterPumping) {
  ASSERT_EQ(startLibrary(), 0);
  plat::win::HWND hwnd = GetMainWindowHandle();
  for (int open : {1, 0, 1}) {
    plat::win::HIMC context = plat::win::ImmGetContext(hwnd);
    plat::win::ImmSetOpenStatus(context, open);
    plat::win::ImmReleaseContext(hwnd, context);
    textEvent(plat::win::WindowEvent::Kind::Text, "q");  // waits in the queue; the notice pumps it
    EXPECT_EQ(plat::win::SendMessageW(hwnd, plat::win::WM_IME_NOTIFY, plat::win::IMN_SETOPENSTATUS, 0), 0);
    EXPECT_EQ(GetIMEOpenFlag(), open);
    EXPECT_EQ(TextInput.InOpenStatusNotify, 0);
  }
  char16_t c[2];
  int typed = 0;
  while (GetInputChar(c, 1)) ++typed;
  EXPECT_EQ(typed, 3);
}

TEST_F(KeyInputTest, WithoutTheInputMethodLibraryTypingStillWorks) {
  setenv("HALVORINE_MISSING", "dinput,imm32", 1);
  ASSERT_EQ(startLibrary(), 0);
  int h = MakeKeyInputForTest(100, 0, 0, 0, 0, 0);
  SetActiveKeyInput(h);
  textEvent(plat::win::WindowEvent::Kind::Text, "ok");
  ProcessWindowMessages();
  ProcessWindowMessages();
  EXPECT_EQ(textOf(h), u"ok");
  TextInput.ImeOpen = TextInput.ImeEnabled = 1;
  SetIMERefreshStep(1);
  for (int i = 0; i < 4; ++i) ProcessKeyInputString();
  EXPECT_EQ(TextInput.RefreshStep, 0);
}

}  // namespace
}  // namespace halvorine_test
