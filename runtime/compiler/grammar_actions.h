// The seam between the parser and code generation. The parser performs its own
// actions (statement start, error rules, recovery counts, argument counting,
// namespace numbers, directives, built-in member checks) and hands every other
// reduction, while the code-generation flag is set, to the installed
// GrammarActions.
#pragma once

#include <cstdint>

#include "runtime/compiler/tokens.h"

namespace kv {

class GrammarActions {
 public:
  virtual ~GrammarActions() = default;

  // Part of the compiler reset: forget everything of the previous compilation.
  virtual void reset() = 0;

  // Rule `rule` was reduced. rhs points at the values of its right-hand symbols
  // (length of them; for an empty rule rhs[-1], rhs[-2] ... are the symbols
  // before it, e.g. rhs[-2] is the name for rules 90 and 94); result starts as
  // a copy of the first one, and is empty for an empty rule. Called only
  // while code is being generated and only for rules that have an action of
  // their own. For rule 94 the parser raises CompileError 14 for the name
  // "this" after this call; for rules 226 and 228 the parser's argument count
  // (parserState().argumentCount) is still that of this call's arguments.
  virtual void reduce(int32_t rule, const SemanticValue* rhs, int32_t length,
                      SemanticValue& result) = 0;

  // The parse accepted the input with code generation still on: resolve what is
  // left and wrap the top level into a function.
  virtual void afterParse() = 0;
};

// Generates nothing: for tests of the front end alone.
class NullGrammarActions final : public GrammarActions {
 public:
  void reset() override {}
  void reduce(int32_t, const SemanticValue*, int32_t, SemanticValue&) override {}
  void afterParse() override {}
};

// Installs the actions the parser calls (null restores code generation).
void setGrammarActions(GrammarActions* actions);
GrammarActions& grammarActions();

}  // namespace kv
