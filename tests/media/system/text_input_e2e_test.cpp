// End to end: a headless library, a multi-line key input, typed text, arrow keys and an
// input-method composition, all through the window and the pump as the game loop runs it.
#include "media_library_fixture.h"
#include "media/input/key_input.h"
#include "media/input/key_input_state.h"

namespace {
using namespace halvorine_test;
using namespace ZaDod;
using namespace plat::win;
using K = WindowEvent::Kind;

void event(K kind, const std::string& text = "", int key = 0, int x = 0) {
  WindowEvent e;
  e.kind = kind;
  e.text = text;
  e.key = key;
  e.x = x;
  InjectWindowEvent(GetMainWindowHandle(), e);
  ProcessWindowMessages();  // one frame of the game loop per event
}

void press(int hid) {
  event(K::KeyDown, "", hid);
  event(K::KeyUp, "", hid);
}

TEST_F(LibraryTest, TypedTextArrowsAndACompositionEditAMultiLineInput) {
  ASSERT_EQ(startWindowed(), 0);
  int h = MakeKeyInputForTest(200, 1, 0, 0, 0, 0);
  ASSERT_EQ(SetActiveKeyInput(h), 0);
  const int kReturn = 0x28, kLeft = 0x50, kUp = 0x52, kEnd = 0x4D;
  event(K::Text, "hello");
  press(kReturn);
  event(K::Text, "wrld");
  for (int i = 0; i < 3; ++i) press(kLeft);
  event(K::Text, "o");
  press(kUp);
  press(kEnd);
  event(K::Editing, "せかい", 0, 3);
  event(K::Editing, "世界", 0, 2);
  event(K::Text, "世界");
  for (int frame = 0; frame < 4; ++frame) ProcessWindowMessages();
  KeyInputRecord* r = KeyInputRecordOf(h);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(std::u16string(r->Text, r->Length), u"hello世界\nworld");
  EXPECT_EQ(TextInput.Composing, 0);
  EXPECT_EQ(r->Ended, 0);
}

}  // namespace
