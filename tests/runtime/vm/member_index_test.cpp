// Tests of member lists with their look-up cache and hash index: long runs
// of adds, writes, deletes and re-adds under integer and atom keys, checked
// against a plain model, with collections forced between and inside them.
#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "vm_fixture.h"

using namespace kv;

namespace kvtest {
namespace {

using MemberIndex = VmTest;

struct Model {
  std::vector<std::pair<int32_t, int32_t>> members;  // (key, value), newest first
  auto find(int32_t key) {
    return std::find_if(members.begin(), members.end(), [&](const auto& m) { return m.first == key; });
  }
};

// The own member under key, or null; a missing member of a plain object is
// missing along its whole chain here.
Value* readMember(KVobj* obj, int32_t key) {
  int32_t mode = 0;
  return getPropertyCell(obj, key, mode);
}

void checkOrder(KVobj* obj, const Model& model) {
  std::vector<int32_t> got, want;
  for (PropNode* n = obj->list ? obj->list->head : nullptr; n; n = n->next) got.push_back(n->key);
  for (const auto& m : model.members) want.push_back(m.first);
  ASSERT_EQ(got, want);
  ASSERT_EQ(obj->list ? obj->list->count : 0u, want.size());
}

TEST_F(MemberIndex, AddsDeletesAndReAddsMatchTheModelInOrderAcrossCollections) {
  std::vector<int32_t> atoms;
  for (int i = 0; i < 64; ++i) atoms.push_back(internAtom(("k" + std::to_string(i)).c_str()));
  struct Case {
    const char* name;
    int32_t keys;  // distinct keys in play: the list's length hovers near it
    int32_t ops;
    bool stress;   // a collection at every allocation
  };
  const Case cases[] = {
      {"short list, walked", 6, 4000, false},
      {"long list, indexed", 200, 20000, false},
      {"long list under stress", 40, 1500, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 rng(42);
    ObjectRoot root(newPlainObject());
    Model model;
    setGcStress(c.stress);
    for (int32_t op = 0; op < c.ops; ++op) {
      int32_t pick = static_cast<int32_t>(rng() % c.keys);
      // Half integer keys, half atoms.
      int32_t key = pick % 2 ? pick : atoms[(pick / 2) % atoms.size()];
      KVobj* obj = root.get();
      auto it = model.find(key);
      switch (rng() % 4) {
        case 0:
        case 1: {  // write: in place, or a new member at the head
          int32_t mode = kAttrWritable;
          Value* cell = getPropertyCell(obj, key, mode);
          if (!cell) {
            ASSERT_EQ(it, model.members.end());
            cell = addKeyProperty(obj, key);
            model.members.insert(model.members.begin(), {key, op});
          } else {
            ASSERT_NE(it, model.members.end());
            it->second = op;
          }
          *cell = Value::makeInt(op);
          break;
        }
        case 2:  // delete, then the key reads as absent at once
          ASSERT_TRUE(deletePropertyByAtom(obj, key));
          if (it != model.members.end()) model.members.erase(it);
          ASSERT_EQ(readMember(root.get(), key), nullptr);
          break;
        default: {  // read
          Value* cell = readMember(obj, key);
          if (it == model.members.end()) {
            ASSERT_EQ(cell, nullptr);
          } else {
            ASSERT_NE(cell, nullptr);
            ASSERT_EQ(cell->i, it->second);
          }
          if (obj->list && obj->list->count > kIndexedListLength && it == model.members.end()) {
            ASSERT_TRUE(listHasIndex(obj->list));
          }
        }
      }
      if (!c.stress && op % 997 == 0) minorCollect();
      if (!c.stress && op % 4999 == 0) fullCollect();
    }
    setGcStress(false);
    ASSERT_EQ(verifyHeap(), "");
    checkOrder(root.get(), model);
    for (const auto& [key, value] : model.members) {
      Value* cell = readMember(root.get(), key);
      ASSERT_NE(cell, nullptr);
      ASSERT_EQ(cell->i, value);
    }
  }
}

TEST_F(MemberIndex, DeletesAndPrototypeChangesShowAtOnceThroughTheCache) {
  int32_t shared = internAtom("shared");
  ObjectRoot first(newPlainObject());
  ObjectRoot second(newPlainObject());
  *addKeyProperty(first.get(), shared) = Value::makeInt(1);
  *addKeyProperty(second.get(), shared) = Value::makeInt(2);
  ObjectRoot obj(newPlainObject());
  for (int32_t i = 0; i < 40; ++i) *addKeyProperty(obj.get(), i) = Value::makeInt(i);  // indexed
  for (int32_t round = 0; round < 3000; ++round) {
    KVobj* proto = round % 2 ? first.get() : second.get();
    *obj.get()->props.cells[0] = Value::makeObject(proto);
    ASSERT_EQ(readMember(obj.get(), shared)->i, round % 2 ? 1 : 2);
    // An own member shadows the prototype's until it is deleted.
    *addKeyProperty(obj.get(), shared) = Value::makeInt(3);
    ASSERT_EQ(readMember(obj.get(), shared)->i, 3);
    ASSERT_TRUE(deletePropertyByAtom(obj.get(), shared));
    ASSERT_EQ(readMember(obj.get(), shared)->i, round % 2 ? 1 : 2);
    // An integer member deleted and added again reads its new value.
    int32_t key = round % 40;
    ASSERT_EQ(readMember(obj.get(), key)->i, key + (round >= 40 ? 1000 : 0));
    ASSERT_TRUE(deletePropertyByAtom(obj.get(), key));
    ASSERT_EQ(readMember(obj.get(), key), nullptr);
    *addKeyProperty(obj.get(), key) = Value::makeInt(key + 1000);
    if (round % 500 == 0) minorCollect();
  }
  ASSERT_EQ(obj.get()->list->count, 40u);
}


// Literal objects hold their first members in their body and spill to the
// list past them. Random runs of adds (repeats included, as a literal may
// name a key twice), writes, deletes and re-adds under integer, atom and
// text keys, on many objects, against a model; the order shows in the slots
// a class layout gives the members, newest first. Half of the rounds collect
// at every allocation.
TEST_F(MemberIndex, LiteralObjectsMembersInTheBodyAndTheListMatchTheModel) {
  struct Member {
    int32_t key;  // kTextKey for a text member
    std::string text;
    int32_t value;
  };
  const int32_t atomA = internAtom("la"), atomB = internAtom("lb");
  const char* const texts[] = {"not an atom 1", "not an atom 2"};
  std::mt19937 rng(7);
  for (int32_t round = 0; round < 400; ++round) {
    SCOPED_TRACE(round);
    setGcStress(round % 2 == 1);
    ObjectRoot root(newLiteralObject());
    std::vector<Member> model;  // oldest first
    auto newest = [&](int32_t key, const std::string& text) {
      for (auto it = model.rbegin(); it != model.rend(); ++it)
        if (it->key == key && (key != MemberEntry::kTextKey || it->text == text)) return std::prev(it.base());
      return model.end();
    };
    int32_t ops = 4 + static_cast<int32_t>(rng() % 24);
    for (int32_t op = 0; op < ops; ++op) {
      int32_t pick = static_cast<int32_t>(rng() % 6);
      int32_t key = pick < 2 ? pick : pick == 2 ? atomA : pick == 3 ? atomB : MemberEntry::kTextKey;
      std::string text = key == MemberEntry::kTextKey ? texts[pick - 4] : "";
      auto it = newest(key, text);
      int32_t value = round * 100 + op;
      switch (rng() % 5) {
        case 0:
        case 1: {  // a new member, shadowing any older one under the key
          Value* cell = key == MemberEntry::kTextKey ? addStringProperty(root.get(), text.c_str())
                                                     : addKeyProperty(root.get(), key);
          *cell = Value::makeInt(value);
          model.push_back({key, text, value});
          break;
        }
        case 2: {  // a write to the newest member, if any
          int32_t mode = kAttrWritable;
          Value* cell = key == MemberEntry::kTextKey ? getPropertyCellByName(root.get(), text.c_str(), mode)
                                                     : getPropertyCell(root.get(), key, mode);
          ASSERT_EQ(cell != nullptr, it != model.end());
          if (cell) *cell = Value::makeInt(value), it->value = value;
          break;
        }
        case 3:  // a delete reveals the next older member under the key
          ASSERT_TRUE(key == MemberEntry::kTextKey ? deletePropertyByName(root.get(), text.c_str())
                                                   : deletePropertyByAtom(root.get(), key));
          if (it != model.end()) model.erase(it);
          break;
        default:
          break;
      }
      // Every key reads its newest member, by the general and the quick look-up.
      for (int32_t p = 0; p < 6; ++p) {
        int32_t k = p < 2 ? p : p == 2 ? atomA : p == 3 ? atomB : MemberEntry::kTextKey;
        std::string t = k == MemberEntry::kTextKey ? texts[p - 4] : "";
        auto want = newest(k, t);
        int32_t mode = 0;
        Value* got = k == MemberEntry::kTextKey ? getPropertyCellByName(root.get(), t.c_str(), mode)
                                                : getPropertyCell(root.get(), k, mode);
        ASSERT_EQ(got != nullptr, want != model.end());
        if (got) {
          ASSERT_EQ(got->i, want->value);
        }
        if (k == MemberEntry::kTextKey) continue;
        if (MemberEntry* quick = quickOwnMember(root.get(), k)) {
          ASSERT_NE(want, model.end());
          ASSERT_EQ(quick->value.i, want->value);
        }
      }
    }
    setGcStress(false);
    ASSERT_EQ(verifyHeap(), "");
    // The class layout takes the members newest first into slots 1 and up.
    int32_t placed = KVobj::buildPropertyIndex(root.get(), 7000 + round);
    ASSERT_EQ(placed, static_cast<int32_t>(model.size()));
    for (int32_t k = 0; k < placed; ++k) ASSERT_EQ(root.get()->props.cells[1 + k]->i, model[model.size() - 1 - k].value);
    ASSERT_EQ(root.get()->inlineUsed, 0);
    ASSERT_TRUE(!root.get()->list || root.get()->list->count == 0);
  }
}

}  // namespace
}  // namespace kvtest
