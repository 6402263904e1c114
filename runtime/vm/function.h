// Function objects: script closures, natives, static natives and class
// constructors. A function object is also a class: objects made from it get
// its instance class id and the prototype in its "prototype" slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "runtime/vm/activation.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/object.h"

namespace kv {

class KVContext;
struct CodeNode;
// The record past the end of every code vector. The code loop runs it as
// the end of the frame, so stepping to the next record needs no test of the
// count; it is never written to an object file.
CodeNode* endOfCode();

// A function's records. One more stands past the last, always: the end of
// code. Otherwise a vector of record pointers.
class CodeVector {
 public:
  using value_type = CodeNode*;
  using iterator = CodeNode**;
  using const_iterator = CodeNode* const*;

  CodeVector() : nodes_{endOfCode()} {}
  explicit CodeVector(size_t count) : nodes_(count + 1, nullptr), count_(count) { nodes_[count] = endOfCode(); }
  CodeVector(std::initializer_list<CodeNode*> list) {
    nodes_.reserve(list.size() + 1);
    nodes_.assign(list);
    nodes_.push_back(endOfCode());
    count_ = list.size();
  }

  [[gnu::always_inline]] size_t size() const { return count_; }
  [[gnu::always_inline]] bool empty() const { return count_ == 0; }
  [[gnu::always_inline]] CodeNode** data() { return nodes_.data(); }
  [[gnu::always_inline]] CodeNode* const* data() const { return nodes_.data(); }
  [[gnu::always_inline]] CodeNode*& operator[](size_t at) { return nodes_[at]; }
  [[gnu::always_inline]] CodeNode* operator[](size_t at) const { return nodes_[at]; }
  CodeNode*& back() { return nodes_[size() - 1]; }
  CodeNode* back() const { return nodes_[size() - 1]; }
  CodeNode*& front() { return nodes_[0]; }
  iterator begin() { return data(); }
  iterator end() { return data() + size(); }
  const_iterator begin() const { return data(); }
  const_iterator end() const { return data() + size(); }
  void reserve(size_t count) { nodes_.reserve(count + 1); }
  void push_back(CodeNode* node) {
    nodes_.back() = node;
    nodes_.push_back(endOfCode());
    ++count_;
  }
  void clear() {
    nodes_.assign(1, endOfCode());
    count_ = 0;
  }

 private:
  std::vector<CodeNode*> nodes_;
  size_t count_ = 0;  // the records, the end of code not counted
};
// A native: reads its arguments from the context and pushes one result.
using NativeFunction = void (*)(KVContext* ctx);

// What runs when a function object is called: a code vector or a native,
// with the frame the call makes. Every function object of one callable has
// the same cells, so they are kept here once rather than in each object.
struct Callable {
  const char* name = nullptr;  // a built-in native's name as scripts call it, for warnings
  CodeVector* code = nullptr;
  NativeFunction native = nullptr;
  const NameVector* first = nullptr;   // parameters, or a native's argument types
  const NameVector* second = nullptr;  // locals
};

// The nested-function record a closure is made from; the compiler makes it
// and the object-file reader rebuilds it. Its body's cells are its own lists,
// so a record stays where it is made.
struct FunctionRecord {
  FunctionRecord() {
    body.first = &params;
    body.second = &locals;
  }
  FunctionRecord(const Callable& b, NameVector p, NameVector l, uint8_t named = 0, uint8_t gen = 0)
      : body(b), params(static_cast<NameVector&&>(p)), locals(static_cast<NameVector&&>(l)), hasName(named), generator(gen) {
    body.first = &params;
    body.second = &locals;
  }
  FunctionRecord(const FunctionRecord&) = delete;
  FunctionRecord& operator=(const FunctionRecord&) = delete;
  Callable body;
  NameVector params;
  NameVector locals;
  uint8_t hasName = 0;    // a named function expression: its own name is a local
  uint8_t generator = 0;  // calls make a generator

  // What its closures capture, worked out when the first one is made
  // (captures.cpp). Nothing of it is in object files.
  struct CaptureSource {
    int32_t depth;     // 0: the making frame's cells; k: its scope's k-th entry
    int32_t index;     // as a variable's index
    int32_t captured;  // the making closure's captured cell of it, or -1
  };
  // 0 not yet worked out; 1 its closures hold the outer variables their code
  // reads, each a cell of its own; -1 they copy the making frame's
  // activations (code without records).
  mutable int8_t captureState = 0;
  // Where each captured cell comes from, as the making frame sees it.
  mutable std::vector<CaptureSource> captureSources;
  // Which entries of the scope chain its closures are made over are the
  // global object (1) or an activation (0): the shape the captured cells
  // were worked out for. A closure made over any other shape copies.
  mutable std::vector<uint8_t> scopeShape;
  // The chain its closures run with: the global object where the shape has
  // it, an empty activation elsewhere; valid in the chains' generation noted.
  mutable ScopeChain* capturedScope = nullptr;
  mutable uint32_t capturedScopeGeneration = 0;
  // How the short call path calls its closures (KVfobj::frameParams,
  // frameCells, callKind), worked out when the first one is made: 0 until
  // then, kPlainLayout with the two counts when they fit, kNoPlainLayout
  // when calls go the general way.
  static constexpr uint32_t kPlainLayout = 1u << 16, kNoPlainLayout = 1u << 17;
  mutable uint32_t closureLayout = 0;
};

// The class id of function objects (the Function constructor's instances).
constexpr int32_t kFunctionClassId = 1;

class KVfobj : public KVobj {
 public:
  ~KVfobj() override;
  // Makes the "prototype" object first when the function has none yet.
  KVobj* constructorPrototype() override;
  // A closure's body includes its captured cells when it holds them itself.
  size_t byteSize() const override {
    return inlineCaptures() ? kInlineCellsAt + sizeof(Value) * static_cast<size_t>(capturedCells) : sizeof(KVfobj);
  }
  void forwardReferences() override;
  void markReferences() override;
  bool isFunction() const override { return true; }

