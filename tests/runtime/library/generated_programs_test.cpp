// Programs made from a fixed seed, run record by record, with fused records
// and with a collection at every allocation: the logs, the warnings with
// their positions and the records the message pump meets must agree. The
// programs mix integers at the 32-bit limits, floats, null, undefined and
// object comparisons, members, closures, generators, exceptions, a second
// micro-thread and waits, in the combinations no hand-written case tries.
#include <cstdint>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "runtime/compiler/compile_driver.h"
#include "runtime/vm/context.h"
#include "runtime/vm/fuse.h"
#include "runtime/vm/interpreter.h"
#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

// A small linear congruential source: the same programs on every library
// and machine, which the standard distributions do not promise.
class Dice {
 public:
  explicit Dice(uint64_t seed) : state_(seed * 2862933555777941757ull + 3037000493ull) {}
  uint32_t below(uint32_t n) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33) % n;
  }
  bool chance(uint32_t percent) { return below(100) < percent; }
  template <size_t N>
  const char* pick(const char* const (&from)[N]) {
    return from[below(N)];
  }

 private:
  uint64_t state_;
};

// Writes one program. Names the statements may change: a b (numbers),
// c d (anything: null, undefined, objects, numbers), o.x o.y p.x (members),
// arr[k] arr[m] (elements; m a key that may fall outside the array or be no
// integer), s (a sum); i, j stay the loops' own.
class ProgramWriter {
 public:
  explicit ProgramWriter(uint64_t seed) : dice_(seed) {}

