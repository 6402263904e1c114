// Instruction records: the compiler's output and the interpreter's input.
// A function's code is a list of records while it is built and a vector of
// record pointers once linked. Records and their side records live as long
// as the program and are never freed one by one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

#include "runtime/vm/function.h"

namespace kv {

struct MemberEntry;
struct PropList;
// The list a member record's note names until it notes one: no object's
// list, and not null, so that an object without a list never matches it.
extern PropList gUnnotedList;

enum NodeKind : int32_t {
  PushInt = 32,
  PushDouble = 33,
  PushString = 34,
  PushBool = 35,
  PushNull = 36,
  PushNaN = 37,
  PushUndefined = 38,
  PushFrameObject = 43,
  New = 44,
  Pop49 = 49,
  Assign = 50,
  AssignThroughReference = 51,
  CompoundAssign = 52,
  JumpIfFalse53 = 53,
  Jump54 = 54,
  Nop55 = 55,
  AndThen = 56,
  OrElse = 57,
  ToBool58 = 58,
  ToBool59 = 59,
  BitAnd = 60,
  BitOr = 61,
  BitXor = 62,
  Greater = 63,
  Less = 64,
  Equal = 65,
  NotEqual = 66,
  In = 67,
  InstanceOf = 68,
  ShiftLeft = 69,
  ShiftRight = 70,
  Concat = 71,
  Add = 72,
  Sub = 73,
  Mul = 74,
  Div = 75,
  Mod = 76,
  Negate = 77,
  ToInt = 78,
  ToFloat = 79,
  Delete = 80,
  TypeOf = 81,
  Increment = 82,
  Decrement = 83,
  BitNot = 84,
  Not = 85,
  IncrementInPlace = 86,
  DecrementInPlace = 87,
  LoadVariable = 88,
  LoadGlobal = 89,
  GetMember = 90,
  GetIndexed = 91,
  BeginObject = 96,
  BeginArray = 97,
  DefineMember = 98,
  AppendElement = 99,
  EndObject = 100,
  EndArray = 101,
  Label = 106,
  JumpIfFalse107 = 107,
  Jump108 = 108,
  JumpIfFalse109 = 109,
  Jump110 = 110,
  Nop111 = 111,
  Nop112 = 112,
  Switch = 113,
  Nop114 = 114,
  Nop115 = 115,
  Nop116 = 116,
  Jump117 = 117,
  Jump118 = 118,
  Return = 119,
  ReturnUndefined = 120,
  JumpIfFalse121 = 121,
  Jump122 = 122,
  Pop123 = 123,
  Branch = 124,
  PopAndJump = 125,
  Jump126 = 126,
  JumpPast = 127,
  StoreCaught128 = 128,
  StoreCaught129 = 129,
  Nop130 = 130,
  JumpIfThrown = 131,
  Throw = 132,
  JumpToHandlerIfThrown = 133,
  ForOf = 134,
  Import = 135,
  ImportEnd = 136,
  Pop137 = 137,
  PushInt138 = 138,
  Call = 139,
  Wait = 140,
  Yield = 141,
  GeneratorReturn = 142,
  Nop143 = 143,
  EnterScope = 148,
  MakeClosure = 149,
  JumpIf = 154,
  CallIntrinsic = 155,
  WaitForbidden = 163,
  CallGuarded = 164,
  Jump165 = 165,
  End = 200,
};

constexpr int32_t kFirstKind = 32;
constexpr int32_t kLastKind = 200;
// The operand that marks a Wait turned into WaitForbidden by an import.
constexpr int32_t kWaitBlockedMark = 19999;
// The end of code past every code vector's last record (function.h's
// endOfCode()): its kind is no program record's, and its loop step is
// noted from the start.
constexpr int32_t kEndOfCodeKind = 0;
constexpr uint8_t kEndOfCodeStep = 2;

struct LabelSlot {
  int32_t owner = 0;
  int32_t position = -1;
};
struct LabelPair {
  LabelSlot* first = nullptr;
  LabelSlot* second = nullptr;
};
struct LabelTriple {
  LabelSlot* first = nullptr;
  LabelSlot* second = nullptr;
  LabelSlot* third = nullptr;
};

struct MemberCache {
  int32_t classId = -1;
  int32_t slot = -1;
  // The key names no element (no index, no tuple item), so when the class
  // has no slot for it only the member lists can answer.
  uint8_t listKey = 0;
  // The member epoch in which the object's class was last seen without a
  // slot for the key (the code loop then reads the prototype's list).
  uint32_t missEpoch = UINT32_MAX;
  // The member this record last found through a member list's look-up
  // (the object's own, or its prototype's): the list, the node or body
  // entry, and memberNoteDate() then. While that is unchanged no member was
  // added or deleted under a key of any listed object and nothing moved, so
  // the same list still answers the key with that node.
  uint64_t noteStamp = 0;
  const PropList* noteList = &gUnnotedList;
  MemberEntry* note = nullptr;
};

struct CaseEntry {
  uint8_t isDefault = 0;
  LabelSlot* target = nullptr;
  int32_t value = 0;
};

struct CaseTable {
  explicit CaseTable(LabelSlot* end) : endLabel(end) {}
  // An integer case; a table already fixed to another label type raises
  // CompileError 11.
  void addCase(LabelSlot* target, int32_t value);
  void addDefault(LabelSlot* target);

