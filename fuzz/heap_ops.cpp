// Input bytes drive allocations, links, dropped roots, collections and text
// concatenation on test objects; the heap verifier runs after every
// collection and every node's boxed serial is checked against its own.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "tests/runtime/vm/test_objects.h"

using namespace kv;
using kvtest::OwnerNode;
using kvtest::Roots;
using kvtest::TestNode;

namespace {

constexpr size_t kSlots = 16;

struct Run {
  Roots roots;
  int released = 0;
  int owners = 0;
  int64_t serial = 0;

  TestNode* node(uint8_t b) {
    return roots.objects.empty() ? nullptr : static_cast<TestNode*>(roots.objects[b % roots.objects.size()]);
  }

  void fail(const std::string& what) {
    std::fprintf(stderr, "heap_ops: %s\n", what.c_str());
    std::abort();
  }

  void check() {
    std::string fault = verifyHeap();
    if (!fault.empty()) fail(fault);
    for (KVobj* o : roots.objects) {
      auto* n = static_cast<TestNode*>(o);
      if (n->cell && (n->cell->tag != kInt || n->cell->i != static_cast<int32_t>(n->serial))) fail("serial lost");
    }
    if (released > owners) fail("owner released twice");
  }

  void add(uint8_t kind) {
    TestNode* n = kind & 1 ? newYoungObject<OwnerNode>(&released) : newYoungObject<TestNode>();
    if (kind & 1) {
      registerOwner(n);
      ++owners;
    }
    n->serial = ++serial;
    size_t slot = roots.objects.size() < kSlots ? roots.objects.size() : kind % kSlots;
    if (slot == roots.objects.size()) roots.objects.push_back(n);
    else roots.objects[slot] = n;
    Value* cell = newValueCellCopy(Value::makeInt(static_cast<int32_t>(serial)));
    static_cast<TestNode*>(roots.objects[slot])->cell = cell;
  }

  void step(uint8_t op, uint8_t a, uint8_t b) {
    switch (op % 10) {
      case 0: add(a); break;
      case 1:
        if (TestNode* n = node(a)) {
          std::string t(static_cast<size_t>(b) * 33 % 4000, static_cast<char>('a' + b % 26));
          char* text = stringToHeapText(t.c_str());
          if ((n = node(a))) n->text = text;
        }
        break;
      case 2:
        if (TestNode* n = node(a)) n->links[b & 1] = node(b >> 1);
        break;
      case 3:
        if (!roots.objects.empty()) roots.objects.erase(roots.objects.begin() + a % roots.objects.size());
        break;
      case 4:
        minorCollect();
        check();
        break;
      case 5:
        minorCollect();
        fullCollect();
        check();
        break;
      case 6:
        if (TestNode* n = node(a); n && n->text) {
          TestNode* m = node(b);
          std::string right = m && m->text ? m->text : "tail";
          char* joined = appendText(n->text, right.c_str());
          if ((n = node(a))) n->text = joined;
        }
        break;
      case 7: setGcStress(a & 1); break;
      case 8:
        // A rooted boxed value that refers to a node; the copy is rooted
        // while the cell is allocated.
        roots.cells.push_back(newValueCellCopy(Value::makeObject(node(a))));
        if (roots.cells.size() > kSlots) roots.cells.erase(roots.cells.begin());
        break;
      case 9:
        for (int i = 0; i < a % 8; ++i) roots.blocks.push_back(gcAllocYoung(8000));
        if (roots.blocks.size() > 256) roots.blocks.erase(roots.blocks.begin(), roots.blocks.begin() + 64);
        break;
    }
    if (gHeap.stress) check();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Run* run = nullptr;
  Run* next = new Run;
  kvtest::startOver(next->roots);  // releases the previous run's owners while it still exists
  delete run;
  run = next;
  setWarningLimit(0, -1);
  try {
    for (size_t i = 0; i + 2 < size; i += 3) run->step(data[i], data[i + 1], data[i + 2]);
    setGcStress(false);
    minorCollect();
    fullCollect();
    run->check();
  } catch (const RuntimeError& e) {
    // Only an exhausted old space may end a run; it leaves the heap to be
    // started over, which the next input does.
    if (e.code != kErrInternalAlloc) run->fail("runtime error " + std::to_string(e.code));
  }
  return 0;
}
