// String and Array classes: their methods as scripts call them, element
// storage across collections, iteration and the sort buffer.
#include <cstring>
#include <deque>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/iter.h"
#include "runtime/vm/kvarray.h"
#include "vm_fixture.h"

namespace kvtest {
namespace {

using namespace kv;

class StringsArrays : public VmTest {
 protected:
  KVArray* arrayOf(std::initializer_list<int32_t> values) {
    KVArray* a = newKVArray(0);
    for (int32_t v : values) a->push(Value::makeInt(v));
    return a;
  }
  static std::vector<int32_t> ints(const Value& v) {
    std::vector<int32_t> out;
    if (v.tag != kObject || !v.obj->isArray()) return {-999};
    auto* a = static_cast<KVArray*>(v.obj);
    for (int32_t i = 0; i < a->length(); ++i) out.push_back(a->elementAt(i)->i);
    return out;
  }
  static const char* textOf(const Value& v) { return valueText(v); }
};

TEST_F(StringsArrays, SliceFollowsItsClampingRules) {
  mainContext();
  ObjectRoot a(arrayOf({10, 20, 30, 40, 50}));
  auto slice = [&](std::initializer_list<Value> args) { return send(a.get(), "slice", args); };
  EXPECT_EQ(ints(slice({I(1), I(3)})), (std::vector<int32_t>{20, 30}));
  EXPECT_EQ(ints(slice({I(-2)})), (std::vector<int32_t>{40, 50}));
  EXPECT_EQ(ints(slice({I(7)})), (std::vector<int32_t>{50}));
  EXPECT_EQ(ints(slice({I(2), I(9)})), (std::vector<int32_t>{30, 40, 50}));
  EXPECT_EQ(ints(slice({I(3), I(1)})), (std::vector<int32_t>{}));
  EXPECT_EQ(ints(slice({I(0), I(-1)})), (std::vector<int32_t>{}));
  EXPECT_EQ(ints(slice({})), (std::vector<int32_t>{10, 20, 30, 40, 50}));
  EXPECT_EQ(slice({S("x")}).tag, kUndefined);
  EXPECT_EQ(slice({Value(), I(2)}).tag, kUndefined);
  Value copy = slice({});
  EXPECT_NE(copy.obj, a.get());
  ObjectRoot empty(newKVArray(0));
  EXPECT_EQ(ints(send(empty.get(), "slice", {I(0)})), (std::vector<int32_t>{}));
}

TEST_F(StringsArrays, BothEndsGrowAndShrink) {
  mainContext();
  ObjectRoot e(newKVArray(0));
  EXPECT_EQ(send(e.get(), "pop", {}).tag, kUndefined);
  EXPECT_EQ(send(e.get(), "shift", {}).tag, kUndefined);
  auto* arr = static_cast<KVArray*>(e.get());
  EXPECT_EQ(arr->start, 0);
  EXPECT_EQ(arr->last(), -1);
  EXPECT_EQ(send(e.get(), "unshift", {I(4)}).tag, kUndefined);
  arr = static_cast<KVArray*>(e.get());
  EXPECT_EQ(arr->length(), 1);
  EXPECT_EQ(arr->start, -1);
  EXPECT_EQ(arr->props.cells[1]->i, 1);
  send(e.get(), "clear", {});
  arr = static_cast<KVArray*>(e.get());
  EXPECT_EQ(arr->start, 0);

  ObjectRoot three(arrayOf({1, 2, 3}));
  EXPECT_EQ(send(three.get(), "shift", {}).i, 1);
  EXPECT_EQ(send(three.get(), "shift", {}).i, 2);
  send(three.get(), "push", {I(7)});
  EXPECT_EQ(ints(O(three.get())), (std::vector<int32_t>{3, 7}));
  EXPECT_EQ(static_cast<KVArray*>(three.get())->props.cells[1]->i, 2);
  EXPECT_EQ(send(three.get(), "pop", {}).i, 7);
  send(three.get(), "fill", {I(9)});
  EXPECT_EQ(ints(O(three.get())), (std::vector<int32_t>{9}));

  // Many pushes and unshifts at both ends keep order and keys.
  ObjectRoot big(newKVArray(0));
  for (int i = 0; i < 1000; ++i) {
    static_cast<KVArray*>(big.get())->push(I(i));
    static_cast<KVArray*>(big.get())->unshift(I(-i - 1));
  }
  auto* b = static_cast<KVArray*>(big.get());
  ASSERT_EQ(b->length(), 2000);
  EXPECT_EQ(b->start, -1000);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(b->elementAt(i)->i, i - 1000);
}

// Growth at either end, with the other end also moving, against a model:
// the elements stay in order, and the storage counted toward collection is
// exactly the block the array holds (a block resized in place or moved is
// counted once).
TEST_F(StringsArrays, GrowthAtEitherEndKeepsElementsAndTheCountedBytes) {
  mainContext();
  struct Pattern {
    const char* name;
    int pushes, unshifts, shifts, pops;  // per round, in that order
  };
  const Pattern patterns[] = {
      {"stack grown by push", 3, 0, 0, 1},  {"grown by unshift", 0, 3, 0, 1}, {"queue", 2, 0, 1, 0},
      {"queue the other way", 0, 2, 0, 1}, {"both ends", 2, 2, 1, 1},       {"push only", 1, 0, 0, 0},
  };
  for (const Pattern& p : patterns) {
    SCOPED_TRACE(p.name);
    // The last pattern's array is dead: its block goes before the count.
    minorCollect();
    fullCollect();
    minorCollect();
    size_t before = gHeap.externalLive;
    ObjectRoot root(newKVArray(0));
    std::deque<int32_t> model;
    int32_t next = 0;
    for (int round = 0; round < 3000; ++round) {
      auto* a = static_cast<KVArray*>(root.get());
      for (int k = 0; k < p.pushes; ++k, ++next) {
        a->push(I(next));
        model.push_back(next);
      }
      for (int k = 0; k < p.unshifts; ++k, ++next) {
        a->unshift(I(next));
        model.push_front(next);
      }
      for (int k = 0; k < p.shifts && !model.empty(); ++k) {
        ASSERT_EQ(send(root.get(), "shift", {}).i, model.front());
        model.pop_front();
      }
      for (int k = 0; k < p.pops && !model.empty(); ++k) {
        ASSERT_EQ(send(root.get(), "pop", {}).i, model.back());
        model.pop_back();
      }
      if (round % 500 == 0) minorCollect();
    }
    auto* a = static_cast<KVArray*>(root.get());
    ASSERT_EQ(a->length(), static_cast<int32_t>(model.size()));
    for (int32_t i = 0; i < a->length(); ++i) ASSERT_EQ(a->elementAt(i)->i, model[static_cast<size_t>(i)]);
    EXPECT_EQ(gHeap.externalLive - before, static_cast<size_t>(a->capacity) * sizeof(Value));
    EXPECT_LE(a->head + a->count, a->capacity);
    // Emptied, the block stays and both ends grow again from its middle.
    a->clear();
    for (int32_t k = 0; k < 40; ++k) {
      a->push(I(k));
      a->unshift(I(-k));
    }
    a->fill(I(7));
    a->push(I(8));
    ASSERT_EQ(a->length(), 81);
    for (int32_t i = 0; i < 80; ++i) ASSERT_EQ(a->elementAt(i)->i, 7);
    EXPECT_EQ(a->elementAtKey(a->last())->i, 8);
    EXPECT_EQ(a->elementAtKey(a->start - 1), nullptr);
  }
}

TEST_F(StringsArrays, KnownLengthsGetExactBlocksThatStillGrow) {
  mainContext();
  // How each way makes an array of n elements 0..n-1: new Array(n) filled
  // in, a literal (pushes, then the fit at its end) and a slice.
  enum Way { kSized, kLiteral, kSlice };
  struct Case {
    Way way;
    int32_t n;
  };
  const Case cases[] = {{kSized, 1}, {kSized, 8}, {kSized, 100}, {kLiteral, 0}, {kLiteral, 3},
                        {kLiteral, 8}, {kLiteral, 20}, {kSlice, 0}, {kSlice, 5}, {kSlice, 40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "way " << c.way << " n " << c.n);
    minorCollect();
    fullCollect();
    minorCollect();
    size_t before = gHeap.externalLive;
    auto make = [&]() -> KVobj* {
      if (c.way == kSized) {
        KVArray* a = newKVArray(c.n);
        for (int32_t i = 0; i < c.n; ++i) *a->elementForWrite(i) = I(i);
        return a;
      }
      if (c.way == kLiteral) {
        KVArray* a = newKVArray(0);
        for (int32_t i = 0; i < c.n; ++i) a->push(I(i));
        a->fitCapacity();
        return a;
      }
      ObjectRoot source(newKVArray(0));
      for (int32_t i = 0; i < c.n + 7; ++i) static_cast<KVArray*>(source.get())->push(I(i));
      KVobj* part = send(source.get(), "slice", {I(0), I(c.n)}).obj;
      // The source is dead but keeps its block until the next collection.
      before += static_cast<size_t>(static_cast<KVArray*>(source.get())->capacity) * sizeof(Value);
      return part;
    };
    ObjectRoot root(make());
    auto* a = static_cast<KVArray*>(root.get());
    EXPECT_EQ(a->capacity, c.n);
    EXPECT_EQ(gHeap.externalLive - before, static_cast<size_t>(c.n) * sizeof(Value));
    // Growing past the exact block, across collections, keeps every element.
    for (int32_t i = c.n; i < c.n + 10; ++i) {
      static_cast<KVArray*>(root.get())->push(I(i));
      minorCollect();
    }
    a = static_cast<KVArray*>(root.get());
    ASSERT_EQ(a->length(), c.n + 10);
    EXPECT_EQ(a->last(), c.n + 9);
    for (int32_t i = 0; i < a->length(); ++i) ASSERT_EQ(a->elementAt(i)->i, i);
    EXPECT_EQ(verifyHeap(), "");
  }
}

TEST_F(StringsArrays, ElementsSurviveCollectionsAndDeadArraysReleaseTheirStore) {
  mainContext();
  size_t owners = ownerCount();
  ObjectRoot a(newKVArray(0));
  for (int i = 0; i < 300; ++i) {
    KVobj* t = tagged(i);
    static_cast<KVArray*>(a.get())->push(O(t));
    if (i % 50 == 0) minorCollect();
  }
  fullCollect();
  minorCollect();
  auto* arr = static_cast<KVArray*>(a.get());
  for (int i = 0; i < 300; ++i) ASSERT_EQ(tagOf(arr->elementAt(i)->obj), i);
  EXPECT_EQ(verifyHeap(), "");
  for (int i = 0; i < 20; ++i) newKVArray(4);
  EXPECT_GT(ownerCount(), owners + 1);
  minorCollect();
  EXPECT_EQ(ownerCount(), owners + 1);  // only the rooted array still owns storage
}

TEST_F(StringsArrays, IterationsAreIndependentAndSortIsLimited) {
  mainContext();
  ObjectRoot a(arrayOf({1, 2, 3}));
  int32_t visits = 0;
  ObjectRoot outer(a.get()->getIterator());
  for (auto* o = static_cast<KVIter*>(outer.get()); !o->finished(); o = static_cast<KVIter*>(outer.get())) {
    ObjectRoot inner(a.get()->getIterator());
    for (auto* i = static_cast<KVIter*>(inner.get()); !i->finished(); i->step()) ++visits;
    static_cast<KVIter*>(outer.get())->step();
  }
  EXPECT_EQ(visits, 9);
  EXPECT_THROW(newKVIter(newPlainObject()), RuntimeError);

  auto* arr = static_cast<KVArray*>(a.get());
  ASSERT_TRUE(arr->beginSort());
  EXPECT_FALSE(arr->beginSort());
  std::swap(arr->sortBuf[0], arr->sortBuf[2]);
  arr->endSort();
  EXPECT_EQ(ints(O(arr)), (std::vector<int32_t>{3, 2, 1}));
  ObjectRoot big(newKVArray(1025));
  EXPECT_FALSE(static_cast<KVArray*>(big.get())->beginSort());
  EXPECT_NE(logText().find("limit on implementation: Array.prototype.sort"), std::string::npos);
}

TEST_F(StringsArrays, StringMethods) {
  mainContext();
  KVfobj* string = global(0, 1);
  ASSERT_NE(string, nullptr);
  EXPECT_EQ(string->classId, kStringCtorClassId);
  Value from = call(static_cast<KVfobj*>(string->props.cells[2]->obj), nullptr, {I(72), I(105), I(1000), S("x")});
  EXPECT_STREQ(textOf(from), "Hi  ");

  ObjectRoot abc(newKVstring(stringToHeapText("abc")));
  EXPECT_EQ(send(abc.get(), "compare", {S("abd")}).i, -1);
  EXPECT_EQ(send(abc.get(), "compare", {S("ab")}).i, 1);
  EXPECT_EQ(send(abc.get(), "compare", {S("abc")}).i, 0);
  EXPECT_EQ(send(abc.get(), "compare", {I(5)}).i, 1);

  ObjectRoot other(newKVstring(stringToHeapText("xyz")));
  send(abc.get(), "setText", {O(other.get())});
  send(abc.get(), "append", {S("!")});
  EXPECT_STREQ(static_cast<KVstring*>(abc.get())->text, "xyz!");
  EXPECT_STREQ(static_cast<KVstring*>(other.get())->text, "xyz");
  send(abc.get(), "append", {I(12)});
  EXPECT_STREQ(static_cast<KVstring*>(abc.get())->text, "xyz!12");
  // A number's text is itself a young block: it survives the copy's collection.
  setGcStress(true);
  send(abc.get(), "setText", {I(12345)});
  EXPECT_STREQ(static_cast<KVstring*>(abc.get())->text, "12345");
  Value made = call(global(0, 1), nullptr, {D(2.5)});
  EXPECT_STREQ(valueText(made), "2.500000");
  setGcStress(false);
  ObjectRoot notString(newPlainObject());
  EXPECT_THROW(call(method(abc.get(), "append"), notString.get(), {S("x")}), RuntimeError);
}

}  // namespace
}  // namespace kvtest
