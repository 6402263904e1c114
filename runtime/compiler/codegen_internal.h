// Shared between the code-generation files: the actions of each group of
// rules, and the helpers they have in common.
#pragma once

#include <cstdint>

#include "runtime/compiler/compile_scope.h"
#include "runtime/compiler/tokens.h"

namespace kv::gen {

// The compile in progress, as the generator's files name it.
inline CompilerState& st() { return compilerState(); }

// Each answers whether the rule belongs to its group (and was compiled).
bool declarationAction(int32_t rule, const SemanticValue* rhs, SemanticValue& result);
bool statementAction(int32_t rule, const SemanticValue* rhs, SemanticValue& result);
bool expressionAction(int32_t rule, const SemanticValue* rhs, SemanticValue& result);

// The label an exception left pending by a call or throw jumps to: the
// function's exit outside any try, the catch or finally slot inside one, none
// in a finally block.
LabelSlot* handlerLabel();

// Emits the access to a name (to the main list, or to target) and pushes its
// operand entry.
void referenceName(const char* name, NodeList* target = nullptr);
void declareVariable(const char* name, bool constant, int32_t errorCode);
// VariableRef of a name declared in the current function just now.
VariableRef* lookUpLocal(const char* name);

// Ends an expression statement: the value is used and dropped.
void endExpressionStatement();

// The top-level pending names, resolved at the end of the program; raises
// CompileError 7 with the first name no scope declared.
void resolveTopLevelNames();

}  // namespace kv::gen
