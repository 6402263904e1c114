// Tests of the library's built-in methods written in script code.
#include <string>
#include <vector>

#include "runtime/library/array_build.h"
#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

using Lines = std::vector<std::string>;

// Joins an array's elements by index, holes and undefined included.
const char* const kPrelude =
    "function show(a) { var s = \"\"; var i = 0;"
    " while (i < a.length) { if (i > 0) s = s @ \" \"; s = s @ a[i]; i++; } return s; }\n";

TEST_F(LibraryTest, BuiltCodeIsLinkedWithTheFrameOfEachMethod) {
  struct Row {
    kv::BuiltMethod which;
    size_t params, locals;
  };
  const Row rows[] = {{kv::kBuiltForEach, 2, 2}, {kv::kBuiltReduce, 2, 3},    {kv::kBuiltMap, 2, 3},
                      {kv::kBuiltFind, 2, 2},    {kv::kBuiltFindIndex, 2, 3}, {kv::kBuiltFilter, 2, 3},
                      {kv::kBuiltSort, 1, 1},    {kv::kBuiltSortRange, 5, 5}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.which);
    const kv::FunctionRecord* rec = kv::builtMethodRecord(r.which);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->params.size(), r.params);
    EXPECT_EQ(rec->locals.size(), r.locals);
    const kv::CodeVector& code = *rec->body.code;
    const auto size = static_cast<int32_t>(code.size());
    int32_t thrownJumps = 0;
    for (const kv::CodeNode* n : code) {
      EXPECT_NE(n->kind, kv::Label);
      EXPECT_EQ(n->line, 0);
      switch (n->kind) {
        case kv::JumpIf:
          ASSERT_NE(n->first.label, nullptr);
          EXPECT_GE(n->first.label->position, 0);
          EXPECT_LE(n->first.label->position, size);
          break;
        case kv::JumpIfFalse121: case kv::Jump122: case kv::Jump165:
          EXPECT_GE(n->operand.i, 0);
          EXPECT_LE(n->operand.i, size);
          break;
        case kv::JumpToHandlerIfThrown:
          // The label a thrown value leaves by is never placed.
          ASSERT_NE(n->first.label, nullptr);
          EXPECT_EQ(n->first.label->position, -1);
          ++thrownJumps;
          break;
        default:
          break;
      }
    }
    EXPECT_GT(thrownJumps, 0);
  }
}

struct ScriptCase {
  const char* name;
  const char* script;
  Lines expected;
};

class ArrayScriptTest : public ScriptTest {};

