// RandomGenerator: a script object that owns a 32-bit Mersenne-Twister
// engine seeded from ten words. The engine and its seed blocks live outside
// the collected heap, so a collection copies only the small object; they are
// released when the collector finds the generator dead.
#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "runtime/vm/object.h"
#include "runtime/vm/value.h"

namespace kv {

constexpr int32_t kRandomGeneratorClassId = 170;
constexpr int32_t kRandomGeneratorProtoClassId = 171;
constexpr int32_t kSeedWordCount = 10;
using SeedWords = std::array<uint32_t, kSeedWordCount>;

// What the runtime draws with: the standard integer distribution over
// 0..2147483647 and the real one over [0.0, 1.0).
extern std::uniform_int_distribution<int32_t> uniformIntSource;
extern std::uniform_real_distribution<double> unitRealSource;

class KVRandomGenerator : public KVobj {
 public:
  ~KVRandomGenerator() override;
  size_t byteSize() const override { return sizeof(KVRandomGenerator); }
  bool isRandomGenerator() const override { return true; }

  // low + (draw mod (high - low)) for 0 <= low < high; 0 when either is
  // negative, low otherwise. The early answers draw nothing.
  int32_t randomInt(int32_t low, int32_t high);
  double randomFloat();

  uint8_t deviceSeeded = 0;
  SeedWords* seeds = nullptr;
  std::seed_seq* sequence = nullptr;
  std::mt19937* engine = nullptr;
};

// Words from seed values as a typed view reads them: the low 32 bits of
// each payload (for a double, the low half of its bit pattern).
SeedWords seedWordsFromValues(const Value* values, int32_t count);
// Ten draws of the system's random device.
SeedWords deviceSeedWords();

// The prototype with "randomInt" and "randomFloat"; the member set-up of
// the RandomGenerator row makes it and stores it in the constructor.
void setupRandomGeneratorClass(KVfobj* ctor);
// A generator on the young heap, registered with the collector as the owner
// of its engine. Without words it is seeded from the random device.
KVRandomGenerator* newRandomGenerator(const SeedWords* words);

// The default generator that Math.random and Math.randomInt draw from; a
// runtime root, so it survives collections whoever else lets go of it.
KVRandomGenerator* defaultRandomGenerator();
void setDefaultRandomGenerator(KVRandomGenerator* gen);
// Makes a device-seeded default generator (start of the game loop).
void createDefaultRandomGenerator();

// The engine the object-file writer draws from, seeded from the device.
std::mt19937& globalRandomEngine();
void setupGlobalRandomEngine();

}  // namespace kv