  // Call kinds apart from a plain call (callFlags).
  static constexpr uint8_t kGenerator = 1;      // calls make a generator
  static constexpr uint8_t kRestarterNext = 2;  // the "next" of a restarter: resumes its generator
  static constexpr uint8_t kStaticNative = 4;   // takes every argument passed, whatever it declares
  // Not a call kind: a closure that holds its captured cells and whose
  // frames run on its record's chain. Up to kInlineCaptureLimit cells lie in
  // its own body, after its fields (see inlineCaptures); more lie in a block
  // outside the heap that it frees when it dies.
  static constexpr uint8_t kOwnCaptures = 8;
  // Not a call kind: a named function expression, whose own name is the
  // cell after its parameters.
  static constexpr uint8_t kHasName = 16;

  // These two bytes lie in the tail of the object's body (KVobj's padding).
  uint8_t capturedCells = 0;  // with kOwnCaptures: its captured cells (the record may be gone when it dies)
  uint8_t callFlags = 0;
  int32_t instanceClassId = 1;
  int16_t instanceMembers = -1;  // members an instance starts with (below 1024); -1 until known
  // The frame a call makes, noted with callKind: parameter cells and all
  // cells (parameters and locals).
  uint8_t frameParams = 0;
  uint8_t frameCells = 0;
  const Callable* callable = nullptr;  // with the cells of the frames calls make
  // A closure that copied activations owns its chain (a block outside the
  // heap with the copies; see ownedScopeChain) and frees it when it dies.
  // A closure with kOwnCaptures and more cells than its body keeps points
  // at them, in a block outside the heap. One that keeps them in its body
  // has them from here on, over this field, which it has no use for: the
  // last of the fields, so that its cells start where it starts.
  union {
    ScopeChain* environment = nullptr;
    Value* captures;
  };

  // Captured cells a closure keeps in its own body: a closure made per call
  // then costs one young block and nothing the collector must free.
  static constexpr int32_t kInlineCaptureLimit = 4;

  bool ownCaptures() const { return callFlags & kOwnCaptures; }
  bool inlineCaptures() const { return ownCaptures() && capturedCells <= kInlineCaptureLimit; }
  // Where a closure keeping its cells in its body has them (from the last
  // field on, before the table the body holds).
  static constexpr size_t kInlineCellsAt = 64;
  Value* inlineCaptureCells() { return reinterpret_cast<Value*>(reinterpret_cast<char*>(this) + kInlineCellsAt); }
  const Value* inlineCaptureCells() const {
    return reinterpret_cast<const Value*>(reinterpret_cast<const char*>(this) + kInlineCellsAt);
  }
  // A closure's own captured cells, wherever they lie (with kOwnCaptures).
  [[gnu::always_inline]] Value* captureCells() const {
    return inlineCaptures() ? const_cast<Value*>(inlineCaptureCells()) : captures;
  }
  const FunctionRecord* record() const { return reinterpret_cast<const FunctionRecord*>(callable); }
  int32_t capturedCount() const { return capturedCells; }
  bool hasName() const { return callFlags & kHasName; }
  // The chain a call runs with.
  [[gnu::always_inline]] ScopeChain* callScope() const { return ownCaptures() ? record()->capturedScope : environment; }

