// The interpreter's import state and the steps that use it, the steps on
// the context's open object literals and saved scopes, and the hooks through
// which layers above serve what runtime/vm cannot.
#include <algorithm>

#include "media/system/system.h"
#include "runtime/vm/interp_ops.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

MessagePumpHook gPump = &ZaDod::ProcessWindowMessagesWhenDue;
RuntimeLoadHook gLoad = nullptr;
SetWaitBlockedHook gBlockWaits = nullptr;
UnblockWaitHook gUnblockWaits = nullptr;

// Import cannot interleave with another thread: a wait in a module's top
// level is an error, so one process-wide module record serves every thread.
// The nesting count is the thread's own (KVContext::importNesting).
KVobj* gModuleObject = nullptr;  // the module being imported
bool gImportedOnce = false;      // the non-returning import ran

void visitInterpreterRoots(bool full, void*) { visitObject(gModuleObject, full); }

bool loadModule(const char* name, ModuleProgram& out) {
  return gLoad && gLoad(name, &out) && out.code && out.firstCount >= 0 && out.secondCount >= 0;
}

}  // namespace

void setMessagePumpHook(MessagePumpHook hook) { gPump = hook; }
MessagePumpHook messagePumpHook() { return gPump; }
MessagePumpHook defaultMessagePump() { return &ZaDod::ProcessWindowMessagesWhenDue; }
void setRuntimeLoadHook(RuntimeLoadHook hook) { gLoad = hook; }
void setWaitBlockingHooks(SetWaitBlockedHook block, UnblockWaitHook unblock) {
  gBlockWaits = block;
  gUnblockWaits = unblock;
}

void resetInterpreterState() {
  gModuleObject = nullptr;
  gImportedOnce = false;
  registerRoot(RootRank::Interpreter, &visitInterpreterRoots, nullptr);
}

void beginObjectLiteral(KVContext* ctx) {
  if (ctx->objectLiteralDepth >= KVContext::kOpenLiterals) throw RuntimeError(kErrStackOverflow);
  KVobj* obj = newLiteralObject();
  ctx->objectLiterals[ctx->objectLiteralDepth++] = obj;
}

// A literal opened by an outer frame is not this frame's to fill or close.
void defineLiteralMember(KVContext* ctx, int32_t atom) {
  if (ctx->objectLiteralDepth <= ctx->frame->objectLiteralBase) throw RuntimeError(kErrUnexpected);
  // The value stays on the operand stack, so rooted, while the member is made.
  Value* cell = addKeyProperty(ctx->objectLiterals[ctx->objectLiteralDepth - 1], atom);
  if (cell) *cell = ctx->operands[ctx->top - 1];
  --ctx->top;
}

void endObjectLiteral(KVContext* ctx) {
  if (ctx->objectLiteralDepth <= ctx->frame->objectLiteralBase) throw RuntimeError(kErrUnexpected);
  KVobj* obj = ctx->objectLiterals[--ctx->objectLiteralDepth];
  ctx->objectLiterals[ctx->objectLiteralDepth] = nullptr;
  ctx->pushObject(obj);
}

void enterScope(KVContext* ctx) {
  if (ctx->scopeDepth >= KVContext::kSavedScopes) throw RuntimeError(kErrStackOverflow);
  ctx->savedScopes[ctx->scopeDepth++] = ctx->frame->scope;
}

namespace {
// The closure of rec over the running frame's activation and `scope`, pushed.
void pushClosureOver(KVContext* ctx, FunctionRecord* rec, ScopeChain* scope) {
  // A frame running script code is a call of a function object (or the
  // main program's, without one).
  KVfobj* fn = newClosureOver(rec, ctx->frame->activation, scope, static_cast<KVfobj*>(ctx->frame->callee));
  ctx->pushObject(fn);
}
}  // namespace

void makeClosure(KVContext* ctx, FunctionRecord* rec) {
  if (!rec) throw RuntimeError(kErrUnexpected);
  // The closure copies the frame's activation and scope as they are now
  // (newClosureOver holds the scope across its allocations).
  ScopeChain* captured = ctx->frame->scope;
  if (ctx->scopeDepth > ctx->frame->scopeBase) ctx->frame->scope = ctx->savedScopes[--ctx->scopeDepth];
  pushClosureOver(ctx, rec, captured);
}

void makeScopedClosure(KVContext* ctx, FunctionRecord* rec) {
  if (!rec) throw RuntimeError(kErrUnexpected);
  pushClosureOver(ctx, rec, ctx->frame->scope);
}

StepResult importStep(KVContext* ctx, const CodeNode* node) {
  const VariableRef* var = node->second.var;
  ModuleProgram module;
  if (!var) {
    // The non-returning import replaces the main program, once.
    if (ctx->spawned) throw RuntimeError(kErrImportInThread);
    if (gImportedOnce) throw RuntimeError(kErrImportTwice);
    gImportedOnce = true;
    if (!loadModule(node->first.text, module)) throw RuntimeError(kErrImportFailed);
    const Callable* program = permanentCallable(Callable{nullptr, module.code, nullptr});
    setupMainProgram(ctx, program, module.firstCount, module.secondCount);
    ctx->state |= KVContext::kSuspended;
    return StepResult::Leave;
  }
  if (++ctx->importNesting >= 2) {
    raiseRuntimeWarning(kWarnRecursiveImport);
    ctx->pushUndefined();
    ctx->pushUndefined();
    return StepResult::Advance;
  }
  gModuleObject = newPlainObject();
  if (!loadModule(node->first.text, module)) throw RuntimeError(kErrImportFailed);
  if (gBlockWaits) gBlockWaits(module.code, true);
  KVfobj* fn = newKVfobj(permanentCallable(Callable{nullptr, module.code, nullptr}),
                         permanentNames(NameVector(module.firstCount, 0)),
                         permanentNames(NameVector(module.secondCount, 0)));
  *variableCell(ctx, var) = Value::makeObject(gModuleObject);
  ctx->pushObject(fn);
  ctx->pushObject(fn);
  return StepResult::Advance;
}

void importEnd(KVContext* ctx) {
  Value v = ctx->operands[--ctx->top];
  if (ctx->importNesting >= 2) {
    ctx->importNesting = 1;
    return;
  }
  gModuleObject = nullptr;
  ctx->importNesting = std::max(ctx->importNesting - 1, 0);
  if (v.tag == kObject && v.obj && v.obj->isFunction() && gUnblockWaits)
    gUnblockWaits(static_cast<KVfobj*>(v.obj));
}

void exportModuleVariables(KVContext* ctx, const ExportList* exports) {
  if (ctx->importNesting < 1 || !gModuleObject || !exports) return;
  for (const ExportEntry& e : *exports) {
    VariableRef at{0, 1, nullptr, 0, e.slot};
    Value* member = addKeyProperty(gModuleObject, e.atom);
    // Read after the member exists: making it may have moved the value's object.
    if (member) *member = *variableCell(ctx, &at);
  }
}

}  // namespace kv
