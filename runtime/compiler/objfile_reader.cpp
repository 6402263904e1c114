// Reading an object file back into instruction records. The file may come
// from anywhere, so every count is checked before it is used, nothing is
// allocated from a declared count before its bytes have arrived, and every
// operand the interpreter trusts (positions, variables, global indexes,
// closures) is checked against the code it belongs to.
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "runtime/compiler/objfile.h"
#include "runtime/compiler/objfile_format.h"
#include "runtime/compiler/objfile_input.h"
#include "runtime/compiler/source_files.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

using namespace objfile;

// Everything one read allocates. A failed read drops it whole; a program
// that loaded keeps it for the rest of the run.
struct LoadedCode {
  std::deque<CodeNode> nodes;
  std::deque<LabelSlot> labels;
  std::deque<LabelTriple> triples;
  std::deque<MemberCache> caches;
  std::deque<VariableRef> variables;
  std::deque<CaseTable> cases;
  std::deque<FunctionRecord> functions;
  std::deque<CodeVector> vectors;
  std::deque<Callable> callables;
  std::deque<std::string> texts;
  std::deque<ExportList> exports;
};

std::vector<std::unique_ptr<LoadedCode>>& loadedPrograms() {
  static auto* programs = new std::vector<std::unique_ptr<LoadedCode>>;
  return *programs;
}

struct Row {
  uint16_t first;
  uint16_t second;
  bool hasName;
  bool generator;
};

// What a stream's element is when it has run out: the detail of a short read
// of that element.
constexpr int32_t kExhausted[kStreamCount] = {0, 12, 13, 17, 15, 14, 15, 14, 15};

class Reader {
 public:
  Reader(Input& in, LoadedCode& code) : in_(in), code_(code) {}
  LoadedProgram read();

 private:
  void signature();
  void information();
  void sections();
  void sourceNames();
  void filler(int32_t length);
  void exportPairs();
  void memberNames();
  void namedValues();
  void globalSizes();
  void functionRows(int32_t length);
  void streams();
  void streamData(int32_t kind, uint32_t length);
  void codeSection();

  const uint8_t* take(int32_t stream);
  int32_t takeInt() { return static_cast<int32_t>(getU32(take(kInts))); }
  int32_t takePosition() { return static_cast<int16_t>(getU16(take(kPositions))); }
  bool takeFlag() { return *take(kFlags) != 0; }
  std::string takeText();
  VariableRef* takeVariable(bool optional);
  LabelSlot* label(int32_t position);
  int32_t atomOf(int32_t ref);

  CodeNode* record(int32_t kind);
  void checkPositions(const CodeVector& code);
  void rebuild(CodeVector& code, int32_t nesting);
  void checkVariable(const VariableRef* v, int32_t nesting) const;

  Input& in_;
  LoadedCode& code_;
  bool seen_[256] = {};
  std::vector<std::string> sourceNames_;  // entered into the file-name table once the read succeeded
  std::vector<std::string> names_;
  std::vector<int32_t> nameIds_;  // 0 until a reference needs the name
  std::vector<ExportEntry> pairs_;
  int32_t globals_ = 0;   // the second variable vector
  int32_t builtins_ = 0;  // the first
  std::vector<Row> rows_;
  std::vector<uint8_t> streams_[kStreamCount];
  size_t cursor_[kStreamCount] = {};
  std::vector<std::string> strings_;
  std::vector<CodeVector*> functions_;
  size_t nextFunction_ = 1;
  int64_t slotBudget_ = 0;
  struct Counts {
    int32_t first;
    int32_t second;
  };
  std::vector<Counts> scopes_;  // the counts of each enclosing function, main first
};

void Reader::signature() {
  uint8_t s[16];
  in_.bytes(s, sizeof s, 1);
  if (std::memcmp(s, kSignature, sizeof kSignature) != 0) corrupt(1);
  int16_t version[3];
  for (int i = 0; i < 3; ++i) version[i] = static_cast<int16_t>(getU16(s + 10 + 2 * i));
  for (int i = 0; i < 3; ++i) {
    if (version[i] == kVersion[i]) continue;
    if (version[i] > kVersion[i]) raiseCompileWarning(3, nullptr);
    break;
  }
  logObjFile(("OBJ-file version " + std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
              std::to_string(version[2]))
                 .c_str());
}

