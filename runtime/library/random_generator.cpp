// RandomGenerator: a script object that owns a 32-bit Mersenne-Twister.
#include "runtime/library/random_generator.h"

#include <cstring>

#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {

std::uniform_int_distribution<int32_t> uniformIntSource(0, 2147483647);
std::uniform_real_distribution<double> unitRealSource(0.0, 1.0);

namespace {

KVobj* gRandomGeneratorProto = nullptr;
KVobj* gDefaultGenerator = nullptr;
std::mt19937 gGlobalEngine;

void visitDefaultGenerator(bool full, void*) { visitObject(gDefaultGenerator, full); }

void randomIntMethod(KVContext* ctx) {
  auto* self = static_cast<KVRandomGenerator*>(ctx->receiver());
  if (!self || !self->isRandomGenerator()) {
    ctx->pushUndefined();
    return;
  }
  ctx->pushInt(self->randomInt(intArg(ctx, 0, 0), intArg(ctx, 1, 0)));
}

void randomFloatMethod(KVContext* ctx) {
  auto* self = static_cast<KVRandomGenerator*>(ctx->receiver());
  if (!self || !self->isRandomGenerator()) {
    ctx->pushUndefined();
    return;
  }
  ctx->pushDouble(self->randomFloat());
}

void seedEngine(KVRandomGenerator* gen, const SeedWords& words) {
  gen->seeds = new SeedWords(words);
  gen->sequence = new std::seed_seq(gen->seeds->begin(), gen->seeds->end());
  gen->engine = new std::mt19937();  // default-seeded first, then from the sequence
  gen->engine->seed(*gen->sequence);
}

}  // namespace

KVRandomGenerator::~KVRandomGenerator() {
  delete engine;
  delete sequence;
  delete seeds;
}

int32_t KVRandomGenerator::randomInt(int32_t low, int32_t high) {
  if (low < 0 || high < 0) return 0;
  if (high <= low) return low;
  int32_t r = uniformIntSource(*engine);
  return low + r % (high - low);
}

double KVRandomGenerator::randomFloat() { return unitRealSource(*engine); }

SeedWords seedWordsFromValues(const Value* values, int32_t count) {
  SeedWords w{};
  for (int32_t i = 0; i < count && i < kSeedWordCount; ++i) w[i] = static_cast<uint32_t>(values[i].bits);
  return w;
}

SeedWords deviceSeedWords() {
  std::random_device device;
  SeedWords w;
  for (uint32_t& x : w) x = device();
  return w;
}

void setupRandomGeneratorClass(KVfobj* ctor) {
  gRandomGeneratorProto = newStaticObject(1, gCore.objectProto, kRandomGeneratorProtoClassId);
  KVobj::defineNativeMethod(gRandomGeneratorProto, "randomInt", NativeArgTypes(2, 0), &randomIntMethod);
  KVobj::defineNativeMethod(gRandomGeneratorProto, "randomFloat", NativeArgTypes(), &randomFloatMethod);
  KVobj::buildPropertyIndex(gRandomGeneratorProto, kRandomGeneratorProtoClassId);
  if (ctor) *ctor->props.cells[1] = Value::makeObject(gRandomGeneratorProto);
  gDefaultGenerator = nullptr;
  // The heap's start forgets every root, and the set-up runs once after it.
  unregisterRoot(&visitDefaultGenerator, nullptr);
  registerRoot(RootRank::LibraryClasses, &visitDefaultGenerator, nullptr);
}

KVRandomGenerator* newRandomGenerator(const SeedWords* words) {
  SeedWords w = words ? *words : deviceSeedWords();
  reserveNursery(objectBytes<KVRandomGenerator>(1));
  auto* gen = placeYoungObject<KVRandomGenerator>(1, gRandomGeneratorProto, kRandomGeneratorClassId);
  gen->deviceSeeded = words ? 0 : 1;
  seedEngine(gen, w);
  registerOwner(gen);
  return gen;
}

KVRandomGenerator* defaultRandomGenerator() { return static_cast<KVRandomGenerator*>(gDefaultGenerator); }
void setDefaultRandomGenerator(KVRandomGenerator* gen) { gDefaultGenerator = gen; }
void createDefaultRandomGenerator() { gDefaultGenerator = newRandomGenerator(nullptr); }

std::mt19937& globalRandomEngine() { return gGlobalEngine; }

void setupGlobalRandomEngine() {
  SeedWords w = deviceSeedWords();
  std::seed_seq seq(w.begin(), w.end());
  gGlobalEngine.seed(seq);
}

}  // namespace kv
