// Member-name atoms: every member name becomes a negative 32-bit id once, and
// member access works on (class id, atom) pairs through the global slot map.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace kv {

constexpr int32_t kAtomProto = -1;     // "__proto__"
constexpr int32_t kAtomNotFound = -4;  // answer of a lookup that finds nothing
constexpr int32_t kFirstAtom = -5;
constexpr int32_t kItemClassId = 180;  // the class whose members are item1 .. item9

// Names map to ids in insertion order, so whatever is written from a table
// comes out the same on every run.
class NameMap {
 public:
  int32_t find(std::string_view name) const;  // kAtomNotFound when absent
  void set(std::string_view name, int32_t id);
  const std::deque<std::pair<std::string, int32_t>>& entries() const { return order_; }
  size_t size() const { return order_.size(); }

 private:
  std::deque<std::pair<std::string, int32_t>> order_;  // never moves its strings
  std::unordered_map<std::string_view, size_t> index_;  // views into order_
};

struct AtomTable {
  AtomTable();
  AtomTable(const AtomTable&) = delete;
  AtomTable& operator=(const AtomTable&) = delete;
  int32_t nextId = kFirstAtom;
  bool sealed = false;
  NameMap names;
  int32_t itemIds[9];
  int32_t firstItemId;
  int32_t lastItemId;
};

// The simpler table of a program's names that object files save and load.
struct ProgramNameTable {
  int32_t nextId = 0;
  NameMap names;
};

// The runtime's tables; initAtomTables builds them afresh (the object-system
// start-up calls it first) together with the seeded slot map.
AtomTable& atomTable();
ProgramNameTable& programNameTable();
void initAtomTables();

int32_t lookupAtom(const char* text);
// The atom of "prototype", which the member look-ups test on every miss on a
// closure; kAtomNotFound until the name is entered. initAtomTables resets it
// with the table.
extern int32_t gPrototypeAtom;
int32_t internAtom(const char* text);  // throws std::runtime_error("Set:") once sealed
int32_t internAtomUnchecked(const char* text);
int32_t internNameInTable(AtomTable& table, const char* text);
void defineAtom(ProgramNameTable& table, const char* text, int32_t id);

// The global slot map from (class id, atom) to slot index.
int32_t slotIndexOf(int32_t classId, int32_t atom);
int32_t prototypeSlotOf(int32_t classId);
void setSlotIndex(int32_t classId, const char* text, int32_t slot);
void setSlotIndexOfAtom(int32_t classId, int32_t atom, int32_t slot);
// A class whose slots go when its constructor dies (a script function's
// instances' class): the atoms given slots from here on are noted, and
// forgetClassSlots removes them and the note.
void trackClassSlots(int32_t classId);
void forgetClassSlots(int32_t classId);

}  // namespace kv