void Reader::information() {
  uint8_t h[8];
  in_.bytes(h, sizeof h, 2);
  if (getU32(h) != 0 || static_cast<int32_t>(getU32(h + 4)) != kInfoLength) corrupt(2);
  uint8_t body[kInfoLength];
  in_.bytes(body, sizeof body, 2);
  int32_t format = static_cast<int32_t>(getU32(body));
  if (format < kFormat) throw ObjfileError{2, -1};
  if (format > kFormat) throw ObjfileError{3, -1};
  if (getU16(body + 16) != 0) throw ObjfileError{4, 1000};
}

void Reader::sourceNames() {
  int32_t count = static_cast<int16_t>(in_.u16(14));
  if (count < 1 || count > kMaxSourceNames) corrupt(4);
  sourceNames_.clear();
  for (int32_t i = 0; i < count; ++i) sourceNames_.push_back(in_.text(kMaxStringLength, 17));
}

void Reader::filler(int32_t length) {
  if (length < 1 || length > kMaxFillerBytes) corrupt(7);
  uint8_t words[kMaxFillerBytes];
  in_.bytes(words, static_cast<size_t>(length / 4 * 4), 12);
  if (length % 4 != 0) corrupt(4);
}

void Reader::exportPairs() {
  uint32_t count = in_.u16(14);
  pairs_.clear();
  for (uint32_t i = 0; i < count; ++i) {
    int32_t atom = static_cast<int32_t>(in_.u32(12));
    int32_t slot = static_cast<int32_t>(in_.u32(12));
    pairs_.push_back(ExportEntry{atom, slot});
  }
}

void Reader::memberNames() {
  uint32_t count = in_.u16(14);
  for (uint32_t i = 0; i < count; ++i) {
    names_.push_back(in_.text(kMaxNameLength, 17));
    nameIds_.push_back(0);
  }
}

void Reader::namedValues() {
  uint32_t count = in_.u16(14);
  for (uint32_t i = 0; i < count; ++i) {
    int32_t value = static_cast<int32_t>(in_.u32(12));
    std::string name = in_.text(kMaxStringLength, 17);
    defineAtom(programNameTable(), name.c_str(), value);
  }
}

void Reader::globalSizes() {
  int32_t second = static_cast<int32_t>(in_.u32(12));
  int32_t first = static_cast<int32_t>(in_.u32(12));
  if (second < 0 || second > kMaxCount || first < 1 || first > kMaxCount) corrupt(4);
  globals_ = second;
  builtins_ = first;
}

void Reader::functionRows(int32_t length) {
  if (length % 8 != 0 || length / 8 > kMaxCount) corrupt(4);
  rows_.clear();
  for (int32_t i = 0; i < length / 8; ++i) {
    Row r;
    r.first = in_.u16(14);
    r.second = in_.u16(14);
    r.hasName = in_.u16(14) != 0;
    r.generator = in_.u16(14) != 0;
    if (r.first > kMaxSlots) corrupt(8);
    if (r.second > kMaxSlots) corrupt(9);
    rows_.push_back(r);
  }
}

void Reader::streamData(int32_t kind, uint32_t length) {
  if (kind == kStrings) {
    for (uint32_t i = 0; i < length; ++i) strings_.push_back(in_.text(kMaxStringLength, 17));
    return;
  }
  if (length % kElementSize[kind] != 0) corrupt(4);
  std::vector<uint8_t>& s = streams_[kind];
  // The bytes arrive in blocks, so a declared length the file does not hold
  // allocates no more than what was read.
  while (length > 0) {
    uint32_t part = std::min<uint32_t>(length, 65536);
    size_t at = s.size();
    s.resize(at + part);
    in_.bytes(s.data() + at, part, kExhausted[kind]);
    length -= part;
  }
}

void Reader::streams() {
  for (;;) {
    int32_t kind = static_cast<int32_t>(in_.u32(10));
    uint32_t length = in_.u32(10);
    if (kind == kStreamEnd) return;
    if (kind < kInts || kind > kDepths) corrupt(11);
    streamData(kind, length);
  }
}