  std::string write() {
    // fi is +infinity and fn a float NaN, made by arithmetic (not the NaN
    // constant), as a program's own overflow makes them.
    out_ =
        "var fi = 10000000000.0, fn; fi = fi * fi * fi * fi; fi = fi * fi * fi * fi * fi * fi * fi * fi * fi; "
        "fn = fi - fi;\n"
        "var a = " + number() + ", b = " + number() + ", c = null, d, s = 0, i, j, e = 1, done = 0, g, r, h, t, m = 0;\n"
        "var o = {x: " + number() + ", y: " + number() + "}, q = {x: 1, y: 2}, p = o, arr = [3, -7, 2147483647, 0.5];\n"
        // Elements of every kind, a typed view and a function object for
        // the reads inside expressions and tests; w turns between them.
        "var ws = [1, 2.5, \"t\", q, undefined, -2147483647, null, true], vw = new Int32Array(new ArrayBuffer(16), 0), "
        "w = q, oi = {};\nvw[1] = 9;\n"
        "function Pt(x, y) { this.x = x; this.y = y; this.n = 0; }\n"
        "Pt.prototype.sum = function (k) { this.n += k; this.x = this.x * 3 + k; if (this.n > this.x - this.y) "
        "this.n -= this.y * 0.5; if (!this.z) this.n++; return this.x + this.y + this.n; };\n"
        "function f2(x, y) { return " + calls(false, [&] { return expr(2); }) + "; }\n"
        "function mk(k) { var n = k; return function (z) { n = n + z; n = n | 0; return n; }; }\n"
        "function *gen(n, m) { var k; for (k = 0; k < n; k++) { if (k == 3 && m < 0) throw {v: m}; yield k * m; } "
        "return -1; }\n"
        "function acc(n, w) { var t = 0, k; for (k = 0; k < n; k += 2) { t += k * w; t ^= k; t -= w; } return t; }\n"
        "function bump(k, w) { var z = arr[k], y = o.x; arr[k] += w << 1; o.x -= w >> 2; q.y = w; "
        "if (k == 2) arr[k] = c; if (w < a || y != e) s = s ^ 1; z = o.y; y = arr[k]; "
        "return arr[k] == undefined ? 0 : 1; }\n"
        "function thrower(v) { if (v > 100 || v < -100) throw {v: v}; if (v == 7) throw 7; return v; }\n"
        "function fl(x, y) { var u = x * 0.5, w = 0.0, k, z = 3; for (k = 0.5; k < 4; k += 1.25) { w += u * k - y / 3.0; "
        "u = (u - w) / 2.0; z = z * k + 1; if (w * u < y) w -= 0.125; if (z / 2 >= u) z -= 2; } while (z > 1.5) { z -= 2.5; } "
        "return w + u + z; }\n"
        "var u = [], uo = {push: function (v) { s = (s + 1) | 0; return v; }, pop: function () { return 7; }}, "
        "ur = [5, 6];\n"
        "function ix(k, v) { var t = arr[k + m - 1]; if (!ws[k - 1] && oi[k * 2 + e] != v) t = 1; oi[k + m] = v; "
        "arr[(k & 3) + 1] = v; u[k - 1] = t; w[k + 1] = k; return t == undefined ? 0 : 1; }\n"
        "function worker(n) { var k; for (k = 0; k < n; k++) { e = (e * 3 + k) % 1000; o.y = o.y + 1; wait; } done++; }\n"
        // Calls nested in calls: a recursion that throws or waits at its
        // bottom, throws caught a few frames up through finally blocks, a
        // closure made after its maker's own calls returned and a generator
        // that calls what it is given.
        "function rec(n, k) { if (n <= 0) { if (k == 3) throw {v: k}; if (k == 5) wait; return k; } "
        "return rec(n - 1, k) + n; }\n"
        "function deep(n, v) { var z = n; try { if (n <= 0) return thrower(v); return deep(n - 1, v) + 1; } "
        "finally { s = (s + z) | 0; } }\n"
        "function catchAt(n, at, v) { if (n <= at) { try { return deep(n, v); } catch (x) { "
        "return x.v == undefined ? -1 : -x.v; } } return catchAt(n - 1, at, v) + 1; }\n"
        "function mkIn(n) { var k = rec(n & 3, 1); return function (z) { k = (k + z + n) | 0; return k; }; }\n"
        "function *gcall(n, f) { var k; for (k = 0; k < n; k++) yield f(k & 3, 2); return 1; }\n"
        "function nextOf(g) { return g.next(0); }\n"
        // Reads of outer objects compared with locals and constants, tested
        // by loops, if, && and ||, while w and the elements change kind.
        "function cmpIn(k, v) { var n = 0, j, l = arr; for (j = 0; j < l.length && j < 9; j++) { "
        "if (l[j] == v || ws[k] != v) n++; } while (n > 0 && w.x > k) { n--; } "
        "if (k < ws.length && ws[k] >= v) n += 2; if (vw[1] == 9 || o.x < k && q.y != v) n += 4; "
        "if (w[1] <= v || oi[k] == undefined) n += 8; return n; }\n";
    // The built-in method replaced for every array, from the start or in the middle of the run.
    if (dice_.chance(10)) out_ += "Array.prototype.pop = function () { s = s ^ 9; return -5; };\n";
    if (dice_.chance(50)) out_ += "spawn(worker, " + std::to_string(1 + dice_.below(4)) + ");\n";
    int blocks = 2 + static_cast<int>(dice_.below(3));
    for (int k = 0; k < blocks; ++k) {
      out_ += "for (i = 0; i < " + std::to_string(2 + dice_.below(40)) + "; i++) {\n";
      int n = 2 + static_cast<int>(dice_.below(6));
      for (int m = 0; m < n; ++m) out_ += "  " + statement(2) + "\n";
      if (dice_.chance(30)) out_ += "  if (i % " + std::to_string(2 + dice_.below(9)) + " == 0) wait;\n";
      out_ += "}\n";
      out_ += report(k);
      if (dice_.chance(5)) out_ += "Array.prototype.push = function (v) { s = (s + 2) | 0; return v; };\n";
    }
    out_ += "while (done == 0 && e != 1 && i < 1000) { i++; wait; }\n";
    out_ += report(blocks);
    return out_;
  }