const ScriptCase kCases[] = {
    {"SortCallsTheComparatorInMergeOrder",
     "var calls = \"\";\n"
     "function le(a, b) { calls = calls @ a @ \"<=\" @ b @ \" \"; return a <= b; }\n"
     "var a = [5, 1, 4, 2, 3];\n"
     "var r = a.sort(le);\n"
     "console.log(calls);\n"
     "console.log(show(a) @ \" \" @ (r == a));\n",
     {"2<=3 4<=2 4<=3 5<=1 1<=2 5<=2 5<=3 5<=4 ", "1 2 3 4 5 true"}},
    {"UndefinedElementsGoLastWithoutAComparison",
     "var u; var calls = 0;\n"
     "var a = [2, u, 1];\n"
     "a.sort(function (x, y) { calls++; console.log(x @ \"<=\" @ y); return x <= y; });\n"
     "console.log(show(a) @ \" \" @ calls);\n",
     {"2<=1", "1 2 [undefined] 1"}},
    {"LessOrEqualKeepsEqualKeysInOrderAndLessDoesNot",
     "function names(a) { var s = \"\"; var i = 0; while (i < a.length) { s = s @ a[i].n; i++; } return s; }\n"
     "var a = [{n: \"b\", k: 1}, {n: \"a\", k: 2}, {n: \"c\", k: 2}];\n"
     "var b = a.slice();\n"
     "a.sort(function (x, y) { return x.k <= y.k; });\n"
     "b.sort(function (x, y) { return x.k < y.k; });\n"
     "console.log(names(a) @ \" \" @ names(b));\n",
     {"bac bca"}},
    {"NoComparatorWarnsPerComparisonAndReverses",
     "var a = [1, 2, 3, 4];\n"
     "a.sort();\n"
     "console.log(show(a));\n",
     {"Wr0006 F:0 L:0 non-function object was called", "Wr0006 F:0 L:0 non-function object was called",
      "Wr0006 F:0 L:0 non-function object was called", "Wr0006 F:0 L:0 non-function object was called",
      "4 3 2 1"}},
    {"MoreThan1024ElementsAreLeftAlone",
     "var a = []; var i = 0;\n"
     "while (i < 1025) { a.push(1025 - i); i++; }\n"
     "var r = a.sort(function (x, y) { return x <= y; });\n"
     "console.log(a[0] @ \" \" @ a[1024] @ \" \" @ (r == a));\n",
     {"Wr0025 F:0 L:0 limit on implementation: Array.prototype.sort", "1025 1 true"}},
    {"ThrowingComparatorLeavesTheOldOrderAndTheNextSortSorts",
     "var a = [5, 1, 4, 2, 3]; var n = 0;\n"
     "try { a.sort(function (x, y) { n++; if (n == 5) throw {v: \"stop\"}; return x <= y; }); }\n"
     "catch (e) { console.log(\"caught \" @ e.v); }\n"
     "console.log(show(a));\n"
     "a.sort(function (x, y) { return x <= y; });\n"
     "console.log(show(a));\n",
     {"caught stop", "5 1 4 2 3", "1 2 3 4 5"}},
    {"ComparatorThatSortsTheSameArrayDoesNotCorruptIt",
     "var a = [4, 3, 2, 1, 6, 5]; var b = [3, 2, 1]; var inner = 0;\n"
     "var r = a.sort(function (x, y) {\n"
     "  if (inner < 3) { inner++; var q = a.sort(function (p, s) { return p <= s; }); b.sort(function (p, s) { return p <= s; }); }\n"
     "  return x <= y; });\n"
     "console.log(show(a) @ \" / \" @ show(b) @ \" \" @ (r == a));\n",
     {"1 2 3 4 5 6 / 1 2 3 true"}},
    {"ComparatorThatWaitsResumesOnLaterTicks",
     "var a = [3, 1, 2]; var calls = 0;\n"
     "a.sort(function (x, y) { calls++; wait; return x <= y; });\n"
     "console.log(show(a) @ \" \" @ calls);\n",
     {"1 2 3 3"}},
    // The member is a cell a script may write; the sort goes by the elements.
    {"AWrittenLengthNeitherShortensNorStretchesTheSort",
     "function le(x, y) { return x <= y; }\n"
     "function firsts(a) { return a[0] @ \" \" @ a[1] @ \" \" @ a[2] @ \" \" @ a[3]; }\n"
     "var a = [4, 3, 2, 1]; a.length = 2; a.sort(le);\n"
     "var b = [3, 1, 2]; b.length = 100; b.sort(le);\n"
     "var c = [2, 1]; c.length = \"two\"; c.sort(le);\n"
     "var d = [9, 8, 7]; delete d.length; d.sort(le);\n"
     "console.log(firsts(a) @ \" / \" @ firsts(b) @ \" / \" @ firsts(c) @ \" / \" @ firsts(d));\n"
     "console.log(a.length @ \" \" @ b.length @ \" \" @ c.length);\n",
     {"1 2 3 4 / 1 2 3 [undefined] / 1 2 [undefined] [undefined] / 7 8 9 [undefined]", "2 100 two"}},
    {"ShortArraysAreReturnedWithoutACall",
     "var a = [7]; var e = []; var calls = 0;\n"
     "function c(x, y) { calls++; return x <= y; }\n"
     "console.log((a.sort(c) == a) @ \" \" @ (e.sort(c) == e) @ \" \" @ calls);\n",
     {"true true 0"}},
    {"MapSkipsUndefinedElements",
     "var u; var a = [1, u, 3]; var calls = 0;\n"
     "var m = a.map(function (x) { calls++; return x * 2; });\n"
     "console.log(m.length @ \" \" @ show(m) @ \" \" @ calls);\n",
     {"2 2 6 2"}},
    {"FilterFindAndFindIndex",
     "var a = [1, 2, 3, 4, 5];\n"
     "console.log(show(a.filter(function (x) { return x % 2; })));\n"
     "console.log(a.find(function (x) { return x > 2; }) @ \" \" @ a.find(function (x) { return x > 9; }));\n"
     "console.log(a.findIndex(function (x) { return x > 2; }) @ \" \" @ a.findIndex(function (x) { return 0; }));\n"
     "console.log(a.filter(function (x) { return false; }).length);\n",
     {"1 3 5", "3 [undefined]", "2 -1", "0"}},
    {"FindIndexReportsTheScriptIndexAfterShiftAndUnshift",
     "var a = [9, 8, 1, 2];\n"
     "a.shift(); a.shift(); a.unshift(0);\n"
     "console.log(a.findIndex(function (x) { return x == 2; }));\n",
     {"2"}},
    {"ReduceStartsWithTheFirstElement",
     "var calls = 0;\n"
     "function add(s, x) { calls++; return s + x; }\n"
     "console.log([1, 2, 3, 4].reduce(add) @ \" \" @ calls);\n"
     "console.log([7].reduce(add) @ \" \" @ [].reduce(add) @ \" \" @ calls);\n",
     {"10 3", "7 [undefined] 3"}},
    {"ForEachVisitsElementsPushedDuringTheWalk",
     "var a = [1, 2]; var count = 0;\n"
     "var r = a.forEach(function (x) { count++; if (x < 3) a.push(x + 2); });\n"
     "console.log(a.length @ \":\" @ count @ \" \" @ r);\n",
     {"4:4 [undefined]"}},
    {"WalkInsideACallbackIsIndependent",
     "var a = [1, 2, 3]; var s = \"\";\n"
     "a.forEach(function (x) { a.forEach(function (y) { s = s @ x @ y @ \" \"; }); });\n"
     "console.log(s);\n",
     {"11 12 13 21 22 23 31 32 33 "}},
    {"ThrowingCallbackDropsTheResult",
     "var r = 1;\n"
     "try { r = [1, 2, 3].map(function (x) { if (x == 2) throw {v: \"no\"}; return x; }); }\n"
     "catch (e) { console.log(\"caught \" @ e.v @ \" \" @ r); }\n",
     {"caught no 1"}},
    {"NonFunctionCallbackWarnsAndCountsAsFalse",
     "var m = [1, 2].map(5);\n"
     "console.log(m.length @ \" \" @ [1, 2].find(5) @ \" \" @ [1, 2, 3].reduce(5));\n",
     // Four a code is the warning limiter's default.
     {"Wr0006 F:0 L:0 non-function object was called", "Wr0006 F:0 L:0 non-function object was called",
      "Wr0006 F:0 L:0 non-function object was called", "Wr0006 F:0 L:0 non-function object was called",
      "2 [undefined] [undefined]"}},
    {"ReceiverThatIsNotAnArrayEndsTheRun",
     "var f = [].forEach;\n"
     "f(function (x) { console.log(x); });\n"
     "console.log(\"not reached\");\n",
     {"error 23"}},
};