const uint8_t* Reader::take(int32_t stream) {
  size_t size = kElementSize[stream];
  if (streams_[stream].size() - cursor_[stream] < size) corrupt(kExhausted[stream]);
  const uint8_t* at = streams_[stream].data() + cursor_[stream];
  cursor_[stream] += size;
  return at;
}

std::string Reader::takeText() {
  if (cursor_[kStrings] == strings_.size()) corrupt(17);
  return strings_[cursor_[kStrings]++];
}

VariableRef* Reader::takeVariable(bool optional) {
  uint8_t depth = *take(kDepths);
  int32_t slot = static_cast<int16_t>(getU16(take(kSlots)));
  if (depth == kNoVariable) {
    if (!optional) corrupt(4);
    return nullptr;
  }
  return &code_.variables.emplace_back(VariableRef{0, 1, nullptr, depth, slot});
}

LabelSlot* Reader::label(int32_t position) { return &code_.labels.emplace_back(LabelSlot{0, position}); }

// Built-in atoms and keys keep their ids; any other reference names an entry
// of the member-name section, interned the first time it is needed.
int32_t Reader::atomOf(int32_t ref) {
  if (ref > kAtomRefBase) return ref;
  int64_t index = static_cast<int64_t>(kAtomRefBase) - ref;
  if (index >= static_cast<int64_t>(names_.size())) corrupt(18);
  int32_t& id = nameIds_[static_cast<size_t>(index)];
  if (id == 0) id = internNameInTable(atomTable(), names_[static_cast<size_t>(index)].c_str());
  return id;
}

CodeNode* Reader::record(int32_t kind) {
  CodeNode& n = code_.nodes.emplace_back();
  n.kind = kind;
  n.operand.bits = 0;
  n.first.ptr = nullptr;
  n.second.ptr = nullptr;
  n.flags = 0;
  n.fileIndex = 0;
  n.line = 0;
  if (isJumpKind(kind)) {
    n.operand.i = takePosition();
    return &n;
  }
  switch (kind) {
    case PushInt: case CompoundAssign: case ForOf: case PushInt138:
      n.operand.i = takeInt();
      break;
    case LoadGlobal: {
      n.operand.i = takeInt();
      uint32_t area = static_cast<uint32_t>(n.operand.i) >> 16, cell = static_cast<uint32_t>(n.operand.i) & 0xFFFF;
      if (area >= static_cast<uint32_t>(kGlobalAreaCount) || cell >= static_cast<uint32_t>(kGlobalAreaSizes[area]))
        corrupt(4);
      break;
    }
    case DefineMember:
      n.operand.i = atomOf(takeInt());
      break;
    case PushDouble:
    {
      const uint8_t* p = take(kDoubles);
      n.operand.bits = static_cast<int64_t>(getU32(p) | static_cast<uint64_t>(getU32(p + 4)) << 32);
      break;
    }
    case PushString:
      n.first.text = code_.texts.emplace_back(takeText()).c_str();
      break;
    case PushBool: case New: case Greater: case Less: case Equal: case NotEqual: case Increment: case Decrement:
    case IncrementInPlace: case DecrementInPlace: case Call: case Yield:
      n.operand.i = takeFlag() ? 1 : 0;
      break;
    case LoadVariable:
      n.flags = *take(kFlagBytes);
      n.second.var = takeVariable(false);
      break;
    case GetMember:
      n.flags = *take(kFlagBytes);
      n.operand.i = atomOf(takeInt());
      n.second.cache = &code_.caches.emplace_back(MemberCache{-1, -1});
      break;
    case GetIndexed:
      n.flags = *take(kFlagBytes);
      break;
    case Switch: {
      int32_t count = takeInt();
      LabelSlot* end = label(takePosition());
      bool lastDefault = takeFlag();
      if (count < -kMaxCount || count > kMaxCount || (lastDefault && count == 0)) corrupt(4);
      CaseTable& t = code_.cases.emplace_back(end);
      t.labelType = count < 0 ? 2 : 1;
      int32_t entries = count < 0 ? -count : count;
      for (int32_t i = 0; i < entries; ++i) {
        bool isDefault = lastDefault && i == entries - 1;
        int32_t value = isDefault ? 0 : takeInt();
        t.entries.push_back(CaseEntry{static_cast<uint8_t>(isDefault), label(takePosition()), value});
      }
      t.count = entries;
      n.second.cases = &t;
      break;
    }
    case Branch: {
      LabelSlot* second = label(takePosition());
      LabelSlot* third = label(takePosition());
      n.second.triple = &code_.triples.emplace_back(LabelTriple{nullptr, second, third});
      break;
    }
    case StoreCaught129:
      n.second.var = takeVariable(false);
      break;
    case Throw:
      n.operand.i = takeInt();
      [[fallthrough]];
    case JumpToHandlerIfThrown: {
      int32_t at = takePosition();
      if (at != kNoLabel) n.first.label = label(at);
      break;
    }
    case Import:
      n.first.text = code_.texts.emplace_back(takeText()).c_str();
      n.flags = *take(kFlagBytes);
      n.second.var = takeVariable(true);
      break;
    default:
      break;
  }
  return &n;
}