 private:
  std::string number() {
    static const char* const kInts[] = {"0",          "1",          "-1",         "2",          "7",
                                        "13",         "100",        "-100",       "65535",      "65536",
                                        "46341",      "2147483647", "2147483646", "-2147483647", "(-2147483647 - 1)",
                                        "1073741824", "-3",         "255"};
    static const char* const kFloats[] = {"0.5",  "-1.75", "2.25", "10000000000.0", "-0.0", "3.0",
                                          "0.0000001", "2147483648.0", "fi", "fn", "-fi", "-2147483649.0"};
    return dice_.chance(70) ? dice_.pick(kInts) : dice_.pick(kFloats);
  }

  std::string numberPlace() {
    static const char* const kPlaces[] = {"a", "b", "s", "o.x", "o.y", "p.x", "arr[i % 4]", "arr[1]", "i"};
    return dice_.pick(kPlaces);
  }

  std::string anything() {
    static const char* const kAny[] = {"c", "d", "null", "undefined", "o", "q", "p", "a", "true", "false"};
    return dice_.pick(kAny);
  }

  std::string condition(int depth) {
    static const char* const kCompare[] = {"<", "<=", ">", ">=", "==", "!="};
    switch (dice_.below(depth > 0 ? 5 : 3)) {
      case 0: return "(" + anything() + (dice_.chance(50) ? " == " : " != ") + anything() + ")";
      case 1: return "(" + expr(depth - 1) + " " + dice_.pick(kCompare) + " " + expr(depth - 1) + ")";
      case 2: return "(" + numberPlace() + " " + dice_.pick(kCompare) + " " + number() + ")";
      case 3: return "(" + condition(depth - 1) + (dice_.chance(50) ? " && " : " || ") + condition(depth - 1) + ")";
      default: return "!" + condition(depth - 1);
    }
  }

  std::string expr(int depth) {
    static const char* const kOps[] = {"+", "-", "*", "/", "%", "&", "|", "^", "<<", ">>", "+", "-", "*"};
    if (depth <= 0 || dice_.chance(25)) return dice_.chance(55) ? numberPlace() : number();
    switch (dice_.below(8)) {
      case 0: return "-(" + expr(depth - 1) + ")";
      case 1: return "(" + condition(depth - 1) + " ? " + expr(depth - 1) + " : " + expr(depth - 1) + ")";
      case 2:
        if (calls_) return "f2(" + expr(depth - 1) + ", " + expr(depth - 1) + ")";
        return "(x " + std::string(dice_.pick(kOps)) + " y)";
      case 3: return "(" + condition(depth - 1) + " ? 1 : 0)";
      default: return "(" + expr(depth - 1) + " " + dice_.pick(kOps) + " " + expr(depth - 1) + ")";
    }
  }

  // An expression of the frame's own variables and constants only, as the
  // fused number steps evaluate it whole.
  std::string flat(int depth) {
    static const char* const kVars[] = {"a", "b", "s", "m", "i"};
    static const char* const kOps[] = {"+", "-", "*", "/", "%", "&", "|", "^", "<<", ">>", "+", "-", "*", "/"};
    if (depth <= 0 || dice_.chance(30)) return dice_.chance(50) ? dice_.pick(kVars) : number();
    return "(" + flat(depth - 1) + " " + dice_.pick(kOps) + " " + flat(depth - 1) + ")";
  }

  // As flat, with member and element reads among the operands: members
  // missing or turned float, elements past the end, of every kind, keys that
  // are no integers, a view, a function object and a text.
  std::string flatRead(int depth) {
    static const char* const kReads[] = {"o.x", "q.y", "p.x", "o.z", "arr[1]", "arr[m]", "ws[m]", "ws[5]", "ws[i % 9]",
                                         "w.x", "w[1]", "vw[1]", "a", "i", "3", "0.5"};
    static const char* const kOps[] = {"+", "-", "*", "/", "%", "&", "|", "^", "+", "-", "*", "<<"};
    if (depth <= 0 || dice_.chance(30)) return dice_.pick(kReads);
    return "(" + flatRead(depth - 1) + " " + dice_.pick(kOps) + " " + flatRead(depth - 1) + ")";
  }