TEST_P(ArrayScriptTest, Cases) {
  for (const ScriptCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    EXPECT_EQ(runScript(std::string(kPrelude) + c.script), c.expected);
  }
}

// Thousands of sorts and walks, comparators and callbacks that throw,
// and comparators that wait in two threads sorting at once, one of them
// also trying the other's array while it is being sorted.
TEST_P(ArrayScriptTest, StatefulPathsHoldUpInLoops) {
  const int rounds = GetParam() ? 400 : 2000;
  std::string script = std::string(kPrelude) +
                       "var rounds = " + std::to_string(rounds) + ";\n"
                       "function le(x, y) { return x <= y; }\n"
                       "function sorted(a) { var i = 1; while (i < a.length) { if (a[i - 1] > a[i]) return false; i++; } return true; }\n"
                       "var bad = 0; var caught = 0; var seed = 7; var k = 0;\n"
                       "while (k < rounds) {\n"
                       "  var a = []; var i = 0;\n"
                       "  while (i < 17) { seed = (seed * 1103 + 12345) % 65536; a.push(seed % 100); i++; }\n"
                       "  var before = a.reduce(function (s, x) { return s + x; });\n"
                       "  if (a.sort(le) != a || !sorted(a)) bad++;\n"
                       "  if (a.map(function (x) { return x; }).reduce(function (s, x) { return s + x; }) != before) bad++;\n"
                       "  var n = 0;\n"
                       "  try { a.sort(function (p, q) { n++; if (n == 9) throw {v: n}; return p > q; }); }\n"
                       "  catch (e) { caught++; }\n"
                       "  try { a.forEach(function (x) { if (x >= 0) throw {v: x}; }); }\n"
                       "  catch (e) { caught++; }\n"
                       "  if (a.filter(function (x) { return true; }).length != 17 || !sorted(a)) bad++;\n"
                       "  k++;\n"
                       "}\n"
                       "console.log(\"bad \" @ bad @ \" caught \" @ caught);\n"
                       "var shared = [9, 8, 7, 6, 5, 4, 3, 2, 1]; var other = [5, 3, 1, 4, 2]; var done = 0;\n"
                       "function slow(x, y) { wait; return x <= y; }\n"
                       "function worker(which) {\n"
                       "  var j = 0;\n"
                       "  while (j < 5) {\n"
                       "    if (which == 1) { shared.sort(slow); other.sort(le); }\n"
                       "    else { other.sort(slow); shared.sort(le); }\n"
                       "    j++;\n"
                       "  }\n"
                       "  done++;\n"
                       "}\n"
                       "spawn(worker, 1); spawn(worker, 2);\n"
                       "while (done < 2) { wait; }\n"
                       "console.log(show(shared) @ \" / \" @ show(other));\n";
  EXPECT_EQ(runScript(script, 100000),
            (Lines{"bad 0 caught " + std::to_string(2 * rounds), "1 2 3 4 5 6 7 8 9 / 1 2 3 4 5"}));
}

