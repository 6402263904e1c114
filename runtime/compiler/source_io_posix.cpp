// TEMPORARY: plain POSIX files (and memory files) behind the source seam, until
// the media layer's file functions land. Paths may use '\' as well as '/'.
#include "runtime/compiler/source_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

namespace kv {

namespace {

struct OpenSource {
  int fd = -1;                       // a disk file, or
  const std::string* memory = nullptr;  // a memory file
  size_t position = 0;
};

std::map<std::string, std::string> gMemoryFiles;
std::vector<OpenSource> gOpen;  // handle n is entry n - 1

OpenSource* lookup(int32_t handle) {
  if (handle <= 0 || static_cast<size_t>(handle) > gOpen.size()) return nullptr;
  OpenSource& s = gOpen[handle - 1];
  return s.fd < 0 && !s.memory ? nullptr : &s;
}

int32_t store(OpenSource s) {
  for (size_t i = 0; i < gOpen.size(); ++i) {
    if (gOpen[i].fd < 0 && !gOpen[i].memory) {
      gOpen[i] = s;
      return static_cast<int32_t>(i + 1);
    }
  }
  gOpen.push_back(s);
  return static_cast<int32_t>(gOpen.size());
}

}  // namespace

int32_t openSourceHandle(const char* path) {
  std::string p(path);
  std::replace(p.begin(), p.end(), '\\', '/');
  if (!gMemoryFiles.empty()) {
    auto it = gMemoryFiles.find(p);
    if (it == gMemoryFiles.end()) return 0;
    OpenSource s;
    s.memory = &it->second;
    return store(s);
  }
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
  OpenSource s;
  s.fd = fd;
  return store(s);
}

int64_t readSourceHandle(void* buffer, size_t size, int32_t handle) {
  OpenSource* s = lookup(handle);
  if (!s) return -1;
  if (s->memory) {
    size_t n = std::min(size, s->memory->size() - s->position);
    std::memcpy(buffer, s->memory->data() + s->position, n);
    s->position += n;
    return static_cast<int64_t>(n);
  }
  for (;;) {
    ssize_t n = ::read(s->fd, buffer, size);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

void closeSourceHandle(int32_t handle) {
  OpenSource* s = lookup(handle);
  if (!s) return;
  if (s->fd >= 0) ::close(s->fd);
  *s = OpenSource{};
}

int32_t openSourceHandleCount() {
  int32_t n = 0;
  for (const OpenSource& s : gOpen) n += s.fd >= 0 || s.memory;
  return n;
}

void setMemorySourceFile(const std::string& path, std::string bytes) {
  gMemoryFiles[path] = std::move(bytes);
}

void clearMemorySourceFiles() { gMemoryFiles.clear(); }

}  // namespace kv
