// Code generation: the grammar actions that turn each reduced rule into
// instruction records, and what the interpreter asks of compiled code while
// a module is imported.
#pragma once

#include <cstdint>

#include "runtime/compiler/grammar_actions.h"
#include "runtime/vm/code.h"
#include "runtime/vm/function.h"

namespace kv {

class CodeGenerator final : public GrammarActions {
 public:
  void reset() override;
  void reduce(int32_t rule, const SemanticValue* rhs, int32_t length, SemanticValue& result) override;
  void afterParse() override;
};

// The actions the parser runs unless a test installs others.
GrammarActions& codeGenerator();

// Turns every Wait of a code vector (and of the functions it makes) into
// WaitForbidden while blocked is set, and back when it is clear.
void setWaitBlocked(CodeVector* code, bool blocked);
void unblockWaitInFunction(KVfobj* function);

// Key of a member name or string text: a non-negative 32-bit integer when the
// text is one written in decimal, otherwise the text's atom.
int32_t memberKeyOfText(const char* text);

}  // namespace kv
