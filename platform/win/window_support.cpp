// Text conversion for window titles, and the double-start lock file that
// makes a window of a class visible to other processes on the same display.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/win/path.h"
#include "platform/win/window_internal.h"

namespace plat::win {

// A title with a broken surrogate pair keeps what comes before it.
std::string toUtf8(const std::u16string& text) {
  std::string out;
  utf8FromUtf16(text.c_str(), out);
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
