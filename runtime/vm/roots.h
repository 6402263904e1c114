// Roots of the object model: the temporary roots that hold young pointers
// across an allocation that may collect, every object made in the static
// area, and the four core objects.
#pragma once

#include <cstddef>

#include "runtime/vm/object.h"
#include "runtime/vm/value.h"

namespace kv {

class KVfobj;

// Temporary roots are stacks, so nested allocations that each park a pointer
// never share one. A guard pushes on construction and pops on destruction
// (also when an exception unwinds), and get() answers the pointer as the
// last collection left it.
constexpr size_t kTempRootDepth = 64;

class ObjectRoot {
 public:
  explicit ObjectRoot(KVobj* obj);
  ~ObjectRoot();
  ObjectRoot(const ObjectRoot&) = delete;
  ObjectRoot& operator=(const ObjectRoot&) = delete;
  KVobj* get() const;

 private:
  size_t index_;
};

class ValueRoot {
 public:
  explicit ValueRoot(const Value& v);
  ~ValueRoot();
  ValueRoot(const ValueRoot&) = delete;
  ValueRoot& operator=(const ValueRoot&) = delete;
  const Value& get() const;

 private:
  size_t index_;
};

class BlockRoot {
 public:
  explicit BlockRoot(void* block);
  ~BlockRoot();
  BlockRoot(const BlockRoot&) = delete;
  BlockRoot& operator=(const BlockRoot&) = delete;
  void* get() const;

 private:
  size_t index_;
};

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
