// The runner's object-file modes: a case compiled and written in one process,
// read back and run in another.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "runtime/compiler/objfile.h"

namespace kv::test {

// Compiles each module source that <case>/objects.txt names (one a line),
// includes not allowed, and writes its object file into the working folder.
void writeModuleObjects(const std::string& caseFolder);

// Writes the compiled program as the object file of mainPath, and its record
// listing beside it for the read side to compare.
void writeProgramObject(const LoadedProgram& program, const std::string& mainPath);

// Reads "main.obj" from the working folder and checks that it lists exactly
// as the program that was written; nothing when either fails.
std::optional<LoadedProgram> readProgramObject();

// The expected lines as a program read from its object file logs them: no
// compile-time lines, and run-time positions F:0 L:0.
std::vector<std::string> expectedFromObject(const std::vector<std::string>& expected);
// A log line with its positions as F:0 L:0: a module compiled from source
// while the main program was read numbers its files from 0.
std::string withoutPositions(const std::string& line);

}  // namespace kv::test
