// halvorine with a player typing: every eighth look at the message queue gives the
// main window the next event of a fixed stream of typed characters, input-method compositions and
// candidate lists. The script cases run under it as well, and must end as they do
// without typing, since no script reads typed text unless it asks for it.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "media/system/window.h"
#include "platform/win/win_window.h"
#include "platform/win/window_test.h"
#include "runtime/library/runtime_main.h"

namespace {

using plat::win::WindowEvent;

std::vector<WindowEvent> typingStream() {
  std::vector<WindowEvent> stream;
  auto add = [&](WindowEvent::Kind kind, std::string text, int x = 0) {
    WindowEvent e;
    e.kind = kind;
    e.text = std::move(text);
    e.x = x;
    stream.push_back(e);
  };
  using K = WindowEvent::Kind;
  for (const char* t : {"a", "B", "7", " ", "\xC3\xA9", "\xE3\x81\x82", "\t", "\r", "\b", "\x16"})
    add(K::Text, t);
  add(K::Editing, "\xE3\x81\x8B", 1);
  add(K::Editing, "\xE3\x81\x8B\xE3\x82\x93", 2);
  WindowEvent candidates;
  candidates.kind = K::Candidates;
  candidates.files = {"\xE6\xBC\xA2", "\xE6\x84\x9F"};
  stream.push_back(candidates);
  add(K::Editing, "", 0);
  add(K::Text, "\xE6\xBC\xA2");
  return stream;
}

std::vector<WindowEvent> gStream;
size_t gNext = 0;
unsigned gLooks = 0;

// The pump reads until the queue is empty, so a typist faster than it reads would
// keep it reading for ever; one event in eight looks lets every pass end.
void typeOne() {
  if (++gLooks % 8 != 0) return;
  plat::win::HWND hwnd = ZaDod::GetMainWindowHandle();
  if (!hwnd || gStream.empty()) return;
  plat::win::InjectWindowEvent(hwnd, gStream[gNext]);
  gNext = (gNext + 1) % gStream.size();
}

}  // namespace

int main(int argc, char** argv) {
  gStream = typingStream();
  plat::win::AddMessageSource(&typeOne);
  try {
    return kv::runtimeMain(argc, argv);
  } catch (const std::exception& e) {
    std::printf("%s\n", e.what());
    return 1;
  }
}