  std::string statement(int depth) {
    static const char* const kCompound[] = {"+=", "-=", "*=", "|=", "&=", "^=", "/=", "%="};
    static const char* const kTargets[] = {"a", "b", "s", "o.x", "o.y", "p.x", "arr[i % 4]", "arr[0]", "arr[m]"};
    static const char* const kKeys[] = {"0", "1", "3", "(i % 4)", "4", "-1", "1.0", "(i & 3)"};
    static const char* const kValues[] = {"true", "false", "null", "undefined", "0.5", "-2147483647", "c", "o",
                                          "a", "s", "q"};
    static const char* const kValueTargets[] = {"c", "d", "o.x", "p.x", "arr[m]", "arr[m]", "q.y"};
    static const char* const kFlatTargets[] = {"a", "b", "s", "o.x", "arr[0]", "arr[m]"};
    static const char* const kFlatCompare[] = {"<", "<=", ">", ">=", "==", "!="};
    static const char* const kLoopStarts[] = {"-1.5", "0", "0.5", "2", "-0.0", "1"};
    static const char* const kTests[] = {"ws[m]", "ws[1]", "arr[m]", "o.z", "q.y", "w.x", "w[0]", "vw[2]"};
    static const char* const kWs[] = {"q", "o", "arr", "ws", "vw", "f2", "\"text\"", "new Pt(1, 2)"};
    switch (dice_.below(depth > 0 ? 43 : 12)) {
      case 0: case 1: return std::string(dice_.pick(kTargets)) + " = " + expr(3) + ";";
      case 2: case 3: return std::string(dice_.pick(kTargets)) + " " + dice_.pick(kCompound) + " " + expr(2) + ";";
      case 4: {
        static const char* const kSteps[] = {"a++;", "b--;", "++o.x;", "o.y--;", "arr[i % 4]++;", "s++;", "--p.x;"};
        return dice_.pick(kSteps);
      }
      case 5: return std::string(dice_.chance(50) ? "c" : "d") + " = " + anything() + ";";
      case 6: return "p = " + condition(1) + " ? o : q;";
      case 7: return "s = (s + (" + condition(2) + " ? 3 : 5)) | 0;";
      case 8: return "h = mk(" + expr(1) + "); s = (s + h(" + expr(1) + ") + h(i)) | 0;";
      case 9: return "try { a = thrower(" + expr(2) + "); } catch (x) { b = x.v; s = s + 1; } finally { s = s ^ 5; }";
      case 10: return "t = new Pt(" + expr(1) + ", " + expr(1) + "); s = (s + t.sum(i)) | 0; c = t;";
      case 11: return "if (c != null && c != undefined && c.x != undefined) c.x = " + expr(1) + ";";
      case 12: return "if (" + condition(2) + ") { " + statement(depth - 1) + " } else { " + statement(depth - 1) + " }";
      case 13:
        return "try { g = gen(" + std::to_string(dice_.below(6)) + ", " + expr(1) +
               "); r = g.next(0); while (!r.done) { s = (s + r.value) | 0; r = g.next(0); } s = s + r.value; } "
               "catch (x) { s = s - 1; }";
      // One statement without loops of its own: j stays this loop's.
      case 14: return "for (j = 0; j < " + std::to_string(dice_.below(5)) + "; j++) { " + statement(0) + " }";
      case 15: return "o = {x: " + expr(1) + ", y: " + number() + "}; if (" + anything() + " == o) s++;";
      case 16: return "arr.push(" + expr(1) + "); if (arr.length > 12) arr = [arr[0], arr[1], arr[2], arr[3]];";
      case 17: return "if (i == " + std::to_string(dice_.below(6)) + ") { wait; }";
      // Calls of whatever c or d holds: a warning and an undefined result
      // unless it is a function.
      case 18: return "t = " + std::string(dice_.chance(50) ? "c" : "d") + "(i); if (t != undefined) s++;";
      case 19: return "m = " + std::string(dice_.pick(kKeys)) + "; arr[m] " + dice_.pick(kCompound) + " " + expr(2) + ";";
      case 22: return "c = arr[m]; d = q.y; if (c == d) s++;";
      case 20: return std::string(dice_.pick(kValueTargets)) + " = " + dice_.pick(kValues) + ";";
      case 21: return "s = (s + acc(i % 9, " + expr(1) + ") + bump(m, " + expr(1) + ")) | 0;";
      case 23: return std::string(dice_.pick(kFlatTargets)) + " = " + flat(3) + ";";
      case 24: return std::string(dice_.pick(kFlatTargets)) + " " + dice_.pick(kCompound) + " " + flat(2) + ";";
      case 25:
        return "if (" + flat(2) + " " + dice_.pick(kFlatCompare) + " " + flat(2) + ") s++; else a = " + flat(1) + ";";
      case 26:
        return "for (j = " + std::string(dice_.pick(kLoopStarts)) + "; j " + dice_.pick(kFlatCompare) + " " + flat(1) +
               " && j < 3; j += 0.75) { " + statement(0) + " } t = fl(" + flat(1) + ", " + flat(1) + "); s = (s + t) | 0;";
      // push and pop of the built-in methods on plain arrays beside objects
      // with methods of their own (and, in some programs, the built-in ones
      // replaced), arrays shared with the other statements, texts, missing
      // and extra arguments, and receivers without the methods.
      case 27: {
        static const char* const kPushers[] = {"u.push(" , "arr.push(", "uo.push(", "ur.push(", "u.push(\"t\" @ "};
        return std::string("t = ") + dice_.pick(kPushers) + expr(1) + "); if (t != undefined) s = (s + 3) | 0; c = u.pop(); if (c != undefined) s++; u.push(" +
               anything() + "); if (u.length > 9) u = []; d = u.pop(); u.push(); u.push(i, " + expr(1) + ");";
      }
      case 28: {
        static const char* const kArrays[] = {"[]", "[1, 2.5, c]", "uo", "ur", "arr", "o", "null", "u"};
        return std::string("u = ") + dice_.pick(kArrays) + "; c = u.pop(); t = u.push(" + expr(1) +
               "); c = u.pop(); t = u.pop(); s = (s + (t == undefined ? 1 : 2)) | 0;";
      }
      case 29: return std::string(dice_.pick(kFlatTargets)) + " = " + flatRead(3) + ";";
      case 30: return std::string(dice_.pick(kFlatTargets)) + " " + dice_.pick(kCompound) + " " + flatRead(2) + ";";
      case 31:
        return "if (" + flatRead(2) + " " + dice_.pick(kFlatCompare) + " " + flatRead(1) + ") s++; if (" +
               dice_.pick(kTests) + ") s += 3; if (!" + dice_.pick(kTests) + " && " + dice_.pick(kTests) + ") s--;";
      case 32: return "w = " + std::string(dice_.pick(kWs)) + "; m = " + dice_.pick(kKeys) + ";";
      // Elements keyed by an expression of locals and constants: keys past
      // the end, negative, wrapped past the 32-bit limit and turned float
      // (m), on arrays, a plain object with integer keys, a view, a function
      // object and a text (w); read, tested, and stored to.
      case 33: {
        const std::string base = dice_.pick(kIndexed);
        return "t = " + base + indexKey() + "; if (!" + base + indexKey() + " && " + dice_.pick(kIndexed) +
               indexKey() + " != c) s++; s = (s + (t == undefined ? 1 : t == null ? 2 : 3)) | 0;";
      }
      case 34: {
        const std::string base = dice_.pick(kIndexed);
        return base + indexKey() + " = " + dice_.pick(kValues) + "; " + base + indexKey() + " = " + flat(1) + "; " +
               dice_.pick(kIndexed) + indexKey() + " += " + flat(1) + "; c = " + base + indexKey() + ";";
      }
      case 35:
        return "oi[i + " + std::string(dice_.pick(kKeys)) + "] = i * 3 + s; oi[m * 2] = " + dice_.pick(kValues) +
               "; s = (s + oi[i + 1] + oi[i - 1]) % 1000003; if (oi[\"" + std::to_string(dice_.below(6)) +
               "\"] == oi[m + 1]) s++; c = oi[" + dice_.pick(kKeys) + "]; s = (s + ix(" + dice_.pick(kKeys) + ", " +
               dice_.pick(kValues) + ")) | 0;";
      case 36: {
        static const char* const kBottoms[] = {"0", "1", "3", "5"};
        return "try { s = (s + rec(i % 7, " + std::string(dice_.pick(kBottoms)) + ")) | 0; } catch (x) { s = s - x.v; }";
      }
      case 37:
        return "s = (s + catchAt(i % 5, " + std::to_string(dice_.below(4)) + ", " + expr(1) + ")) | 0;";
      case 38: return "h = mkIn(i); s = (s + h(rec(i % 3, 1)) + h(" + expr(1) + ")) | 0;";
      case 39:
        return "g = gcall(i % 5, rec); r = nextOf(g); while (!r.done) { s = (s + r.value) | 0; r = nextOf(g); }";
      case 40:
        return "o.x = rec(i % 4, 1); arr[i % 4] += rec(1, " + std::string(dice_.chance(50) ? "6" : "5") +
               ") + [rec(2, 1), {z: rec(i % 3, 2)}][1].z;";
      // Reads compared with variables and constants, either way round, as
      // tests, && and || operands and values, and from a function with the
      // objects outer variables.
      case 41:
        return "if (" + readCompare() + " && " + readCompare() + " || " + readCompare() + ") s++; t = " +
               readCompare() + "; if (!(" + readCompare() + ")) s += 3; s = (s + cmpIn(" + dice_.pick(kKeys) + ", " +
               dice_.pick(kValues) + ")) | 0;";
      // Elements under a variable key tested, compared and copied, and push
      // statements of one plain value, on arrays, views, texts, objects and
      // whatever w, u and m hold.
      case 42: {
        static const char* const kElems[] = {"ws[m]", "arr[m]", "w[m]", "vw[m]", "u[m]", "oi[m]", "arr[i]", "ws[j]"};
        static const char* const kPlain[] = {"c", "i", "3", "true", "null", "0.5", "u", "-2147483647"};
        static const char* const kPushed[] = {"u", "arr", "w", "uo"};
        return "if (" + std::string(dice_.pick(kElems)) + ") s++; if (" + dice_.pick(kElems) + " " +
               dice_.pick(kFlatCompare) + " " + (dice_.chance(50) ? "i" : "2") + ") s += 3; " + dice_.pick(kElems) +
               " = " + dice_.pick(kElems) + "; " + dice_.pick(kPushed) + ".push(" + dice_.pick(kPlain) +
               "); if (arr.length > 12) arr = [arr[0], arr[1], arr[2], arr[3]];";
      }
      default: return "a = a + " + expr(2) + "; b = b * " + number() + ";";
    }
  }