// Positions name a record of their own function; -1 ("leave") only where a
// record may leave the function through a missing handler.
void Reader::checkPositions(const CodeVector& code) {
  const int32_t n = static_cast<int32_t>(code.size());
  auto check = [n](int32_t p, bool leaveAllowed) {
    if (p > n || p < (leaveAllowed ? -1 : 0)) corrupt(4);
  };
  for (const CodeNode* node : code) {
    if (isJumpKind(node->kind)) {
      check(node->operand.i, node->kind == JumpIfThrown);
      continue;
    }
    switch (node->kind) {
      case Throw: case JumpToHandlerIfThrown:
        if (node->first.label) check(node->first.label->position, true);
        break;
      case Branch:
        check(node->second.triple->second->position, false);
        check(node->second.triple->third->position, false);
        break;
      case Switch:
        check(node->second.cases->endLabel->position, false);
        for (const CaseEntry& e : node->second.cases->entries) check(e.target->position, false);
        break;
      default:
        break;
    }
  }
}

void Reader::codeSection() {
  uint32_t count = in_.u32(12);
  for (uint32_t f = 0; f < count; ++f) {
    uint32_t length = in_.u32(12);
    if (length % 4 != 0 || length > kMaxFunctionBytes) corrupt(4);
    CodeVector& code = code_.vectors.emplace_back();
    for (uint32_t w = 0; w < length / 4; ++w) {
      uint32_t word = in_.u32(12);
      if (static_cast<int32_t>(word) < 0) corrupt(20);
      for (uint32_t place : kPlaceValue) {
        uint32_t digit = word / place % kDigitBase;
        if (digit == 0) break;
        if (digit > kMaxDigit) corrupt(21);
        int32_t kind = static_cast<int32_t>(digit) - 1;
        if (kind == Label) corrupt(1000);
        if (!isCarriedKind(kind)) corrupt(21);
        code.push_back(record(kind));
      }
    }
    checkPositions(code);
    functions_.push_back(&code);
  }
}

void Reader::checkVariable(const VariableRef* v, int32_t nesting) const {
  if (!v) return;
  if (v->depth > nesting) corrupt(4);
  const Counts& scope = scopes_[static_cast<size_t>(nesting - v->depth)];
  bool fits = v->index < 0 ? -1 - v->index < scope.first : v->index < scope.second;
  if (!fits) corrupt(4);
}

// Closures get their functions in pre-order, each function's variables are
// checked against the scopes around it, and every function and row is used
// exactly once.
void Reader::rebuild(CodeVector& code, int32_t nesting) {
  for (CodeNode* node : code) {
    switch (node->kind) {
      case LoadVariable: case StoreCaught129: case Import:
        checkVariable(node->second.var, nesting);
        break;
      case MakeClosure: {
        if (nesting + 1 > kMaxNesting || nextFunction_ >= functions_.size() || nextFunction_ > rows_.size())
          corrupt(4);
        const Row& row = rows_[nextFunction_ - 1];
        slotBudget_ -= row.first + row.second;
        if (slotBudget_ < 0) corrupt(4);
        CodeVector* body = functions_[nextFunction_++];
        FunctionRecord& rec = code_.functions.emplace_back();
        rec.body.code = body;
        rec.params.assign(row.first, 0);
        rec.locals.assign(row.second, 0);
        rec.hasName = row.hasName;
        rec.generator = row.generator;
        node->second.function = &rec;
        scopes_.push_back(Counts{row.first, row.second});
        rebuild(*body, nesting + 1);
        scopes_.pop_back();
        break;
      }
      default:
        break;
    }
  }
}

