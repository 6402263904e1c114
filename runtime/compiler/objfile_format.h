// The byte layout shared by the object-file writer and reader: numbers, tags,
// limits, operand streams and the packing of record kinds into code words.
#pragma once

#include <cstdint>
#include <cstring>

#include "runtime/vm/code.h"

namespace kv::objfile {

constexpr char kSignature[7] = {'H', 'L', 'V', 'R', 'o', 'b', 'j'};
constexpr int16_t kVersion[3] = {0, 1, 44};
constexpr int32_t kFormat = 105;
constexpr int32_t kInfoLength = 128;

enum Tag : int16_t {
  kTagInfo = 0,
  kTagSourceNames = 16,
  kTagFiller = 17,
  kTagExports = 20,
  kTagMemberNames = 32,
  kTagNamedValues = 34,
  kTagGlobalSizes = 126,
  kTagFunctionRows = 127,
  kTagStreams = 128,
  kTagCode = 255,
};

// The operand streams of the stream section; kStreamEnd closes it.
enum Stream : int32_t {
  kInts = 1,       // i32
  kDoubles = 2,    // f64
  kStrings = 3,    // C strings; the sub-header counts strings, not bytes
  kFlags = 4,      // byte, 10 for true
  kPositions = 5,  // i16
  kFlagBytes = 6,  // u8, the low byte of a record's flags
  kSlots = 7,      // i16, a variable's slot: parameter i is -1-i, local j is j
  kDepths = 8,     // u8, scopes out from the running function; kNoVariable for none
  kStreamEnd = 10,
};
constexpr int kStreamCount = 9;  // indexed by Stream; 0 unused
constexpr uint32_t kElementSize[kStreamCount] = {0, 4, 8, 1, 1, 2, 1, 2, 1};

constexpr uint8_t kTrueFlag = 10;
constexpr uint16_t kRowFlag = 0xAAAA;
constexpr uint8_t kNoVariable = 0xFF;
constexpr int32_t kNoLabel = -2;  // a label position of -1 means "leave the function"
constexpr int32_t kFillerWords = 32;

// Member names in the code are -100 - (index in the member-name section).
constexpr int32_t kAtomRefBase = -100;

// The widest program the format carries.
constexpr size_t kMaxNameLength = 63;
constexpr size_t kMaxStringLength = 256;
constexpr uint32_t kMaxFunctionBytes = 32768;
constexpr int32_t kMaxCount = 65535;
constexpr int32_t kMaxSlots = 32768;  // what a 16-bit slot index can address
constexpr int32_t kMaxNesting = 15;
// The slot vectors of all nested functions together: a file may declare this
// many slots beyond a few per byte it holds, so a small file cannot make the
// reader allocate much more than its size.
constexpr int64_t kFreeSlots = 65536;
constexpr int64_t kSlotsPerByte = 4;
constexpr int32_t kMaxFillerBytes = 1024;
constexpr int32_t kMaxSourceNames = 16;

// Kinds are packed four to a u32 word as base-220 digits, the first record in
// the highest place; digit 0 is "no record", digit k + 1 is kind k.
constexpr uint32_t kDigitBase = 220;
constexpr uint32_t kPlaceValue[4] = {kDigitBase * kDigitBase * kDigitBase, kDigitBase * kDigitBase, kDigitBase, 1};
constexpr uint32_t kMaxDigit = 201;

// Kinds that a file may carry: every kind the compiler emits. Labels are
// dropped by linking; 154, 155 and 165 carry operands the format has no place
// for, and 163 exists only while a module is being imported.
bool isCarriedKind(int32_t kind);
// Kinds whose operand is a resolved jump target (stream 5).
bool isJumpKind(int32_t kind);

inline void putU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint16_t getU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t getU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t doubleBits(double d) {
  uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}
inline double bitsDouble(uint64_t b) {
  double d;
  std::memcpy(&d, &b, sizeof d);
  return d;
}

}  // namespace kv::objfile
