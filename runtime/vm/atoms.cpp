// Member names turned into negative ids, once each, and back.
#include "runtime/vm/atoms.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"

namespace kv {
namespace {

std::unique_ptr<AtomTable> gAtoms;
std::unique_ptr<ProgramNameTable> gProgramNames;
std::unordered_map<uint64_t, int32_t> gSlotMap;
// The atoms of each tracked class's slots.
std::unordered_map<int32_t, std::vector<int32_t>> gTrackedClassAtoms;

uint64_t slotKey(int32_t classId, int32_t atom) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(classId)) << 32) | static_cast<uint32_t>(atom);
}

int32_t enter(AtomTable& t, const char* text) {
  int32_t known = t.names.find(text);
  if (known != kAtomNotFound) return known;
  int32_t id = t.nextId--;
  t.names.set(text, id);
  if (&t == gAtoms.get() && std::strcmp(text, "prototype") == 0) gPrototypeAtom = id;
  return id;
}

}  // namespace

int32_t gPrototypeAtom = kAtomNotFound;

int32_t NameMap::find(std::string_view name) const {
  auto it = index_.find(name);
  return it == index_.end() ? kAtomNotFound : order_[it->second].second;
}

void NameMap::set(std::string_view name, int32_t id) {
  auto it = index_.find(name);
  if (it != index_.end()) {
    order_[it->second].second = id;
    return;
  }
  order_.emplace_back(std::string(name), id);
  index_.emplace(order_.back().first, order_.size() - 1);
}

AtomTable::AtomTable() {
  names.set("__proto__", kAtomProto);
  char item[] = "item0";
  for (int k = 0; k < 9; ++k) {
    item[4] = static_cast<char>('1' + k);
    itemIds[k] = internNameInTable(*this, item);
  }
  firstItemId = itemIds[0];
  lastItemId = itemIds[8];
}

AtomTable& atomTable() {
  if (!gAtoms) initAtomTables();
  return *gAtoms;
}

ProgramNameTable& programNameTable() {
  if (!gProgramNames) initAtomTables();
  return *gProgramNames;
}

void initAtomTables() {
  gPrototypeAtom = kAtomNotFound;
  gAtoms = std::make_unique<AtomTable>();
  gProgramNames = std::make_unique<ProgramNameTable>();
  gSlotMap.clear();
  gTrackedClassAtoms.clear();
  advanceMemberEpoch();
  for (int k = 0; k < 9; ++k) gSlotMap[slotKey(kItemClassId, gAtoms->itemIds[k])] = k + 1;
}

int32_t lookupAtom(const char* text) { return atomTable().names.find(text); }

int32_t internAtom(const char* text) {
  AtomTable& t = atomTable();
  if (t.nextId == INT32_MIN) throw RuntimeError(kErrTooManyProperties);
  if (t.sealed) throw std::runtime_error("Set:");
  return enter(t, text);
}

int32_t internAtomUnchecked(const char* text) { return enter(atomTable(), text); }

int32_t internNameInTable(AtomTable& table, const char* text) {
  if (table.nextId == INT32_MAX) throw RuntimeError(kErrTooManyProperties);
  if (table.sealed) {
    int32_t known = table.names.find(text);
    if (known == kAtomNotFound) throw RuntimeError(kErrUnexpected);
    return known;
  }
  return enter(table, text);
}

void defineAtom(ProgramNameTable& table, const char* text, int32_t id) { table.names.set(text, id); }

int32_t slotIndexOf(int32_t classId, int32_t atom) {
  if (atom == kAtomProto) return 0;
  auto it = gSlotMap.find(slotKey(classId, atom));
  return it == gSlotMap.end() ? -1 : it->second;
}

int32_t prototypeSlotOf(int32_t classId) {
  auto [it, added] = gSlotMap.try_emplace(slotKey(classId, internAtomUnchecked("prototype")), 0);
  if (added) advanceMemberEpoch();
  return it->second;
}

void setSlotIndex(int32_t classId, const char* text, int32_t slot) {
  gSlotMap[slotKey(classId, internAtom(text))] = slot;
  advanceMemberEpoch();
}

void setSlotIndexOfAtom(int32_t classId, int32_t atom, int32_t slot) {
  auto [it, added] = gSlotMap.insert_or_assign(slotKey(classId, atom), slot);
  if (added && !gTrackedClassAtoms.empty())
    if (auto tracked = gTrackedClassAtoms.find(classId); tracked != gTrackedClassAtoms.end())
      tracked->second.push_back(atom);
  advanceMemberEpoch();
}

void trackClassSlots(int32_t classId) { gTrackedClassAtoms.try_emplace(classId); }

void forgetClassSlots(int32_t classId) {
  auto tracked = gTrackedClassAtoms.find(classId);
  if (tracked == gTrackedClassAtoms.end()) return;
  for (int32_t atom : tracked->second) gSlotMap.erase(slotKey(classId, atom));
  gTrackedClassAtoms.erase(tracked);
  // Class numbers are not used again, but the slot cache may still hold the
  // class's answers.
  advanceMemberEpoch();
}

}  // namespace kv
