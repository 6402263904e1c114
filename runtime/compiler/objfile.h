// Object files: a compiled program written to disk and read back in place of
// compiling, so that a game can ship without its sources and modules can be
// loaded from archives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/vm/function.h"

namespace kv {

// A program as the start-up installs it: the main function and the sizes of
// the global object's two variable vectors.
struct LoadedProgram {
  const Callable* main = nullptr;
  int32_t firstCount = 0;   // the first vector: the top level's built-in symbols
  int32_t secondCount = 0;  // the second vector: the program's global variables
};

// Writes the program as objFileNameFor(sourceName), or "main.obj" when no
// source name is given. Raises ObjfileError {0, -1} when the file cannot be
// written (the earlier file, if any, is kept) and RuntimeError 23 when the
// program does not fit the format; either way no file is left behind.
void writeObjFile(const LoadedProgram& program, const char* sourceName);

// The last component of path (after the last '/' or '\'), cut before its last
// '.', plus ".obj".
std::string objFileNameFor(const char* path);

// Reads an object file through the file layer (so also from archives). Every
// failure is logged and answers nothing; a missing file is an error only when
// required is set.
std::optional<LoadedProgram> readObjFile(const char* name, bool required);

// Empties the program name table that object files carry.
void resetObjAtomTable();

// Frees every program that readObjFile returned. Only tests and the fuzz
// target call this, when no loaded code can run any more.
void releaseLoadedProgramsForTests();

}  // namespace kv
