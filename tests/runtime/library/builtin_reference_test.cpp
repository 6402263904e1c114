// The built-in reference covers every row of the built-in table, every method
// of the classes and every namespace member, documents the argument counts the
// tables declare, and the copy in docs/ is what the build generates.
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

std::string firstOf(const std::vector<std::string>& v) { return v.empty() ? "" : v.front(); }

using BuiltinReferenceTest = LibraryTest;

TEST_F(BuiltinReferenceTest, EveryRowMethodAndMemberIsDescribedAndTheCommittedCopyIsCurrent) {
  const std::string descriptions = readSource("runtime/library/builtin_descriptions.txt");
  ASSERT_FALSE(descriptions.empty());
  kv::BuiltinReference r = kv::makeBuiltinReference(descriptions);
  EXPECT_TRUE(r.undescribed.empty()) << r.undescribed.size() << " without a description, first "
                                     << firstOf(r.undescribed);
  EXPECT_TRUE(r.unknown.empty()) << "first description of nothing: " << firstOf(r.unknown);
  EXPECT_TRUE(r.mismatched.empty()) << "first argument count that differs: " << firstOf(r.mismatched);
  for (const kv::BuiltinClassEntry& e : kv::builtinClassTable())
    EXPECT_NE(r.markdown.find("### `" + std::string(e.name)), std::string::npos) << e.name;
  EXPECT_NE(r.markdown.find("`KEY_INPUT_ESCAPE` | 1 |"), std::string::npos);
  EXPECT_EQ(r.markdown, readSource("docs/builtin-reference.md"))
      << "regenerate docs/builtin-reference.md: build/tools/builtin_reference/builtin_reference "
         "runtime/library/builtin_descriptions.txt docs/builtin-reference.md";
}

TEST_F(BuiltinReferenceTest, MissingStrayAndMiscountedDescriptionsAreReported) {
  struct Case {
    const char* text;
    const char* undescribed;  // expected among the undescribed, or null
    const char* unknown;      // expected among the unknown, or null
    const char* mismatched;   // expected at the start of a mismatch, or null
  };
  const Case cases[] = {
      {"== spawn\nstarts a thread\n", "Array", nullptr, "spawn: documented 0, declared 9"},
      {"# a comment\n== Math.abs\nabsolute\narg x: a number\n== NoSuchThing\nnothing\n", "Math.max", "NoSuchThing",
       nullptr},
      {"== Math.nosuch\nnothing\n", "console.log", "Math.nosuch", nullptr},
      // A function declared without parameters that reads one all the same.
      {"== stop_sound\nstops\narg+ sound: a Sound\n", "play_sound", nullptr, nullptr},
      {"== stop_sound\nstops\narg sound: a Sound\n", nullptr, nullptr, "stop_sound: documented 1, declared 0"},
      // Methods: one left out, one that does not exist, one with the wrong count.
      {"== Layer\nlayers\nmethod setPriority() -> undefined: moves it\nmethod fly(x) -> undefined: no\n",
       "Layer.getPriority", "Layer.fly", "Layer.setPriority: documented 0, declared 1"},
  };
  auto has = [](const std::vector<std::string>& v, const std::string& n) {
    return std::find(v.begin(), v.end(), n) != v.end();
  };
  for (const Case& c : cases) {
    kv::BuiltinReference r = kv::makeBuiltinReference(c.text);
    if (c.undescribed) {
      EXPECT_TRUE(has(r.undescribed, c.undescribed)) << c.text;
    }
    if (c.unknown) {
      EXPECT_TRUE(has(r.unknown, c.unknown)) << c.text;
    }
    if (c.mismatched) EXPECT_TRUE(has(r.mismatched, c.mismatched)) << c.text << firstOf(r.mismatched);
    else EXPECT_TRUE(r.mismatched.empty()) << c.text << firstOf(r.mismatched);
    // A described name is never reported as undescribed.
    EXPECT_FALSE(has(r.undescribed, "spawn") && std::string(c.text).find("== spawn") != std::string::npos);
  }
}

}  // namespace
}  // namespace kvtest
