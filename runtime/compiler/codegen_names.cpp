// Declarations, functions and closures, names (resolved at once or when the
// declaring function ends), import and export.
#include <cstring>
#include <utility>

#include "runtime/compiler/builtin_names.h"
#include "runtime/compiler/codegen.h"
#include "runtime/compiler/code_store.h"
#include "runtime/compiler/codegen_internal.h"
#include "runtime/compiler/parser.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/link.h"

namespace kv::gen {

namespace {

bool isThis(const char* name) { return std::strcmp(name, "this") == 0; }

struct Found {
  const Symbol* symbol = nullptr;
  int32_t slot = 0;
};

// A function scope: parameters first, then locals.
Found findInFunction(const CompileScope& s, const char* name) {
  int32_t i = indexOfName(s.params, name);
  if (i >= 0) return {&s.params[i], -1 - i};
  i = indexOfName(s.locals, name);
  if (i >= 0) return {&s.locals[i], i};
  return {};
}

// The top level: globals of the using file, globals of any file, then the
// built-in symbols.
Found findAtTopLevel(const CompileScope& s, const char* name, uint16_t file) {
  int32_t i = indexOfNameInFile(s.locals, name, file);
  if (i < 0 && file < kAnyFile) i = indexOfName(s.locals, name);
  if (i >= 0) return {&s.locals[i], i};
  i = indexOfName(s.params, name);
  if (i >= 0) return {&s.params[i], -1 - i};
  return {};
}

void fillRef(VariableRef* ref, const Found& f, int32_t depth) {
  ref->constant = f.symbol->isConstant;
  ref->resolved = 1;
  ref->depth = depth;
  ref->index = f.slot;
}

// Resolves the pending names of a scope that is ending; those it does not
// declare are returned, one level further out.
std::vector<PendingName> resolvePending(CompileScope& s) {
  std::vector<PendingName> carried;
  for (PendingName& p : s.pending) {
    Found f = s.isGlobal ? findAtTopLevel(s, p.use.name, p.use.fileIndex) : findInFunction(s, p.use.name);
    if (f.symbol) {
      p.ref->name = p.use.name;
      fillRef(p.ref, f, p.level);
    } else {
      ++p.level;
      carried.push_back(p);
    }
  }
  s.pending.clear();
  return carried;
}

void openFunctionScope() {
  CompilerState& st = compilerState();
  if (st.depth + 1 >= kMaxScopeDepth) throw CompileError(kErrNesting);
  ++st.depth;
  st.scopes[st.depth] = new CompileScope;
  st.exitLabels.push_back(newLabelSlot());
  // Loops of the enclosing function are out of reach of this one.
  st.loops.pendingLabel = parserState().pendingLabel;
  st.savedLoops.push_back(std::move(st.loops));
  st.loops = LoopContext{};
  parserState().pendingLabel = nullptr;
}

struct ClosedFunction {
  CodeNode* makeClosure;
  std::vector<PendingName> carried;
  const char* name;
};

// Finishes the current function: resolves its names, assembles and links its
// code, and closes its scope.
ClosedFunction closeFunction(bool isExpression) {
  CompilerState& st = compilerState();
  uint8_t generator = st.generatorFlags.back();
  st.generatorFlags.pop_back();
  const char* name = st.functionNames.back();
  st.functionNames.pop_back();

  CompileScope& s = st.scope();
  auto* rec = keep(new FunctionRecord);
  rec->params = nameVector(s.params);
  rec->locals = nameVector(s.locals);
  rec->hasName = isExpression && name ? 1 : 0;
  rec->generator = generator;
  std::vector<PendingName> carried = resolvePending(s);
  NodeList code = takeCode(s);
  emit(code, generator && !isExpression ? newNodeGeneratorReturn() : newNodePushUndefined());
  st.exitLabels.back()->position = -1;
  st.exitLabels.pop_back();
  rec->body.code = linkKept(code);
  CodeNode* closure = newNodeMakeClosure(rec);

  delete st.scopes[st.depth];
  st.scopes[st.depth] = nullptr;
  --st.depth;
  st.loops = std::move(st.savedLoops.back());
  st.savedLoops.pop_back();
  parserState().pendingLabel = st.loops.pendingLabel;
  st.loops.pendingLabel = nullptr;
  return {closure, std::move(carried), name};
}

void handOn(std::vector<PendingName>& carried) {
  auto& pending = compilerState().scope().pending;
  for (PendingName& p : carried) pending.push_back(p);
}

void functionDeclarationStart(const char* name, bool generator) {
  CompilerState& st = compilerState();
  st.functionNames.push_back(name);
  declareVariable(name, false, kErrVariableName);
  st.generatorFlags.push_back(generator ? 1 : 0);
  emit(st.scope().prologueCode, newNodeEnterScope());
  openFunctionScope();
}

// The declared function is made and assigned in the enclosing prologue, so it
// exists before any statement of the enclosing body runs.
void functionDeclarationEnd() {
  ClosedFunction f = closeFunction(false);
  NodeList& prologue = compilerState().scope().prologueCode;
  referenceName(f.name, &prologue);
  setReferenceFlag(popExprEntry());
  f.makeClosure->flags = 1;
  emit(prologue, f.makeClosure);
  emit(prologue, newNodeAssign());
  emit(prologue, newNodePop137());
  handOn(f.carried);
}

void functionExpressionStart(const char* name) {
  CompilerState& st = compilerState();
  appendCode(newNodeEnterScope());
  openFunctionScope();
  if (name) declareVariable(name, false, kErrVariableName);
  st.functionNames.push_back(name);
  st.generatorFlags.push_back(0);
}

void functionExpressionEnd() {
  ClosedFunction f = closeFunction(true);
  appendCode(f.makeClosure);
  pushExprEntry();
  handOn(f.carried);
}

void declareParameter(const char* name) {
  if (isThis(name)) throw CompileError(kErrParameterName);
  compilerState().scope().params.push_back(Symbol{-1, 0, name, kAnyFile});
}

// `var x = e` and `const x = e`: the target is pushed before the initialiser.
void declareWithInitialiser(const char* name, bool constant) {
  declareVariable(name, constant, kErrVariableName);
  if (!constant) {
    referenceName(name);
    return;
  }
  CodeNode* load = newNodeLoadVariable(lookUpLocal(name));
  appendCode(load);
  pushExprEntry(kExprVariable, name, load);
}

void endInitialiser() {
  ExprEntry value = popExprEntry();
  useAsValue(value);
  ExprEntry target = popExprEntry();
  setReferenceFlag(target);
  appendCode(newNodeAssign());
  pushExprEntry();
  endExpressionStatement();
}

void importBinding(const char* name, const char* module) {
  declareVariable(name, false, kErrVariableName);
  appendCode(newNodeImport(module, lookUpLocal(name)));
  appendCode(newNodePushInt138(0));
  appendCode(newNodeCallGuarded());
  LabelSlot* handler = handlerLabel();
  appendCode(newNodeJumpToHandlerIfThrown(handler));
  appendCode(newNodeJumpToHandlerIfThrown(handler));
  appendCode(newNodeImportEnd());
}

void importPlain(const char* module) {
  appendCode(newNodeImport(module, nullptr));
  appendCode(newNodeImportEnd());
}

void exportOne(const char* name) {
  CompileScope& s = compilerState().scope();
  if (s.isGlobal) exportName(s, name);
}

}  // namespace

VariableRef* lookUpLocal(const char* name) {
  CompilerState& st = compilerState();
  CompileScope& s = st.scope();
  Found f = s.isGlobal ? findAtTopLevel(s, name, currentFileNumber()) : findInFunction(s, name);
  auto* ref = keep(new VariableRef{});
  ref->name = name;
  if (f.symbol) fillRef(ref, f, 0);
  return ref;
}

void declareVariable(const char* name, bool constant, int32_t errorCode) {
  if (isThis(name)) throw CompileError(errorCode);
  declareLocal(compilerState().scope(), Symbol{-1, static_cast<uint8_t>(constant ? 1 : 0), name,
                                              declarationFileIndex()});
}

void referenceName(const char* name, NodeList* target) {
  CompilerState& st = compilerState();
  NodeList& out = target ? *target : st.scope().mainCode;
  uint16_t file = currentFileNumber();
  auto* ref = keep(new VariableRef{});
  ref->name = name;
  bool found = false;
  for (int32_t d = st.depth; d >= 0 && !found; --d) {
    const CompileScope& s = *st.scopes[d];
    Found f = s.isGlobal ? findAtTopLevel(s, name, file) : findInFunction(s, name);
    if (f.symbol) {
      fillRef(ref, f, st.depth - d);
      found = true;
    } else if (!s.isGlobal && !st.generatorFlags.empty() && st.generatorFlags.back()) {
      throw CompileError(kErrGeneratorFreeName, name);
    }
  }
  if (!found) {
    int32_t builtin = findBuiltinClassByName(name);
    if (builtin >= 0) {
      emit(out, newNodeLoadGlobal(builtin));
      pushExprEntry();
      return;
    }
    st.scope().pending.push_back(PendingName{Symbol{-1, 0, name, file}, st.depth, ref, 0});
    raiseCompileWarning(kWarnUndeclared, name);
  }
  CodeNode* load = newNodeLoadVariable(ref);
  emit(out, load);
  pushExprEntry(kExprVariable, name, load);
}

void resolveTopLevelNames() {
  CompileScope& top = *compilerState().scopes[0];
  std::vector<PendingName> left = resolvePending(top);
  if (!left.empty()) throw CompileError(kErrUnresolved, left.front().use.name);
}

bool declarationAction(int32_t rule, const SemanticValue* rhs, SemanticValue&) {
  switch (rule) {
    case 23: functionDeclarationEnd(); return true;
    case 80: importPlain(rhs[2].text); return true;
    case 81: importBinding(rhs[1].text, rhs[3].text); return true;
    case 83: exportOne(rhs[0].text); return true;
    case 84: exportOne(rhs[2].text); return true;
    case 89: declareVariable(rhs[0].text, false, kErrVariableName); return true;
    case 90: declareWithInitialiser(rhs[-2].text, false); return true;
    case 94: declareWithInitialiser(rhs[-2].text, true); return true;
    case 91: case 95: endInitialiser(); return true;
    case 96: functionDeclarationStart(rhs[1].text, false); return true;
    case 97: functionDeclarationStart(rhs[2].text, true); return true;
    case 106: declareParameter(rhs[0].text); return true;
    case 107: declareParameter(rhs[2].text); return true;
    case 214: functionExpressionEnd(); return true;
    case 215: functionExpressionStart(nullptr); return true;
    case 217: functionExpressionStart(rhs[-1].text); return true;
    case 237:
      if (isThis(rhs[0].text)) {
        appendCode(newNodePushFrameObject());
        pushExprEntry();
      } else {
        referenceName(rhs[0].text);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace kv::gen
