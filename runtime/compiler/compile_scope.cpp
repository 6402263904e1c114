// Scopes, labels and pending names of the functions being compiled.
#include "runtime/compiler/compile_scope.h"

#include <cstring>

#include "runtime/compiler/code_store.h"
#include "runtime/compiler/source_files.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/errors.h"

namespace kv {

namespace {

CompilerState gState;

bool sameName(const Symbol& s, const char* name) { return std::strcmp(s.name, name) == 0; }

}  // namespace

CompilerState& compilerState() { return gState; }
const CompileResults& compileResults() { return gState.results; }

void resetCodeGeneration() {
  for (CompileScope*& s : gState.scopes) {
    delete s;
    s = nullptr;
  }
  gState.depth = 0;
  gState.exitLabels.clear();
  gState.functionNames.clear();
  gState.generatorFlags.clear();
  gState.savedLoops.clear();
  gState.loops = LoopContext{};
  gState.ifLabels.clear();
  gState.whileLabels.clear();
  gState.forLabels.clear();
  gState.caseTables.clear();
  gState.conditionalLabels.clear();
  gState.andLabels.clear();
  gState.orLabels.clear();
  gState.results = CompileResults{};

  gState.exitLabels.push_back(newLabelSlot());
  auto* top = new CompileScope;
  top->isGlobal = true;
  top->params.push_back(Symbol{-1, 0, "undefined", kAnyFile});
  gState.scopes[0] = top;
}

uint16_t currentFileNumber() {
  return hasTokenBuffer() ? static_cast<uint16_t>(currentTokenBuffer().fileIndex) : 0;
}

uint16_t declarationFileIndex() {
  return hasTokenBuffer() && currentTokenBuffer().scopeFlag ? currentFileNumber() : kAnyFile;
}

int32_t indexOfName(const SymbolTable& table, const char* name) {
  for (size_t i = 0; i < table.size(); ++i)
    if (sameName(table[i], name)) return static_cast<int32_t>(i);
  return -1;
}

int32_t indexOfNameInFile(const SymbolTable& table, const char* name, uint16_t fileIndex) {
  for (size_t i = 0; i < table.size(); ++i)
    if (table[i].fileIndex == fileIndex && sameName(table[i], name)) return static_cast<int32_t>(i);
  return -1;
}

// A name may be declared twice in one visibility class (lookups find the
// first); a file-only and an every-file declaration of one name clash.
void declareLocal(CompileScope& scope, const Symbol& symbol) {
  uint16_t other = symbol.fileIndex == kAnyFile ? currentFileNumber() : kAnyFile;
  if (indexOfNameInFile(scope.locals, symbol.name, other) >= 0) throw CompileError(kErrDuplicate);
  scope.locals.push_back(symbol);
}

void exportName(CompileScope& scope, const char* name) {
  int32_t i = indexOfName(scope.params, name);
  if (i >= 0) {
    scope.params[i].exportSlot = -1 - i;
    return;
  }
  i = indexOfName(scope.locals, name);
  if (i < 0) throw CompileError(kErrExportUndeclared);
  scope.locals[i].exportSlot = i;
}

ExportList* collectExports(const CompileScope& scope) {
  auto* out = keep(new ExportList);
  for (const Symbol& s : scope.locals)
    if (s.exportSlot >= 0) out->push_back(ExportEntry{internAtomUnchecked(s.name), s.exportSlot});
  return out;
}

NameVector nameVector(const SymbolTable& table) {
  NameVector names;
  names.reserve(table.size());
  for (const Symbol& s : table) names.push_back(internAtomUnchecked(s.name));
  return names;
}

void emit(NodeList& list, CodeNode* node) { list.push_back(node); }
void appendCode(CodeNode* node) { emit(gState.scope().mainCode, node); }

NodeList takeCode(CompileScope& scope) {
  NodeList out;
  spliceNodeList(out, scope.prologueCode);
  spliceNodeList(out, scope.mainCode);
  scope.params.clear();
  scope.locals.clear();
  scope.tryLabels.clear();
  return out;
}

ExprEntry& pushExprEntry(int32_t kind, const char* name, CodeNode* access) {
  auto& stack = gState.scope().exprStack;
  stack.push_back(ExprEntry{kind, name, access});
  return stack.back();
}

ExprEntry popExprEntry() {
  auto& stack = gState.scope().exprStack;
  if (stack.empty()) return ExprEntry{};
  ExprEntry e = stack.back();
  stack.pop_back();
  return e;
}

bool popExprEntryOrNull(ExprEntry& out) {
  auto& stack = gState.scope().exprStack;
  if (stack.empty()) return false;
  out = stack.back();
  stack.pop_back();
  return true;
}

void popExprEntries(int32_t n) {
  for (int32_t i = 0; i < n; ++i) useAsValue(popExprEntry());
}

void useAsValue(const ExprEntry& e) {
  if (e.access) e.access->flags = kPushValue;
}

void setReferenceFlag(const ExprEntry& e) {
  if (e.kind == kExprValue || !e.access) throw CompileError(kErrLValue);
  e.access->flags = kPushReference;
}

void setReferenceValueFlag(const ExprEntry& e) {
  if (e.kind == kExprValue || !e.access) throw CompileError(kErrLValue);
  e.access->flags = kPushReference | kPushValue;
}

}  // namespace kv
