// Instruction records: their arena, kinds and listing.
#include "runtime/vm/code.h"

#include <cstddef>
#include <memory>
#include <type_traits>
#include <new>
#include <vector>

#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"

namespace kv {
namespace {

// Records and their small side records live as long as the program, so they
// come from chunks that are only ever added to: allocation is a bump of an
// offset, and nothing is freed one by one.
constexpr size_t kChunkBytes = 64 * 1024;

std::vector<std::unique_ptr<std::byte[]>>& arenaChunks() {
  static std::vector<std::unique_ptr<std::byte[]>> chunks;
  return chunks;
}
size_t gArenaUsed = kChunkBytes;

void* codeArenaAlloc(size_t bytes) {
  auto& chunks = arenaChunks();
  bytes = (bytes + 15) & ~size_t{15};
  if (chunks.empty() || gArenaUsed + bytes > kChunkBytes) {
    chunks.push_back(std::make_unique<std::byte[]>(kChunkBytes));
    gArenaUsed = 0;
  }
  void* at = chunks.back().get() + gArenaUsed;
  gArenaUsed += bytes;
  return at;
}

template <class T, class... Args>
T* permanent(Args&&... args) {
  static_assert(std::is_trivially_destructible_v<T> && sizeof(T) <= kChunkBytes);
  return new (codeArenaAlloc(sizeof(T))) T{static_cast<Args&&>(args)...};
}

constexpr int32_t kErrCaseLabelType = 11;

int32_t flagOf(int32_t v) { return v != 0 ? 1 : 0; }

// Zeroed record with the compile position. Position fields are 16-bit in
// the record, as the object file keeps them.
CodeNode* stamp(CodeNode* n, int32_t kind) {
  *n = CodeNode{};
  n->kind = kind;
  n->operand.bits = 0;
  n->first.ptr = nullptr;
  n->second.ptr = nullptr;
  n->flags = 0;
  n->fileIndex = static_cast<int16_t>(gCompilePosition.file);
  n->line = static_cast<int16_t>(gCompilePosition.line);
  return n;
}

// A record takes four of the arena's 16-byte units.
static_assert(sizeof(CodeNode) <= 64);
CodeNode* make(int32_t kind) { return stamp(permanent<CodeNode>(), kind); }
CodeNode* withInt(int32_t kind, int32_t v) {
  CodeNode* n = make(kind);
  n->operand.i = v;
  return n;
}
CodeNode* withLabel(int32_t kind, LabelSlot* l) {
  CodeNode* n = make(kind);
  n->first.label = l;
  return n;
}
CodeNode* withPair(int32_t kind, LabelPair* p) {
  CodeNode* n = make(kind);
  n->second.pair = p;
  return n;
}
CodeNode* withFlagLabel(int32_t kind, int32_t flag, LabelSlot* l) {
  CodeNode* n = withLabel(kind, l);
  n->operand.i = flagOf(flag);
  return n;
}

}  // namespace

CodeArenaMark markCodeArena() { return {arenaChunks().size(), gArenaUsed}; }

void releaseCodeArenaTo(const CodeArenaMark& mark) {
  auto& chunks = arenaChunks();
  if (chunks.size() < mark.chunks || (chunks.size() == mark.chunks && gArenaUsed < mark.used)) return;
  chunks.resize(mark.chunks);
  gArenaUsed = mark.used;
}

void CaseTable::addCase(LabelSlot* target, int32_t value) {
  if (labelType == -1) labelType = 1;
  else if (labelType != 1) throw CompileError(kErrCaseLabelType);
  entries.push_back(CaseEntry{0, target, value});
  ++count;
}

void CaseTable::addDefault(LabelSlot* target) {
  entries.push_back(CaseEntry{1, target, 0});
  ++count;
}

void spliceNodeList(NodeList& target, NodeList& source) { target.splice(target.end(), source); }

LabelSlot* newLabelSlot() { return permanent<LabelSlot>(); }
LabelPair* newLabelPair(LabelSlot* first, LabelSlot* second) { return permanent<LabelPair>(first, second); }
LabelTriple* newLabelTriple(LabelSlot* first, LabelSlot* second, LabelSlot* third) {
  return permanent<LabelTriple>(first, second, third);
}

CodeNode* endOfCode() {
  static CodeNode end = [] {
    CodeNode n{};
    n.kind = kEndOfCodeKind;
    n.op = kEndOfCodeStep;
    return n;
  }();
  return &end;
}

CodeNode* newNodePushInt32(int32_t value) { return withInt(PushInt, value); }
CodeNode* newNodePushDouble(double value) {
  CodeNode* n = make(PushDouble);
  n->operand.d = value;
  return n;
}
CodeNode* newNodePushString(const char* text) { return initNodePushString(make(PushString), text); }
CodeNode* newNodePushBool(int32_t flag) { return withInt(PushBool, flagOf(flag)); }
CodeNode* newNodePushNull() { return make(PushNull); }
CodeNode* newNodePushNaN() { return make(PushNaN); }
CodeNode* newNodePushUndefined() { return make(PushUndefined); }
CodeNode* newNodePushFrameObject() { return make(PushFrameObject); }
CodeNode* newNodeNew(int32_t flag) { return withInt(New, flagOf(flag)); }
CodeNode* newNodePop49() { return make(Pop49); }
CodeNode* newNodeAssign() { return make(Assign); }
CodeNode* newNodeAssignThroughReference() { return make(AssignThroughReference); }
CodeNode* newNodeCompoundAssign(int32_t op) { return withInt(CompoundAssign, op); }
CodeNode* newNodeJumpIfFalse53(LabelSlot* label, int32_t flag) { return withFlagLabel(JumpIfFalse53, flag, label); }
CodeNode* newNodeJump54(LabelPair* pair, int32_t value) { return initNodeJump54(make(Jump54), pair, value); }
CodeNode* newNodeNop55(LabelSlot* label, int32_t flag) { return withFlagLabel(Nop55, flag, label); }
CodeNode* newNodeAndThen(int32_t flag, LabelSlot* label) { return withFlagLabel(AndThen, flag, label); }
CodeNode* newNodeOrElse(int32_t flag, LabelSlot* label) { return withFlagLabel(OrElse, flag, label); }
CodeNode* newNodeToBool58(int32_t flag, LabelSlot* label) { return withFlagLabel(ToBool58, flag, label); }
CodeNode* newNodeToBool59(int32_t flag, LabelSlot* label) { return withFlagLabel(ToBool59, flag, label); }
CodeNode* newNodeBitAnd() { return make(BitAnd); }
CodeNode* newNodeBitOr() { return make(BitOr); }
CodeNode* newNodeBitXor() { return make(BitXor); }
CodeNode* newNodeGreater(int32_t orEqual) { return withInt(Greater, flagOf(orEqual)); }
CodeNode* newNodeLess(int32_t orEqual) { return withInt(Less, flagOf(orEqual)); }
CodeNode* newNodeEqual(int32_t flag) { return withInt(Equal, flagOf(flag)); }
CodeNode* newNodeNotEqual() { return make(NotEqual); }
CodeNode* newNodeIn() { return make(In); }
CodeNode* newNodeInstanceOf() { return make(InstanceOf); }
CodeNode* newNodeShiftLeft() { return make(ShiftLeft); }
CodeNode* newNodeShiftRight() { return make(ShiftRight); }
CodeNode* newNodeConcat() { return make(Concat); }
CodeNode* newNodeAdd() { return make(Add); }
CodeNode* newNodeSub() { return make(Sub); }
CodeNode* newNodeMul() { return make(Mul); }
CodeNode* newNodeDiv() { return make(Div); }
CodeNode* newNodeMod() { return make(Mod); }
CodeNode* newNodeNegate() { return make(Negate); }
CodeNode* newNodeToInt() { return make(ToInt); }
CodeNode* newNodeToFloat() { return make(ToFloat); }
CodeNode* newNodeDelete() { return make(Delete); }
CodeNode* newNodeTypeOf() { return make(TypeOf); }
CodeNode* newNodeIncrement(int32_t form) { return withInt(Increment, flagOf(form)); }
CodeNode* newNodeDecrement(int32_t form) { return withInt(Decrement, flagOf(form)); }
CodeNode* newNodeBitNot() { return make(BitNot); }
CodeNode* newNodeNot() { return make(Not); }
CodeNode* newNodeIncrementInPlace(int32_t form) { return withInt(IncrementInPlace, flagOf(form)); }
CodeNode* newNodeDecrementInPlace(int32_t form) { return withInt(DecrementInPlace, flagOf(form)); }
CodeNode* newNodeLoadVariable(VariableRef* var) {
  CodeNode* n = make(LoadVariable);
  n->second.var = var;
  return n;
}
CodeNode* newNodeLoadGlobal(int32_t index) { return withInt(LoadGlobal, index); }
CodeNode* newNodeGetMember(int32_t atom) { return initNodeGetMember(make(GetMember), atom); }
CodeNode* newNodeGetIndexed() { return make(GetIndexed); }
CodeNode* newNodeBeginObject() { return make(BeginObject); }
CodeNode* newNodeBeginArray() { return make(BeginArray); }
CodeNode* newNodeDefineMember(int32_t atom) { return withInt(DefineMember, atom); }
CodeNode* newNodeAppendElement() { return make(AppendElement); }
CodeNode* newNodeEndObject() { return make(EndObject); }
CodeNode* newNodeEndArray() { return make(EndArray); }
CodeNode* newNodeLabel(LabelSlot* label) { return withLabel(Label, label); }
CodeNode* newNodeJumpIfFalse107(LabelPair* pair) { return withPair(JumpIfFalse107, pair); }
CodeNode* newNodeJump108(LabelPair* pair) { return withPair(Jump108, pair); }
CodeNode* newNodeJumpIfFalse109(LabelSlot* label) { return withLabel(JumpIfFalse109, label); }
CodeNode* newNodeJump110(LabelPair* pair) { return withPair(Jump110, pair); }
CodeNode* newNodeNop111(LabelPair* pair) { return withPair(Nop111, pair); }
CodeNode* newNodeNop112(LabelSlot* label) { return withLabel(Nop112, label); }
CodeNode* newNodeSwitch(CaseTable* table) {
  CodeNode* n = make(Switch);
  n->second.cases = table;
  return n;
}
CodeNode* newNodeNop114(LabelSlot* label) { return withLabel(Nop114, label); }
CodeNode* newNodeNop115(LabelSlot* label) { return withLabel(Nop115, label); }
CodeNode* newNodeNop116(LabelSlot* label) { return withLabel(Nop116, label); }
CodeNode* newNodeJump117(LabelSlot* label) { return withLabel(Jump117, label); }
CodeNode* newNodeJump118(LabelSlot* label) { return withLabel(Jump118, label); }
CodeNode* newNodeReturn(LabelSlot* label) { return withLabel(Return, label); }
CodeNode* newNodeReturnUndefined(LabelSlot* label) { return withLabel(ReturnUndefined, label); }
CodeNode* newNodeJumpIfFalse121(LabelSlot* label) { return withLabel(JumpIfFalse121, label); }
CodeNode* newNodeJump122(LabelPair* pair) { return withPair(Jump122, pair); }
CodeNode* newNodePop123(LabelSlot* label) { return withLabel(Pop123, label); }
CodeNode* newNodeBranch(LabelTriple* triple) {
  CodeNode* n = make(Branch);
  n->second.triple = triple;
  return n;
}
CodeNode* newNodePopAndJump(LabelPair* pair) { return withPair(PopAndJump, pair); }
CodeNode* newNodeJump126(LabelPair* pair) { return withPair(Jump126, pair); }
CodeNode* newNodeJumpPast(LabelSlot* label) { return withLabel(JumpPast, label); }
CodeNode* newNodeStoreCaught128(LabelSlot* label) { return withLabel(StoreCaught128, label); }
CodeNode* newNodeStoreCaught129(VariableRef* var, LabelSlot* label) {
  CodeNode* n = withLabel(StoreCaught129, label);
  n->second.var = var;
  return n;
}
CodeNode* newNodeNop130(LabelPair* pair) { return withPair(Nop130, pair); }
CodeNode* newNodeJumpIfThrown(LabelTriple* triple, LabelSlot* label) {
  CodeNode* n = withLabel(JumpIfThrown, label);
  n->second.triple = triple;
  return n;
}
CodeNode* newNodeThrow(int32_t flag, LabelSlot* label) { return withFlagLabel(Throw, flag, label); }
CodeNode* newNodeJumpToHandlerIfThrown(LabelSlot* label) { return withLabel(JumpToHandlerIfThrown, label); }
CodeNode* newNodeForOf(int32_t slot) { return withInt(ForOf, slot); }
CodeNode* newNodeImport(const char* module, VariableRef* var) { return initNodeImport(make(Import), var, module); }
CodeNode* newNodeImportEnd() { return make(ImportEnd); }
CodeNode* newNodePop137() { return make(Pop137); }
CodeNode* newNodePushInt138(int32_t value) { return withInt(PushInt138, value); }
CodeNode* newNodeCall(int32_t methodFlag) { return withInt(Call, flagOf(methodFlag)); }
CodeNode* newNodeWait() { return make(Wait); }
CodeNode* newNodeYield(int32_t flag) { return withInt(Yield, flagOf(flag)); }
CodeNode* newNodeGeneratorReturn() { return make(GeneratorReturn); }
CodeNode* newNodeEnterScope() { return make(EnterScope); }
CodeNode* newNodeMakeClosure(FunctionRecord* function) {
  CodeNode* n = make(MakeClosure);
  n->second.function = function;
  return n;
}
CodeNode* newNodeJumpIf(LabelSlot* label, int32_t sense) { return withFlagLabel(JumpIf, sense, label); }
CodeNode* newNodeCallIntrinsic(int32_t operation) { return withInt(CallIntrinsic, operation); }
CodeNode* newNodeCallGuarded() { return make(CallGuarded); }
CodeNode* newNodeJump165(LabelSlot* label) { return withLabel(Jump165, label); }
CodeNode* newNodeEnd(ExportList* exports) {
  CodeNode* n = make(End);
  n->second.exports = exports;
  return n;
}

CodeNode* initNodePushString(CodeNode* node, const char* text) {
  stamp(node, PushString);
  node->first.text = text;
  return node;
}

CodeNode* initNodeGetMember(CodeNode* node, int32_t atom) {
  stamp(node, GetMember);
  node->operand.i = atom;
  node->second.cache = permanent<MemberCache>();
  return node;
}

CodeNode* initNodeJump54(CodeNode* node, LabelPair* pair, int32_t value) {
  stamp(node, Jump54);
  node->second.pair = pair;
  node->operand.i = value;
  return node;
}

CodeNode* initNodeImport(CodeNode* node, VariableRef* var, const char* module) {
  stamp(node, Import);
  node->second.var = var;
  node->first.text = module;
  return node;
}

}  // namespace kv