  std::string readCompare() {
    static const char* const kReads[] = {"o.x", "q.y", "p.x", "o.z", "arr[1]", "arr[m]", "ws[m]", "ws[5]", "w.x",
                                         "w[1]", "vw[1]", "arr.length", "ws[i]", "w.length", "oi[3]", "oi[m]"};
    static const char* const kSides[] = {"a", "i", "m", "c", "d", "0", "1", "-1", "9", "2147483647", "null",
                                         "undefined", "true", "fi", "0.5", "s"};
    static const char* const kCompare[] = {"<", "<=", ">", ">=", "==", "!="};
    const std::string read = dice_.pick(kReads), side = dice_.pick(kSides), cmp = dice_.pick(kCompare);
    return dice_.chance(50) ? read + " " + cmp + " " + side : side + " " + cmp + " " + read;
  }

  static constexpr const char* kIndexed[] = {"arr", "ws", "w", "oi", "vw", "u", "ur"};
  std::string indexKey() {
    static const char* const kIndexKeys[] = {"(i + 1)", "(m + 1)", "(i - m)", "(i % 5 + m)", "(m * 2)",
                                             "(m + 2147483647)", "(i - 1)", "((m & 7) + 2)", "(m + 0.5)",
                                             "(2147483646 + i)", "(i - 3 * m)", "(i + m + e)"};
    return std::string("[") + dice_.pick(kIndexKeys) + "]";
  }