  bool generator() const { return callFlags & kGenerator; }
  bool restarterNext() const { return callFlags & kRestarterNext; }
  bool staticNative() const { return callFlags & kStaticNative; }
  const NameVector* firstCells() const { return callable ? callable->first : nullptr; }
  const NameVector* secondCells() const { return callable ? callable->second : nullptr; }
};

static_assert(sizeof(KVfobj) == 72 && KVfobj::kInlineCellsAt == sizeof(KVfobj) - sizeof(void*),
              "a closure's cells in its body start at its last field");
// A closure's block as it is made: the body, its captured cells when it
// holds them itself (over its last field), and its table of one slot.
// `inlineCells` is the count of cells it keeps in its body, or -1 when it
// keeps none there (its last field then in use).
constexpr size_t kClosureBodyBytes = sizeof(KVfobj) + sizeof(Value);
constexpr size_t closureBodyBytes(int32_t inlineCells) {
  return inlineCells < 0 ? kClosureBodyBytes
                         : KVfobj::kInlineCellsAt + sizeof(Value) * static_cast<size_t>(inlineCells) + sizeof(Value);
}

// A closure is made without its "prototype" object: its table has the one
// slot of its own prototype until the member is first needed (read,
// written, deleted, tested with `in` or hasOwnProperty, or used by `new`
// and instanceof), when makeOwnPrototype makes it. Until then the class's
// "prototype" slot lies past the table, so every slot path misses it and
// comes to the general member look-up, which makes it. Such a closure, and
// only such a closure, keeps its table after its fields (the plain objects
// sharing its class id keep theirs after their entries).
[[gnu::always_inline]] inline bool ownPrototypeLater(const KVobj* obj) {
  return obj->tableInline == kTableAfterFields;
}
// Makes the closure's "prototype" object and the slot holding it. Its two
// blocks go to the old space, whose allocations never collect, so callers
// holding raw pointers stay sound; only when the old space has no room is
// a full collection run first (it moves nothing), keeping fn.
void makeOwnPrototype(KVfobj* fn);
// For the member look-ups: makes obj's "prototype" first when the key asks
// for it and obj is a closure still without one.
inline void ownPrototypeFor(KVobj* obj, int32_t atom) {
  if (ownPrototypeLater(obj) && atom == gPrototypeAtom) makeOwnPrototype(static_cast<KVfobj*>(obj));
}

// Notes on obj (callKind and the frame layout) that the short call path may
// call it: a function object with records (or with kNative, a native), no
// generator, restarter or static native, its cells few enough for the
// notes. Answers whether it is such a callee of the kind asked for. A
// function's callable, cells and flags are set when it is made, before
// any call; code that changes them later clears callKind.
bool markPlainCallee(KVobj* obj, bool native);

// A fresh instance class id for a function object made at run time; script
// class ids start above every built-in one.
constexpr int32_t kFirstScriptClassId = 1024;
int32_t nextInstanceClassId();
// The first construction through a function fixes its instances' slots:
// trackInstanceClass before, so that they are noted, and
// releaseInstanceClassWith after, so that they go when the function dies.
void trackInstanceClass(const KVfobj* fn);
void releaseInstanceClassWith(KVfobj* fn);
void resetInstanceClassIds();

// Storage that lives as long as the program: natives' callables and
// argument-type lists.
const Callable* permanentCallable(const Callable& c);
// The callable with these cells: c itself when it has them or none yet
// (then they become its own), else a permanent copy of it with them.
const Callable* callableWithCells(const Callable* c, const NameVector* first, const NameVector* second);
// Names a callable of the permanent store after it is made; the name must
// live as long as the callable.
void nameCallable(const Callable* c, const char* name);
const NameVector* permanentNames(const NameVector& v);
const NameVector* emptyNames();
// The same give-back for these stores as the code arena's (code.h): the
// counts at the mark, and dropping what was added since.
struct PermanentStoresMark {
  size_t callables;
  size_t names;
};
PermanentStoresMark markPermanentStores();
void releasePermanentStoresTo(const PermanentStoresMark& mark);

// A core constructor in the static area (the Object and Function constructors).
KVfobj* newCoreConstructor(int32_t classId, int32_t slots);
// A closure of the record over the scope chain (innermost first); the scope's
// activations are copied now, so later writes to them are not seen.
KVfobj* newClosure(const FunctionRecord* rec, ScopeChain* scope);
// The same over the chain `inner` followed by `outer` (a running frame's
// activation and scope), without making that chain first.
// `maker` is the function running that frame (or null), which may hold its
// own enclosing functions' variables as captured cells. When the record's
// code reads outer variables through captured cells (captures.cpp), the
// closure holds copies of just those, taken now, and nothing else.
KVfobj* newClosureOver(const FunctionRecord* rec, ActivationObject* inner, ScopeChain* outer,
                       const KVfobj* maker = nullptr);
// A function object on the young heap whose scope is the global object.
KVfobj* newKVfobj(const Callable* callable, const NameVector* first, const NameVector* second);
// A class constructor in the static area with 2 + staticMembers slots.
KVfobj* newClassConstructor(const Callable* callable, const NameVector* first, int32_t classId,
                            int32_t staticMembers);
// A static native such as String.fromCharCode.
KVfobj* newStaticNative(const Callable* callable);

// Matchers of run-time members by key, used when a member is deleted.
struct KeyNodeMatch {
  int32_t atom;
  // Text nodes carry PropNode::kTextKey, which no atom equals.
  bool operator()(const PropNode* n) const { return n->key == atom; }
};
struct TextNodeMatch {
  const char* text;
  bool operator()(const PropNode* n) const;
};

}  // namespace kv
