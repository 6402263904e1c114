// The body every script object starts with and the virtual interface all
// object classes share, with the collector hooks that move and mark objects.
// Bodies are moved by byte copy: they hold plain data and raw pointers only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "runtime/vm/heap.h"
#include "runtime/vm/value.h"

namespace kv {

class KVIter;
class KVfobj;
class KVContext;
using NativeArgTypes = std::vector<int32_t>;
using IterFinishedHook = bool (*)(KVIter*);
using IterStepHook = void (*)(KVIter*);

// A run-time member held in place: in a node of the object's list, or in
// one of the entries a literal object keeps in its own body. Entries are
// moved by byte copy with the body or node that holds them; a reference to
// a member's value is used at once and never held across an allocation.
struct MemberEntry {
  // The key of a member added under a text that is no atom: no atom or
  // integer key has it, so a key match needs no test of the member's kind.
  static constexpr int32_t kTextKey = INT32_MIN;
  bool isKey() const { return key != kTextKey; }
  bool isString() const { return key == kTextKey; }
  Value* cell() { return &value; }
  Value value;
  uint32_t attrs = 7;
  int32_t key = 0;
};

// The slot values of a table, unboxed. Indexing answers the slot's cell.
struct SlotCells {
  Value* base = nullptr;
  Value* operator[](int32_t k) const { return base + k; }
};

// Member cells of an object: slot 0 is the prototype, the others the class's
// members in slot-map order. The values lie unboxed in one block, or in the
// body of a plain object (see KVobj::tableInline); four attribute bits per
// slot, eight per word, follow the values in that block once a table has
// eight slots or more, and a smaller table keeps its one word here.
struct PropertyTable {
  // n slots (cut to 1024 with warning 15) on the young heap, each cell
  // Undefined, every nibble 7 but slot 0's; the caller has reserved room.
  void init(int32_t n);
  // The same in the static area, for objects that never move.
  void initStatic(int32_t n);
  // extra more slots with undefined cells, in a block of their own where
  // the table was (young or static); answers the count.
  int32_t grow(int32_t extra);
  // Lays out n slots (already cut to the limit) at `at`, which has room for
  // tableBlockBytes(n).
  void layOut(int32_t n, void* at);

  // The attribute words: after the values, or smallAttrs below eight slots.
  [[gnu::always_inline]] uint32_t* words() { return count >= 8 ? reinterpret_cast<uint32_t*>(cells.base + count) : &smallAttrs; }
  [[gnu::always_inline]] const uint32_t* words() const { return count >= 8 ? reinterpret_cast<const uint32_t*>(cells.base + count) : &smallAttrs; }
  // The cell of slot k (0 <= k < count).
  Value* cell(int32_t k) const { return cells.base + k; }

  SlotCells cells;
  int32_t count = 0;
  uint32_t smallAttrs = 0;
};

// Bytes of a table block of n slots: the values and, from eight slots on,
// the attribute words.
constexpr size_t tableBlockBytes(int32_t n) {
  return sizeof(Value) * static_cast<size_t>(n) + (n >= 8 ? sizeof(uint32_t) * static_cast<size_t>(n / 8 + 1) : 0);
}

// A member added at run time to the object's list. Nodes live on the young
// heap and are moved by byte copy like objects. One layout serves both
// kinds, so the collector and the look-ups test the key, never a virtual
// function.
struct PropNode : MemberEntry {
  PropNode* next = nullptr;
  const char* name = nullptr;  // a text node's pooled text
};

// The property list: a young block holding the newest node, the number of
// nodes, and the number of the list's hash index (0 for none; see property.h).
struct PropList {
  PropNode* head;
  uint32_t count;
  uint32_t index;
};

constexpr uint8_t kMembersKind = 0;
constexpr uint8_t kElementsKind = 1;

class KVobj {
 public:
  KVobj() = default;
  // An instance of the function object: its prototype and instance class id,
  // and as many slots as its instances are known to have. Room is reserved.
  explicit KVobj(KVfobj* ctor);
  virtual ~KVobj() = default;
  virtual Value* elementAt(int32_t index);
  virtual KVobj* constructorPrototype();
  virtual size_t byteSize() const;
  virtual void forwardReferences();
  virtual void markReferences();
  virtual bool isFunction() const { return false; }
  virtual bool isString() const { return false; }
  virtual bool isArray() const { return false; }
  virtual bool isArrayBuffer() const { return false; }
  virtual bool isArrayView() const { return false; }
  virtual bool isGraphic() const { return false; }
  virtual bool isPicture() const { return false; }
  virtual bool isRota3() const { return false; }
  virtual bool isBrush() const { return false; }
  virtual bool isCanvas() const { return false; }
  virtual bool isLayer() const { return false; }
  virtual bool isContainer() const { return false; }
  virtual bool isSound() const { return false; }
  virtual bool isFont() const { return false; }
  virtual bool isIter() const { return false; }
  virtual bool isIndexable() const { return false; }
  virtual bool isTuple() const { return false; }
  virtual bool isGenerator() const { return false; }
  virtual bool isRestarter() const { return false; }
  virtual bool isRandomGenerator() const { return false; }
  virtual KVobj* getIterator();
  // Objects that cannot be iterated raise RuntimeError 23.
  virtual void getIterationHooks(IterFinishedHook& finished, IterStepHook& step);

