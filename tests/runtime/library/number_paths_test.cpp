// Arithmetic and equality that the interpreter answers inline (floats mixed
// with integers, compound stores of floats, null and object tests) must give
// what the value operations give. Each line of the program is a check that
// logs "ok" or the failing case's name.
#include <string>
#include <vector>

#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

using NumberPathsTest = ScriptTest;

const char* const kChecks = R"(function check(name, yes) { if (yes) console.log("ok"); else console.log("failed " @ name); }
var i = 3, f = 0.5, n = null, u, o = {m: 1.5, k: 2}, p = {m: 1.5}, q = o, s = "ab", big = 2147483647;
check("int + float", i + f == 3.5);
check("float - int", f - i == -2.5);
check("int * float", i * f == 1.5);
check("int / float", i / f == 6.0);
check("int / int truncates", 7 / 2 == 3);
check("int / 0 is NaN", (7 / 0 == 7 / 0) == false);
check("float / 0 is infinite", 1.0 / 0 > 1000000000.0);
check("wrap stays int", big + 1 == -2147483647 - 1);
check("float + int past int range", big + 1.0 == 2147483648.0);
check("int + float keeps float", (int)((i + f) * 2) == 7);
check("null == null", n == null);
check("null != undefined", n != u);
check("object == itself", o == q);
check("object != other", o != p);
check("object != null", o != null);
check("bool == bool", (i > 2) == true);
check("float bits", 0.5 == f);
check("string == string", s == "a" @ "b");
check("int != float of same value", (1 == 1.0) == false);
var x = 1.25, y = 4;
x += 1; check("local += int", x == 2.25);
x -= 0.25; check("local -= float", x == 2.0);
x *= y; check("local *= int", x == 8.0);
x /= 16; check("local /= int", x == 0.5);
y += 0.5; check("int local += float", y == 4.5);
o.m += 0.5; check("member += float", o.m == 2.0);
o.m *= 3; check("member *= int", o.m == 6.0);
o.m /= 4; check("member /= int", o.m == 1.5);
o.k -= 0.5; check("int member -= float", o.k == 1.5);
var t = 0.0, k;
for (k = 0; k < 10; k++) t += 0.1 * k;
check("float sum in loop", t > 4.49 && t < 4.51);)";

TEST_P(NumberPathsTest, InlineAnswersAgreeWithTheValueOperations) {
  std::vector<std::string> out = runScript(kChecks, 2);
  ASSERT_EQ(out.size(), 29u);
  for (const std::string& line : out) EXPECT_EQ(line, "ok");
}

INSTANTIATE_TEST_SUITE_P(Stress, NumberPathsTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
