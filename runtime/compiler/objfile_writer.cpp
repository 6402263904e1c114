// Writing a compiled program as an object file. The whole image is built in
// memory first, so a program the format cannot carry is refused before any
// file is touched; the bytes then go to a temporary file that replaces the
// target only when every write and the close succeeded.
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/compiler/objfile.h"
#include "runtime/compiler/objfile_format.h"
#include "runtime/library/random_generator.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

using namespace objfile;

struct Bytes {
  std::vector<uint8_t> b;
  void u8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
  void u16(uint32_t v) {
    u8(v);
    u8(v >> 8);
  }
  void u32(uint32_t v) {
    u16(v);
    u16(v >> 16);
  }
  void f64(double d) {
    uint64_t bits = doubleBits(d);
    u32(static_cast<uint32_t>(bits));
    u32(static_cast<uint32_t>(bits >> 32));
  }
  void text(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
  }
  void append(const Bytes& o) { b.insert(b.end(), o.b.begin(), o.b.end()); }
  uint32_t size() const { return static_cast<uint32_t>(b.size()); }
};

// A program the format cannot carry: too wide for a field, or holding a
// record no file may contain.
[[noreturn]] void refuse() { throw RuntimeError(kErrUnexpected); }

void header(Bytes& out, Tag tag, uint16_t extra, int32_t length) {
  out.u16(static_cast<uint16_t>(tag));
  out.u16(extra);
  out.u32(static_cast<uint32_t>(length));
}

class Writer {
 public:
  explicit Writer(const LoadedProgram& program) : program_(program) {}
  std::vector<uint8_t> build();

 private:
  // One function's code words and operands; the streams of all images are
  // joined in function order, the order the reader unpacks them in.
  struct Image {
    std::vector<uint32_t> words;
    Bytes streams[kStreamCount];
    uint32_t strings = 0;
  };
  Bytes& stream(int32_t kind) { return images_[current_].streams[kind]; }
  void collectNames();
  int32_t atomRef(int32_t id) const;
  std::string checkedText(const char* s, size_t limit) const;
  void pack(const CodeVector* code, int32_t nesting);
  void operands(const CodeNode* n);
  void position(int32_t p, bool leaveAllowed);
  void labelPosition(const LabelSlot* label);
  void variable(const VariableRef* v);
  void caseTable(const CaseTable* t);

  const LoadedProgram& program_;
  std::vector<std::string> names_;
  std::unordered_map<int32_t, int32_t> nameIndex_;
  std::vector<Image> images_;
  size_t current_ = 0;
  int64_t slots_ = 0;  // of all nested functions
  Bytes rows_;
};

void Writer::collectNames() {
  const AtomTable& table = atomTable();
  for (const auto& [name, id] : table.names.entries()) {
    if (id >= table.lastItemId) continue;
    if (name.size() > kMaxNameLength) refuse();
    nameIndex_[id] = static_cast<int32_t>(names_.size());
    names_.push_back(name);
  }
  if (names_.size() > static_cast<size_t>(kMaxCount)) refuse();
}

// Ids of the built-in atoms and non-negative keys are the same in every
// process; any other atom is named by its place in the member-name section.
int32_t Writer::atomRef(int32_t id) const {
  if (id >= 0 || id >= atomTable().lastItemId) return id;
  auto it = nameIndex_.find(id);
  return it == nameIndex_.end() ? kAtomRefBase + 1 : kAtomRefBase - it->second;
}

std::string Writer::checkedText(const char* s, size_t limit) const {
  std::string t = s ? s : "";
  if (t.size() > limit) refuse();
  return t;
}

void Writer::position(int32_t p, bool leaveAllowed) {
  if (p < (leaveAllowed ? -1 : 0) || p > INT16_MAX) refuse();
  stream(kPositions).u16(static_cast<uint32_t>(p));
}

void Writer::labelPosition(const LabelSlot* label) {
  if (!label) {
    stream(kPositions).u16(static_cast<uint32_t>(kNoLabel));
    return;
  }
  position(label->position, true);
}

void Writer::variable(const VariableRef* v) {
  if (!v) {
    stream(kDepths).u8(kNoVariable);
    stream(kSlots).u16(0);
    return;
  }
  if (v->depth < 0 || v->depth > kMaxNesting || v->index < INT16_MIN || v->index > INT16_MAX) refuse();
  stream(kDepths).u8(static_cast<uint32_t>(v->depth));
  stream(kSlots).u16(static_cast<uint32_t>(v->index));
}

