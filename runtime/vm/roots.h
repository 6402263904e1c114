// Roots of the object model: the temporary roots that hold young pointers
// across an allocation that may collect, every object made in the static
// area, and the four core objects.
#pragma once

#include <cstddef>

#include "runtime/vm/errors.h"
#include "runtime/vm/object.h"
#include "runtime/vm/value.h"

namespace kv {

class KVfobj;

// Temporary roots are stacks, one per kind of pointer, so nested
// allocations that each park a pointer never share one. A guard pushes on
// construction and pops on destruction (also when an exception unwinds), and
// get() answers the pointer as the last collection left it.
constexpr size_t kTempRootDepth = 64;

template <class T>
class TempRoot {
 public:
  explicit TempRoot(T v) : index_(push(v)) {}
  ~TempRoot() { top = index_; }
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;
  const T& get() const { return slots[index_]; }

  static inline T slots[kTempRootDepth];
  static inline size_t top = 0;

 private:
  static size_t push(const T& v) {
    // Roots nest only as deep as allocation calls do; running out is a
    // fault of the runtime itself.
    if (top == kTempRootDepth) throw RuntimeError(kErrUnexpected);
    slots[top] = v;
    return top++;
  }
  size_t index_;
};

using ObjectRoot = TempRoot<KVobj*>;
using ValueRoot = TempRoot<Value>;
using BlockRoot = TempRoot<void*>;

// Visits the temporary roots (the collector's object-temporaries rank).
void scanObjectRoots(bool full);

// Every object made in the static area is a root of every collection: the
// young objects it holds (method function objects, members added later)
// have no other owner.
void recordStaticObject(KVobj* obj);

// The core objects, made by the object-system start-up in the static area.
struct CoreObjects {
  KVobj* objectProto = nullptr;    // Object.prototype
  KVobj* functionProto = nullptr;  // Function.prototype
  KVfobj* objectF = nullptr;       // the Object constructor
  KVfobj* functionF = nullptr;     // the Function constructor
  KVobj* stringProto = nullptr;    // the String prototype
};
extern CoreObjects gCore;

// Visits the core objects and every other static object.
void scanCoreObjects(bool full);
// Forgets the static objects and core objects and registers the object
// model's roots with the heap; the start-up calls it after initGcHeap.
void resetObjectRoots();

}  // namespace kv
