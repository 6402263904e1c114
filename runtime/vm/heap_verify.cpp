// The heap verifier: a read-only walk of every area and of every reference
// reachable from the roots. Tests, the fuzzer and the stress switch's users
// run it after collections to catch a corrupted heap where it starts.
#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "runtime/vm/heap.h"
#include "runtime/vm/object.h"

namespace kv {
namespace {

struct Verifier {
  std::vector<const char*> starts;  // payload of every live block, by address
  std::vector<std::pair<const char*, const char*>> runs;
  std::unordered_set<const void*> seen;
  std::string fault;

  void fail(const std::string& what, const void* at) {
    if (!fault.empty()) return;
    char buf[48];
    std::snprintf(buf, sizeof buf, " at heap offset 0x%zx", heapOffset(at));
    fault = what + buf;
  }

  void walk(const char* area, char* start, char* cursor, bool freeRunsAllowed) {
    char* p = start;
    while (p < cursor && fault.empty()) {
      BlockHeader* h = reinterpret_cast<BlockHeader*>(p);
      char* end = heapAt(h->end);
      if (h->end == 0 || end < p + sizeof(BlockHeader) || end > cursor) {
        fail(std::string("block end outside the ") + area, p);
        return;
      }
      if (h->marker == kBlockMarker) starts.push_back(p + sizeof(BlockHeader));
      else if (h->marker == kFreeRunMarker && freeRunsAllowed) runs.emplace_back(p, end);
      else fail(std::string("bad block marker in the ") + area, p);
      p = end;
    }
  }

  void checkFreeRunMap() {
    auto entered = freeRuns();
    std::vector<std::pair<const char*, const char*>> mapped;
    for (auto [size, start] : entered) mapped.emplace_back(heapAt(start), heapAt(start) + size);
    std::sort(mapped.begin(), mapped.end());
    if (std::adjacent_find(mapped.begin(), mapped.end()) != mapped.end()) {
      fail("a free run entered twice", mapped.front().first);
      return;
    }
    for (size_t i = 1; i < mapped.size(); ++i)
      if (mapped[i].first < mapped[i - 1].second) return fail("overlapping free runs", mapped[i].first);
    if (mapped != runs) fail("free-run map differs from the old space", gHeap.oldStart);
  }

  bool visit(const void* payload) {
    const char* p = static_cast<const char*>(payload);
    bool live = (p >= gHeap.nurseryStart && p < gHeap.nurseryCursor) || (p >= gHeap.fromStart && p < gHeap.fromCursor) ||
                (p >= gHeap.oldStart && p < gHeap.oldCursor) || (p >= gHeap.staticStart && p < gHeap.staticCursor);
    if (!live) {
      fail(p >= gHeap.toStart && p < gHeap.toLimit ? "reference into the emptied survivor half"
                                                   : "reference past an area's cursor",
           p);
      return false;
    }
    if (!std::binary_search(starts.begin(), starts.end(), p)) {
      auto inRun = std::find_if(runs.begin(), runs.end(), [p](auto& r) { return p >= r.first && p < r.second; });
      fail(inRun != runs.end() ? "reference into a free run" : "reference into the middle of a block", p);
      return false;
    }
    return seen.insert(p).second;
  }
};

Verifier* gVerifier = nullptr;

}  // namespace

bool verifyVisit(const void* payload) { return gVerifier && gVerifier->visit(payload); }

std::string verifyHeap() {
  Verifier v;
  v.walk("nursery", gHeap.nurseryStart, gHeap.nurseryCursor, false);
  v.walk("survivor half", gHeap.fromStart, gHeap.fromCursor, false);
  v.walk("old space", gHeap.oldStart, gHeap.oldCursor, true);
  v.walk("static area", gHeap.staticStart, gHeap.staticCursor, false);
  if (!v.fault.empty()) return v.fault;
  v.checkFreeRunMap();
  if (!v.fault.empty()) return v.fault;
  std::sort(v.starts.begin(), v.starts.end());
  gVerifier = &v;
  gHeap.verifying = true;
  beginObjectMarking();
  try {
    visitAllRoots(true);
  } catch (...) {
    gHeap.verifying = false;
    gVerifier = nullptr;
    throw;
  }
  gHeap.verifying = false;
  gVerifier = nullptr;
  return v.fault;
}

}  // namespace kv