// The format carries a default only as the last entry. A default elsewhere is
// never taken by a switch, so it is left out.
void Writer::caseTable(const CaseTable* t) {
  if (!t) refuse();
  std::vector<const CaseEntry*> kept;
  for (size_t i = 0; i < t->entries.size(); ++i) {
    const CaseEntry& e = t->entries[i];
    if (e.isDefault && i + 1 != t->entries.size()) continue;
    if (!e.isDefault && t->labelType != 1 && t->labelType != 2) refuse();
    kept.push_back(&e);
  }
  int32_t count = static_cast<int32_t>(kept.size());
  if (count > kMaxCount) refuse();
  bool lastDefault = !kept.empty() && kept.back()->isDefault;
  stream(kInts).u32(static_cast<uint32_t>(t->labelType == 1 ? count : -count));
  labelPosition(t->endLabel);
  stream(kFlags).u8(lastDefault ? kTrueFlag : 0);
  for (const CaseEntry* e : kept) {
    if (!e->isDefault) stream(kInts).u32(static_cast<uint32_t>(e->value));
    if (!e->target) refuse();
    position(e->target->position, false);
  }
}

void Writer::operands(const CodeNode* n) {
  if (isJumpKind(n->kind)) {
    position(n->operand.i, n->kind == JumpIfThrown);
    return;
  }
  switch (n->kind) {
    case PushInt: case CompoundAssign: case LoadGlobal: case ForOf: case PushInt138:
      stream(kInts).u32(static_cast<uint32_t>(n->operand.i));
      break;
    case DefineMember:
      stream(kInts).u32(static_cast<uint32_t>(atomRef(n->operand.i)));
      break;
    case PushDouble:
      stream(kDoubles).f64(n->operand.d);
      break;
    case PushString:
      stream(kStrings).text(checkedText(n->first.text, kMaxStringLength));
      ++images_[current_].strings;
      break;
    case PushBool: case New: case Greater: case Less: case Equal: case NotEqual: case Increment: case Decrement:
    case IncrementInPlace: case DecrementInPlace: case Call: case Yield:
      stream(kFlags).u8(n->operand.i != 0 ? kTrueFlag : 0);
      break;
    case LoadVariable:
      stream(kFlagBytes).u8(n->flags);
      if (!n->second.var) refuse();
      variable(n->second.var);
      break;
    case GetMember:
      stream(kFlagBytes).u8(n->flags);
      stream(kInts).u32(static_cast<uint32_t>(atomRef(n->operand.i)));
      break;
    case GetIndexed:
      stream(kFlagBytes).u8(n->flags);
      break;
    case Switch:
      caseTable(n->second.cases);
      break;
    case Branch:
      if (!n->second.triple || !n->second.triple->second || !n->second.triple->third) refuse();
      position(n->second.triple->second->position, false);
      position(n->second.triple->third->position, false);
      break;
    case StoreCaught129:
      if (!n->second.var) refuse();
      variable(n->second.var);
      break;
    case Throw:
      stream(kInts).u32(static_cast<uint32_t>(n->operand.i));
      labelPosition(n->first.label);
      break;
    case JumpToHandlerIfThrown:
      labelPosition(n->first.label);
      break;
    case Import:
      stream(kStrings).text(checkedText(n->first.text, kMaxStringLength));
      ++images_[current_].strings;
      stream(kFlagBytes).u8(n->flags);
      variable(n->second.var);
      break;
    default:
      break;
  }
}

// Functions are numbered in pre-order: a nested function is packed as soon as
// the record that makes its closure is met.
void Writer::pack(const CodeVector* code, int32_t nesting) {
  if (!code || nesting > kMaxNesting) refuse();
  const size_t n = code->size();
  if ((n / 4 + 1) * 4 > kMaxFunctionBytes) refuse();
  const size_t at = images_.size();
  images_.emplace_back();
  const size_t outer = current_;
  current_ = at;
  std::vector<uint32_t> words(n / 4 + 1, 0);
  for (size_t i = 0; i < n; ++i) {
    const CodeNode* node = (*code)[i];
    if (!node || !isCarriedKind(node->kind)) refuse();
    words[i / 4] = words[i / 4] * kDigitBase + static_cast<uint32_t>(node->kind + 1);
    operands(node);
    if (node->kind == MakeClosure) {
      const FunctionRecord* rec = node->second.function;
      if (!rec) refuse();
      if (rec->params.size() > static_cast<size_t>(kMaxSlots) || rec->locals.size() > static_cast<size_t>(kMaxSlots))
        refuse();
      slots_ += static_cast<int64_t>(rec->params.size() + rec->locals.size());
      rows_.u16(static_cast<uint32_t>(rec->params.size()));
      rows_.u16(static_cast<uint32_t>(rec->locals.size()));
      rows_.u16(rec->hasName ? kRowFlag : 0);
      rows_.u16(rec->generator ? kRowFlag : 0);
      pack(rec->body.code, nesting + 1);
      current_ = at;
    }
  }
  if (n % 4 != 0)
    for (size_t free = 4 - n % 4; free > 0; --free) words[n / 4] *= kDigitBase;
  images_[at].words = std::move(words);
  current_ = outer;
  if (images_.size() - 1 > static_cast<size_t>(kMaxCount)) refuse();
}

