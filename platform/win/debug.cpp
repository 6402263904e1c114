// Debugger output.
#include "platform/win/debug.h"

#include <atomic>

namespace plat::win {

namespace {
std::atomic<void (*)(const char16_t*)> debugCapture{nullptr};
}

void OutputDebugStringW(const char16_t* text) {
  if (auto capture = debugCapture.load(std::memory_order_acquire); capture && text) capture(text);
}

void SetDebugOutputCapture(void (*capture)(const char16_t* text)) {
  debugCapture.store(capture, std::memory_order_release);
}

}  // namespace plat::win
