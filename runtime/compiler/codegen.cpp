// The grammar actions of code generation: each reduced rule becomes records.
#include "runtime/compiler/codegen.h"

#include "runtime/compiler/code_store.h"
#include "runtime/compiler/codegen_internal.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/link.h"
#include "runtime/vm/vm_hooks.h"

namespace kv {

// Modules are compiled before the interpreter blocks their waits, so
// installing the wait hooks with every reset is soon enough.
void CodeGenerator::reset() {
  resetCodeGeneration();
  setWaitBlockingHooks(setWaitBlocked, unblockWaitInFunction);
}

void CodeGenerator::reduce(int32_t rule, const SemanticValue* rhs, int32_t, SemanticValue& result) {
  gen::declarationAction(rule, rhs, result) || gen::statementAction(rule, rhs, result) ||
      gen::expressionAction(rule, rhs, result);
}

// Wraps the top level into the program's function: its End record exports
// the variables the program named in `export`.
void CodeGenerator::afterParse() {
  CompilerState& st = compilerState();
  CompileScope& top = *st.scopes[0];
  gen::resolveTopLevelNames();
  ExportList* exports = collectExports(top);
  st.results.builtinCount = static_cast<int32_t>(top.params.size());
  st.results.globalCount = static_cast<int32_t>(top.locals.size());
  NodeList code = takeCode(top);
  atomTable().sealed = true;
  emit(code, newNodeEnd(exports));
  st.exitLabels.back()->position = -1;
  st.exitLabels.pop_back();
  auto* program = keep(new FunctionRecord);
  program->body.code = linkKept(code);
  st.results.program = program;
}

GrammarActions& codeGenerator() {
  static CodeGenerator generator;
  return generator;
}

void setWaitBlocked(CodeVector* code, bool blocked) {
  if (!code) return;
  for (CodeNode* n : *code) {
    if (n->kind == MakeClosure) {
      setWaitBlocked(n->second.function->body.code, blocked);
    } else if (blocked && n->kind == Wait) {
      n->kind = WaitForbidden;
      forgetStep(n);
      n->operand.i = kWaitBlockedMark;
    } else if (!blocked && n->kind == WaitForbidden && n->operand.i == kWaitBlockedMark) {
      n->kind = Wait;
      forgetStep(n);
    }
  }
}

void unblockWaitInFunction(KVfobj* function) {
  if (function && function->callable) setWaitBlocked(function->callable->code, false);
}

}  // namespace kv