  // Class set-ups: a native method (a new function object) or an object as a
  // new member of obj, and the layout that gives the members added so far
  // fixed slots for the class.
  static KVfobj* defineNativeMethod(KVobj* obj, const char* name, const NativeArgTypes& argTypes,
                                    void (*native)(KVContext*));
  // The "next" of a restarter: the interpreter resumes the generator instead.
  static KVfobj* defineNativeNext(KVobj* obj, const NativeArgTypes& argTypes, void (*native)(KVContext*));
  static void defineObjectProperty(KVobj* obj, const char* name, KVobj* value);
  static int32_t buildPropertyIndex(KVobj* obj, int32_t classId);

  // The members held in the body, oldest first (see inlineMembers).
  MemberEntry* inlineMembers() { return reinterpret_cast<MemberEntry*>(reinterpret_cast<char*>(this) + sizeof(KVobj)); }
  const MemberEntry* inlineMembers() const {
    return reinterpret_cast<const MemberEntry*>(reinterpret_cast<const char*>(this) + sizeof(KVobj));
  }
  // Where the table lies when tableInline is set: after the entries.
  Value* inlineTable() { return reinterpret_cast<Value*>(inlineMembers() + inlineCap); }
  // Where it lies when tableInline is kTableAfterFields: after the fields of
  // the object's class.
  Value* tableAfterFields() { return reinterpret_cast<Value*>(reinterpret_cast<char*>(this) + byteSize()); }

  PropertyTable props;
  PropList* list = nullptr;
  int32_t classId = 0;
  uint32_t epoch = 0;  // minor collection at which the references were last forwarded
  uint8_t sealed = 0;
  // Plain objects (exactly KVobj, on the young heap) keep their table in
  // their body, after inlineCap member entries; literal objects have room
  // for a few members there. The entries hold the oldest members of the
  // object (atom and integer keys only): a member goes there only while the
  // list is empty, so every list node is newer than every entry.
  // Closures (function objects) keep the one slot they are made with after
  // their class's fields (kTableAfterFields) until they need a second.
  uint8_t inlineCap = 0;
  uint8_t inlineUsed = 0;
  uint8_t tableInline = 0;
  // What integer keys name, set at construction so that the code loop tells
  // the kinds apart without a virtual call: members (kMembersKind) or
  // elements (arrays and typed views, kElementsKind).
  uint8_t kind = 0;
  // How the code loop's short call path may call the object, so that it
  // tells a plain function from anything else without a virtual call: 0
  // until a call has looked (and for every object that is no plain
  // function), else kPlainScript or kPlainNative. See markPlainCallee.
  uint8_t callKind = 0;
};

constexpr uint8_t kTableAfterFields = 2;

constexpr uint8_t kPlainScript = 1;
constexpr uint8_t kPlainNative = 2;

static_assert(sizeof(KVobj) == 48, "a literal object of two members is 128 heap bytes");

// Bytes of the object's body: the class's own fields, its member entries
// and its table when that lies in the body.
inline size_t bodyBytes(const KVobj* obj, size_t classBytes) {
  return classBytes + sizeof(MemberEntry) * obj->inlineCap + (obj->tableInline ? tableBlockBytes(obj->props.count) : 0);
}

// A string object: its text is a heap block or a constant outside the heap.
class KVstring : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVstring); }
  bool isString() const override { return true; }
  void forwardReferences() override;
  void markReferences() override;
  char* text = nullptr;
};

// Minor collection: the object's new address (copied by the age rule when
// young), its references forwarded. Full collection: marks it and what it
// references. Both accept null.
KVobj* forwardObject(KVobj* obj);
void markObject(KVobj* obj);
// Runs the hooks of the objects queued by forwardObject or markObject; the
// collector calls it after each root, so deep graphs need no deep recursion.
void drainObjectWork(bool full);
// Starts a marking pass (full collection or heap verification).
void beginObjectMarking();

void forwardPropertyCells(KVobj* obj);
void forwardPropertyList(KVobj* obj);
void markPropertyTable(KVobj* obj);
void markPropertyList(KVobj* obj);

inline void visitObject(KVobj*& obj, bool full) {
  if (full) markObject(obj);
  else obj = forwardObject(obj);
}

// Raw placement of an object body on the heap: a young block of its exact
// size. The caller constructs the object in it.
template <class T, class... Args>
T* newYoungObject(Args&&... args) {
  void* at = gcAllocYoungExact(sizeof(T));
  return new (at) T(static_cast<Args&&>(args)...);
}

}  // namespace kv
