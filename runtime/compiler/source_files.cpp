// The source files and token buffers of a compilation.
#include "runtime/compiler/source_files.h"

#include <cstring>

#include "runtime/compiler/scanner.h"
#include "runtime/compiler/source_io.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace kv {

std::vector<std::string> sourceNameTable;
std::string currentSourceFolder;

namespace {

std::vector<SourceFile> gFiles;                      // back() is current
std::vector<std::unique_ptr<TokenBuffer>> gBuffers;  // back() is current
bool gIncludesAllowed = false;
int32_t gFileCounter = 0;

void syncCompileFile() { gCompilePosition.file = gBuffers.empty() ? 0 : gBuffers.back()->fileIndex; }

void closeFile(SourceFile& f) {
  if (f.handle != 0) closeSourceHandle(f.handle);
  f.handle = 0;
}

// Opens path as a fresh current source file. Nothing changes when it fails.
void openSourceFile(const std::string& path, size_t depth) {
  if (path.size() > kMaxPathLength) throw CompileError(5, path.c_str());
  int32_t handle = openSourceHandle(path.c_str());
  if (handle < 0) throw CompileError(2, path.c_str());
  if (handle == 0) throw CompileError(1, path.c_str());
  SourceFile& f = gFiles.emplace_back();
  f.handle = handle;
  f.name = path;
  rememberSourceFolder(path.c_str());
  // The start-up gives the table an entry for every depth.
  if (depth >= sourceNameTable.size()) throw RuntimeError(kErrUnexpected);
  sourceNameTable[depth] = path;
}

void pushTokenBuffer() {
  auto b = std::make_unique<TokenBuffer>();
  b->fileIndex = gFileCounter++;
  gBuffers.push_back(std::move(b));
  syncCompileFile();
  fillTokenBuffer();
}

}  // namespace

void resetSourceNameTable() { sourceNameTable.assign(kMaxIncludeDepth + 1, std::string()); }

void rememberSourceFolder(const char* path) {
  currentSourceFolder.clear();
  size_t n = path ? std::strlen(path) : 0;
  while (n > 0 && path[n - 1] != '/' && path[n - 1] != '\\') --n;
  currentSourceFolder.assign(path ? path : "", n);
}

SourceFile& currentSourceFile() { return gFiles.back(); }
bool hasSourceFile() { return !gFiles.empty(); }
TokenBuffer& currentTokenBuffer() { return *gBuffers.back(); }
bool hasTokenBuffer() { return !gBuffers.empty(); }
size_t tokenBufferDepth() { return gBuffers.size(); }

void openMainSource(const char* name, bool allowIncludes) {
  closeAllSources();
  resetScanner();
  openSourceFile(name, 0);
  pushTokenBuffer();
  gIncludesAllowed = allowIncludes;
}

void pushIncludeSource(const char* path) {
  if (!gIncludesAllowed) throw RuntimeError(14);
  try {
    // Nesting is counted in token buffers: a buffer lives until its tokens are
    // used up, while a short file is closed as soon as it is scanned.
    if (gBuffers.size() - 1 >= kMaxIncludeDepth) throw CompileError(4);
    std::string p = path;
    if (p.find_first_of("/\\") == std::string::npos) p = currentSourceFolder + p;
    openSourceFile(p, gBuffers.size());
  } catch (const CompileError&) {
    logSystem(("'" + std::string(path) + "' cannot open").c_str());
    throw;
  }
  pushTokenBuffer();
}

void finishSourceFile() {
  closeFile(gFiles.back());
  if (gFiles.size() > 1) gFiles.pop_back();
}

void popTokenBuffer() {
  if (!gBuffers.empty()) gBuffers.pop_back();
  syncCompileFile();
}

void closeAllSources() {
  for (SourceFile& f : gFiles) closeFile(f);
  gFiles.clear();
  gBuffers.clear();
}

bool includesAllowed() { return gIncludesAllowed; }
int32_t nextFileIndex() { return gFileCounter; }
void resetFileIndexForTests() { gFileCounter = 0; }

}  // namespace kv
