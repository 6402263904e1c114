// Collects what the media log is given, for tests that look for a message.
#pragma once
#include <cstdio>
#include <mutex>
#include <string>

#include "media/base/charcode.h"
#include "media/base/log.h"

namespace halvorine_test {

class LogCapture {
 public:
  // The log file stays off: the hook sees every piece all the same.
  LogCapture() {
    ZaDod::SetLogFileOutput(0);
    std::lock_guard<std::mutex> lock(mutex());
    text().clear();
    ZaDod::SetLogTestHook(&LogCapture::record);
  }
  ~LogCapture() { ZaDod::SetLogTestHook(nullptr); }

  // Everything logged so far, pieces joined in order.
  static std::u16string all() {
    std::lock_guard<std::mutex> lock(mutex());
    return text();
  }
  static bool contains(const std::u16string& piece) { return all().find(piece) != std::u16string::npos; }

  // For death tests: the child writes every logged piece to stderr as UTF-8, so that
  // the parent can match it.
  static void echoToStderr() {
    ZaDod::SetLogFileOutput(0);
    ZaDod::SetLogTestHook(&LogCapture::echo);
  }

 private:
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static std::u16string& text() {
    static std::u16string t;
    return t;
  }
  static void record(const char16_t* line) {
    std::lock_guard<std::mutex> lock(mutex());
    text() += line;
  }
  static void echo(const char16_t* line) {
    std::u16string text(line);
    std::string out(text.size() * 3 + 1, '\0');  // a UTF-16 unit takes at most 3 UTF-8 bytes
    ZaDod::ConvertString(line, ZaDod::CodePageUtf16LE, out.data(), out.size(), ZaDod::CodePageUtf8);
    std::fputs(out.c_str(), stderr);
    std::fputc('\n', stderr);
  }
};

}  // namespace halvorine_test
