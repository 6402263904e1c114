// Compiling one script source file and everything it includes.
#include "runtime/compiler/compile_driver.h"

#include <cstring>
#include <string>

#include "runtime/compiler/code_store.h"
#include "runtime/compiler/grammar_actions.h"
#include "runtime/compiler/parser.h"
#include "runtime/compiler/scanner.h"
#include "runtime/compiler/source_files.h"
#include "runtime/compiler/symbol_text_pool.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace kv {

namespace {

// Closes every source file however the compilation ends, so that a failure
// inside an included file leaves none of the files below it open.
struct SourcesCloser {
  ~SourcesCloser() { closeAllSources(); }
};

}  // namespace

void compileSourceFile(const char* path, bool includesAllowed) {
  const char* name = path ? path : "main.kvj";
  SourcesCloser closer;
  openMainSource(name, includesAllowed);
  logSystem(("opening '" + std::string(name) + "' as FILE#0").c_str());
  compileDriver();
}

void compileDriver() {
  if (yyparse() != 0) throw CompileError(0);
  if (parserState().codegenFlag) grammarActions().afterParse();
  popTokenBuffer();
  closeAllSources();
}

void includeDirective(const char* word, const char* path) {
  currentTokenBuffer().statementStart = true;
  if (std::strcmp(word, "include") != 0) throw CompileError(18);
  pushIncludeSource(path);
  std::string line = "as FILE#" + std::to_string(currentTokenBuffer().fileIndex) + " '" + path + "' open";
  logSystem(line.c_str());
}

void scopeDirective(const char* word, const char* argument) {
  TokenBuffer& b = currentTokenBuffer();
  b.statementStart = true;
  if (std::strcmp(word, "scope") != 0) throw CompileError(18);
  if (std::strcmp(argument, "on") == 0) {
    if (b.scopeFlag) raiseCompileWarning(2);
    b.scopeFlag = true;
  } else if (std::strcmp(argument, "off") == 0 && b.scopeFlag) {
    b.scopeFlag = false;
  } else {
    throw CompileError(18);
  }
}

void resetCompilerState() {
  closeAllSources();
  resetScanner();
  resetParserState();
  grammarActions().reset();
}

void resetCompilerRunForTests() {
  releaseCompiledCodeForTests();
  resetCompilerState();
  resetSymbolTextPoolForTests();
  resetFileIndexForTests();
  resetSourceNameTable();
  gCompilePosition = SourcePosition{};
}

}  // namespace kv
