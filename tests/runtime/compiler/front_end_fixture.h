// Helpers for the front end's tests: sources served from memory, the log lines
// a compilation writes, and the tokens a text scans into.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "runtime/compiler/codegen.h"
#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/grammar_actions.h"
#include "runtime/compiler/parser.h"
#include "runtime/compiler/source_files.h"
#include "runtime/compiler/source_io.h"
#include "runtime/compiler/tokens.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace kv::test {

struct CompileRun {
  std::vector<std::string> lines;  // log lines, in order
  int errorCode = -1;              // the CompileError that reached the caller, or -1
  bool runtimeError = false;       // a RuntimeError reached the caller
  int runtimeCode = -1;
  bool codegen = false;            // code-generation flag after the compilation
};

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Tests of the front end alone parse without generating code; the code
// generation tests set this.
inline bool gGenerateCode = false;

// Compiles "main.kvj" as the start-up does: a CompileError that escapes is
// logged by the caller.
inline CompileRun compileMain(bool includesAllowed = true) {
  static NullGrammarActions parseOnly;
  struct ActionsScope {
    GrammarActions* saved = &grammarActions();
    ActionsScope() {
      if (!gGenerateCode && saved == &codeGenerator()) setGrammarActions(&parseOnly);
    }
    ~ActionsScope() { setGrammarActions(saved); }
  } actions;
  resetCompilerRunForTests();
  CompileRun run;
  testing::internal::CaptureStdout();
  try {
    compileSourceFile(nullptr, includesAllowed);
  } catch (const CompileError& e) {
    logCompileError(e);
    run.errorCode = e.code;
  } catch (const RuntimeError& e) {
    run.runtimeError = true;
    run.runtimeCode = e.code;
  }
  run.lines = splitLines(testing::internal::GetCapturedStdout());
  run.codegen = parserState().codegenFlag;
  return run;
}

// The same with the sources served from memory.
inline CompileRun compileFiles(const std::vector<std::pair<std::string, std::string>>& files,
                               bool includesAllowed = true) {
  clearMemorySourceFiles();
  for (const auto& [path, text] : files) setMemorySourceFile(path, text);
  CompileRun run = compileMain(includesAllowed);
  clearMemorySourceFiles();
  return run;
}

inline CompileRun compileText(const std::string& text, bool includesAllowed = true) {
  return compileFiles({{"main.kvj", text}}, includesAllowed);
}

// The log lines other than the "opening" line.
inline std::vector<std::string> messages(const CompileRun& run) {
  std::vector<std::string> out;
  for (const auto& l : run.lines)
    if (l.rfind("System: opening '", 0) != 0) out.push_back(l);
  return out;
}

struct ScannedToken {
  int code;
  SemanticValue value;
  int line;
};

// Scans text as "main.kvj" and returns its tokens. A CompileError propagates.
inline std::vector<ScannedToken> scanText(const std::string& text) {
  clearMemorySourceFiles();
  setMemorySourceFile("main.kvj", text);
  resetCompilerRunForTests();
  std::vector<ScannedToken> tokens;
  struct Cleanup {
    ~Cleanup() {
      closeAllSources();
      clearMemorySourceFiles();
    }
  } cleanup;
  testing::internal::CaptureStdout();
  try {
    openMainSource("main.kvj", true);
    for (int code; (code = yylex()) != 0;)
      tokens.push_back({code, lookaheadValue(), gCompilePosition.line});
  } catch (...) {
    testing::internal::GetCapturedStdout();
    throw;
  }
  testing::internal::GetCapturedStdout();
  return tokens;
}

}  // namespace kv::test