  std::string report(int k) {
    return "console.log(\"r" + std::to_string(k) +
           " \" @ a @ \" \" @ b @ \" \" @ c @ \" \" @ d @ \" \" @ s @ \" \" @ o.x @ \" \" @ o.y @ \" \" @ p.x @ \" \" @ "
           "arr[0] @ \" \" @ arr[1] @ \" \" @ arr[2] @ \" \" @ arr.length @ \" \" @ e @ \" \" @ (c == o) @ \" \" @ "
           "(p == q) @ \" \" @ (u == null ? 0 : u.length) @ \" \" @ oi[0] @ \" \" @ oi[3] @ \" \" @ oi[7] @ \" \" @ "
           "oi[40] @ \" \" @ ws[1] @ \" \" @ ws[6] @ \" \" @ arr[3]);\n";
  }

  // Writes with calls of f2 allowed or not (f2's own body must not call it).
  template <class Write>
  std::string calls(bool allowed, Write write) {
    bool was = calls_;
    calls_ = allowed;
    std::string text = write();
    calls_ = was;
    return text;
  }

  Dice dice_;
  std::string out_;
  bool calls_ = true;
};

std::vector<std::pair<int32_t, int32_t>> gStops;
int32_t stopRecorder() {
  gStops.emplace_back(kv::gCurrentContext ? kv::gCurrentContext->pc : -1, kv::gRunPosition.line);
  return 0;
}