  int32_t labelType = -1;
  std::vector<CaseEntry> entries;
  int32_t count = 0;
  LabelSlot* endLabel;
};

// A variable as the compiler resolved it: `depth` scopes out from the
// running frame, then slot `index` (-1-i names parameter i, j >= 0 local j).
struct VariableRef {
  uint8_t constant = 0;
  uint8_t resolved = 0;
  const char* name = nullptr;
  int32_t depth = 0;
  int32_t index = 0;
  // A variable of an enclosing function that the closures running this code
  // hold a copy of: the copy's place among their captured cells, or -1.
  // Worked out in memory when the function's first closure is made
  // (captures.cpp); object files never hold it.
  int32_t captured = -1;
  // A variable of an enclosing scope as last found through a frame's scope
  // chain: the chain, the cell, and the scope epoch then (activation.h's
  // scopeEpoch). A frame running on the same chain in the same epoch finds
  // the same cell. Never written to an object file.
  mutable const ScopeChain* seenChain = nullptr;
  mutable Value* seenCell = nullptr;
  mutable uint64_t seenEpoch = 0;
};

// What a module's End record exports: each variable's name atom and slot,
// the slot addressed as VariableRef::index.
struct ExportEntry {
  int32_t atom;
  int32_t slot;
};
using ExportList = std::vector<ExportEntry>;

union NodeOperand {
  int32_t i;
  double d;
  int64_t bits;
  // A Branch's two targets (the labels' positions) as the code loop notes
  // them when it chooses a fused step that ends in it; a Branch keeps no
  // operand of its own, and the object file writes its labels instead.
  struct {
    int32_t onTrue;
    int32_t onFalse;
  } branch;
};

// What the code loop notes, when it chooses a fused step, in the first
// record of the step where that record keeps no pointer of its own (a jump
// once linked, a variable's push), so that the step reads its run's
// operands in one word instead of following the records: for a jump to a
// loop's `local++` / `local--`, the loop's test position, the local's cell
// and the step; for a local compared with an integer constant or a frame
// local, or tested for (in)equality with null, undefined or a truth value,
// that constant or local's cell and the comparison's answers.
struct StepNote {
  static constexpr int8_t kConstant = 1;
  static constexpr int8_t kLocal = 2;
  static constexpr int8_t kEquality = 3;
  int32_t value;    // the test's position, or the constant
  uint16_t slot;    // the counter's cell, the right-hand local's, or the constant's tag
  int8_t form;      // the step (+1 or -1); or kConstant, kLocal, kEquality, 0 for none
  uint8_t answers;  // the comparison's noted answers (compareAnswers)
};
static_assert(sizeof(StepNote) == 8, "a note is one word");

union NodeFirst {
  void* ptr;
  const char* text;
  LabelSlot* label;
  Value* cell;
  StepNote note;
  // A fused step's first LoadVariable: the cell of the local pushed next
  // (an element's key, or the second operand), noted when the step is chosen.
  uint16_t nextSlot;
};

union NodeSecond {
  void* ptr;
  LabelPair* pair;
  LabelTriple* triple;
  CaseTable* cases;
  MemberCache* cache;
  VariableRef* var;
  FunctionRecord* function;
  ExportList* exports;
};

constexpr uint16_t kNoSlot = 0xFFFF;

// The code loop's handler that chooses a record's own (interpreter.cpp).
void* firstStep();

struct CodeNode {
  int32_t kind;
  // The code loop's own note of the step that runs this record (0: not yet
  // chosen). Never written to an object file; whoever changes `kind` after
  // the record has run clears it with forgetStep.
  uint8_t op = 0;
  // The loop's notes beside `op`, never written to an object file either:
  // how many records a fused step that starts here covers, and for a
  // LoadVariable of the running frame the cell it names (kNoSlot until the
  // record has run; a function's frames all lay out their cells alike).
  uint8_t run = 0;
  uint16_t slot = kNoSlot;
  NodeOperand operand;
  NodeFirst first;
  NodeSecond second;
  uint16_t flags;
  int16_t fileIndex;
  int16_t line;
  // How an integer-expression step evaluates this record (fuse.h's
  // ExprMicro; 0 until a run of it has been chosen), beside the notes above.
  uint8_t micro = 0;
  // For the first record of a fused expression step whose expression reads
  // members or elements: how the step has found its values (fuse.h's
  // ExprReads), so that it goes the way that served them.
  uint8_t reads = 0;
  // For a jump, or a nop, whose way on passes nops and jumps (which only
  // send the run on): where that way ends and the last record it passes,
  // noted when the code loop chooses the step that takes the way at once.
  // Records are laid out in 16-byte units, so these cost no room.
  int32_t wayEnd = -1;
  int32_t wayLast = -1;
  // Where the code loop's handler for `op` starts (at first the handler
  // that chooses it), so that a dispatch jumps straight from the record.
  // Set with `op`; whoever clears `op` clears it too (forgetStep).
  void* step = firstStep();
};

// Forgets the code loop's handler of a record whose kind changed.
inline void forgetStep(CodeNode* node) {
  node->op = 0;
  node->step = firstStep();
}

// Flag bits of LoadVariable, GetMember and GetIndexed.
constexpr uint16_t kPushValue = 1;
constexpr uint16_t kPushReference = 2;

using NodeList = std::list<CodeNode*>;

// Moves every record of source to the end of target.
void spliceNodeList(NodeList& target, NodeList& source);

// Factories: each allocates a record for the life of the program
// (std::bad_alloc when that fails), stamps it with the compile position and
// stores its operands.
CodeNode* newNodePushInt32(int32_t value);
CodeNode* newNodePushDouble(double value);
CodeNode* newNodePushString(const char* text);
CodeNode* newNodePushBool(int32_t flag);
CodeNode* newNodePushNull();
CodeNode* newNodePushNaN();
CodeNode* newNodePushUndefined();
CodeNode* newNodePushFrameObject();
CodeNode* newNodeNew(int32_t flag);
CodeNode* newNodePop49();
CodeNode* newNodeAssign();
CodeNode* newNodeAssignThroughReference();
CodeNode* newNodeCompoundAssign(int32_t op);
CodeNode* newNodeJumpIfFalse53(LabelSlot* label, int32_t flag);
CodeNode* newNodeJump54(LabelPair* pair, int32_t value);
CodeNode* newNodeNop55(LabelSlot* label, int32_t flag);
CodeNode* newNodeAndThen(int32_t flag, LabelSlot* label);
CodeNode* newNodeOrElse(int32_t flag, LabelSlot* label);
CodeNode* newNodeToBool58(int32_t flag, LabelSlot* label);
CodeNode* newNodeToBool59(int32_t flag, LabelSlot* label);
CodeNode* newNodeBitAnd();
CodeNode* newNodeBitOr();
CodeNode* newNodeBitXor();
CodeNode* newNodeGreater(int32_t orEqual);
CodeNode* newNodeLess(int32_t orEqual);
CodeNode* newNodeEqual(int32_t flag);
CodeNode* newNodeNotEqual();
CodeNode* newNodeIn();
CodeNode* newNodeInstanceOf();
CodeNode* newNodeShiftLeft();
CodeNode* newNodeShiftRight();
CodeNode* newNodeConcat();
CodeNode* newNodeAdd();
CodeNode* newNodeSub();
CodeNode* newNodeMul();
CodeNode* newNodeDiv();
CodeNode* newNodeMod();
CodeNode* newNodeNegate();
CodeNode* newNodeToInt();
CodeNode* newNodeToFloat();
CodeNode* newNodeDelete();
CodeNode* newNodeTypeOf();
CodeNode* newNodeIncrement(int32_t form);
CodeNode* newNodeDecrement(int32_t form);
CodeNode* newNodeBitNot();
CodeNode* newNodeNot();
CodeNode* newNodeIncrementInPlace(int32_t form);
CodeNode* newNodeDecrementInPlace(int32_t form);
CodeNode* newNodeLoadVariable(VariableRef* var);
CodeNode* newNodeLoadGlobal(int32_t index);
CodeNode* newNodeGetMember(int32_t atom);
CodeNode* newNodeGetIndexed();
CodeNode* newNodeBeginObject();
CodeNode* newNodeBeginArray();
CodeNode* newNodeDefineMember(int32_t atom);
CodeNode* newNodeAppendElement();
CodeNode* newNodeEndObject();
CodeNode* newNodeEndArray();
CodeNode* newNodeLabel(LabelSlot* label);
CodeNode* newNodeJumpIfFalse107(LabelPair* pair);
CodeNode* newNodeJump108(LabelPair* pair);
CodeNode* newNodeJumpIfFalse109(LabelSlot* label);
CodeNode* newNodeJump110(LabelPair* pair);
CodeNode* newNodeNop111(LabelPair* pair);
CodeNode* newNodeNop112(LabelSlot* label);
CodeNode* newNodeSwitch(CaseTable* table);
CodeNode* newNodeNop114(LabelSlot* label);
CodeNode* newNodeNop115(LabelSlot* label);
CodeNode* newNodeNop116(LabelSlot* label);
CodeNode* newNodeJump117(LabelSlot* label);
CodeNode* newNodeJump118(LabelSlot* label);
CodeNode* newNodeReturn(LabelSlot* label);
CodeNode* newNodeReturnUndefined(LabelSlot* label);
CodeNode* newNodeJumpIfFalse121(LabelSlot* label);
CodeNode* newNodeJump122(LabelPair* pair);
CodeNode* newNodePop123(LabelSlot* label);
CodeNode* newNodeBranch(LabelTriple* triple);
CodeNode* newNodePopAndJump(LabelPair* pair);
CodeNode* newNodeJump126(LabelPair* pair);
CodeNode* newNodeJumpPast(LabelSlot* label);
CodeNode* newNodeStoreCaught128(LabelSlot* label);
CodeNode* newNodeStoreCaught129(VariableRef* var, LabelSlot* label);
CodeNode* newNodeNop130(LabelPair* pair);
CodeNode* newNodeJumpIfThrown(LabelTriple* triple, LabelSlot* label);
CodeNode* newNodeThrow(int32_t flag, LabelSlot* label);
CodeNode* newNodeJumpToHandlerIfThrown(LabelSlot* label);
CodeNode* newNodeForOf(int32_t slot);
CodeNode* newNodeImport(const char* module, VariableRef* var);
CodeNode* newNodeImportEnd();
CodeNode* newNodePop137();
CodeNode* newNodePushInt138(int32_t value);
CodeNode* newNodeCall(int32_t methodFlag);
CodeNode* newNodeWait();
CodeNode* newNodeYield(int32_t flag);
CodeNode* newNodeGeneratorReturn();
CodeNode* newNodeEnterScope();
CodeNode* newNodeMakeClosure(FunctionRecord* function);
CodeNode* newNodeJumpIf(LabelSlot* label, int32_t sense);
CodeNode* newNodeCallIntrinsic(int32_t operation);
CodeNode* newNodeCallGuarded();
CodeNode* newNodeJump165(LabelSlot* label);
CodeNode* newNodeEnd(ExportList* exports);

// Records embedded or allocated by the caller; the leading argument is unused.
CodeNode* initNodePushString(CodeNode* node, const char* text);
CodeNode* initNodeGetMember(CodeNode* node, int32_t atom);
CodeNode* initNodeJump54(CodeNode* node, LabelPair* pair, int32_t value);
CodeNode* initNodeImport(CodeNode* node, VariableRef* var, const char* module);

// Label records from the same never-freed arena as the records.
LabelSlot* newLabelSlot();
LabelPair* newLabelPair(LabelSlot* first, LabelSlot* second);
LabelTriple* newLabelTriple(LabelSlot* first, LabelSlot* second, LabelSlot* third);

// Where the arena stands. A harness that builds the whole object system and a
// program many times in one process gives back each round's records once
// nothing of the round is left: everything made since the mark is freed.
struct CodeArenaMark {
  size_t chunks;
  size_t used;
};
CodeArenaMark markCodeArena();
void releaseCodeArenaTo(const CodeArenaMark& mark);

}  // namespace kv
