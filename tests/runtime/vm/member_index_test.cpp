// Tests of member lists with their look-up cache and hash index: long runs
// of adds, writes, deletes and re-adds under integer and atom keys, checked
// against a plain model, with collections forced between and inside them.
#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "runtime/vm/member_access.h"
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

// The code loop's element paths (inlineElementValue for reads,
// inlineMemberCell for stores) over integer-keyed members of plain objects
// of many shapes. They may decline (null: the general path runs), but what
// they answer must be the very cell the general look-up answers, and a
// store path must never answer a read-only member. A member held by the
// prototype only is read through the general path. The rounds delete and
// add members again, change attributes and collect between them (every
// allocation in the stress cases), and the list keeps its order throughout.
TEST_F(MemberIndex, ElementPathsAnswerTheGeneralLookUpsCellOrNothing) {
  std::vector<int32_t> seq, falling, sparse, wide, many;
  for (int32_t k = 0; k < 64; ++k) seq.push_back(k);
  falling.assign(seq.rbegin(), seq.rend());
  sparse = {0, 7, 1000, 65536, INT32_MAX, 3, 1 << 20, 8, 9, 10, 11, 12, 13};
  for (int32_t k = 0; k < 200; ++k) wide.push_back(k * 37 % 211);
  for (int32_t k = 0; k < 5000; ++k) many.push_back(k);  // past the look-up cache's room
  struct Case {
    const char* name;
    const std::vector<int32_t>* keys;
    bool named;       // atom-keyed members between the integer keys
    bool literal;     // members start in the object's body
    bool stress;      // a collection at every allocation
    bool warmHits;    // after a general read the element path must answer
  };
  const Case cases[] = {
      {"0..63 in order", &seq, false, false, false, true},
      {"63..0, named between", &falling, true, false, false, true},
      {"sparse and huge keys", &sparse, true, true, false, true},
      {"200 keys out of order, past the list index", &wide, false, false, false, true},
      {"5000 keys", &many, true, false, false, false},
      {"0..63 under stress", &seq, true, true, true, true},
  };
  const int32_t named[] = {internAtom("ea"), internAtom("eb"), internAtom("ec")};
  const int32_t protoKey = 1 << 24;  // held by the prototype only
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ObjectRoot proto(newPlainObject());
    *addKeyProperty(proto.get(), protoKey) = Value::makeInt(-7);
    ObjectRoot root(c.literal ? newLiteralObject() : newPlainObject());
    *root.get()->props.cells[0] = Value::makeObject(proto.get());
    std::vector<std::pair<int32_t, int32_t>> model;  // (key, value), newest first
    auto add = [&](int32_t key, int32_t value) {
      *addKeyProperty(root.get(), key) = Value::makeInt(value);
      model.insert(model.begin(), {key, value});
    };
    for (size_t i = 0; i < c.keys->size(); ++i) {
      add((*c.keys)[i], static_cast<int32_t>(i));
      if (c.named && i % 5 == 2) add(named[i % 3], -static_cast<int32_t>(i));
    }
    setGcStress(c.stress);
    std::mt19937 rng(11);
    size_t answered = 0, asked = 0;
    for (int32_t round = 0; round < 6; ++round) {
      SCOPED_TRACE(round);
      for (const auto& [key, value] : model) {
        if (key < 0) continue;
        KVobj* obj = root.get();
        int32_t mode = 0;
        Value* general = getPropertyCell(obj, key, mode);
        ASSERT_NE(general, nullptr);
        const Value* read = inlineElementValue(obj, key);
        ++asked;
        answered += read != nullptr;
        if (c.warmHits) {
          ASSERT_NE(read, nullptr);
        }
        if (read) {
          ASSERT_EQ(read, general);
        }
        mode = kAttrWritable;
        Value* writable = getPropertyCell(obj, key, mode);
        Value* cell = inlineMemberCell(obj, key);
        if (cell) {
          ASSERT_EQ(cell, writable);
        }
        if (!writable) {
          ASSERT_EQ(cell, nullptr);
        }
      }
      // The prototype's integer key and keys nobody holds.
      for (int32_t key : {protoKey, 5001, 64 + round}) {
        int32_t mode = 0;
        Value* general = getPropertyCell(root.get(), key, mode);
        const Value* read = inlineElementValue(root.get(), key);
        if (read) {
          ASSERT_EQ(read, general);
        }
        if (!general) {
          ASSERT_EQ(inlineMemberCell(root.get(), key), nullptr);
        }
      }
      // Deletes and re-adds, writes through the store path, an attribute
      // taken away and given back.
      for (int32_t n = 0; n < 8; ++n) {
        size_t at = rng() % model.size();
        int32_t key = model[at].first;
        if (key < 0) continue;
        switch (rng() % 3) {
          case 0:
            ASSERT_TRUE(deletePropertyByAtom(root.get(), key));
            model.erase(model.begin() + static_cast<long>(at));
            ASSERT_EQ(inlineElementValue(root.get(), key), nullptr);
            ASSERT_EQ(inlineMemberCell(root.get(), key), nullptr);
            add(key, 1000 + round);
            break;
          case 1:
            if (Value* cell = inlineMemberCell(root.get(), key)) {
              *cell = Value::makeInt(2000 + n);
              model[at].second = 2000 + n;
            }
            break;
          default: {
            PropNode* node = root.get()->list ? root.get()->list->head : nullptr;
            while (node && node->key != key) node = node->next;
            if (!node) break;  // in the object's body
            node->attrs &= ~kAttrWritable;
            ASSERT_EQ(inlineMemberCell(root.get(), key), nullptr);
            int32_t mode = 0;
            ASSERT_EQ(inlineElementValue(root.get(), key), getPropertyCell(root.get(), key, mode));
            node->attrs |= kAttrWritable;
          }
        }
      }
      if (round == 2) minorCollect();
      if (round == 4) fullCollect();
    }
    setGcStress(false);
    if (c.warmHits) {
      ASSERT_EQ(answered, asked);
    }
    else ASSERT_GT(answered, 0u);
    ASSERT_EQ(verifyHeap(), "");
    std::vector<int32_t> want;
    for (const auto& m : model) want.push_back(m.first);
    std::vector<int32_t> got;
    for (PropNode* n = root.get()->list ? root.get()->list->head : nullptr; n; n = n->next) got.push_back(n->key);
    const MemberEntry* body = root.get()->inlineMembers();
    for (int32_t i = root.get()->inlineUsed; i-- > 0;) got.push_back(body[i].key);
    ASSERT_EQ(got, want);
    // Every key reads its newest member's value.
    std::vector<int32_t> seen;
    for (const auto& [key, value] : model) {
      if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
      seen.push_back(key);
      int32_t mode = 0;
      Value* cell = getPropertyCell(root.get(), key, mode);
      ASSERT_NE(cell, nullptr);
      ASSERT_EQ(cell->i, value);
    }
  }
}

}  // namespace
}  // namespace kvtest
