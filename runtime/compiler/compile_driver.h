// Compiles one script source file and everything it includes.
#pragma once

namespace kv {

// Compiles path ("main.kvj" when null). With includes not allowed (a module
// loaded at run time) an `#include` raises RuntimeError 14. Raises
// CompileError; every source file is closed however the compilation ends.
// When the parse recovered from syntax errors it returns normally with the
// code-generation flag cleared and no program made.
void compileSourceFile(const char* path, bool includesAllowed);

// Parses the opened main source to its end and runs the after-parse step.
void compileDriver();

// Actions of the directives `# include "path"` and `# scope on|off`.
void includeDirective(const char* word, const char* path);
void scopeDirective(const char* word, const char* argument);

// The front end's part of the compiler reset, run before every compilation:
// empties the scanner, token buffers, source files and parser globals, sets the
// code-generation flag and resets the installed grammar actions.
void resetCompilerState();

// Only tests and the fuzz target: also forget the texts and file numbers of
// earlier compilations, as if the run had just started.
void resetCompilerRunForTests();

}  // namespace kv
