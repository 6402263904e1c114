// Compile-time records of code generation: the scope of each function being
// compiled (and of the top level), its symbols, the operand entries that
// mirror the run-time operand stack, names waiting for a later declaration,
// and the stacks that connect the actions of one statement or expression.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "runtime/vm/code.h"

namespace kv {

inline constexpr uint16_t kAnyFile = 0xFFFF;    // a symbol visible from every file
inline constexpr int32_t kMaxScopeDepth = 16;  // the top level and 15 nested functions
inline constexpr int32_t kMaxArguments = 16;

// Compile errors and the warning that code generation raises.
enum CodeGenError : int32_t {
  kErrUnresolved = 7,
  kErrParameterName = 8,
  kErrVariableName = 9,
  kErrCatchName = 10,
  kErrNoBreakLabel = 12,
  kErrNoContinueLabel = 13,
  kErrDuplicate = 15,
  kErrDelete = 16,
  kErrNesting = 19,
  kErrArguments = 20,
  kErrLValue = 22,
  kErrYield = 26,
  kErrGeneratorFreeName = 27,
  kErrExportUndeclared = 28,
};
inline constexpr int32_t kWarnUndeclared = 0;

struct Symbol {
  int32_t exportSlot = -1;
  uint8_t isConstant = 0;
  const char* name = nullptr;
  uint16_t fileIndex = kAnyFile;
};
using SymbolTable = std::vector<Symbol>;

// One operand of the expression being compiled.
enum ExprKind : int32_t { kExprValue = 0, kExprVariable = 1, kExprMember = 2 };
struct ExprEntry {
  int32_t kind = kExprValue;
  const char* name = nullptr;
  CodeNode* access = nullptr;  // the LoadVariable, GetMember or GetIndexed record
};

// A name used before any scope declared it; resolved when a function ends.
struct PendingName {
  Symbol use;
  int32_t depth = 0;
  VariableRef* ref = nullptr;
  int32_t level = 0;
};

struct TryLabels {
  LabelSlot* catchSlot;
  LabelSlot* finallySlot;
  LabelSlot* endSlot;
};
enum TryState : int32_t { kInTry = 0, kInCatch = 1, kInFinally = 2 };

struct CompileScope {
  SymbolTable params;
  SymbolTable locals;
  bool isGlobal = false;
  NodeList mainCode;
  NodeList prologueCode;
  std::vector<TryLabels> tryLabels;
  std::vector<int32_t> tryStates;
  std::vector<ExprEntry> exprStack;
  std::vector<PendingName> pending;
};

// Break and continue targets of the open loops and switches.
enum LoopKind : int32_t { kLoopWhile = 1, kLoopFor = 2, kLoopSwitch = 3 };
struct JumpTargetEntry {
  const char* label = nullptr;
  LabelSlot* target = nullptr;
  int32_t kind = 0;
  size_t tries = 0;  // the try statements of the function open where the loop began
};
struct ForLabels {
  LabelSlot* test;
  LabelSlot* step;
  LabelSlot* body;
  LabelSlot* end;
};

// The parts of the statement stacks that belong to one function: saved when
// a function scope opens, so that a break inside a function expression never
// reaches a loop of the function around it.
struct LoopContext {
  std::vector<JumpTargetEntry> breaks;
  std::vector<JumpTargetEntry> continues;
  const char* pendingLabel = nullptr;
};

// What a finished compilation leaves for its caller.
struct CompileResults {
  FunctionRecord* program = nullptr;  // the top level's code; null when none was made
  int32_t builtinCount = 0;           // symbols of the top-level parameter table
  int32_t globalCount = 0;            // the program's global variables
};

struct CompilerState {
  CompileScope* scopes[kMaxScopeDepth] = {};
  int32_t depth = 0;
  std::vector<LabelSlot*> exitLabels;
  std::vector<const char*> functionNames;
  std::vector<uint8_t> generatorFlags;
  std::vector<LoopContext> savedLoops;
  LoopContext loops;
  std::vector<LabelSlot*> ifLabels;
  std::vector<LabelSlot*> whileLabels;
  std::vector<ForLabels> forLabels;
  std::vector<CaseTable*> caseTables;
  std::vector<LabelSlot*> conditionalLabels;
  std::vector<LabelSlot*> andLabels;
  std::vector<LabelSlot*> orLabels;
  CompileResults results;

  CompileScope& scope() { return *scopes[depth]; }
};
CompilerState& compilerState();

// Empties every stack and makes the top-level scope with its "undefined"
// symbol and its function-exit label.
void resetCodeGeneration();
const CompileResults& compileResults();

// Symbol tables.
int32_t indexOfName(const SymbolTable& table, const char* name);
int32_t indexOfNameInFile(const SymbolTable& table, const char* name, uint16_t fileIndex);
void declareLocal(CompileScope& scope, const Symbol& symbol);
void exportName(CompileScope& scope, const char* name);
ExportList* collectExports(const CompileScope& scope);
NameVector nameVector(const SymbolTable& table);

// Operand entries and code lists of the current scope.
// Appends to a list of the current function (appendCode: its main list); the
// record is kept for the run.
void emit(NodeList& list, CodeNode* node);
void appendCode(CodeNode* node);
NodeList takeCode(CompileScope& scope);
ExprEntry& pushExprEntry(int32_t kind = kExprValue, const char* name = nullptr, CodeNode* access = nullptr);
ExprEntry popExprEntry();
bool popExprEntryOrNull(ExprEntry& out);
// Pops n entries and marks their access records as wanting the value.
void popExprEntries(int32_t n);
// The entry as a value, a target (flags 2) or a read-modify-write target
// (flags 3); targets of kind 0 raise CompileError 22.
void useAsValue(const ExprEntry& e);
void setReferenceFlag(const ExprEntry& e);
void setReferenceValueFlag(const ExprEntry& e);
inline int32_t methodFlag(const ExprEntry& e) { return e.kind == kExprMember ? 1 : 0; }

// File number of the current token (0 when no file is open).
uint16_t currentFileNumber();
// Where declarations made now are visible from.
uint16_t declarationFileIndex();

}  // namespace kv