// The sort against the same top-down merge written as a script: both sides
// see the comparator called with the same pairs in the same order (a hash
// of every call's arguments and answer), including comparators that answer
// texts, numbers and objects and comparators that contradict themselves,
// on arrays of every length up to 70 with duplicates, floats and texts,
// and on records whose order shows stability.
TEST_P(ArrayScriptTest, SortCallsTheComparatorAsTheMergeItIsBuiltOn) {
  const int rounds = GetParam() ? 60 : 600;
  std::string script = std::string(kPrelude) + "var rounds = " + std::to_string(rounds) + R"(;
var seed = 99, h = 0, calls = 0, mode = 0, bad = 0;
function rnd(m) { seed = (seed * 75 + 74) % 65537; return seed % m; }
function keyOf(x) { if (mode == 0) return x; return x.n; }
function cmp(x, y) {
  var r;
  calls++;
  if (mode == 0) r = x <= y;
  else if (mode == 1) r = x.k <= y.k;
  else if (mode == 2) r = (calls * 7 + x.k) % 3;
  else if (mode == 3) { r = ""; if (x.k < y.k) r = "yes"; }
  else { r = null; if (x.k <= y.k) r = {}; }
  h = (h * 31 + calls * 2 + !r) % 1000003;
  return r;
}
function range(b, lo, n) {
  var la = n >> 1, lb = n - la, i = 0, j = 0, k = 0, t, s = [];
  if (la > 2) range(b, lo, la);
  if (lb > 2) range(b, lo + la, lb);
  if (la == 2 && !cmp(b[lo], b[lo + 1])) { t = b[lo]; b[lo] = b[lo + 1]; b[lo + 1] = t; }
  if (lb == 2 && !cmp(b[lo + la], b[lo + la + 1])) { t = b[lo + la]; b[lo + la] = b[lo + la + 1]; b[lo + la + 1] = t; }
  while (i < la || j < lb) {
    if (i < la && (j >= lb || cmp(b[lo + i], b[lo + la + j]))) { s.push(b[lo + i]); i++; }
    else { s.push(b[lo + la + j]); j++; }
  }
  for (k = 0; k < n; k++) b[lo + k] = s[k];
}
var r, n, i, t, a, b, ha, hb, ca, cb, sa, sb;
for (r = 0; r < rounds; r++) {
  mode = r % 5;
  n = rnd(71);
  a = [];
  for (i = 0; i < n; i++) {
    t = rnd(10);
    if (mode != 0) a.push({k: rnd(6), n: i});
    else if (t == 0) a.push(rnd(9) + 0.5);
    else if (t == 1) a.push("s" @ rnd(5));
    else a.push(rnd(12));
  }
  b = a.slice();
  h = 0; calls = 0;
  a.sort(cmp);
  ha = h; ca = calls;
  h = 0; calls = 0;
  if (b.length > 1) range(b, 0, b.length);
  hb = h; cb = calls;
  sa = ""; sb = "";
  for (i = 0; i < n; i++) { sa = sa @ keyOf(a[i]) @ ","; sb = sb @ keyOf(b[i]) @ ","; }
  if (ha != hb || ca != cb || sa != sb) { bad++; if (bad < 4) console.log(r @ ": " @ ca @ "/" @ cb @ " " @ sa @ " / " @ sb); }
}
console.log("bad " @ bad);
)";
  EXPECT_EQ(runScript(script, 100000), (Lines{"bad 0"}));
}

INSTANTIATE_TEST_SUITE_P(Collector, ArrayScriptTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
