// Source files and token buffers of a compilation: the main file, the files it
// includes (each suspends the file that includes it), the file-name table and
// the include base directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "runtime/compiler/tokens.h"

namespace kv {

inline constexpr int kMaxIncludeDepth = 15;     // the deepest file's depth
inline constexpr size_t kMaxPathLength = 255;   // longer paths are CompileError 5
inline constexpr size_t kSourceBlockSize = 4096;

// One open source file. The scanner reads it through its own block buffer.
struct SourceFile {
  int32_t handle = 0;      // 0 once closed
  int32_t line = 0;        // line feeds consumed so far
  int32_t pushback = -1;   // a byte given back by the scanner, or -1
  bool atEnd = false;
  std::string name;
  std::unique_ptr<unsigned char[]> block{new unsigned char[kSourceBlockSize]};
  size_t blockPos = 0;
  size_t blockLen = 0;
};

// The queued tokens of one source file, with the flags that belong to the file.
struct TokenBuffer {
  std::deque<Token> tokens;
  int32_t fileIndex = 0;
  int32_t frontLine = 0;
  bool scopeFlag = false;
  bool atEnd = false;
  bool statementStart = true;
};

// The file-name table: one path per include depth (0 is the main file). Its 16
// entries are made at start-up (resetSourceNameTable).
extern std::vector<std::string> sourceNameTable;
// Gives the table its empty entry for every include depth (start-up).
void resetSourceNameTable();
// Directory part (with its separator) of the source file opened last.
extern std::string currentSourceFolder;
void rememberSourceFolder(const char* path);

// The current source file and token buffer, and the ones waiting below them.
SourceFile& currentSourceFile();
bool hasSourceFile();
TokenBuffer& currentTokenBuffer();
bool hasTokenBuffer();
size_t tokenBufferDepth();

// Opens the main file as the only source file, with a fresh token buffer filled
// with its first tokens.
void openMainSource(const char* name, bool includesAllowed);
// Suspends the current file and reads the included file in its place.
void pushIncludeSource(const char* path);
// Closes the exhausted current file; the one below (if any) becomes current.
void finishSourceFile();
// Destroys the current token buffer; the one below (if any) becomes current.
void popTokenBuffer();
// Closes every open source file and drops every token buffer.
void closeAllSources();

bool includesAllowed();
// Buffers created in this run; the next buffer gets this number.
int32_t nextFileIndex();
// Only tests and the fuzz target: numbering starts at 0 again.
void resetFileIndexForTests();

}  // namespace kv