std::vector<uint8_t> Writer::build() {
  if (!program_.main || program_.firstCount < 0 || program_.firstCount > kMaxCount || program_.secondCount < 0 ||
      program_.secondCount > kMaxCount)
    refuse();
  collectNames();
  pack(program_.main->code, 0);

  Bytes out;
  out.b.assign(kSignature, kSignature + sizeof kSignature);
  out.b.resize(10, 0);
  for (int16_t v : kVersion) out.u16(static_cast<uint16_t>(v));

  header(out, kTagInfo, 0, kInfoLength);
  Bytes info;
  info.b.assign(kInfoLength, 0);
  putU32(info.b.data(), kFormat);
  out.append(info);

  header(out, kTagFiller, 0, kFillerWords * 4);
  for (int i = 0; i < kFillerWords; ++i) out.u32(static_cast<uint32_t>(uniformIntSource(globalRandomEngine())));

  const CodeVector& main = *program_.main->code;
  const ExportList* exports = !main.empty() && main.back()->kind == End ? main.back()->second.exports : nullptr;
  const size_t pairs = exports ? exports->size() : 0;
  if (pairs > static_cast<size_t>(kMaxCount)) refuse();
  header(out, kTagExports, 0, static_cast<int32_t>(2 + 8 * pairs));
  out.u16(static_cast<uint32_t>(pairs));
  for (size_t i = 0; i < pairs; ++i) {
    out.u32(static_cast<uint32_t>(atomRef((*exports)[i].atom)));
    out.u32(static_cast<uint32_t>((*exports)[i].slot));
  }

  Bytes section;
  section.u16(static_cast<uint32_t>(names_.size()));
  for (const std::string& name : names_) section.text(name);
  header(out, kTagMemberNames, 0, static_cast<int32_t>(section.size()));
  out.append(section);

  section = Bytes{};
  const auto& values = programNameTable().names.entries();
  if (values.size() > static_cast<size_t>(kMaxCount)) refuse();
  section.u16(static_cast<uint32_t>(values.size()));
  for (const auto& [name, value] : values) {
    section.u32(static_cast<uint32_t>(value));
    section.text(checkedText(name.c_str(), kMaxStringLength));
  }
  header(out, kTagNamedValues, 0, static_cast<int32_t>(section.size()));
  out.append(section);

  header(out, kTagGlobalSizes, 0, 8);
  out.u32(static_cast<uint32_t>(program_.secondCount));
  out.u32(static_cast<uint32_t>(program_.firstCount));

  header(out, kTagFunctionRows, 0, static_cast<int32_t>(rows_.size()));
  out.append(rows_);

  section = Bytes{};
  for (int32_t kind = kInts; kind <= kDepths; ++kind) {
    Bytes joined;
    uint32_t strings = 0;
    for (const Image& image : images_) {
      joined.append(image.streams[kind]);
      strings += image.strings;
    }
    if (joined.b.empty()) continue;
    section.u32(static_cast<uint32_t>(kind));
    section.u32(kind == kStrings ? strings : joined.size());
    section.append(joined);
  }
  section.u32(kStreamEnd);
  section.u32(0);
  header(out, kTagStreams, 0, static_cast<int32_t>(section.size()));
  out.append(section);

  header(out, kTagCode, 4, -1);
  out.u32(static_cast<uint32_t>(images_.size()));
  for (const Image& image : images_) {
    out.u32(static_cast<uint32_t>(image.words.size() * 4));
    for (uint32_t w : image.words) out.u32(w);
  }
  if (slots_ > kFreeSlots + kSlotsPerByte * static_cast<int64_t>(out.size())) refuse();
  return std::move(out.b);
}

[[noreturn]] void cannotWrite() {
  ObjfileError e{0, -1};
  logObjfileError(e);
  throw e;
}

}  // namespace

std::string objFileNameFor(const char* path) {
  std::string p = path ? path : "";
  size_t slash = p.find_last_of("/\\");
  std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
  if (last.empty()) return "main.obj";
  size_t dot = last.find_last_of('.');
  if (dot != std::string::npos) last.erase(dot);
  return last + ".obj";
}

void writeObjFile(const LoadedProgram& program, const char* sourceName) {
  const std::vector<uint8_t> image = Writer(program).build();
  const std::string target = sourceName ? objFileNameFor(sourceName) : "main.obj";
  const std::string temporary = target + ".tmp";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) cannotWrite();
  bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    cannotWrite();
  }
}

}  // namespace kv
