// Tests of runtime/library/random_generator: the RandomGenerator script object.
#include <cstdio>

#include "runtime/library/random_generator.h"
#include "runtime/library/runtime_tables.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

kv::SeedWords oneToTen() {
  kv::Value v[10];
  for (int i = 0; i < 10; ++i) v[i] = kv::Value::makeInt(i + 1);
  return kv::seedWordsFromValues(v, 10);
}

using RandomGeneratorTest = LibraryTest;

TEST_F(RandomGeneratorTest, SeededSequencesAreReproducible) {
  kv::SeedWords w = oneToTen();
  kv::KVRandomGenerator* g = kv::newRandomGenerator(&w);
  EXPECT_EQ(g->deviceSeeded, 0);
  int32_t want[] = {380, 860, 778, 85, 24};
  for (int32_t x : want) EXPECT_EQ(g->randomInt(0, 1000), x);
  kv::KVRandomGenerator* h = kv::newRandomGenerator(&w);
  double a = h->randomFloat(), b = h->randomFloat(), c = h->randomFloat();
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f %.6f %.6f", a, b, c);
  EXPECT_STREQ(buf, "0.026398 0.774920 0.247341");
}

TEST_F(RandomGeneratorTest, EarlyAnswersDrawNothing) {
  kv::SeedWords w = oneToTen();
  kv::KVRandomGenerator* g = kv::newRandomGenerator(&w);
  EXPECT_EQ(g->randomInt(5, 5), 5);
  EXPECT_EQ(g->randomInt(7, 3), 7);
  EXPECT_EQ(g->randomInt(-1, 10), 0);
  EXPECT_EQ(g->randomInt(0, 1000), 380);  // the first draw of a fresh one
  EXPECT_EQ(g->randomInt(0, 1), 0);
}

TEST_F(RandomGeneratorTest, SeedWordsTakeTheLowHalfOfEachPayload) {
  kv::Value v[3] = {kv::Value::makeInt(-1), kv::Value::makeFloat(1.0), kv::Value()};
  kv::SeedWords w = kv::seedWordsFromValues(v, 3);
  EXPECT_EQ(w[0], 0xFFFFFFFFu);
  EXPECT_EQ(w[1], 0u);  // 1.0 has a zero low half
  for (int i = 2; i < 10; ++i) EXPECT_EQ(w[i], 0u);
}

TEST_F(RandomGeneratorTest, DefaultGeneratorIsARootOfEveryCollection) {
  kv::SeedWords w = oneToTen();
  kv::setDefaultRandomGenerator(kv::newRandomGenerator(&w));
  kv::minorCollect();
  kv::fullCollect();
  kv::minorCollect();
  kv::KVRandomGenerator* g = kv::defaultRandomGenerator();
  ASSERT_TRUE(g->isRandomGenerator());
  EXPECT_EQ(g->randomInt(0, 1000), 380);
  EXPECT_EQ(kv::verifyHeap(), "");
}

TEST_F(RandomGeneratorTest, DeadGeneratorsReleaseTheirEngines) {
  kv::SeedWords w = oneToTen();
  for (int i = 0; i < 1000; ++i) kv::newRandomGenerator(&w);
  kv::minorCollect();
  size_t owners = kv::ownerCount();
  for (int round = 0; round < 100; ++round) {
    for (int i = 0; i < 1000; ++i) kv::newRandomGenerator(&w);
    kv::minorCollect();
  }
  EXPECT_LE(kv::ownerCount(), owners);
}

TEST(RuntimeTables, DuplicateCStringKeeps127Characters) {
  std::string text(200, 'a');
  char* copy = kv::duplicateCString(text.c_str());
  EXPECT_EQ(std::string(copy), std::string(127, 'a'));
  delete[] copy;
  copy = kv::duplicateCString(nullptr);
  EXPECT_STREQ(copy, "");
  delete[] copy;
}

}  // namespace
}  // namespace kvtest
