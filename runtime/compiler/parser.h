// The script parser: an LALR(1) parse loop over tables generated at build time
// from the grammar in tools/script_grammar.y, with its own error recovery so
// that one compilation reports as many syntax errors as it can.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/compiler/tokens.h"

namespace kv {

inline constexpr int kParseStackLimit = 512;  // entries above the initial one
inline constexpr int kRecoveryShifts = 3;     // shifts before errors are reported again

struct ParserState {
  bool codegenFlag = true;             // cleared by the first error; code is generated while set
  int32_t recoveryCount = 0;
  const char* pendingLabel = nullptr;  // label of the loop or switch being compiled
  int32_t argumentCount = 0;
  std::vector<int32_t> savedArgumentCounts;
};
ParserState& parserState();

// 0 when the input was accepted (possibly after reported errors, which show in
// the cleared code-generation flag), 1 when the parse was abandoned.
int32_t yyparse();

// Next token code, 0 at the end of the input; fills the lookahead value and the
// compile position's line.
int32_t yylex();
// The value of the token yylex returned last.
const SemanticValue& lookaheadValue();

// Logs "syntax error" at the current position and stops code generation.
void reportSyntaxError();

// Empties the parser's globals and sets the code-generation flag.
void resetParserState();

}  // namespace kv
