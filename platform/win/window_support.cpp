// Text conversion for window titles and events, and the double-start lock file that
// makes a window of a class visible to other processes on the same display.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/win/window_internal.h"

namespace plat::win {

std::string toUtf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
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
  return out;
}

std::u16string toUtf16(const std::string& text) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
    bool ok = extra >= 0 && i + extra < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      else c = (c << 6) | (t & 0x3F);
    }
    if (!ok || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

namespace {

std::string lockPath(const std::u16string& className, const std::string& display) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (!dir || !*dir) dir = std::getenv("TMPDIR");
  if (!dir || !*dir) dir = "/tmp";
  std::string name = "halvorine-" + toUtf8(className) + "-" + display;
  for (char& c : name)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20) c = '_';
  return std::string(dir) + "/" + name + ".lock";
}

}  // namespace

int takeClassLock(const std::u16string& className, const std::string& display) {
  int fd = open(lockPath(className, display).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void releaseClassLock(int fd, const std::u16string& className, const std::string& display) {
  if (fd < 0) return;
  unlink(lockPath(className, display).c_str());
  close(fd);
}

bool classLockHeldElsewhere(const std::u16string& className, const std::string& display) {
  int fd = open(lockPath(className, display).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_SH | LOCK_NB) != 0;
  close(fd);
  return held;
}

}  // namespace plat::win
