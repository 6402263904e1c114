// Source files through the media layer's file handles, so that sources, includes
// and run-time modules are found wherever the file-access table finds files: on the
// disk or in an archive. Memory files stand in for both in the front end's tests.
#include "runtime/compiler/source_io.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "media/base/handle.h"
#include "media/file/async_load.h"
#include "media/file/file_handle.h"

namespace kv {

namespace {

struct OpenSource {
  int media = 0;                        // a media file handle, or
  const std::string* memory = nullptr;  // a memory file
  size_t position = 0;
  bool used() const { return media > 0 || memory; }
};

std::map<std::string, std::string> gMemoryFiles;
std::vector<OpenSource> gOpen;  // handle n is entry n - 1

OpenSource* lookup(int32_t handle) {
  if (handle <= 0 || static_cast<size_t>(handle) > gOpen.size()) return nullptr;
  OpenSource& s = gOpen[handle - 1];
  return s.used() ? &s : nullptr;
}

int32_t store(OpenSource s) {
  for (size_t i = 0; i < gOpen.size(); ++i) {
    if (!gOpen[i].used()) {
      gOpen[i] = s;
      return static_cast<int32_t>(i + 1);
    }
  }
  gOpen.push_back(s);
  return static_cast<int32_t>(gOpen.size());
}

// The compiler reads a source to its end at once, so its file is opened and read
// synchronously whatever the game set for asynchronous loading.
struct SynchronousLoads {
  int saved = ZaDod::GetUseASyncLoadFlag();
  SynchronousLoads() {
    if (saved) ZaDod::SetUseASyncLoadFlag(0);
  }
  ~SynchronousLoads() {
    if (saved) ZaDod::SetUseASyncLoadFlag(saved);
  }
  SynchronousLoads(const SynchronousLoads&) = delete;
  SynchronousLoads& operator=(const SynchronousLoads&) = delete;
};

}  // namespace

int32_t openSourceHandle(const char* path) {
  if (!gMemoryFiles.empty()) {
    std::string p(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    auto it = gMemoryFiles.find(p);
    if (it == gMemoryFiles.end()) return 0;
    OpenSource s;
    s.memory = &it->second;
    return store(s);
  }
  SynchronousLoads synchronous;
  int handle = ZaDod::OpenFileHandle(path, 0);
  if (handle <= 0) return handle;
  OpenSource s;
  s.media = handle;
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
  if (size == 0) return 0;
  SynchronousLoads synchronous;
  return ZaDod::ReadFileHandle(buffer, size, s->media);
}

void closeSourceHandle(int32_t handle) {
  OpenSource* s = lookup(handle);
  if (!s) return;
  // Deleting the handle closes its file.
  if (s->media > 0) ZaDod::SubHandle(s->media);
  *s = OpenSource{};
}

int32_t openSourceHandleCount() {
  int32_t n = 0;
  for (const OpenSource& s : gOpen) n += s.used();
  return n;
}

void setMemorySourceFile(const std::string& path, std::string bytes) { gMemoryFiles[path] = std::move(bytes); }

void clearMemorySourceFiles() { gMemoryFiles.clear(); }

}  // namespace kv
