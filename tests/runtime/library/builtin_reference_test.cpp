// The built-in reference covers every row of the built-in table and every
// namespace member, and the copy in docs/ is what the build generates.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/library/builtin_reference.h"
#include "runtime/library/builtin_table.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

std::string readSource(const std::string& relative) {
  std::ifstream in(std::string(HALVORINE_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

using BuiltinReferenceTest = LibraryTest;

TEST_F(BuiltinReferenceTest, EveryRowAndMemberIsDescribedAndTheCommittedCopyIsCurrent) {
  const std::string descriptions = readSource("docs/builtin-descriptions.txt");
  ASSERT_FALSE(descriptions.empty());
  kv::BuiltinReference r = kv::makeBuiltinReference(descriptions);
  EXPECT_TRUE(r.undescribed.empty()) << "first without a description: " << r.undescribed.front();
  EXPECT_TRUE(r.unknown.empty()) << "first description of nothing: " << r.unknown.front();
  for (const kv::BuiltinClassEntry& e : kv::builtinClassTable())
    EXPECT_NE(r.markdown.find("| `" + std::string(e.name) + "` |"), std::string::npos) << e.name;
  EXPECT_EQ(r.markdown, readSource("docs/builtin-reference.md"))
      << "regenerate docs/builtin-reference.md: build/tools/builtin_reference/builtin_reference "
         "docs/builtin-descriptions.txt docs/builtin-reference.md";
}

TEST_F(BuiltinReferenceTest, AMissingOrStrayDescriptionIsReported) {
  struct Case {
    const char* text;
    const char* undescribed;  // expected among the undescribed, or null
    const char* unknown;      // expected among the unknown, or null
  };
  const Case cases[] = {
      {"spawn: starts a thread\n", "Array", nullptr},
      {"# a comment\nMath.abs: absolute\nNoSuchThing: nothing\n", "Math.max", "NoSuchThing"},
      {"Math.nosuch: nothing\n", "console.log", "Math.nosuch"},
  };
  for (const Case& c : cases) {
    kv::BuiltinReference r = kv::makeBuiltinReference(c.text);
    auto has = [](const std::vector<std::string>& v, const char* n) {
      return std::find(v.begin(), v.end(), n) != v.end();
    };
    if (c.undescribed) {
      EXPECT_TRUE(has(r.undescribed, c.undescribed)) << c.text;
    }
    if (c.unknown) {
      EXPECT_TRUE(has(r.unknown, c.unknown)) << c.text;
    }
    // A described name is never reported.
    EXPECT_FALSE(has(r.undescribed, "spawn") && std::string(c.text).find("spawn:") != std::string::npos);
  }
}

}  // namespace
}  // namespace kvtest
