// Temporary: until the media log exists, these entry points only pass each message's
// text (for the printf-style forms, the format) to the test hook, so that tests can
// tell which message was raised.
#include <atomic>
#include <string>

#include "media/base/log.h"

namespace ZaDod {

namespace {

std::atomic<void (*)(const char16_t*)> testHook{nullptr};

int report(const char16_t* text) {
  if (auto hook = testHook.load(std::memory_order_acquire); hook && text) hook(text);
  return 0;
}

int reportNarrow(const char* text) {
  if (!text) return 0;
  std::u16string wide;
  for (const char* c = text; *c; ++c) wide.push_back(static_cast<unsigned char>(*c));
  return report(wide.c_str());
}

}  // namespace

int LogAddTextUtf16(const char16_t* text) { return report(text); }
int LogAddTextCp932(const char* text) { return reportNarrow(text); }
int LogFormatUtf16(const char16_t* format, ...) { return report(format); }
int LogFormatCp932(const char* format, ...) { return reportNarrow(format); }
int LogIndentIncrease() { return 0; }
int LogIndentDecrease() { return 0; }

void SetLogTestHook(void (*hook)(const char16_t* line)) { testHook.store(hook, std::memory_order_release); }

}  // namespace ZaDod
