// Collects what the media log is given, for tests that look for a message.
#pragma once
#include <cstdio>
#include <mutex>
#include <string>

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
    std::string out;
    for (const char16_t* p = line; *p != u'\0'; ++p) {
      char32_t c = *p;
      if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
        ++p;
      }
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    std::fputs(out.c_str(), stderr);
    std::fputc('\n', stderr);
  }
};

}  // namespace halvorine_test