void Reader::sections() {
  for (;;) {
    int16_t tag = static_cast<int16_t>(in_.u16(3));
    in_.u16(3);
    int32_t length = static_cast<int32_t>(in_.u32(3));
    switch (tag) {
      case kTagSourceNames: case kTagFiller: case kTagExports: case kTagMemberNames: case kTagNamedValues:
      case kTagGlobalSizes: case kTagFunctionRows: case kTagStreams:
        break;
      case kTagCode:
        if (length >= 0) corrupt(4);
        seen_[kTagCode] = true;
        codeSection();
        return;
      default:
        corrupt(4);
    }
    if (length < 0) corrupt(tag == kTagFiller ? 7 : 4);
    seen_[tag] = true;
    in_.beginSection(length);
    switch (tag) {
      case kTagSourceNames: sourceNames(); break;
      case kTagFiller: filler(length); break;
      case kTagExports: exportPairs(); break;
      case kTagMemberNames: memberNames(); break;
      case kTagNamedValues: namedValues(); break;
      case kTagGlobalSizes: globalSizes(); break;
      case kTagFunctionRows: functionRows(length); break;
      default: streams(); break;
    }
    in_.endSection();
  }
}

LoadedProgram Reader::read() {
  signature();
  information();
  sections();
  for (int tag : {kTagExports, kTagMemberNames, kTagGlobalSizes, kTagFunctionRows, kTagStreams})
    if (!seen_[tag]) corrupt(4);
  if (functions_.empty() || functions_[0]->empty()) corrupt(5);
  CodeVector& main = *functions_[0];
  if (main.back()->kind != End) corrupt(6);
  scopes_.push_back(Counts{builtins_, globals_});
  slotBudget_ = kFreeSlots + kSlotsPerByte * in_.consumed();
  rebuild(main, 0);
  if (nextFunction_ != functions_.size() || rows_.size() != functions_.size() - 1) corrupt(4);
  // The pairs' atoms are translated only now: the member names may follow
  // the pair list in the file.
  ExportList& exports = code_.exports.emplace_back();
  for (const ExportEntry& p : pairs_) {
    VariableRef at{0, 1, nullptr, 0, p.slot};
    checkVariable(&at, 0);
    exports.push_back(ExportEntry{atomOf(p.atom), p.slot});
  }
  main.back()->second.exports = &exports;
  if (sourceNameTable.size() < static_cast<size_t>(kMaxSourceNames)) sourceNameTable.resize(kMaxSourceNames);
  for (size_t i = 0; i < sourceNames_.size(); ++i) sourceNameTable[i] = sourceNames_[i];
  const Callable* callable = &code_.callables.emplace_back(Callable{nullptr, &main, nullptr});
  return LoadedProgram{callable, builtins_, globals_};
}

}  // namespace

std::optional<LoadedProgram> readObjFile(const char* name, bool required) {
  Input in(name ? name : "main.obj");
  auto code = std::make_unique<LoadedCode>();
  try {
    if (!in.open()) {
      logSystem("no OBJ-file found.");
      if (!required) return std::nullopt;
      throw ObjfileError{0, -1};
    }
    logSystem((std::string("reading OBJ-file '") + (name ? name : "main.obj") + "'.").c_str());
    LoadedProgram program = Reader(in, *code).read();
    loadedPrograms().push_back(std::move(code));
    return program;
  } catch (const ObjfileError& e) {
    logObjfileError(e);
    logSystem("error within the OBJ-file.");
    return std::nullopt;
  }
}

void resetObjAtomTable() { programNameTable() = ProgramNameTable{}; }

void releaseLoadedProgramsForTests() { loadedPrograms().clear(); }

}  // namespace kv