struct Outcome {
  std::vector<std::string> log;
  std::vector<std::pair<int32_t, int32_t>> stops;
  bool operator==(const Outcome&) const = default;
};

class GeneratedProgramsTest : public ScriptTest {
 protected:
  // One run on a fresh object system; each run compiles its source as a new
  // file, so file numbers are left out of the log.
  Outcome run(const std::string& source, bool fused, bool stress) {
    TearDown();
    SetUp();
    // Hundreds of compilations in one process: the last run's texts and
    // code go with its object system.
    kv::resetCompilerRunForTests();
    kv::setRecordFusion(fused);
    kv::restartPumpCount();
    gStops.clear();
    kv::setMessagePumpHook(&stopRecorder);
    Outcome o;
    static const std::regex file(" F:[0-9]+ ");
    for (std::string& l : runScriptStressed(source, 400, stress)) o.log.push_back(std::regex_replace(l, file, " F:- "));
    o.stops = gStops;
    kv::setMessagePumpHook(nullptr);
    kv::setRecordFusion(true);
    return o;
  }
};

// The ordinary run: record by record against fused records. The stressed
// run: fused records collecting at every allocation against the plain
// records collecting as usual. The two runs use different seeds, so between
// them twice as many programs are seen.
TEST_P(GeneratedProgramsTest, FusedUnfusedAndStressedAgree) {
  const bool stressed = GetParam();
  const int programs = stressed ? 200 : 300;
  size_t lines = 0, warnings = 0, stops = 0;
  for (int n = 0; n < programs; ++n) {
    const uint64_t seed = static_cast<uint64_t>(n) + (stressed ? 100000 : 0);
    const std::string source = ProgramWriter(seed).write();
    SCOPED_TRACE("seed " + std::to_string(seed) + ":\n" + source);
    Outcome plain = run(source, false, false);
    Outcome other = run(source, true, stressed);
    EXPECT_EQ(other.log, plain.log);
    EXPECT_EQ(other.stops, plain.stops);
    if (HasFailure()) return;
    lines += plain.log.size();
    stops += plain.stops.size();
    for (const std::string& l : plain.log) warnings += l.rfind("Wr", 0) == 0;
  }
  // The programs did run: they logged, warned and met the pump.
  EXPECT_GT(lines, static_cast<size_t>(programs) * 2);
  EXPECT_GT(warnings, 0u);
  EXPECT_GT(stops, 0u);
}

INSTANTIATE_TEST_SUITE_P(Collector, GeneratedProgramsTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
