// Fused records against the same programs run record by record: the log,
// the warnings with their positions, the failures and the records the
// message pump meets must not tell the two apart.
#include <string>
#include <utility>
#include <vector>

#include <regex>
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/fuse.h"
#include "runtime/vm/interpreter.h"
#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

// Where each pump call found the run: the record and its source line.
std::vector<std::pair<int32_t, int32_t>> gPumpStops;
int32_t recordingPump() {
  gPumpStops.emplace_back(kv::gCurrentContext ? kv::gCurrentContext->pc : -1, kv::gRunPosition.line);
  return 0;
}

}  // namespace

// Outside the unnamed namespace: the tests derived from it are not in one.
class FusedRecordsTest : public ScriptTest {
 protected:
  // The log of source run on a fresh object system, its records fused or
  // one by one; fusion is back on afterwards.
  std::vector<std::string> freshRun(const char* source, bool fused) {
    TearDown();
    SetUp();
    kv::setRecordFusion(fused);
    std::vector<std::string> log = runScript(source, 300);
    kv::setRecordFusion(true);
    return log;
  }
};

namespace {

// Each run compiles its source as a new file: its file number is no part
// of what is compared.
std::vector<std::string> withoutFileNumbers(std::vector<std::string> lines) {
  static const std::regex file(" F:[0-9]+ ");
  for (std::string& l : lines) l = std::regex_replace(l, file, " F:- ");
  return lines;
}

struct RunResult {
  std::vector<std::string> log;
  std::vector<std::pair<int32_t, int32_t>> pumps;
};

const char* const kOuterArrays =
    R"(var N = 6, cols = [], d1 = [], d2 = [], i, sols = 0, placed = 0, keys = [0, 1, -1, 2.5, "2", 100, 3, null];
for (i = 0; i < N; i++) cols.push(false);
for (i = 0; i < 2 * N; i++) { d1.push(false); d2.push(i % 3 == 0 ? 0 : i % 3 == 1 ? null : ""); }
function place(row) {
  if (row == N) { sols++; return; }
  var c;
  for (c = 0; c < N; c++) {
    if (!cols[c] && !d1[row + c] && !d2[row - c + N - 1]) {
      cols[c] = true; d1[row + c] = 1; d2[row - c + N - 1] = "x";
      placed++;
      place(row + 1);
      cols[c] = false; d1[row + c] = 0; d2[row - c + N - 1] = null;
    }
  }
}
function probe(a) {
  var k, j, hits = 0;
  for (j = 0; j < keys.length; j++) {
    k = keys[j];
    if (!a[k]) hits++;
    if (!a[j + 1] || !a[j * 2 - 3]) hits += 2;
    if (!cols[k]) hits += 4;
    if (!cols[j - 1] && !d1[j + N]) hits += 8; else hits += 16;
    while (!d1[j + 20]) { hits += 32; break; }
  }
  return hits;
}
function maker(n) {
  var flags = [], m;
  for (m = 0; m < n; m++) flags.push(m % 2 == 0);
  return function (x) {
    var t = 0, q;
    for (q = 0; q < n + 2; q++) {
      if (!flags[q]) t++;
      if (!flags[q + x] && !cols[q]) t += 3;
      flags[q % n] = !flags[q % n];
    }
    return t;
  };
}
function colsFree(j) { return !cols[j % N] || !d1[j]; }
function* walk(a, test) {
  var j;
  for (j = 0; j < a.length + 1; j++) { if (!a[j]) yield j; if (test(j)) yield -j; }
}
function rec(n, acc) {
  var mine = [n, 0, n - 1];
  function peek(k) { return !mine[k] ? 1 : !cols[k] ? 2 : !d1[k + 1] ? 3 : 0; }
  if (n == 0) return acc + peek(1);
  return rec(n - 1, acc + peek(n % 3) + peek(2)) + peek(0) * 10;
}
function boxer(v) { var box = [v, v % 2], val = v; return function () { return val + box[0] + (!box[1] ? 1 : 0) + (!cols[v % N] ? 100 : 0); }; }
var f1 = maker(4), f2 = maker(7), s = 0, g1 = walk([1, 0, "", 3, null], colsFree), g2 = walk(cols, colsFree), r, h, junk;
for (r = 0; r < 6; r++) {
  place(0);
  s = (s + probe(d1) * 3 + probe(keys) + probe(cols)) % 1000003;
  s = (s + f1(r) * 7 + f2(r % 3) + f1(1)) % 1000003;
  var v1 = g1.next(), v2 = g2.next();
  s = (s + (v1.done ? 1000 : v1.value) + (v2.done ? 2000 : v2.value)) % 1000003;
  s = (s + rec(r + 2, r)) % 1000003;
  h = boxer(r); junk = "j" @ r @ [r, r].length;
  s = (s + h() + boxer(r + 7)()) % 1000003;
  if (r == 3) { cols = [true, false, 0, 1, "", "a"]; d1 = [0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0]; }
}
console.log("outer arrays " @ s @ " " @ sols @ " " @ placed);)";
const char* const kOuterClosures = R"(var total = 0, k, fs = [], base = [5, 6, 7], junk;
function mk(v) {
  var w = v * 3, inner = function (z) {
    var deeper = function () { w++; return w + v + z + base[v % 3] + (!base[v % 4] ? 1000 : 0); };
    return deeper() + deeper() * 2;
  };
  return inner;
}
function later(n) { if (n == 0) return mk(n); var f = later(n - 1); return n % 2 ? f : mk(n); }
for (k = 0; k < 400; k++) {
  var f = mk(k);
  total = (total + f(1) + f(k) + (k % 5 == 0 ? fs.push(f) : 0)) % 1000003;
  if (k % 70 == 0) fs = [];
  junk = [k, k @ "", {k: k}];
  total = (total + later(k % 6)(2)) % 1000003;
}
for (k = 0; k < fs.length; k++) total = (total + fs[k](k)) % 1000003;
console.log("closures " @ total @ " " @ fs.length);)";

// Entries that copy one, two or more arguments and clear the cells
// left: named function expressions calling themselves by their own
// name (the name's cell after the parameters), with and without
// locals and arguments; methods of two arguments calling each other;
// callbacks of map, filter, reduce, forEach, find and findIndex that
// throw, wait inside a thread or answer non-booleans; comparators
// answering numbers, texts, undefined and objects, and one that waits.
const char* const kCallEntries = R"(var fact = function f(n) { if (n <= 1) return 1; return n * f(n - 1); };
var walk = function w(n, acc) { var k = n * 2, m; if (n == 0) return acc; m = k + 1; return w(n - 1, acc + m); };
var bare = function b() { return typeof b; };
function P(x) { this.x = x; }
P.prototype.two = function (a, b) { return this.x + a * 3 + (b == null ? 100 : b); };
P.prototype.chain = function (a, b) { if (a <= 0) return b; return this.chain(a - 1, this.two(a, b) % 1000); };
var i, s = 0, t = "", o = new P(3), big = [], got, done = 0;
for (i = 0; i < 30; i++) big.push((i * 17) % 23);
function cb(v) { if (v == 19) throw {v: v}; return v % 3; }
for (i = 0; i < 400; i++) {
  s = (s + fact(i % 9) + walk(i % 7, i) + walk(i % 5) + o.two(i, i) + o.two(i) + o.two() + o.chain(i % 6, i)) % 1000003;
  if (i % 50 == 0) t = t @ bare() @ fact(3, 4, 5) @ " ";
}
try { got = big.map(cb); } catch (e) { s = s + e.v; }
got = big.map(function (v) { return v % 2 == 0 ? "e" @ v : null; });
t = t @ got[2] @ got[3] @ " " @ big.filter(function (v) { return v % 4; }).length;
t = t @ " " @ big.reduce(function (a, v) { return a @ v; }) @ " " @ big.find(function (v) { return v > 20 ? v : 0; });
t = t @ " " @ big.findIndex(function (v) { return v == 12 ? "yes" : ""; });
big.forEach(function (v) { s = (s * 3 + v) % 1000003; });
try { big.filter(function (v) { return cb(v + 1); }); } catch (e) { t = t @ " caught " @ e.v; }
var keys = [0, 1, -1, "a", "", null, undefined, 2.5, {x: 1}];
for (i = 0; i < keys.length; i++) {
  var a = big.slice();
  a.sort(function (x, y) { return i < 3 ? (x - y) * keys[i] : keys[i]; });
  t = t @ " " @ a[0] @ a[14] @ a[29];
}
function worker(id) {
  var r = big.map(function (v) { if ((v + id) % 7 == 0) wait; return v + id; });
  var q = r.filter(function (v) { if (v % 5 == id) wait; return v & 1; });
  s = (s + q.length + r[5] + q.reduce(function (a, v) { if (v % 9 == 0) wait; return a + v; })) % 1000003;
  r.sort(function (x, y) { if ((x + y) % 11 == id) wait; return x >= y; });
  s = (s + r[0] * 7 + r[29]) % 1000003;
  done++;
}
for (i = 0; i < 4; i++) spawn(worker, i);
for (i = 0; i < 500 && done < 4; i++) wait;
console.log("entries " @ s @ " " @ done @ " " @ t);)";

// Calls of functions held in variables, the callee read as part of the
// call's own step where its argument is `local OP constant`: callees in a
// frame local, an enclosing function's variable and a global, and one
// through a member; a callee replaced by another function, by a number
// (the warning) and by undefined mid-loop; recursion; arguments that are no
// integers (floats, texts, null) and so take the records one by one;
// results of every kind; throws through the call; calls from a generator
// (its callees passed in) and from threads that wait between them.
const char* const kVarCalls = R"(var calls = 0, s = 0, i, junk, done = 0;
function down(n) { calls++; if (!(n > 0)) return n; return down(n - 1) + 1; }
function kinds(n) {
  var k = n % 9;
  if (k == 0) return n; if (k == 1) return n * 0.5; if (k == 2) return "t" @ n; if (k == 3) return null;
  if (k == 4) return; if (k == 5) return [n, n + 1]; if (k == 6) return {v: n}; if (k == 7) return n > 3;
  return kinds;
}
function thrower(n) { if (n % 7 == 3) throw {at: n}; return n * 2; }
var obj = {f: down}, swap = function (n) { return n + 1000; }, gone = function (n) { return n - 1; };
function outer(m) {
  var local = down, inner = function (q) { return local(q - 1) + swap(q + 2) + gone(q * 3); };
  return local(m + 1) + inner(m) + thrower(m - 0);
}
for (i = 0; i < 300; i++) {
  s = (s + down(i % 6 - 1) + down(i % 4 * 2)) % 1000003;
  var r = kinds(i + 0);
  junk = typeof r @ (typeof r == "object" && r != null ? r.length @ r.v : r);
  if (i % 50 == 0) console.log(i @ " " @ junk);
  try { s = (s + outer(i % 5 - 0)) % 1000003; } catch (e) { s = (s + e.at * 3) % 1000003; }
  if (i == 100) swap = function (n) { return n * 3; };
  if (i == 150) swap = 7;
  if (i == 160) swap = function (n) { return n; };
  if (i == 200) gone = undefined;
  if (i == 210) gone = function (n) { return 2; };
  var x = i % 3 == 0 ? i % 10 * 0.5 : i % 3 == 1 ? "s" : null;
  s = (s + down(x - 1) + obj.f(i % 3 - 1)) % 1000003;
  if (i == 120) obj.f = kinds;
}
function* gen(n, f, k) { var j; for (j = 0; j < n; j++) { yield f(j - 1) + k(j + 0); } }
var g = gen(12, down, kinds), v, gs = "";
for (v = g.next(); !v.done; v = g.next()) gs = gs @ v.value @ ",";
function worker(id) {
  var j, t = 0;
  for (j = 0; j < 40; j++) { t = t + down(j % 5 - 1); if (j % 7 == id) wait; t = t + thrower(j * 0 + 1); }
  s = (s + t) % 1000003; done++;
}
spawn(worker, 1); spawn(worker, 2);
for (i = 0; i < 100 && done < 2; i++) wait;
console.log("var calls " @ s @ " " @ calls @ " " @ gs @ " " @ swap(2) @ " " @ gone(5));)";

// Returns into frames of every kind of entry, each frame with cells of its
// own count: the short entry, the general one (texts among the arguments),
// constructors both ways, natives between (push, pop, sort with a script
// comparator running in a nested loop), throws through two frames, a
// generator calling out between its resumptions, and threads whose callees
// wait, so that the callers go on after a resumption.
const char* const kReturns = R"(var s = 0, i, t = "", done = 0;
function leaf(a, b) { var q = a * 3 + b; return q % 1000; }
function mid(x) { var u = 7, w = x + u, z; z = leaf(w, u) + leaf("1" @ x, w) + leaf(u, "2"); return z + w + u; }
function Pt(x, y) { var h = y * 2; this.x = x; this.y = mid(h) + leaf(x, h); }
function Tx(x, y) { this.x = x @ y; }
Pt.prototype.sum = function (k) { var a = 1, b = 2, c = 3; return this.x + this.y + leaf(k, this.x) + a + b + c; };
function rec(n, acc) { var a1 = n, a2 = acc + 1, a3; if (n <= 0) return acc; a3 = rec(n - 1, a2 + leaf(n, a1)); return a3 + a1 + a2; }
function thrower(n) { var w = n * 2; if (n % 5 == 3) throw {at: w}; return leaf(n, w); }
function safe(n) { var v = -1, k = n + 1; try { v = thrower(n) + mid(k) + thrower(k); } catch (e) { v = 100 + e.at + k; } return v + k; }
function sorter(arr) { var m = 0; arr.sort(function (p, q) { m++; return leaf(p, m % 2) - leaf(q, 0); }); return arr[0] + arr[arr.length - 1] + m; }
function pusher(n) { var arr = [], j; for (j = 0; j < n; j++) arr.push(leaf(j, n)); return arr.pop() + arr.length; }
function* gen(n, r, m, l) { var j, g = 5; for (j = 0; j < n; j++) { yield r(j % 4, g) + m(j) + l(j, "3"); g = g + j; } }
for (i = 0; i < 60; i++) {
  s = (s + rec(i % 7, i) + safe(i) + new Pt(i, i + 1).sum(i) + mid(i) + leaf(i, i)) % 1000003;
  t = new Tx(i, "k").x;
  if (i % 10 == 0) s = (s + sorter([i, 5, 3, 9, i * 2, 17, 1]) + pusher(i % 9 + 1)) % 1000003;
}
var g = gen(9, rec, mid, leaf), v, gs = "";
for (v = g.next(); !v.done; v = g.next()) gs = gs @ v.value @ ",";
function worker(id) {
  var j, acc = id, w2 = id * 3;
  for (j = 0; j < 30; j++) {
    acc = acc + rec(j % 3, w2) + safe(j + id);
    if (j % 7 == id) wait;
    acc = acc + new Pt(j, id).sum(w2) + leaf("4", j);
  }
  s = (s + acc) % 1000003; done++;
}
function waiter(n) { var x = n * 5; if (n % 2 == 0) wait; return leaf(x, n) + x; }
function waitCaller(id) { var j, a = 0, b = id; for (j = 0; j < 20; j++) { a = a + waiter(j + id) + b; b = b + 1; } s = (s + a) % 1000003; done++; }
spawn(worker, 1); spawn(worker, 2); spawn(waitCaller, 3); spawn(waitCaller, 4);
for (i = 0; i < 300 && done < 4; i++) wait;
console.log("returns " @ s @ " " @ t @ " " @ done @ " " @ gs);)";

const char* const kFusedPrograms[] = {
    // Expressions of locals and constants joined by + - *, alone and mixed
    // with every other kind of operand and operation (member and element
    // reads, element reads of key expressions, outer variables, values
    // pushed alone, % by 0 and -1, / and shifts) as keys, stores, branches
    // and arguments; each local turning a float, a text, null, undefined and
    // an infinity at every place; wrapping near 2^31 either way; floats
    // mixed with integers.
    R"(var g = 7, o = {v: 3, w: 2.5}, arr = [4, 5, 6, 7, 8, 9, 10, 11], r, s = 0, t = 0, f = 0.0, w = "";
function chains(a, b, c, n) {
  var k, x = 0, y = 0, z, q = [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0];
  for (k = 0; k < n; k++) {
    x = a + 1; y = 3 - b; z = a * b - c + 2;
    x = x + (k * 3 + a) + (2 - k * c) + (5 * a - b * 7 + c);
    y = y + (a + b) * (c - k) + (a - b - c - k) + (a + g) + (b + o.v) + (c - arr[k % 8]);
    y = y + (a * 65536 * 32768 + b) + (k - 2147483647 - 1 - c) + (a % (b - 2)) + (c % (k - 1)) + (a << 3) + (b >> 1);
    if (a + k < b * 2 - c) x = x + 1; else x = x - 1;
    if (k + 1 == n - 1) y = y + 100;
    q[k % 12] = q[(k + 1) % 12] + a - b;
    q[a + k - a] = k * 2 - 1;
    z = z + q[b - b + 1] + arr[k - k + 2] * c + (k & 3) + (k | 8) + (a ^ b);
    s = (s + x + y + z) % 1000003;
  }
  return x - y + z;
}
var vals = [1, -3, 2147483647, -2147483647 - 1, 65536, 0, 2.5, "4", null, undefined, 1.0 / 0];
for (r = 0; r < 60; r++) {
  var a = vals[r % 11], b = vals[(r * 3 + 1) % 11], c = vals[(r * 7 + 2) % 11], v;
  v = chains(a, b, c, 6 + r % 5);
  w = w @ "," @ v;
  t = (t + (r * 3 + 1) * (r - 4) - r + 2147483647) | 0;
  f = f + (r * 0.5 + 1) * 2 - r;
  if (r == 20) g = 1.5;
  if (r == 30) g = "g";
  if (r == 35) g = 7;
  if (r == 40) o.v = null;
  if (r == 45) o = {v: 2};
  if (r == 50) arr = [1.5, 2, "3", null, 5, 6, 7, 8];
}
console.log("chains " @ s @ " " @ t @ " " @ f @ " " @ w);)",
    // Loop steps and tests read from the notes on their first records:
    // counters stepped up and down, through continue and the loop's end,
    // wrapping at the integer limits, turned float in the loop (its step
    // warns and fails); bounds that are constants, locals turned float or
    // text, and null, undefined and truth values tested with == and !=
    // (and with <, which goes one by one); a test of an outer variable;
    // inside a recursion and a second thread that waits.
    R"(var s = 0, t = "", i, j, k, n = 5, m, z = null, u, q = true, done = 0;
for (i = 0; i < 20; i++) { if (i % 3 == 0) continue; s = s + i; }
for (i = 20; i > 0; i--) { s = s + i * 2; if (i == 7) i = i - 2; }
for (i = 2147483640; i > 0; i++) s = (s + i % 7) % 1000003;
t = t @ i @ ",";
for (i = -2147483640; i < 0; i--) s = (s + i % 5) % 1000003;
t = t @ i @ ",";
for (j = 0; j < n; j++) { t = t @ j; if (j == 3) n = 4.5; }
for (j = 0; j < n; j++) { t = t @ j; if (j == 2) n = "7"; }
for (j = 10; j >= 0; j -= 3) t = t @ j;
for (k = 0; k != 12; k++) { m = k == 5 ? null : k; if (m == null) t = t @ "n"; if (m != null) s = s + m; }
for (k = 0; k < 8; k++) { z = k % 3 == 0 ? null : k % 3 == 1 ? u : {}; if (z == null) t = t @ "z"; if (z != undefined) t = t @ "d"; if (z < null) t = t @ "<"; }
for (k = 0; k < 6; k++) { q = k % 2 == 0; if (q == true) t = t @ "T"; if (q != false) t = t @ "F"; q = k; if (q == true) t = t @ "1"; }
function rec(d) { var c, r = 0; if (d == 0) return 1; for (c = 0; c < 3; c++) r = r + rec(d - 1); for (c = 3; c > 0; c--) r++; return r; }
function outer() { var w = 0, f = function () { var c; for (c = 0; c < w; c++) s++; return w; }; for (w = 0; w < 5; w++) f(); return w; }
function worker(id) { var c, x = 0; for (c = 0; c < 30; c++) { x = x + c * id; if (c % 9 == id) wait; } s = (s + x) % 1000003; done++; }
spawn(worker, 1); spawn(worker, 2);
for (i = 0; i < 100 && done < 2; i++) wait;
console.log("loop steps " @ s @ " " @ t @ " " @ rec(5) @ " " @ outer() @ " " @ i @ " " @ j @ " " @ n);
for (j = 0; j < 3; j++) { t = t @ j; if (j == 1) j = 1.5; })",
    // Integer-keyed members of plain objects through the element steps:
    // stores of expressions and values, reads into sums, copies between two
    // objects, compound stores; keys from 0 up, sparse, huge, added in
    // falling order, beside named members; members deleted and added again,
    // a prototype holding integer keys (read through, then shadowed), an
    // object grown past the list index and past the look-up cache's room,
    // values turning floats, texts and null, the object replaced by an
    // array, a number and null; inside a generator, a second thread that
    // waits, a recursion and a throw caught around the loop.
    R"(function P() { this.n = 1; }
P.prototype[3] = 30; P.prototype[70] = 700;
var a = {}, b = {name: "b"}, p = new P(), big = {}, i, j, r, s = 0, t = 0, w = "", x, done = 0;
for (i = 63; i >= 0; i--) a[i] = 0;
for (r = 0; r < 40; r++) {
  for (i = 0; i < 64; i++) a[i] = i * 3 + r;
  for (i = 0; i < 64; i++) s = (s + a[i]) % 1000003;
  for (i = 0; i < 64; i += 7) { b[i] = a[i]; a[i] += b[i] - r; x = a[i]; t = (t + x + b[i]) % 1000003; }
  if (r == 5) { delete a[10]; w = w @ a[10]; a[10] = 1; }
  if (r == 9) { a[20] = 2.5; a[21] = "k"; a[22] = null; }
  if (r == 10) { a[2147483647] = 1; a[1000000] = 2; a.tag = 3; }
  if (r % 8 == 3) { x = "junk" @ r @ [r, r].length; b = {name: x}; }
}
console.log("keyed " @ s @ " " @ t @ " " @ w @ " " @ a[10] @ " " @ a[20] @ a[21] @ a[22] @ " " @ a[2147483647] @ a[1000000] @ a.tag @ " " @ a[-1]);
for (i = 0; i < 80; i++) { t = (t + p[i % 72]) % 1000003; if (i == 40) p[3] = 4; if (i == 60) delete p[3]; }
console.log("proto keys " @ t @ " " @ p[3] @ " " @ p[70] @ " " @ p.n);
for (i = 0; i < 5000; i++) big[i * 5 % 5003] = i;
for (r = 0; r < 3; r++) for (i = 0; i < 5000; i++) { big[i] = big[i] + r; s = (s + big[i]) % 1000003; }
for (i = 0; i < 5000; i += 3) delete big[i];
for (i = 0; i < 5000; i++) { if (big[i]) t = (t + big[i]) % 1000003; else big[i] = i; }
console.log("big " @ s @ " " @ t @ " " @ big[0] @ " " @ big[4999] @ " " @ big[5001]);
function* pairs(o, n) { var k; for (k = 0; k < n; k++) { o[k] = k * 2; yield o[k] + o[(k + 1) % n]; } }
var g = pairs({}, 30), v = g.next();
while (!v.done) { s = (s + v.value) % 1000003; v = g.next(); }
function worker(o, id) { var k; for (k = 0; k < 50; k++) { o[k] = k + id; if (k % 9 == id) wait; o[k] = o[k] + o[(k + 3) % 50]; } done++; }
var c = {};
spawn(worker, c, 2);
for (i = 0; i < 400 && done < 1; i++) { c[i % 50] = i; s = (s + c[(i * 7) % 50]) % 1000003; if (i % 11 == 0) wait; }
function sum(o, n) { if (n < 0) return 0; o[n] = o[n] * 2 + 1; return (o[n] + sum(o, n - 1)) % 1000003; }
s = (s + sum(a, 20)) % 1000003;
console.log("turns " @ s @ " " @ done @ " " @ c[49]);
var objs = [a, [1, 2, 3], 5, null], q;
try {
  for (j = 0; j < 4; j++) { q = objs[j]; for (i = 0; i < 5; i++) { q[i] = i + j; s = (s + q[i]) % 1000003; } }
} catch (e) { s = s + 1; }
console.log("replaced " @ s @ " " @ a[4] @ " " @ objs[1][2] @ " " @ j);
for (i = 0; i < 70; i++) { x = a[i]; a[i] = x; }
for (i = 0; i < 64; i++) s = (s + a[i]) % 1000003;
console.log("end " @ s);)",
    // Stores of one value, compound stores, loads into locals and equality
    // tests, on locals, members and elements of objects the inline paths do
    // not serve (sealed functions, past an array's end, texts, NaN, keys that are no
    // integers), from inside functions two scopes down, with a loop step
    // `j += k` and the pump falling at every offset.
    R"(var arr = [1, 2, 3], o = {x: 1}, frozen = function () { return 1; }, s = 0, t = "t", u, nan = 0 / 0, i, k;
function outer(n) {
  function inner(m) {
    var j, w, v;
    for (j = 0; j < m; j += 1 + (m & 1)) {
      k = j % 5; if (k == 3) k = 3.0; if (j == 4) k = "1";
      arr[k] += j << 2; arr[k] >>= 1; arr[k] -= j;
      o.x ^= j; o.x *= 3; o.x &= 1023; frozen.x += 1; frozen.x = true;
      arr[j] = t; arr[j % 3] = null; arr[j % 3] = j; o.y = u; o.y = arr;
      w = arr[k]; v = o.x; w = o.missing; v = frozen.x;
      if (w == null) s++; if (v != undefined) s = s + 2; if (v == true) s--; if (nan == nan) s = s + 100;
      if (nan != nan) s = s + 1000; if (!(w == v) && !arr[j % 3]) s = s ^ 7; if (w == t || v != o) s = s + 3;
      if (j == n) s = s * 2; if (j != k) s = s + 1;
    }
    return j;
  }
  return inner(n) + inner(n + 1);
}
for (i = 0; i < 40; i++) s = (s + outer(i)) % 1000003;
console.log("stores " @ s @ " " @ arr.length @ " " @ arr[0] @ " " @ o.x @ " " @ frozen.x @ " " @ k);)",
    // Counting loops of every compare form, local and constant bounds, up
    // and down, with the pump falling at every offset inside them.
    R"(var s = 0, i, j, n = 37;
for (i = 0; i < 300; i++) for (j = n; j >= 0; j--) s = (s + i * j) % 1000003;
for (i = 10; i > -10; i--) s = s - i;
for (i = 0; i <= n; i++) { s = s + 3; s = s * 2; s = s % 65521; }
while (i < 1000) { i++; }
console.log("counts " @ s @ " " @ i);)",
    // Locals that change type inside the loop: floats, texts, undefined,
    // objects; the fused step must hand every one to the general path.
    R"(var i, k = 0, n, t, u, o = {};
for (n = 0; n < 30; n++) {
  i = n; if (n == 5) i = 5.5; if (n == 7) i = "12"; if (n == 9) i = u; if (n == 11) i = o;
  if (i < 8) k = k + 1;
  i++;
  k = k + i;
}
console.log("mixed " @ k);
var bs = [3.5, "5", u, o, -2147483647 - 1], b;
k = 0;
for (b = 0; b < 5; b++) {
  t = bs[b];
  for (n = 0; n < t; n++) { k = k + 1; if (k > 1000) break; }
  for (n = 10; n > t; n--) { k = k + 2; if (k > 2000) break; }
}
console.log("bounds " @ k);)",
    // Wrapping, modulo by negative constants and by 0 and -1.
    R"(var x = 2147483647, y = -2147483647 - 1, z = 65536, w;
x++; y--; w = z * z; console.log("wrap " @ x @ " " @ y @ " " @ w @ " " @ (z * 32768));
x = 2147483647; x = x + 1; y = -7; console.log("add " @ x @ " " @ (y % 3) @ " " @ (y % -3) @ " " @ (7 % -3));
z = -2147483647 - 1; console.log("mod " @ (z % -1) @ " " @ (z % 0) @ " " @ (5 % 0) @ " " @ (z - 1));)",
    // Warnings inside fused loops keep their lines.
    R"(var i, f = 3, s = 0;
for (i = 0; i < 4; i++) {
  s = s + i;
  f();
}
console.log("warned " @ s);)",
    // An operand stack near its limit: the fused pushes fail where the
    // records would.
    R"(var i = 1;
var s = i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + 1)))))))))))))))))))))))))))));
console.log("deep " @ s);
s = i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + (i + 1))))))))))))))))))))))))))))))));
console.log("deeper " @ s);)",
    // Micro-threads running fused loops, waiting inside them, with young
    // garbage forcing collections between their steps.
    R"(var done = 0, total = 0, blob = "0123456789abcdef", b;
for (b = 0; b < 8; b++) blob = blob @ blob;
function worker(id) {
  var i, j, s = 0, g;
  for (i = 0; i < 40; i++) {
    for (j = 0; j < 500; j++) s = (s + i * j + id) % 1000003;
    g = blob @ i;
    if (i % 3 == id % 3) wait;
  }
  total = total + s;
  done++;
}
var n, f;
for (n = 1; n <= 6; n++) spawn(worker, n);
for (f = 0; f < 200 && done < 6; f++) wait;
console.log("threads " @ done @ " " @ total);)",
    // Calls that run in the caller's loop: recursion, methods, closures made
    // and escaping, missing and extra arguments, texts passed, calls that
    // warn, thousands of them with young garbage in between.
    R"(function fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }
function Counter(step) { this.n = 0; this.step = step; }
Counter.prototype.add = function (k) { this.n = (this.n + this.step * k) % 1000003; return this.n; };
function maker(start) { var n = start; return function (x) { n++; return n + x; }; }
function none(a, b) { var t = a; }
function third(a, b, c) { return c; }
var c = new Counter(3), i, s = 0, fs = [], g;
for (i = 0; i < 20; i++) fs.push(maker(i));
for (i = 0; i < 4000; i++) {
  s = (s + c.add(i) + fib(i % 10) + fs[i % 20](i)) % 1000003;
  if (i % 7 == 0) fs[i % 20] = maker(i);
  g = {v: "x" @ i, w: [i]};
}
console.log("calls " @ s @ " " @ none(1) @ " " @ third(1, 2) @ " " @ third(1, 2, 3, 4) @ " " @ third("a", "b", "c" @ s));
var o = {f: fib};
console.log("warned " @ o.g(1) @ " " @ o.f(7) @ " " @ s.x());)",
    // Exceptions thrown through calls the loop entered, caught at every
    // depth, and a recursion that runs out of frames.
    R"(function thrower(v) { if (v % 3 == 0) throw {v: v}; return v; }
function middle(v) { var t = thrower(v) + 1; return t * 2; }
function outer(v) { try { return middle(v); } catch (e) { return -e.v; } }
var i, s = 0, e2 = 0;
for (i = 0; i < 3000; i++) s = (s + outer(i)) % 1000003;
for (i = 0; i < 50; i++) { try { s = s + middle(i); } catch (e) { e2 = e2 + e.v; } }
console.log("thrown " @ s @ " " @ e2);
function deep(n) { if (n <= 0) return 0; return 1 + deep(n - 1); }
console.log("deep " @ deep(20));
console.log("too deep " @ deep(100));)",
    // Micro-threads switching inside calls the loop entered, two levels
    // down, with collections between their steps.
    R"(var done = 0, total = 0;
function inner(id, i) { if ((id + i) % 2 == 0) wait; return id; }
function step(id, i) {
  var k, s = 0;
  for (k = 0; k < 50; k++) s = s + k * id;
  if ((i + id) % 4 == 0) wait;
  return s + inner(id, i);
}
function worker(id) {
  var i, s = 0, junk;
  for (i = 0; i < 60; i++) { s = (s + step(id, i)) % 1000003; junk = "t" @ i @ id; }
  total = total + s;
  done++;
}
var n, f;
for (n = 1; n <= 6; n++) spawn(worker, n);
for (f = 0; f < 1000 && done < 6; f++) wait;
console.log("waits " @ done @ " " @ total);)",
    // Closures made inside closures (their scopes copied again), named
    // function expressions, captured values written after the capture, and
    // calls made while an object or array literal is open.
    R"(function outer(a) {
  var b = a * 2;
  return function (c) {
    var d = c + 1;
    return function (e) { a++; d = d + e; return a + b + d; };
  };
}
var f1 = outer(1), g1 = f1(10), s = 0, i, x = 5, k;
var fact = function f(n) { if (n < 2) return 1; return n * f(n - 1); };
var cap = function () { return x; };
for (i = 0; i < 2000; i++) {
  s = (s + g1(i) + f1(i)(1) + fact(i % 8)) % 1000003;
  if (i % 100 == 0) { g1 = outer(i)(i); x = i; }
  k = {p: outer(i)(1)(2), q: [fact(3), g1(1)]};
}
console.log("nested " @ s @ " " @ cap() @ " " @ k.p @ " " @ k.q[1] @ " " @ fact("4") @ " " @ outer()(2)(3));)",
    // Array elements read and written inline: inside the length, past its
    // end (the write warns), under negative and text keys, holding texts.
    R"(var a = [], b = [1, 2, 3], i, s = 0, t = "";
for (i = 0; i < 50; i++) a.push(i);
for (i = 0; i < 54; i++) { a[i] = a[i] * 2 + b[i % 4]; s = s + a[i % 50]; }
a[-1] = 5; b["1"] = 7; b[2] = "x" @ s; t = b[2] @ b[1] @ a[-1] @ b[9];
console.log("elements " @ s @ " " @ a.length @ " " @ t @ " " @ a[49]);)",
    // Members inside the loop (without fusion they run out of line):
    // prototype methods and values read through one record for objects of
    // one class with different prototypes, replaced, deleted and added
    // again, an own member shadowing the prototype's until it is deleted;
    // class slots stored; integer keys of plain objects beside arrays and
    // typed views through the same records, absent, deleted and added
    // again; young garbage in between.
    R"(function Counter(step) { this.n = 0; this.step = step; }
Counter.prototype.add = function (k) { this.n = (this.n + this.step * k) % 1000003; return this.n; };
function twice(k) { this.n = (this.n + 2 * k) % 1000003; return this.n; }
function Pair(v) { this.a = v; this.b = v + 1; }
var c = new Counter(3), d = new Counter(5), old = Counter.prototype, i, s = 0, w = "", g;
c.tag = 1;
old.tag = 2;
old.base = 7;
Counter.prototype = {add: twice, base: 9, tag: 3};
var e = new Counter(1), all = [c, d, e];
for (i = 0; i < 6000; i++) {
  var o = all[i % 3];
  s = (s + o.add(i) + o.base + o.n + o.tag * 10) % 1000003;
  if (i == 2000) delete c.tag;
  if (i == 2500) c.tag = 4;
  if (i == 3000) old.add = twice;
  if (i % 1000 == 999) { if (c.base) w = w @ "Y"; delete old.base; if (c.base) w = w @ "y"; else w = w @ "n"; old.base = i; }
  g = new Pair(i);
  g.a = g.a + g.b;
  s = (s + g.a) % 1000003;
  g = {junk: "x" @ i};
}
console.log("methods " @ s @ " " @ w @ " " @ c.n @ " " @ d.n @ " " @ e.n @ " " @ c.tag @ " " @ d.tag);
var p = {}, q = [], v = new Int32Array(new ArrayBuffer(64), 16), ks = [p, q, v, p], k, t = 0;
for (k = 0; k < 40; k++) q.push(0);
for (k = 0; k < 16; k++) p[k] = k;
for (i = 0; i < 4000; i++) {
  var x = ks[i % 4];
  k = i % 16;
  x[k] = x[k] + i;
  t = (t + x[k]) % 1000003;
  if (x[k + 40]) t = t + 1;
  if (i % 700 == 0) { delete p[k]; if (p[k]) t = t + 1000; p[k] = 1; }
  g = "y" @ i;
}
console.log("keys " @ t @ " " @ p[3] @ " " @ q[3] @ " " @ v[3] @ " " @ p[99]);)",
    // Concatenations with a constant text after them (one string for the
    // three) of every kind of value, with young garbage collecting between
    // them, and one whose three parts pass the text limit where its first
    // pair does not: it fails at the second concatenation.
    R"(var t = "", i, k, x, o = {}, u, s = "ab";
var parts = [1.5, -0.25, "s", o, u, null, true, 2147483647, -2147483647 - 1, 1.0 / 0, 0 / 0];
for (k = 0; k < 300; k++) { t = ""; for (i = 0; i < 12; i++) t = t @ i @ ","; x = parts[k % 11] @ k @ "|"; }
console.log("joined " @ t @ " " @ x @ " " @ (s @ 2.5 @ ""));
var a = "0123456789abcdef", b = "";
for (i = 0; i < 8; i++) a = a @ a;
for (i = 0; i < 2047; i++) b = b @ "ab";
t = a @ b @ "y";
console.log("long " @ (t == a @ b @ "y"));
t = a @ b @ "yy";
console.log("never " @ t);)",
    // Whole statements and compares over locals: expressions of every
    // integer operation, a divisor that turns 0 and -1, locals turning
    // float, text or undefined halfway, compares of expressions of every
    // form, and loops stepping up and down through their jump.
    R"(var s = 7, i, j, d, u, t = 0, k = 0;
for (i = 0; i < 40; i++) {
  for (j = 39; j >= 0; j--) {
    d = j - 2;
    s = (s + i * j) % 1000003;
    t = ((t ^ (i * 7 + j)) & 65535) | (i - j) % 7;
    if (j % 5 == 0) t = t - s * 3 + i % d;
    if (i + j < 2 * i - 3 || s % 3 != j - i) k = k + (s & 255) - (i | j);
    if (i * 2 == j + 1) k = (k + 1) % 97;
  }
  u = [s * 2 + i % 3, (i << 1) - j * 2 + 1];
  if (i == 13) s = 1.5;
  if (i == 17) s = "9";
  if (i == 19) s = u;
  if (i == 21) s = 3;
}
console.log("exprs " @ s @ " " @ t @ " " @ k @ " " @ u[0] @ " " @ u[1]);
for (i = 0, s = 0; 3 * i + 1 <= 300; i++) for (j = i; j + 1 > i - 9; j--) s = s - j;
console.log("bounds " @ s @ " " @ i @ " " @ j);
var o = {v: 1}, c = [1, 2, 3, 5, 4, 6], e = [0, 0, 0, 0, 0, 0];
for (i = 0, s = 0; i < 600; i++) {
  if (i == 400) { c[1] = 2.5; c[2] = "3"; c[3] = u; c[5] = o; }
  s = (s + c[i % 6]) % 1000003;
  o.v = (o.v + c[i % 5] * 3) % 65521;
  e[i % 6] = (e[i % 6] + i) * 2 % 1009;
  t = c[i % 6] - s;
}
console.log("tails " @ s @ " " @ o.v @ " " @ e[1] @ " " @ e[5] @ " " @ t);
var a = [], u2;
for (i = 0; i < 300; i++) a.push((i * 7919) % 1009);
a.push(u2); a.push(2.5); a.push("77");
function le(x, y) { return x <= y; }
var b = a.slice(); b.sort(le); a.sort();
console.log("sorted " @ b[0] @ " " @ b[150] @ " " @ b[302] @ " " @ a[1] @ " " @ a[301]);
console.log("methods " @ b.map(function (x) { return x * 2; }).filter(function (x) { return x % 3; }).length @ " " @
            b.reduce(function (s, x) { return s + x; }));)",
    // Statements of each shape that runs as straight code, with every
    // operation in every place, locals and constants on either side, a
    // local divisor reaching 0 and -1 and a local turning float, text,
    // undefined or object halfway; counting loops with such a statement for
    // their whole body (run round after round), the body storing into the
    // counter or the bound, failing halfway, wrapping, bounds of every
    // type; and statements and loops of each shape in a function entered
    // thousands of times, whose frames lay out the cells.
    R"(var i, j, d, x = 0, y = 0, z = 0, w = 0, u, o = {}, v = [9, 2.5, "7", u, o, 4];
for (i = -20; i < 60; i++) {
  for (j = 1; j < 12; j++) {
    d = j - 3;
    x = x + i; x = i - x; x = x * j; x = x % 9973; x = x & 65535; x = 3 | x; x = x ^ j;
    y = i % d; y = (y + j) * 3; y = (i - y) - j; y = (y * i) % 7; y = (y % j) & 255; y = (y | 5) ^ i;
    y = (x ^ 7) | 2; y = (y & x) + d; y = (y + 5) % d;
    z = x + i * j; z = z - j % d; z = z * (i + 3); z = z % (j - i); z = z & i * 7; z = z | j - x; z = z ^ i * d;
    z = (z + i * j) % 1000003; w = (w - i * j) & 65535; w = (w * i + j) % 65521; w = (x + w - j) | 7;
    w = (w + j * d) ^ 3; w = (z * i * j) % d; w = (w - x - y) * 3; w = (3 + j * i) - x; w = (w * 5 + 2) % -7;
  }
  if (i == 30) x = v[i % 6];
  if (i == 31) x = v[(i + 1) % 6];
  if (i == 32) { x = 7; y = v[3]; }
  if (i == 33) { y = 1; z = o; }
  if (i == 34) { z = 5; w = 2.5; }
  if (i == 35) w = 3;
}
console.log("shapes " @ x @ " " @ y @ " " @ z @ " " @ w);
var n = 700, k = 0, m, bs = [40, 2.5, "30", u, o, 25];
for (j = 0; j < 3000; j++) k = (k + i * j) % 1000003;
for (j = 0; j <= n; j++) n = n - 1;
for (j = 0; j < 500; j++) j = j + 2;
for (j = 400; j >= -3; j--) k = k ^ j * 3;
for (j = 40; j > 0; j--) k = (k + 7) % (j - 20);
console.log("halted " @ k @ " " @ j);
k = 1;
for (x = 2147483600; x > 0; x++) k = k ^ x;
for (x = -2147483647 - 1; x <= -2147483000; x++) k = (k - x) & 65535;
for (m = 0; m < 6; m++) { y = bs[m]; for (j = 0; j < y; j++) k = k + j * 3; }
console.log("rounds " @ k @ " " @ n @ " " @ j @ " " @ x);
function shaped(a, b, c) {
  var p = 0, q = 1, r;
  p = a + b; p = (p * c) % 101; q = q + a * b; q = (q - b * c) % 103; q = (q + p) ^ c;
  for (r = 0; r < 9; r++) q = (q + r * a) % 1009;
  return p * 1000 + q;
}
var t = 0;
for (i = 0; i < 6000; i++) t = (t + shaped(i, i % 7, 3 - i % 5)) % 1000003;
console.log("calls " @ t @ " " @ shaped(1, 2.5, 3) @ " " @ shaped(1, "x", 3) @ " " @ shaped(1, 2, 0));)",

    // Number steps: floats and integers mixed in expressions, compound
    // stores and loop tests; quotients by 0, -1 and of INT32_MIN; float
    // infinities, a float NaN (made by arithmetic) and -0; a counter that
    // turns float inside its loop; texts, undefined and objects that send
    // the steps back to the records; a member and an element holding floats.
    R"(var i, j, a = 0.5, b = 3, c, q, x = -2147483647 - 1, inf = 10000000000.0, nan, nz = -0.0, t = "2", u, o = {v: 1.5},
    arr = [0.25, 4, 2.5];
inf = inf * inf * inf * inf; inf = inf * inf * inf * inf * inf * inf * inf * inf * inf; nan = inf - inf;
for (i = 0; i < 40; i++) {
  a = a * 1.5 + b / 4; b = b + i / 3; c = (i - 20) / (i % 5); q = x / (i - 39); q = q + x / -1;
  a = (a - b) / 7.0 + i % 3; b = b * 0.5 - a; c = c * nz + i; o.v = o.v * 0.75 + a / 8; arr[i % 3] = arr[i % 3] / 2 + i;
  a -= b * 0.125; b += i / 2; o.v += a * 0.5; arr[1] *= 1.0001; arr[2] -= 0.5 * i;
  if (a / b < 0.3) a = a + 1; if (i * 0.5 >= b - a) b = b - 0.25; if (c == i) c = c + 0.5;
  if (i == 10) a = t; if (i == 11) a = 1.5; if (i == 12) b = u; if (i == 13) b = 7; if (i == 14) o.v = o;
  if (i == 15) o.v = -0.0; if (i == 16) arr[1] = t; if (i == 17) arr[1] = 3;
  if (i == 34) a = inf; if (i == 35) a = nan; if (i == 36) a = -inf; if (i == 37) { a = 2; b = 3; }
}
console.log("numbers " @ a @ " " @ b @ " " @ c @ " " @ q @ " " @ o.v @ " " @ arr[0] @ " " @ arr[1] @ " " @ arr[2]);
var k = 0, n = 0.5, w = 0;
for (j = 0; j < 10; j += 0.75) { k = k + j; if (j > 4) j = j + 0.5; }
for (j = 3; j <= 2 * n + 9.5; j += n) { w = w + j / 2; n = n + 0.125; }
for (j = 0.5; j < 6.5; j += 1) w = w * 1.5 - j;
for (j = 8; j > nan; j -= 1) w = w + 1;
for (j = -3.5; j < inf && j < 4; j = j + 1.5) w = w - j * inf;
console.log("loops " @ k @ " " @ n @ " " @ w @ " " @ j @ " " @ (nan == nan) @ " " @ (nz == 0) @ " " @ (1 / nz));
function mixed(p, r) { var s = 0, m; for (m = 0; m < 12; m++) { s = s + p / (m - 5.5); s -= r * m; s = s % 1000; } return s; }
console.log("calls " @ mixed(1, 2) @ " " @ mixed(2.5, 0.5) @ " " @ mixed(-2147483647 - 1, 1) @ " " @ mixed(u, 1) @ " " @ mixed("3", 1));)",

    // Sorts whose merge steps meet undefined entries, comparators that
    // throw and grow the array, and at last an operand stack too full for
    // the comparator's call: the failure comes where the records' came.
    R"(function le(x, y) { return x <= y; }
var u, i, r, n = 0, a, s = "";
for (r = 0; r < 40; r++) {
  a = [];
  for (i = 0; i < r; i++) { a.push((i * 37 + r) % 11); if (i % 9 == 4) a.push(u); }
  try { a.sort(function (x, y) { n++; if (n % 97 == 0) throw {v: n}; if (n % 13 == 0) a.push(n); return x <= y; }); }
  catch (e) { s = s @ e.v @ " "; }
  s = s @ a.length @ ":" @ a[0] @ a[r >> 1] @ " ";
}
console.log("sorts " @ s);
a = [2, 1];
var z = 1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (1 + (a.sort(le).length))))))))))))))))))))))))));
console.log("never " @ z);)",
    // Object literals whose first members lie in the object's body: nested
    // literals, a key named twice, members past the body's room, reads,
    // writes, deletes and re-adds under atom, integer and text keys.
    R"(function node(d) { if (d == 0) return {l: null, r: null}; return {l: node(d - 1), r: node(d - 1)}; }
function count(t) { if (t.l == null) return 1; return 1 + count(t.l) + count(t.r); }
var i, s = 0, o, p;
for (i = 0; i < 40; i++) {
  o = {a: i, b: {c: i * 2, d: "x" @ i}, a: i + 1, e: 3};
  s = s + o.a + o.b.c + o.e;
  o.f = 4; o[7] = 5; o["not an atom"] = 6;
  s = s + o.f + o[7] + o["not an atom"];
  delete o.a; s = s + (o.a == null ? 1 : 2);
  o.a = 9; s = s + o.a;
  p = {}; p.z = i; p[2] = i; delete p.z; p.z = 1; p.y = p.z + p[2]; s = s + p.y + p.z;
  s = (s + count(node(i % 5))) % 1000003;
}
console.log("literals " @ s @ " " @ o.b.d @ " " @ p.q);)",
    // Call shapes: argument counts below, at and above the parameter
    // counts, texts among them, recursion as deep as the operand stack
    // allows, throws from the deepest frame caught a few frames up,
    // generators, their restarters' `next` and natives called between
    // script calls, closures called as temporaries, thousands of rounds
    // with young garbage, and a recursion that runs out of stack.
    R"(function p0() { return 1; }
function p1(a) { return a; }
function p3(a, b, c) { var t = [a, b, c]; return t.length + (c == null ? 10 : c); }
function p5(a, b, c, d, e) { var x, y, z; x = a; y = e; return x @ "," @ y @ "," @ z; }
function down(n) { if (n <= 0) return 0; return 1 + down(n - 1); }
function thrower(n) { if (n <= 0) throw {d: 7}; return thrower(n - 1) + 1; }
function catcher(n, at) { try { return thrower(n); } catch (e) { return e.d * 100 + at; } }
function *gen(v) { yield v; yield v * 2; }
function adder(k) { return function (x) { return x + k; }; }
var i, s = 0, t = "", g, r, q = [];
for (i = 0; i < 3000; i++) {
  s = (s + p0(i, i) + p1(i) + p1(i, 1, 2) + p3(i) + p3(i, i) + p3(i, i, i) + p3(i, i, i, i, i, i)) % 1000003;
  t = p5(i, "b", "c" @ i) @ p5() @ p5(1, 2, 3, 4, 5, 6, 7);
  if (p1() == null) s = s + 1;
  s = (s + down(i % 13) + adder(i % 7)(i) + catcher(i % 11, i % 3)) % 1000003;
  g = gen(i);
  r = g.next(0);
  s = (s + r.value) % 1000003;
  r = g.next(0);
  s = (s + r.value) % 1000003;
  q.push(i);
  if (q.length > 50) q.shift();
  s = (s + q.length + q[0]) % 1000003;
}
console.log("shapes " @ s @ " " @ t @ " " @ down(14) @ " " @ catcher(12, 1));
console.log("too deep " @ down(40));)",
    kCallEntries,
    // One-argument calls of a local and a constant (+ - *) and returns of a
    // local or of a sum: values turning float, text, undefined and object,
    // integers wrapping, the callee a variable of an enclosing scope that changes,
    // goes missing or turns into a native or a number, methods, returns
    // inside try and finally, and a call of something not callable.
    R"(function fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }
function id(v) { return v; }
function sum2(a, b) { return a + b; }
function sq(v) { var w = v * 1; return w; }
function fin(v) { try { if (v > 2) return v; } finally { v = v + 1; } return v; }
function deep(n) { if (n <= 0) return n; return deep(n - 1); }
var o = {m: function (v) { return v + 1; }}, f = id, i, s = 0, t = "", x;
function viaF(v) { return f(v - 1); }
for (i = 0; i < 4000; i++) {
  x = i % 9 == 0 ? i + 0.5 : i % 13 == 0 ? "t" @ i : i % 17 == 0 ? undefined : i % 19 == 0 ? {a: 1} : i;
  if (i == 3000) x = 2147483647;
  s = (s + fib(i % 12) + sq(i - 3) + fin(i % 5) + o.m(i * 2)) % 1000003;
  t = sum2(x, i) @ "," @ sum2(i, x) @ "," @ id(x + 1) @ "," @ id(x - 1) @ "," @ id(x * 3) @ "," @ f(x - 1) @ "," @ id(x);
  if (i % 500 == 0) s = (s + t.length) % 1000003;
  s = (s + viaF(i)) % 1000003;
  if (i == 2500) f = Math.abs;
  if (i == 2600) f = sq;
  if (i == 2700) f = id;
}
console.log("args " @ s @ " " @ t @ " " @ deep(25) @ " " @ f(3 - 1));
f = 7;
i = 5;
console.log("not callable " @ f(i - 1));)",

    // Members and elements of locals read, referenced and stored by the
    // fused member steps: values turning float, text, undefined, null and
    // object halfway, members missing, deleted and added again, a
    // prototype's member shadowed, class slots, integer keys of plain
    // objects beside arrays, views, texts and a sealed native, element
    // keys negative, past the end (the store warns) and turning float or
    // text, stores of every integer expression, in micro-threads that wait
    // between steps with young garbage collecting.
    R"(function Pair(v) { this.a = v; this.b = v + 1; }
Pair.prototype.c = 5;
var o = {x: 1, y: 2, z: 0}, a = [], p = {}, g = new Pair(1), u, i, k, j, s = 0, t = 0, w, m = Math.abs;
for (i = 0; i < 64; i++) a.push(i);
for (i = 0; i < 16; i++) p[i] = i;
var vs = [o, a, p, g, 2.5, "text", u, null, m, new Int32Array(new ArrayBuffer(64), 0), [1, 2]];
for (i = 0; i < 4000; i++) {
  k = i % 70 - 3;
  o.z = (o.x + o.y + o.z) % 1000003;
  o.x = o.y;
  o.y = i % 7;
  a[k] = i * 3 + s % 5;
  s = (s + a[k] + g.a + g.c) % 1000003;
  if (s != s) s = 3;
  g.a = (g.a + i) & 1023;
  g.b = k;
  w = vs[i % 11];
  w.x = i - k;
  w[j = i % 20] = j * 2 - 1;
  t = (t + w.x + w[j] + w.c) % 1000003;
  if (t != t) t = 7;
  if (i == 500) o.x = 2.5;
  if (i == 900) o.y = "12";
  if (i == 1300) { delete o.x; o.z = u; }
  if (i == 1700) { o.x = 3; o.z = 4; o.y = null; }
  if (i == 2100) { o = {y: 1, z: {}}; k = 1.5; }
  if (i == 2500) { o = {x: 1, y: 2, z: 3}; g.c = 9; }
  if (i == 2900) { delete g.c; Pair.prototype.c = "7"; }
  if (i == 3300) { p = a; a = p; a[2] = "t"; g = new Pair(i); }
  if (i % 400 == 0) { w = "junk" @ i; s = (s + o.z) % 1000003; }
}
console.log("members " @ s @ " " @ t @ " " @ o.x @ " " @ o.y @ " " @ o.z @ " " @ a[5] @ " " @ p[3] @ " " @ g.a @ " " @ m.x);
var done = 0, total = 0, blob = "0123456789abcdef", b;
for (b = 0; b < 8; b++) blob = blob @ blob;
function worker(id) {
  var q = {n: id, v: 0}, e = [0, 0, 0, 0], n, c = 0, junk;
  for (n = 0; n < 600; n++) {
    c = n % 4;
    q.v = (q.v + q.n * n) % 65521;
    e[c] = e[c] + q.v % 9;
    if (n % 50 == id) wait;
    junk = blob @ n;
  }
  total = total + q.v + e[0] + e[1] + e[2] + e[3];
  done++;
}
for (b = 1; b <= 6; b++) spawn(worker, b);
for (b = 0; b < 400 && done < 6; b++) wait;
console.log("member threads " @ done @ " " @ total);)",
    // Member and element reads and references at the operand and
    // reference stacks' limits, and one past them.
    R"(var o = {x: 1}, a = [1, 2], i = 1;
console.log("deep " @ (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (1)))))))))))))))))))))))))))))) @ " " @ (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (a[i] + (1)))))))))))))))))))))))))))))));
o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = o.x = 1;
a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = 2;
console.log("chained " @ o.x @ " " @ a[i]);
console.log("never " @ (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (o.x + (1))))))))))))))))))))))))))))))));)",
    R"(var a = [1, 2], i = 1;
a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = a[i] = 3;
console.log("never " @ a[i]);)",
    // ++, -- and compound stores through members, elements and locals:
    // integers stepped and combined inline; floats, texts, missing
    // members, a sealed native, typed views, past the end and non-objects
    // the general way, with the values turning halfway.
    R"(var o = {x: 1, y: 2.5, s: "t"}, a = [1, 2, 3], p = {}, m = Math.abs, u, i, k, r = 0, t = 5;
var v = new Int32Array(new ArrayBuffer(64), 0), xs = [o, a, p, m, v, u, 5, "text"], w;
p[1] = 4;
for (i = 0; i < 3000; i++) {
  w = xs[i % 8];
  k = i % 3;
  o.x++; o.x--; ++o.x; r = r + o.x++ + --o.x + o.x-- + ++o.x;
  a[k]++; a[k] += 2; a[k] -= 1; a[k] *= 3; a[k] &= 65535; a[k] |= 1; a[k] ^= 2; a[k] %= 1000; a[k] /= 1;
  t += i; t *= 3; t -= k; t ^= 5; t &= 65535; t |= 2; t = t % 1000003;
  r = (r + a[k] + (o.x += 2) + (o.x -= 2) + (a[k] *= 1) + t) % 1000003;
  r = (r - a[k] + 7) * 1 - o.x * 3 + (r + o.x - 2) % 1000;
  t = t + a[k]; t = (t - o.x) % 65521; t = (t * w[1] + 3); t = t - w[k] * 2; t = (t + w.x - 1) % 7919;
  if (i % 200 == 0) { w.x++; w[1]--; w.x += i; w[1] -= i; o.y++; o.s--; o.q += 1; a[3]++; a[4] += 1; m.x++; }
  if (i == 1000) o.x = 2.5;
  if (i == 1500) { o.x = "5"; a[1] = 1.5; }
  if (i == 2000) { o = {x: 7, y: 1}; a[1] = u; t = 0.5; }
  if (i == 2500) { a[1] = 3; t = 1; xs[0] = o; }
  if (i % 300 == 0) w = "junk" @ i;
}
console.log("steps " @ r @ " " @ o.x @ " " @ o.y @ " " @ o.q @ " " @ a[0] @ " " @ a[1] @ " " @ a[2] @ " " @ p[1] @ " " @ m.x @ " " @ v[1] @ " " @ t);)",
    // Member and element reads as operands of expressions and as tests: of
    // locals, `this` and outer variables; members missing, deleted, added
    // again, shadowed on the prototype and turning float, text or object;
    // elements past the end, at negative and non-integer keys, of a view and
    // a text; an object turning null in the middle of the loop, which fails
    // at its own record.
    R"(function P(x) { this.x = x; this.y = 0.5; }
P.prototype.z = 3;
P.prototype.run = function (n) {
  var k, t = 0;
  for (k = 0; k < n; k++) {
    t = (t + this.x * k - this.z) % 10007;
    if (this.x < this.z) t += this.y; else t -= this.y * 2;
    if (!this.w && this.x) t++;
    if (k == 40) this.z = 2.5; if (k == 60) this.w = "w"; if (k == 80) delete this.w;
  }
  return t;
};
var o = {x: 1, y: 2}, b = {x: 3, m: 2}, a = [1, 0, 2, 0.5], e = [], i, k, s = 0, dx, f = 0.25, u;
var v = new Int32Array(new ArrayBuffer(16), 0), t = "text", pp = new P(2);
function inner(n) {
  var j, r = 0;
  for (j = 0; j < n; j++) { r = (r + o.x * a[j % 5] - b.m) % 65521; if (a[j % 4]) r++; if (!e[j] && !a[1]) r += 2; }
  return r;
}
for (i = 0; i < 400; i++) {
  k = i % 6;
  dx = o.x - b.x; o.y -= dx * b.m * f; s = (s + a[k] * 3 + a[1] - a[2] + o.x) | 0;
  if (o.x < b.x) s++; if (a[k] == a[0]) s += 2; if (a[k]) s += 4; if (!a[k] && !e[k]) s += 8; if (a[k] || o.q) s--;
  s = (s + v[k] + v[1] * 2 + t[1] + b.q) | 0;
  if (v[k]) s++; if (t[k]) s += 16;
  if (i == 50) o.x = 2.5; if (i == 100) o.x = "5"; if (i == 150) o.x = {x: 1}; if (i == 200) { o.x = 1; delete b.m; }
  if (i == 250) { b.m = 0.5; a[1] = "t"; } if (i == 300) { a[1] = undefined; a.push(7); e[2] = 1; }
  if (i % 90 == 0) { v[k] = i; s = s + inner(i % 7) + pp.run(i % 100); }
  if (i == 390) b = null;
}
console.log("reads " @ s);)",
    // Native methods called in loops (push and pop run by the loop itself,
    // the others' frames entered by it), with a text argument, missing and
    // extra arguments, and a native failing for want of an array receiver;
    // then pushes and pops at every depth of a recursion that runs out of
    // stack, and the natives as an object's own methods.
    R"(var q = [], i, p = q.pop, r = [], v;
for (i = 0; i < 700; i++) { q.push(i % 7); if (i % 100 == 0) q.push("t" @ i); if (i % 3 == 0) q.pop(); }
console.log("natives " @ q.length @ " " @ q[3] @ " " @ q.pop() @ " " @ q.shift());
function deepPush(n, a) { a.push(n); if (n <= 0) return a.pop(); return deepPush(n - 1, a) + a.pop(); }
r.push(); r.push(1, 2); r.push(r); v = r.pop(); v = v.pop() @ " " @ r.length @ " " @ [].pop() @ " " @ r.pop(9);
console.log("pushed " @ v @ " " @ deepPush(14, r) @ " " @ r.length);
p();
console.log("never " @ q.length);)",
    R"(var r = [];
function deepPush(n, a) { a.push(n); if (n <= 0) return a.pop(); return deepPush(n - 1, a) + a.pop(); }
console.log("deep " @ deepPush(20, r) @ " " @ r.length);
console.log("too deep " @ deepPush(100, r) @ " " @ r.length);)",
    R"(var q = [5], w = {pop: q.pop, push: q.push};
console.log("own " @ w.push(3) @ " " @ q.length);)",
    // Elements keyed by expressions: a backtracking search over flag
    // arrays of an enclosing scope, then keys that wrap, turn negative or
    // float, run past the end or index a plain object, a text, a sealed
    // function and null, with the pump falling at every offset.
    R"(var N = 6, cols = [], d1 = [], d2 = [], i, found = 0, o = {}, t = "text", f = function () {}, z = null, s = 0;
for (i = 0; i < N; i++) cols.push(false);
for (i = 0; i < 2 * N; i++) { d1.push(false); d2.push(false); }
function place(row) {
  var c;
  if (row == N) { found++; return; }
  for (c = 0; c < N; c++) {
    if (!cols[c] && !d1[row + c] && !d2[row - c + N]) {
      cols[c] = true; d1[row + c] = true; d2[row - c + N] = true;
      place(row + 1);
      cols[c] = false; d1[row + c] = 0; d2[row - c + N] = null;
    }
  }
}
place(0);
console.log("queens " @ found @ " " @ d1[3] @ " " @ d2[N + 1]);
var k, m = 2147483647, a = [1, 2, 3];
for (k = -3; k < 40; k++) {
  o[k * 2] = k; o[k + 1] = o[k * 2] + 1; s = (s + o[k - 1] + (o[k + 3] == undefined ? 1 : 0)) | 0;
  a[k + 1] = k; a[k % 5 + 1] = true; s = (s + (a[k - 1] ? 1 : 2)) | 0;
  if (!a[k + m]) s++; t[k + 1] = k; f[k + 1] = k; if (f[k + 1] == k) s += 3; if (t[k - 1] == "e") s += 5;
  a[k + 0.5] = k; o[k * 0.5] = k; if (k == 30) z[k + 1] = 1;
}
console.log("keys " @ s @ " " @ a.length @ " " @ o[4] @ " " @ o["5"] @ " " @ o[2.5]);)",
    // Elements under constant keys (`a[0]`, `a[4]`) read, stepped and
    // stored at the top level and from a function, alone, inside
    // expressions and compound stores: arrays growing and shrinking under
    // them (keys past the end), integer-keyed members of a plain object, a
    // view, a text, a sealed native, null and an array turned object halfway,
    // a negative constant (a member name), the largest key, elements turning
    // float, text and object, with the pump falling at every offset.
    R"(var a = [1, 2, 3, 4, 5], o = {}, v = new Int32Array(new ArrayBuffer(32), 0), t = "texts", f = Math.abs;
var vs = [a, o, v, t, f, null, [7, 8], 3], i, s = 0, w, q = [];
o[0] = 4; o[4] = 9; o[-1] = 2; v[0] = 6; v[4] = 1;
function sum(b, n) {
  var k, r = 0;
  for (k = 0; k < n; k++) { r = (r + b[0] * 3 + b[4] + b[1] * (b[2] + 1)) | 0; b[0] += 1; b[1] = b[0] - b[4]; }
  return r + b[-1] + b[2147483647];
}
for (i = 0; i < 600; i++) {
  w = vs[i % 8];
  s = (s + a[0] * 3 + a[4] * (a[2] + 1)) % 1000003;
  a[0] += 1; a[1]++; a[3] = a[0] - a[1];
  if (a[4]) s = s + a[4]; if (w[0] < w[4]) s++; if (!w[4]) s = s + 2;
  s = (s + q[0] + q[2]) | 0; q.push(i); if (i % 3 == 0) q.pop(); if (i % 7 == 0) q = [];
  if (i == 100) a[2] = 2.5; if (i == 200) a[2] = "7"; if (i == 300) a[4] = {}; if (i == 400) { a[4] = 5; a[2] = 1; }
  if (i == 450) a.pop(); if (i == 460) a.push(6); if (i == 500) vs[0] = {0: 1, 4: 2};
  if (i % 50 == 0) s = (s + sum(w, 3)) | 0;
  s = (s + a[-1] + a[2147483647]) | 0;
}
console.log("constant keys " @ s @ " " @ a[0] @ " " @ a[1] @ " " @ a[3] @ " " @ q.length @ " " @ o[0] @ " " @ v[0]);)",
    // `x.push(v);` statements of every plain value (integers, floats,
    // booleans, null, undefined, NaN, a local holding a text, an object, an
    // outer variable) on arrays of the top level and of a function's frame,
    // on an object with its own push, a view, a text, null's absence of
    // members and an array turned object halfway; the built-in push replaced
    // on the prototype for a while and put back, with the pump falling at
    // every offset.
    R"(var a = [], b = [1], o = {n: 0, push: function (v) { this.n = this.n + 1; }}, i, t = "t", f = 2.5, u, z = 0 / 0;
var keep = Array.prototype.push, w, ws = [a, b, o, t, new Int32Array(new ArrayBuffer(16), 0)], s = 0;
function fill(n) {
  var c = [], k, e = {};
  for (k = 0; k < n; k++) { c.push(k); c.push(t); c.push(e); c.push(i); c.push(false); a.push(k); }
  return c.length + c[n * 5 - 3];
}
for (i = 0; i < 500; i++) {
  a.push(i); a.push(f); a.push(true); a.push(null); a.push(u); a.push(z); a.push(7); a.push(t); a.push(o);
  w = ws[i % 5];
  w.push(i);
  if (i % 40 == 0) s = s + fill(i % 9);
  if (i % 100 == 0) a = [];
  if (i == 150) Array.prototype.push = function (v) { s = s + 1; return 0; };
  if (i == 170) Array.prototype.push = keep;
  if (i == 300) ws[1] = {push: 5};
}
console.log("push " @ a.length @ " " @ b.length @ " " @ o.n @ " " @ s @ " " @ a[4] @ " " @ a[7] @ " " @ a[8].n);)",
    // Elements tested with their branch (`if (a[i])`, `while (c[i] < i)`,
    // compared with locals, constants, null and booleans) and copied
    // (`a[k] = b[i];`), at the top level and on outer arrays from a function:
    // values of every kind and near the integer limits, keys negative, past
    // the end, float and text, objects that are no arrays (integer-keyed
    // members, a view, a text, a sealed native, null), a text copied, a
    // copy past the end (which warns) and onto itself.
    R"(var vs = [0, 1, -1, 2147483647, -2147483647 - 1, 0.5, "", "t", null, undefined, {}, [], 0 / 0, true, false];
var a = [], b = [], c = [], o = {}, v = new Int32Array(new ArrayBuffer(32), 0), t = "text", f = Math.abs, z = null;
var objs = [a, b, o, v, t, f, z], i, j, k, w, s = 0, m = 2147483647, n = -2147483647 - 1;
for (i = 0; i < 15; i++) { a.push(vs[i]); b.push(i - 7); c.push(0); o[i] = vs[14 - i]; }
function scan(x, lim) {
  var p, q = 0;
  for (p = 0; p < lim; p++) {
    if (x[p]) q++; if (x[p] < p) q += 2; if (x[p] <= m) q += 4; if (x[p] > n) q += 8; if (x[p] == null) q += 16;
    if (x[p] != true) q += 32; if (a[p] >= b[p]) q += 64; if (b[p] == 0) q += 128;
    if (c[p] < -40) c[p] = -40;
    while (c[p] < 3) { c[p] += 1; }
    c[p] = 0; a[p] = b[p]; b[p] = a[(p + 1) % 15];
  }
  return q;
}
for (i = 0; i < 300; i++) {
  j = i % 19 - 2; k = i % 17; if (i % 23 == 0) k = 1.5; if (i % 29 == 0) j = "2";
  w = objs[i % 7];
  if (a[j]) s++; if (w[j]) s += 2; if (!a[k]) s += 3; if (a[k] < j) s += 5; if (w[k] >= 3) s += 7;
  if (a[k] == undefined) s += 11; if (b[j] != m) s += 13; if (b[k] > n) s = s + 17;
  a[k] = b[j]; b[j] = a[k]; w[j] = a[k]; a[j] = w[k]; a[k] = a[k]; c[k] = vs[j];
  if (i % 50 == 0) { s = s + scan(a, 15) + scan(w, 5); a[3] = t; b[k] = a[3]; }
  s = s % 1000003;
}
console.log("element tests " @ s @ " " @ a.length @ " " @ b.length @ " " @ a[2] @ " " @ b[3] @ " " @ c[4] @ " " @ o[5]);)",
    // && and || chains of values of every kind, negated or not, as values,
    // in tests and in loop conditions.
    R"(var vs = [0, 1, -1, 0.0, 0.5, "", "t", null, undefined, {}, [], 0 / 0, true, false], i, j, k, n = 0, out = "";
for (i = 0; i < 14; i++) for (j = 0; j < 14; j++) {
  k = vs[i] && vs[j]; out = out @ (k == vs[i] ? "a" : k == vs[j] ? "b" : "c");
  k = (vs[i] || !vs[j]) && vs[(i + j) % 14]; out = out @ k;
  k = !vs[i] || !vs[j] && vs[j]; out = out @ k;
  if ((vs[i] && vs[j]) || (!vs[i] && !vs[j])) n++;
  if (!(vs[i] || vs[j]) && !vs[(i * j) % 14]) n += 2;
  if (vs[j] && (vs[i] || vs[j]) && !vs[i]) n += 4;
  while (n % 7 != 0 && (vs[i] || !vs[j])) { n++; }
}
console.log("truth " @ n @ " " @ out);)",
    // Tests whose answer goes on through && and || that it does not settle,
    // the if's or while's test and the labels after it: locals against
    // constants and locals, element and member reads, answers kept as
    // values, and the elements changing between rounds.
    R"(var a = [1, 0, 2, 0, 3], o = {x: 1, y: 0}, i, j, k, n = 0, s = 0, h = 0, c = 0;
function f(p, q) {
  var r = 0, m, w;
  for (m = 0; m < 5; m++) {
    if (!a[m] && m < q || p > m && !a[(m + 1) % 5]) r += 1; else r += 2;
    if (m < p && a[m] && !a[q % 5]) { r += 4; } else if (m > q || !a[m]) { r += 8; }
    while (!a[m] && r < 60 && m < q) { r += 16; }
    w = m < p && !a[m];
    k = m >= q || !a[(m + q) % 5];
    h = (h * 3 + (w ? 1 : 0) + (k ? 2 : 0)) % 1000003;
    if (!o.y && m < 3) { if (!a[m] || m > p) c++; } else c += 2;
  }
  return r;
}
for (i = 0; i < 40; i++) {
  for (j = 0; j < 7; j++) {
    if (i < 20 && j < 3 && !a[j % 5]) n++;
    if (i > 30 || j > 5 || !a[(i + j) % 5]) n += 2;
    if (!(i < 10) && (j < 2 || !a[j % 5]) && o.x) n += 4;
    s = (s + f(i % 6, j)) % 1000003;
  }
  if (i % 9 == 0) a[i % 5] = a[i % 5] ? 0 : i;
  if (i == 25) { o.y = 1; o.x = 0; }
}
console.log("answer ways " @ n @ " " @ s @ " " @ c @ " " @ h);)",
    // `return this.name;` of values of every kind, of a member the object
    // lacks, of its prototype's and of one added and deleted between calls,
    // from methods and from plain calls, recursively and as an argument.
    R"(function Box(v) { this.v = v; }
Box.prototype.get = function () { return this.v; };
Box.prototype.tag = function () { return this.t; };
Box.prototype.kind = "box";
Box.prototype.getKind = function () { return this.kind; };
Box.prototype.deep = function (n) { if (n > 0) return this.deep(n - 1); return this.v; };
function plain() { return this.v; }
var vs = [1, -2147483647 - 1, 2.5, "s", null, undefined, true, {a: 1}, [1, 2]], i, b, out = "", n = 0;
for (i = 0; i < 60; i++) {
  b = new Box(vs[i % 9]);
  if (i % 5 == 2) b.t = i;
  if (i % 7 == 3) b.kind = "own";
  out = out @ b.get() @ "," @ b.tag() @ "," @ b.getKind() @ ";";
  if (b.deep(i % 4) == vs[i % 9]) n++;
  n = (n + (b.get() == b.v ? 1 : 0)) % 1000003;
  if (i % 11 == 4) { Box.prototype.v = i; delete b.v; out = out @ b.get(); }
  if (i % 13 == 6) out = out @ plain();
}
console.log("returns " @ n @ " " @ out);)",
    // Counting loops whose whole body stores into its own first operand,
    // run as whole rounds between the pump's calls: the target also the
    // counter, the test's bound, a later operand, or no integer at first;
    // remainders by 0 and -1; bodies long enough that rounds straddle
    // the pump.
    R"(var s, t, i, j, k, m = 1000003, out = "";
s = 0;
for (i = 0; i < 300; i++) { for (j = 0; j < 70; j++) { s = (s + i * j) % m; } }
out = out @ s @ ",";
for (s = 1; s < 5000; s++) { s = s * 2 + 1; }
out = out @ s @ ",";
s = 900;
for (j = 0; j < s; j++) { s = s - 1; }
out = out @ s @ " " @ j @ ",";
s = 3;
for (j = 0; j < 500; j++) { s = (s + s * j) % 7; }
out = out @ s @ ",";
s = 0.5;
for (j = 0; j < 400; j++) { s = (s + j) % 1000; }
out = out @ s @ ",";
t = "x";
for (j = 0; j < 3; j++) { t = (t + j) % 5; }
out = out @ t @ ",";
for (k = -1; k <= 1; k++) {
  s = 10;
  for (j = 0; j < 300; j++) { s = (s + j) % (k + 0); }
  out = out @ s @ ";";
}
s = 2147483647;
for (j = 10; j > 0; j--) { s = s + j * 3; }
out = out @ s;
console.log("carried " @ out);)",
    // A call's one argument a local combined with a constant by + - * and
    // %, the callee a local or top-level function: remainders of negative
    // numbers and of the smallest integer, divisors 0 and -1 (no fused
    // step), a float and a text local, and a callee replaced on the way.
    R"(function id(x) { return x; }
function sq(x) { return x * x % 1000; }
var vs = [7, -7, 0, 2147483647, -2147483647 - 1, 2.5, "t", null], i, k, f = id, s = 0, out = "";
for (i = 0; i < 40; i++) {
  k = vs[i % 8];
  out = out @ id(k % 5) @ "," @ f(k % 3) @ "," @ sq(k - 1) @ "," @ id(k % 2147483647) @ ";";
  if (i % 8 == 2) out = out @ id(k % 0) @ id(k % -1);
  s = (s + sq(i % 7) + f(i * 3)) % 1000003;
  if (i == 20) f = sq;
}
console.log("argument ops " @ s @ " " @ out);)",
    // Method calls with no argument or one local, the object a local or a
    // top-level variable: script methods from the prototype and the
    // object's own, natives (an array's push and pop, a text object's
    // append, a code made a text), arguments of every kind, a method
    // replaced and deleted between calls, recursion, a member that is no
    // function and objects that are none.
    R"(function Node(v) { this.v = v; this.n = 0; }
Node.prototype.add = function (k) { this.n = (this.n + k * 3 + this.v) % 1000003; return this.n; };
Node.prototype.get = function () { return this.n; };
Node.prototype.down = function (k) { if (k <= 0) return this.v; var m = k - 1; return this.down(m) + 1; };
var top = new Node(7), arr = [], txt = new String(), vs = [1, 2.5, "x", null, true, -1], i, k, out = "", s = 0;
function run(o, p) {
  var r = 0, j, q, c;
  for (j = 0; j < 6; j++) {
    q = vs[j];
    if (typeof q == "number") r = (r + o.add(q) + top.add(j)) % 1000003; else out = out @ o.add(q) @ ";";
    r = (r + o.get() + top.get() + o.down(j)) % 1000003;
    arr.push(j);
    if (j % 2 == 0) out = out @ arr.pop();
    c = 65 + j;
    txt.append(q);
    out = out @ String.fromCharCode(c) @ p.get();
  }
  return r;
}
for (i = 0; i < 30; i++) {
  var o = new Node(i);
  if (i % 4 == 1) o.add = function (k) { return -k; };
  if (i == 12) Node.prototype.get = function () { return this.v * 2; };
  s = (s + run(o, top)) % 1000003;
  if (i % 5 == 3) delete o.add;
}
out = out @ arr.length @ txt;
top.get = 5;
out = out @ top.get();
vs = 3;
out = out @ vs.add();
console.log("methods " @ s @ " " @ out);)",
    // Comparisons of member and element reads with constants and variables,
    // and of variables with reads, tested by if, while, && and || and used as
    // values: reads of outer arrays and objects from a function (a colouring
    // search over bit masks and a trail), values of every kind, keys past
    // the end, negative and not integers, a text, a view, a function object
    // and null as the object, and the objects changing under the loop.
    R"(var V = 9, K = 3, adj = [], dom = [], col = [], trail = [], v, nodes = 0, sols = 0, sum = 0;
for (v = 0; v < V; v++) { adj.push([(v + 1) % V, (v * 4 + 2) % V, (v + 5) % V]); dom.push((1 << K) - 1); col.push(-1); }
function solve(v) {
  nodes++;
  if (v == V) { sols++; var k; for (k = 0; k < V; k++) sum = (sum + col[k] * (k + 1)) % 1000003; return; }
  var d = dom[v], c, l = adj[v], j, w, mark, ok;
  for (c = 0; c < K; c++) {
    if (((d >> c) & 1) == 0) continue;
    col[v] = c; mark = trail.length; ok = true;
    for (j = 0; j < l.length; j++) {
      w = l[j];
      if (w > v && ((dom[w] >> c) & 1) == 1) {
        trail.push(w); dom[w] -= 1 << c;
        if (dom[w] == 0) { ok = false; break; }
      }
    }
    if (ok) solve(v + 1);
    while (trail.length > mark) { w = trail.pop(); dom[w] += 1 << c; }
  }
  col[v] = -1;
}
solve(0);
console.log("solve " @ nodes @ " " @ sols @ " " @ sum);
var vs = [0, 1, -1, 2147483647, 0.5, -0.0, "", "1", null, undefined, true, false, {}, [1], 0 / 0, 3.0], n = 0, out = "";
var ob = {x: 1, y: 2.5, s: "t", z: null}, ar = [1, 2, 3], f = function () {}, txt = "abc", vw = new Int32Array(new ArrayBuffer(16), 0);
var objs = [ob, ar, f, txt, vw, null, 7, undefined], key, i, j, o, r;
function probe(o, k, x) {
  var t = 0;
  if (o[k] == x) t += 1; if (o[k] != x && x < o[k]) t += 2; if (o.x >= x || o.y <= x) t += 4;
  if (o[2] > x && o[1] < x) t += 8; if (x == o.length || x > o.length) t += 16;
  if (o.z == null && o.s != undefined) t += 32; if (o[k] == true || o[k] != false) t += 64;
  r = o[k] < x; if (r) t += 128; r = x <= o.x && o[0] == 1; if (r) t += 256;
  if (ar[k] == x && ob.x < x) t += 512; if (k < ar.length && ar[k] > 1) t += 1024;
  return t;
}
for (i = 0; i < 16; i++) for (j = 0; j < 8; j++) {
  o = objs[j];
  for (key = -1; key < 5; key++) { n = (n * 7 + probe(o, key, vs[i])) % 1000003; }
  n = (n + probe(o, 0.5, vs[i]) + probe(o, "1", vs[i])) % 1000003;
  if (i == 9) { ar[1] = "2"; ob.x = 1.5; } if (i == 12) { ar.length = 1; ob.x = undefined; }
}
while (ar.length < 4 && ar[0] != 9) { ar.push(ar.length); }
console.log("reads " @ n @ " " @ ar.length);)",
    // Calls nested in one another: recursion through the counted and the
    // one-argument call steps, calls inside literals and under member and
    // element stores, closures made after the calls inside their maker
    // returned, generators resumed from other frames, throws caught a few
    // frames up through finally blocks, returns without a value, waits at the
    // bottom of a recursion beside a second thread, and the stack running out.
    R"(var s = 0, i, o = {x: 1, y: 2}, arr = [0, 1, 2, 3], h, g, log = [];
function rec(n, k) { if (n <= 0) { if (k == 3) throw {v: k}; if (k == 5) wait; return k; } return rec(n - 1, k) + n; }
function dec(n) { if (n < 1) return 0; return dec(n - 1) + 1; }
function deep(n, v) { var z = n; try { if (n <= 0) { if (v > 2) throw {v: v}; return v; } return deep(n - 1, v) + 1; } finally { s = (s + z) | 0; } }
function catchAt(n, at, v) { if (n == at) { try { return deep(n, v); } catch (x) { return -x.v; } } return catchAt(n - 1, at, v) + 1; }
function mkIn(n) { var k = rec(n % 4, 1), m = dec(n % 8); return function (z) { k = k + z + n + m; return k; }; }
function *gdeep(n, f, d) { var k; for (k = 0; k < n; k++) { yield f(k % 3, k * 2) + d(k); } return 9; }
function other(g) { return g.next(0); }
function resume(g) { var r = other(g), t = 0; while (!r.done) { t = t + r.value; r = dec(1) ? other(g) : g.next(0); } return t + r.value; }
function viaLit(n) { return {x: rec(n % 3, 2), y: [rec(1, n % 2 + 5), dec(n % 5)]}.y[0] + [dec(2), {z: dec(3)}][1].z; }
function P(v) { this.v = v; }
P.prototype.get = function (n) { if (n <= 0) return this.v; return this.get(n - 1) + 1; };
function none(n) { if (n > 0) none(n - 1); }
function worker(n) { var k; for (k = 0; k < n; k++) { s = (s + rec(k % 4, 5)) | 0; } }
spawn(worker, 3);
for (i = 0; i < 40; i++) {
  try { s = (s + rec(i % 9, i % 7)) | 0; } catch (x) { s = s - x.v; }
  s = (s + catchAt(i % 6, (i % 6) >> 1, i % 5)) | 0;
  h = mkIn(i); s = (s + h(1) + h(i)) | 0;
  try { g = gdeep(i % 6, rec, dec); s = (s + resume(g)) | 0; } catch (x) { s = s + x.v; }
  o.x = rec(i % 4, 1); arr[i % 4] += viaLit(i); o.y -= dec(i % 7) * new P(i).get(i % 5);
  s = (s + none(i % 3) == undefined ? 1 : 2) | 0;
  log.push(dec(i % 10));
  s = (s + arr[i % 4] + o.x + o.y + log.pop()) | 0;
}
console.log("calls " @ s @ " " @ o.x @ " " @ o.y @ " " @ arr[0] @ " " @ arr[3] @ " " @ log.length);
console.log("too deep " @ dec(100));
console.log("never");)",
    // Comparisons answered into && and ||, as values and as tests, on
    // locals and on the two top operands: each side stopping the chain,
    // null, undefined, NaN, texts, objects and mixed numbers among them,
    // in loops and walks of a linked list, the pump falling in between.
    R"(var vals = [0, 1, -1, 2147483647, 0.5, null, undefined, "1", "", {}, true, false, 0 / 0], s = 0, i, j;
function walk(n) {
  var head = null, k, l, c = 0;
  for (k = 0; k < n; k++) head = {v: k % 3, next: head};
  l = head;
  while (l != null && l.v != 2) { c++; l = l.next; }
  k = l != null && l.next == null; c = c + (k ? 1 : 0);
  while (l != null && l.next != null || c < 0) { c = c + l.v; l = l.next.next; if (l == undefined) break; }
  return c;
}
function lt(a, b) { return a < b; }
function same(a, b) { return a == b; }
function ge(a, b) { return a >= b; }
for (i = 0; i < vals.length; i++) {
  for (j = 0; j < vals.length; j++) {
    var a = vals[i], b = vals[j], x, y, z;
    s = s + (lt(a, b) ? 1 : 0) + (same(a, b) ? 2 : 0) + (ge(a, b) == true ? 4 : 0) + (same(b, null) ? 8 : 0);
    x = a == b && b != null; y = a != null || b == 1; z = a < b || a > 1 && b <= a;
    if (a != undefined && b == 0) s += 1; if (a == null || b != 0.5) s += 2; if (!(a >= b && a != b)) s += 4;
    if (a.v == b || b.v != a) s += 8;
    if (vals[i] == 1 || vals[j] != null && vals[i] != true && b.v == undefined) s += 16;
    if ((a > 0 || b < 1) && (vals[j] >= 2 || vals[i] < -1)) s += 32;
    if (i + j > 3 && i * 2 <= j + 1 || i - j == 2) s += 64; if (!(i % 3 == j % 2 && i + 1 != j)) s += 128;
    x = i + 1 == j * 2 || i - j > 5; y = i * 0.5 < j - 1 && j % 4 != 1;
    s = (s * 3 + (x ? 1 : 0) + (y ? 2 : 0) + (z ? 5 : 0) + (x === true ? 7 : 0)) % 1000003;
    console.log(i @ " " @ j @ " " @ x @ " " @ y @ " " @ z);
  }
  s = (s + walk(i * 7)) % 1000003;
}
function P(v) { this.v = v; }
P.prototype.w = 3;
P.prototype.self = function (k) { return (this.v < k ? 1 : 0) + (this.w == null || this.v != k && this.w >= 2 ? 2 : 0); };
var objs = [{v: 1}, {v: 2.5, w: 1}, {v: "2"}, {v: null}, {w: 0}, new P(2), new P(-1), {v: 2147483647, next: null}];
function cmp(o, k) {
  var c = 0;
  if (k < o.v) c += 1; if (o.v >= 2) c += 2; if (o.v != null && o.v < k) c += 4; if (o.next == null) c += 8;
  if (k == o.w || o.w > k && k != o.v) c += 16; if (o.v == undefined || o.v <= k) c += 32;
  if (k >= vals.length || o.v == true) c += 64;
  if (o instanceof P) c += o.self(k) * 200; else { var q = {v: o.v, self: P.prototype.self}; c += q.self(k) * 300; }
  return c + (o.v > k ? 100 : 0) + (s < o.w ? 1000 : 0);
}
function copy(a, b) { a.v = b.v; b.w = a.w; a.next = b.v; b.v = b.w; a.v = a.v; }
P.prototype.set = function (k, x) { this.v = k; this.w = x; this.v = this.v * 2 + k; this.w = this.w * 0.5 - k; this.u = null; };
for (i = 0; i < 200; i++) {
  j = i % objs.length; s = (s * 7 + cmp(objs[j], i % 5 - 1)) % 1000003; if (i == 100) P.prototype.w = 9;
  if (i % 50 == 49) { copy(objs[j], objs[(j + 3) % objs.length]); copy(objs[(j + 1) % objs.length], objs[j]); }
}
var frozen = function () { return 1; };
objs[5].set(3, 1); objs[6].set(2147483647, 0.25); objs[5].set("4", 2); P.prototype.set.call = 0; objs[6].set(-1, "w");
copy(frozen, objs[0]); copy(objs[1], vals); copy(objs[2], "text"); copy(objs[3], objs[3]);
for (j = 0; j < objs.length; j++) console.log(j @ " " @ objs[j].v @ " " @ objs[j].w @ " " @ objs[j].next);
console.log("joins " @ s);)",
    // Variables of enclosing scopes stored from expressions and stepped by
    // ++ and --: integers at the limits, floats, texts and undefined among
    // them, from functions and from closures that outlive their maker,
    // between the steps of a generator.
    R"(var seed = 7, g = 2147483646, f = 0.5, t = "x", u, hits = 0, made;
function rnd() { seed = (seed * 1103 + 12345) % 65536; g++; return seed; }
function maker(k) {
  var own = k, step = 3;
  return function (x) { own = own * 2 + x - step; step--; hits++; own++; return own + step; };
}
function* gen(n) { var k, w = 1; for (k = 0; k < n; k++) { w = w * 3 + k; yield w; } }
function bump(v) { seed = seed + v * 2; f = f * 1.5 + seed; g--; hits += v * 3; f *= 0.75; seed -= v; t += v; g ^= v; }
function odd() { t = seed + hits; u = u + 1; f = f / 0; u = g + 1; t++; g = g + f; }
made = maker(5);
var i, s = 0, it = gen(6), v;
for (i = 0; i < 300; i++) {
  s = (s + rnd() + made(i % 9)) % 1000003;
  if (i % 50 == 0) { v = it.next(); s = s + (v.done ? 1 : v.value); bump(s % 7); }
  if (i == 250) odd();
}
console.log("outer " @ s @ " " @ seed @ " " @ g @ " " @ f @ " " @ t @ " " @ u @ " " @ hits);)",
    // Method calls through prototypes whose members are replaced (and
    // shadowed, then uncovered) between calls, constructors inside calls,
    // recursion to just below the frame limit, closures made after their
    // maker's calls returned, generators resumed from other frames, throws
    // caught at every depth through finally, and waits inside nested method
    // calls beside a second thread; then a method recursion out of stack.
    R"(var s = 0, i, j, a, b, t, g, log = [];
function Acc(v) { this.v = v; this.n = 0; }
Acc.prototype.add = function (k) { this.n = (this.n + k * this.v) | 0; return this.n; };
Acc.prototype.twice = function (k) { return this.add(k) + this.add(k + 1); };
Acc.prototype.down = function (n, at) {
  if (n == at) { if (n % 3 == 1) throw {v: n}; if (n % 5 == 4) wait; }
  if (n <= 0) return this.v;
  return this.down(n - 1, at) + 1;
};
Acc.prototype.safe = function (n, at) { try { return this.down(n, at); } catch (x) { return -x.v; } finally { s = (s + 1) | 0; } };
function Pair(x, y) { this.a = new Acc(x); this.b = new Acc(y); this.made = this.a.add(1) + this.b.twice(2); }
Pair.prototype.sum = function (k) { return this.a.add(k) + this.b.add(k) + this.made; };
function keep(o, k) { var c = o.add(k); return function (z) { c = c + o.add(z); return c; }; }
function *walk(o, n) { var k; for (k = 0; k < n; k++) { yield o.twice(k) + o.down(k % 4, -1); } return o.n; }
function step(g) { return g.next(0); }
Acc.prototype.drain = function (g) { var r = step(g), t = 0; while (!r.done) { t = (t + r.value) | 0; r = this.v % 2 ? step(g) : g.next(0); } return (t + r.value) | 0; };
function climb(n, o) { if (n <= 0) return o.add(1); return climb(n - 1, o) + 1; }
function worker(n) { var k, w = new Acc(3); for (k = 0; k < n; k++) { s = (s + w.down(k % 12, 9) + w.safe(k % 6, 4)) | 0; } }
spawn(worker, 12);
a = new Acc(2); b = new Acc(5);
for (i = 0; i < 60; i++) {
  s = (s + a.add(i) + b.twice(i)) | 0;
  if (i % 7 == 3) Acc.prototype.add = function (k) { this.n = (this.n - k + this.v) | 0; return this.n * 2; };
  if (i % 7 == 5) Acc.prototype.add = function (k) { this.n = (this.n + k * this.v) | 0; return this.n; };
  if (i % 11 == 6) a.add = function (k) { return k + 1000; };
  if (i % 11 == 9) delete a.add;
  s = (s + a.safe(i % 8, i % 9) + b.safe(i % 12, 9) + b.safe(i % 6, 2)) | 0;
  try { s = (s + a.down(i % 10, i % 10)) | 0; } catch (x) { s = (s - x.v * 3) | 0; }
  t = new Pair(i, i + 1); s = (s + t.sum(i % 4)) | 0;
  g = keep(new Acc(i % 5), i); s = (s + g(1) + g(i % 3)) | 0;
  s = (s + b.drain(walk(new Acc(i % 4), i % 5))) | 0;
  s = (s + climb(20 + i % 8, b)) | 0;
  log.push(new Pair(i % 3, 1).sum(1));
  for (j = 0; j < 3; j++) s = (s + log[log.length - 1] + a.twice(j)) | 0;
}
console.log("methods " @ s @ " " @ a.n @ " " @ b.n @ " " @ log.length @ " " @ log[59]);
console.log("deep " @ climb(27, a));
console.log("too deep " @ a.down(60, -1));
console.log("never");)",
    // Element reads whose key is an expression, as operands of expressions:
    // integers, floats, past the end, negative and float keys, texts,
    // objects with integer keys, null and replaced arrays, outer arrays and
    // keys, generators, and expressions as deep as the steps take.
    R"(var a = [3, 1, 4, 1, 5, 9, 2, 6], f = [0.5, 1.5, 2.5], m = {}, i, j, k, s = 0, t = 0, u, n = 8;
m[0] = 7; m[1] = 2.5; m[2] = "x"; m.w = "w";
var c = [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0];
function outerRead(d) { var x = 0, q; for (q = 0; q < 20; q++) x = (x + a[q % n] * 3 + a[n - 1 - q % n] + d) | 0; return x; }
function* gen(b) { var g = 0; while (g < 12) { yield b[(g + 1) % 8] * 2 + b[g % 8]; g++; } }
for (i = 0; i < 90; i++) {
  j = i % 10;
  s = (s + a[j - 1] * 3 + a[n - 1] * (a[4] + 1)) % 1000003;
  t = t + f[j % 4 - 0] * 2 + a[j + j];
  k = m[j % 4 - 1] + a[(j * 7 + 3) % 8];
  s = (s + a[j % 8 + 0] - a[7 - j % 8] + (a[(j + 1) % 8] << 2) + a[a[j % 8] % 8 + 0] * a[j >> 1]) | 0;
  s = (s + a[((((j + 1) * 2 + 1) * 3 + 1) * 5) % 8] + a[j + 0.5 * 2]) | 0;
  if (i == 30) a = [10, 20, 30, 40, 50, 60, 70, 2147483647];
  if (i == 50) a[3] = 1.25;
  if (i == 60) a[5] = "5";
  if (i == 70) a = null;
  if (i == 71) a = [8, 7, 6, 5, 4, 3, 2, 1];
  if (i == 80) a[2] = {v: 1};
  u = k;
  c[j + 1] = a[j % 8]; c[j * 2 - 3] = f[1]; c[(j + 5) % 12] = m.w; c[j - j + 12] = a[n];
  s = (s + c[j + 1] + c[j % 3 + 1]) | 0;
}
function shift(d) { var q, w = ""; for (q = 10; q >= 0; q--) c[q + d] = c[q]; for (q = 0; q < 13; q++) w = w @ c[q] @ ","; return w; }
console.log("index keys " @ s @ " " @ t @ " " @ u @ " " @ outerRead(3) @ " " @ shift(1));
var g = gen(a), r = g.next(0);
while (!r.done) { s = (s + r.value) | 0; r = g.next(0); }
console.log("generated " @ s);)",
    // Returns of a local, a sum and a comparison handing their value to the
    // caller, and one-argument calls `f(local - constant)` entered without
    // their argument pushed, each also declined: callees turning into
    // natives, numbers, generators and methods, arguments fewer and more than
    // the parameters, returns inside try and finally, to a constructor's
    // caller, a sort and a generator's resumer, waits at the bottom of a
    // recursion, throws caught at every depth, then the frames running out.
    R"(var s = 0, i, k, f, r, o, g, made = [], log = [];
function id(a) { return a; }
function sum(a, b) { return a + b; }
function less(a, b) { return a < b; }
function first(a, b, c) { return a; }
function third(a, b, c) { return c; }
function nothing() { return; }
function down(n) { if (n < 1) return n; return down(n - 1) + 1; }
function count(n) { var t = n; if (n < 1) return t; return sum(count(n - 1), 1); }
function wide(n) { if (n < 1) return less(n, 1); return wide(n - 2) && less(n - 1, n); }
function guarded(n) { try { if (n < 1) return n; return guarded(n - 1) + 2; } finally { s = (s + n) | 0; } }
function thrower(n) { if (n < 1) throw {v: 7}; return thrower(n - 1) + 1; }
function catchAt(n, at) { if (n == at) { try { return thrower(n - 1); } catch (x) { return -x.v; } } return catchAt(n - 1, at) + 1; }
function keep(n) { var m = down(n - 1), v = id(n - 2); return function (z) { m = m + z; return m + v; }; }
function waitDown(n) { if (n < 1) { wait; return n; } return waitDown(n - 1) + 1; }
function *gen(n, a, d, b) { var k; for (k = 0; k < n; k++) yield a(k - 1) + d(k - 1); return b(n, 1); }
function pull(g) { var r = g.next(0), t = 0; while (!r.done) { t = t + r.value; r = g.next(0); } return t + r.value; }
function Box(v) { this.v = id(v - 1); return; }
Box.prototype.dec = function (n) { if (n < 1) return this.v; return this.dec(n - 1) + 1; };
function worker(n) { var k; for (k = 0; k < n; k++) s = (s + waitDown(k - 1)) | 0; }
spawn(worker, 4);
o = new Box(5);
for (i = 0; i < 60; i++) {
  k = i % 9;
  f = id;
  if (k == 3) f = down;
  if (k == 4) f = first;
  if (k == 5) f = third;
  if (k == 6) f = nothing;
  if (k == 7) f = gen;
  r = f(i % 20 - 2);
  if (k == 7) r = pull(gen(i % 20 - 2, id, down, sum)) + (r == undefined ? 0 : 1);
  s = (s + (r == undefined ? 3 : r)) | 0;
  s = (s + count(k - 1) + down(i - 50) + sum(i, k) + third(i - 1) + first(i - 1, 2, 3, 4)) | 0;
  if (wide(k - 1)) s = (s + 1) | 0;
  s = (s + guarded(k - 2) + catchAt(k, k >> 1)) | 0;
  made.push(keep(k - 1));
  s = (s + made[i].call ? 0 : 1) | 0;
  s = (s + made[i](i - 1) + made[i >> 1](1)) | 0;
  s = (s + o.dec(k - 1) + new Box(i - 3).dec(2)) | 0;
  log.push(id(i - 1));
  log.sort(function (a, b) { return b - a; });
  if (i % 10 == 9) { try { r = f.x(i - 1); } catch (x) { r = 1; } s = (s + log.pop()) | 0; }
}
for (i = 0; i < 20; i++) wait;
console.log("returns " @ s @ " " @ log.length @ " " @ log[0] @ " " @ pull(gen(6, down, id, sum)) @ " " @ down(27) @ " " @ id(nothing(1) - 1));
f = 4;
console.log("not a function " @ f(i - 1));
console.log("too deep " @ down(40));
console.log("never");)",
    // Constructors of every shape run repeated and between plain calls:
    // objects and primitives returned, no members, texts among the
    // arguments, throws caught one and two constructions up, waits inside
    // constructors in two threads and in the main loop, constructions
    // nested in constructors, generators and closures made in them, a
    // member given on some constructions only, calls and constructions
    // inside them; then constructions nested past their limit.
    R"(function plain(v) { return v + 1; }
function Pt(x, y) { this.x = x; this.y = y; }
Pt.prototype.len = function () { return this.x * this.x + this.y * this.y; };
function Obj(v) { this.v = v; return {w: v * 2}; }
function Prim(v) { this.v = v; if (v % 2) return 7; return "text"; }
function Empty() {}
function Named(a, b, c) { this.a = a; this.t = typeof b; this.c = c; this.n = b == null ? 2 : 3; }
function Thrower(v) { this.v = v; if (v % 5 == 3) throw {code: v}; this.ok = 1; }
function Deep(v) { this.v = v; this.inner = new Thrower(v + 1); }
function Waits(v) { this.v = v; if (v % 4 == 1) wait; this.after = v + 1; }
function Outer(v) { this.w = new Waits(v + 1); this.z = plain(v); }
function Nest(n) { this.n = n; this.kid = n > 0 ? new Nest(n - 1) : null; }
function *twice(v) { yield v; yield v + 1; }
function Gen(v) { this.v = v; this.g = twice(v); this.f = function () { return v * 3; }; }
function Late(v) { this.a = v; if (v > 3) this.b = v; this.c = v + 1; }
function Recur(n) { this.n = n; if (n > 0) this.next = new Recur(n - 1); }
function Calls(v) { this.v = plain(v) + new Pt(v, 1).len(); }

var i, s = 0, o, t = "", done = 0, d, q;
function worker(id) {
  var k, w;
  for (k = 0; k < 30; k++) {
    w = new Waits(k + id);
    s = (s + w.after + plain(k) + (w instanceof Waits ? 1 : 0)) | 0;
    w = new Pt(k, id);
    s = (s + w.len()) | 0;
    w = new Outer(k * id);
    s = (s + w.w.after + w.z + (w.w instanceof Waits ? 1 : 0)) | 0;
  }
  done++;
}
spawn(worker, 1);
spawn(worker, 2);
for (i = 0; i < 400; i++) {
  o = new Pt(i, i + 1); s = (s + o.len() + plain(i)) | 0;
  o = new Obj(i); s = (s + o.w + (o instanceof Obj ? 100 : 0) + (o.v == null ? 1 : 0)) | 0;
  o = new Prim(i); s = (s + o.v + (o instanceof Prim ? 10 : 0)) | 0;
  o = new Empty(); s = (s + (o instanceof Empty ? 1 : 0)) | 0;
  o = new Named(i, "t" @ i); s = (s + o.a + o.n) | 0; t = o.t;
  try { o = new Thrower(i); s = (s + o.ok) | 0; } catch (e) { s = (s + e.code * 3) | 0; }
  try { o = new Deep(i); s = (s + o.inner.ok) | 0; } catch (e) { s = (s - e.code) | 0; }
  o = new Nest(i % 6); d = 0; while (o != null) { d++; o = o.kid; } s = (s + d) | 0;
  o = new Gen(i); q = o.g.next(0); while (!q.done) { s = (s + q.value) | 0; q = o.g.next(0); } s = (s + o.f()) | 0;
  o = new Late(i % 7); s = (s + o.c + (o.b == null ? 0 : o.b)) | 0;
  o = new Calls(i); s = (s + o.v) | 0;
  if (i % 50 == 7) { o = new Waits(i); s = (s + o.after) | 0; }
}
for (i = 0; i < 200 && done < 2; i++) wait;
console.log("shapes " @ s @ " " @ t @ " " @ done);
o = new Recur(12); console.log("recur " @ o.n @ " " @ o.next.next.n);
o = new Recur(40); console.log("never " @ o.n);)",
    // A table of member layouts through the same records, repeated and
    // interleaved: members added in different orders (in the body, then
    // the list), a key repeated in a literal, members deleted and added
    // again, body members deleted while the list has nodes, members under
    // texts that are no atoms, prototype members shadowed, replaced and
    // deleted, and a constructor's prototype replaced between objects.
    R"(function Shape(a) { this.x = a; }
Shape.prototype.z = 100;
Shape.prototype.bump = function (k) { this.x = (this.x + k) | 0; return this.x; };
var shapes = [], i, j, s = 0, o, name = "not an atom";
shapes.push({x: 1, y: 2});
shapes.push({x: 1, y: 2, z: 3});
shapes.push({z: 3, y: 2, x: 1});
shapes.push({y: 2, x: 1, x: 7});
o = {}; o.z = 5; o.y = 6; o.x = 7; shapes.push(o);
o = {q: 1}; o.w = 2; o.x = 3; o.y = 4; o[name] = 9; shapes.push(o);
shapes.push(new Shape(4));
o = new Shape(5); o.z = 6; o.y = 1; shapes.push(o);
Shape.prototype = {z: 50, bump: function (k) { this.x = (this.x - k) | 0; return this.x * 2; }};
shapes.push(new Shape(6));
o = {x: 2, y: 3}; o.a = 1; o.b = 2; o.c = 3; o.d = 4; o.e = 5; o.f = 6; o.g = 7; o.h = 8; o.z = 9; shapes.push(o);
function visit(o, k) {
  var t = o.x + o.y + o.z;
  o.x = o.y;
  o.y = (t + k) % 97;
  o.z += 1;
  if (o.bump) t = t + o.bump(k % 3);
  return t;
}
function churn(o, k) {
  if (k % 5 == 0) delete o.x;
  if (k % 5 == 1) o.x = k;
  if (k % 7 == 2) delete o.y;
  if (k % 7 == 4) o.y = k & 3;
  if (k % 11 == 3) { delete o.z; o.z = k; }
  if (k % 13 == 6) delete o.z;
  if (k % 17 == 8) o[name] = k;
}
for (i = 0; i < 120; i++) {
  for (j = 0; j < shapes.length; j++) {
    o = shapes[(i * 7 + j) % shapes.length];
    s = (s + visit(o, i)) | 0;
    if (j == i % shapes.length) churn(o, i);
    s = (s + o.x * 3 + o.z) | 0;
    o.y = o.x; o.x = o.z;
  }
  if (i == 40) Shape.prototype.z = 7;
  if (i == 60) { delete shapes[6].z; shapes[7].z = undefined; }
  if (i == 80) { Shape.prototype.bump = undefined; shapes[8].bump = function (k) { return k; }; }
  if (i == 90) delete shapes[8].bump;
}
for (j = 0; j < shapes.length; j++) s = s @ " " @ shapes[j].x @ "," @ shapes[j].y @ "," @ shapes[j].z;
console.log("layouts " @ s);)",
    // Loop tests after every kind of step (`i++`, `i--`, `j += k`, a plain
    // jump of a while loop) against bounds that are locals, constants,
    // variables of the top-level frame read from a function, and
    // expressions, under every comparison; bounds and counters that turn
    // float, text, null, undefined or an object halfway, in recursion, in
    // a generator between its steps and in micro-threads that wait inside
    // the loops.
    R"(var lim = 50, outerBound = 20, txt = "9", nul = null, und, obj = {}, s = 0, t, done = 0;
function loops(n, bound) {
  var i, j, k = 3, c = 0, b = bound;
  for (i = 0; i < n; i++) c = c + 1;
  for (i = 0; i <= b; i++) { c = c + 2; if (i == 5) b = n % 2 ? 6.5 : "8"; }
  for (i = n; i > 0; i--) c = c + i % 3;
  for (i = n; i >= -3; i -= 2) c++;
  for (j = 1; j < 200; j += k) { c = c ^ j; if (j > 100) k = 1.5; }
  for (i = 0; i != n; i++) c = c + 1;
  for (i = 0; i == 0; i++) c = c + 5;
  for (i = 0; i < outerBound; i++) { c = c + 1; if (i == 10) outerBound = outerBound + 1; }
  for (i = 0; i * i <= n * 3; i++) c = c + i;
  for (i = 0; i < lim; i += 7) c = c + 1;
  for (i = 0.5; i < 4; i = i + 1) c = c + 1;
  for (i = 0; i < txt; i++) c = c + 1;
  for (i = 0; i < nul; i++) c = c + 1;
  for (i = 0; i < und; i++) c = c + 1;
  for (i = 0; i != und; i++) { c = c + 1; if (i > 3) break; }
  for (i = 0; i != nul && i < 5; i++) c++;
  for (i = 0; i < obj; i++) c++;
  for (i = 0; i < n; i++) { c = c + 1; if (i == 3 && n == 7) i = 2.5; if (c > 400) break; }
  for (i = -2147483647; i < -2147483640; i++) c++;
  i = 0; while (i < n) { i++; }
  j = n; while (j > b) { j = j - 1; if (j == 2) j = 1.0; }
  if (n > 2) c = c + loops(n - 2, b);
  return c + i;
}
function branchy(n) {
  var i = 0, c = 0, k = 0;
  while (i < n) {
    if (i % 3 == 0) { c = c + 1; } else if (i % 3 == 1) { c = c + 2; } else { c = c * 2 % 1000; }
    if (c > 50) { if (c % 2 == 0) { c = c - 7; } } else { k++; }
    i++;
  }
  for (i = 0; i < n; i++) { if (i % 2) { continue; } else { k += i; } }
  while (k > 0) { if (k % 5 == 0) { k = k - 3; } else { k = k - 1; } }
  while (true) { if (k > 20) { break; } else { k = k + 4; } }
  return c + k;
}
for (t = 0; t < 30; t++) {
  s = (s + loops(t, t % 7) + branchy(t * 5)) % 1000003;
  if (t == 20) { lim = "30"; txt = 4.5; }
  if (t == 25) { obj = 7; und = 3; nul = 2; }
}
console.log("loop tests " @ s @ " " @ outerBound);
function* counter(n, step) {
  var i;
  for (i = 0; i < n; i += step) if (i % 4 == 1) yield i;
  for (i = n; i > 0; i--) if (i % 5 == 0) yield -i;
}
var g = counter(40, 3), v = g.next();
while (!v.done) { s = (s * 3 + v.value) % 1000003; v = g.next(); }
console.log("counted " @ s);
function worker(id) {
  var i, j, c = 0;
  for (i = 0; i < 30; i++) {
    for (j = 0; j < 40 + id; j += 1 + id % 2) { c = (c + j) % 1000003; if (j % 17 == id) wait; }
    if (i % 4 == id % 4) wait;
  }
  s = (s + c) % 1000003;
  done++;
}
var w, f;
for (w = 0; w < 5; w++) spawn(worker, w);
for (f = 0; f < 2000 && done < 5; f++) wait;
console.log("waited loops " @ done @ " " @ s);)",
    // Branches on the truth of every kind of value (booleans, integers,
    // floats, NaN, texts, null, undefined, objects), negated, through &&
    // and || and their values, on elements, in a loop whose test and
    // branches the pump meets at every offset.
    R"(var vs = [true, false, 0, 1, -1, 0.0, 0.5, 0 / 0, "", "a", null, undefined, {}, [], 2147483647], r, i, c = 0, x, y, b;
for (r = 0; r < 40; r++) {
  for (i = 0; i < vs.length; i++) {
    x = vs[i]; y = vs[(i + r) % vs.length];
    if (x) c++;
    if (!x) c += 2;
    if (x && y) c += 4;
    if (x || y) c += 8;
    c += (x && y) ? 16 : 0;
    c += (x || y) ? 1 : 3;
    while (x) { c += 32; break; }
    if (vs[i]) c += 64;
    if (!vs[i] || y) c += 128;
    b = !!x; if (b == true) c += 256;
    b = x && y; if (b) c += 512;
    b = !(x || y); if (b) c += 1024;
    c = c % 1000003;
  }
}
console.log("truths " @ c);)",
    // Element stores `a[j] = v;` of constants and locals of every type, past
    // the end (a warning), under keys that are floats, negative, texts,
    // null and objects, into an array replaced halfway through the loop,
    // into objects and a function, then tested element by element.
    R"(var other = [1, 2, 3], ob = {k: 1}, keys = [0, 1, 2.5, -1, "3", null, ob, 2], vals = [true, 0, 1.5, "t", null, undefined, ob, [1]];
var fn = function () { return 1; }, s = 0, r;
function stores(a, n) {
  var j, i, k, v, c = 0, b = true, z = 0, q, f = 0.25;
  for (j = 0; j < n + 2; j++) a[j] = false;
  for (i = 0; i < 8; i++) {
    k = keys[i]; v = vals[i];
    a[k] = v; a[i] = v; a[i + 1] = b; a[i] = z; a[i] = q; a[i] = 7; a[i] = f; a[i] = null; a[i] = "x"; a[i] = 2.5;
    fn[i] = b; ob[i] = v; ob[k] = z;
  }
  for (j = 1; j < n; j += 2) { a[j] = true; if (j == 5) a = other; }
  for (j = n - 1; j >= 0; j -= 3) a[j] = b;
  for (i = 0; i < a.length; i++) if (a[i]) c++; else if (!a[i]) c += 2;
  return c + a.length;
}
for (r = 0; r < 30; r++) {
  var arr = [], m;
  for (m = 0; m < r + 3; m++) arr.push(m % 2 == 0);
  s = (s * 7 + stores(arr, r + 3) + stores(other, 4) + (ob[1] ? 1 : 0) + fn[2]) % 1000003;
  if (r == 15) other = [0, 0, 0, 0, 0, 0, 0, 0, 0];
}
console.log("element stores " @ s @ " " @ other.length @ " " @ ob.k);)",
    // Arrays of the top-level frame tested negated from functions (`!cols[c]
    // && !d1[row + c]`), from closures that outlive their maker and hold
    // their own arrays, from functions a generator calls between its
    // steps, from closures made at every depth of a recursion, with keys
    // negative, float, text, null and past the end, and with the arrays
    // replaced halfway.
    kOuterArrays,
    // Closures made per call and dropped, two functions deep, each reading
    // its maker's variables and the top-level frame's: a noted cell must not
    // outlive the chain it was found through.
    kOuterClosures,
    // Member and element reads (`o.a`, `this.y`, `arr[j]`, `arr[2]`) each
    // followed at once by every operation, in integer and number
    // expressions: sums past the 32-bit limits, floats, texts, null,
    // undefined and booleans read, divisors 0 and -1, members deleted and
    // added mid-loop, objects and a prototype replaced, a prototype member
    // turned into a text, inside a generator and micro-threads that wait.
    R"(var o = {a: 7, b: -3, c: 2147483647, d: 0}, arr = [5, -2, 2147483647, -2147483647 - 1, 0, 1.5, "7", null];
var vals = [3, -1, 0, 2147483647, -2147483647 - 1, 2.5, "4", null, undefined, true], i, j, s = 0, t = 0.5, q = 0, w = 0, u = 0;
function P(v) { this.x = v; this.y = 2; }
P.prototype.z = 4;
P.prototype.run = function (k) {
  this.x = (this.x + this.y * k) % 1000003;
  this.x = (k - this.y) * (this.z + this.x) ^ (this.y << this.z) | (k & this.x);
  this.x = (this.x >> this.y) - (k % this.z) + this.x / this.y;
  if (this.x + this.z < k * this.y) this.x = this.x - this.z;
  this.x += this.y * this.z - k;
  return this.x;
};
var p = new P(1), p2 = new P(2.5);
function* gen(obj) {
  var k;
  for (k = 0; k < 60; k++) { obj.n = (obj.n * obj.m + k) % 1009; if (k == 30) obj.m = 0.5; yield obj.n + obj.m * 2; }
}
var done = 0, total = 0;
function worker(obj) {
  var k;
  for (k = 0; k < 400; k++) {
    obj.n = (obj.n + obj.m * k - arr[1]) % 10007;
    if (k % 50 == obj.m) wait;
    if (k == 200) obj.m = "2";
  }
  total = total + obj.n;
  done++;
}
spawn(worker, {n: 0, m: 7});
spawn(worker, {n: 5, m: 3});
for (i = 0; i < 3000; i++) {
  j = i % 10;
  o.d = vals[j];
  s = (s + o.a * o.b - o.c + o.d) % 1000003;
  s = (s + arr[j % 8] + arr[2] * arr[3] - arr[j % 8] * o.a) | 0;
  q = (q + o.c + o.a) ^ (arr[2] - arr[3]);
  w = arr[2] * arr[2] + o.c * o.c - arr[3] % o.d;
  t = t + o.a / o.b + arr[5] * o.a - o.d % o.a;
  u = (u ^ (o.a << arr[j % 8]) ^ (o.c >> o.b) ^ (o.d & o.a)) | (o.b % o.d) | (j / o.a);
  if (s + o.a > o.c - arr[j % 8]) s = s - 1;
  if (o.d * o.a == arr[j % 8] + o.b) s = s + 3;
  s = (s + p.run(j) + p2.run(j)) | 0;
  if (i == 1000) delete o.b;
  if (i == 1500) o.b = -1;
  if (i == 2000) { P.prototype = {z: 9, run: P.prototype.run}; p = new P(i); }
  if (i == 2200) P.prototype.z = "s";
  if (i == 2500) arr = [1, 2, 3];
  if (i % 500 == 250) o = {e: i, a: o.a, b: o.b, c: o.c, d: 0};
  if (i == 2700) o.a = 2.25;
  if (i % 100 == 0) wait;
  if (i % 250 == 0) console.log(i @ ": " @ s @ " " @ t @ " " @ q @ " " @ w @ " " @ u @ " " @ p.x @ " " @ p2.x);
  if (i % 250 == 125) { s = i; t = 0.5; u = j; p.x = i; p2.x = 0.5; }
}
var g = gen({n: 1, m: 3}), gs = 0, v;
for (v = g.next(); !v.done; v = g.next()) gs = (gs + v.value * o.a) % 1000003;
for (i = 0; i < 100 && done < 2; i++) wait;
console.log("reads " @ s @ " " @ t @ " " @ q @ " " @ w @ " " @ u @ " " @ p.x @ " " @ p2.x @ " " @ gs @ " " @ total);)",
    // Member stores of every form (`this.n = expr`, `o.x = v`, `this.n op=
    // expr`, `o.x++`) through one method called on objects of two classes
    // and a literal in turn, stores that shadow a prototype member, members
    // deleted and added again between rounds, values turned float, text,
    // null and object, stores on a sealed function, inside a generator
    // between its steps and in micro-threads that wait.
    R"(function A(s) { this.n = 0; this.step = s; }
function B(s) { this.step = s; this.pad = 1; this.n = 3; }
A.prototype.tag = 5;
var add = function (k) { this.n = (this.n + this.step * k) % 1000003; this.n += k & 3; this.n++; this.tag = this.tag + 1; return this.n; };
A.prototype.add = add; B.prototype.add = add;
var objs = [new A(3), new B(7), {n: 1, step: 2, tag: 0, add: add}, new A(1.5)], frozen = function () { return 0; };
var i, j, s = 0, o, k;
for (i = 0; i < 400; i++) {
  for (j = 0; j < objs.length; j++) {
    o = objs[(i + j) % objs.length];
    s = (s + o.add(i)) | 0;
    o.step = o.step; o.n -= j; o.n ^= i; o.n++;
    frozen.n = i; frozen.n += 1; frozen.n++;
  }
  k = objs[i % 4];
  if (i % 37 == 5) delete k.n;
  if (i % 37 == 6) k.n = i;
  if (i % 53 == 9) delete k.tag;
  if (i == 100) objs[0].step = 0.25;
  if (i == 150) objs[1].n = "7";
  if (i == 151) objs[1].n = 7;
  if (i == 200) objs[2].step = null;
  if (i == 201) objs[2].step = 4;
  if (i == 250) objs[0].n = {v: 1};
  if (i == 251) objs[0].n = 2;
  if (i == 300) A.prototype.tag = "t";
  if (i % 90 == 0) console.log(i @ ": " @ s @ " " @ objs[0].n @ " " @ objs[1].n @ " " @ objs[2].n @ " " @ objs[3].tag @ " " @ frozen.n);
}
function* gen(obj) {
  var m;
  for (m = 0; m < 40; m++) { obj.n = (obj.n * 3 + m) % 1009; obj.n += obj.step; obj.c++; yield obj.n; if (m == 20) obj.step = 0.5; }
}
var g = gen({n: 1, step: 2, c: 0}), gs = 0, v, done = 0, total = 0;
for (v = g.next(); !v.done; v = g.next()) gs = (gs + v.value) % 1000003;
function worker(obj) {
  var m;
  for (m = 0; m < 300; m++) {
    obj.add(m);
    obj.n = (obj.n + m) % 10007;
    if (m % 40 == obj.step) wait;
    if (m == 150) obj.n = obj.n + 0.5;
  }
  total = total + obj.n;
  done++;
}
spawn(worker, new A(1));
spawn(worker, new B(2));
for (i = 0; i < 100 && done < 2; i++) wait;
console.log("member stores " @ s @ " " @ gs @ " " @ total @ " " @ objs[3].n @ " " @ objs[3].tag);)",
    // Element tests and read compares taking every kind of answer: if and
    // else, while, && and || chains (their value kept, used as
    // a value and tested again), the ternary, each over elements of every
    // kind (booleans, integers, floats, texts, null, undefined, objects,
    // holes, past the end, negative keys) read from locals, outer variables
    // and `this`, the arrays replaced mid-run, in a generator and across
    // waits.
    R"(var vals = [true, false, 0, 1, -1, 0.0, 0.5, "", "a", null, undefined, {}, [], 7], holes = [1];
holes[2] = 0; holes[4] = true; holes[9] = 0;
var i, s = 0, t = 0, w, q, done = 0;
function pick(a, n) {
  var k, c = 0, v;
  for (k = -2; k < n + 3; k++) {
    if (!a[k]) c++; else c += 2;
    if (a[k]) c += 3;
    v = !a[k] && !a[k + 1];
    if (v) c += 5;
    v = !a[k] || !a[k - 1];
    if (!v) c += 7;
    c += (!a[k + 1] ? 11 : 13) + (!vals[k] || !holes[k] ? 17 : 19);
    if (!a[k * 2 - 1] && !vals[k + 2] || !holes[k + 1]) c += 23;
    if (a[k] == 1 || a[k] != null && a[k] < 1) c += 29;
    if (k < a.length && a[k] >= k || a[k] == vals[k]) c += 31;
    while (!a[k + 2]) { c += 37; break; }
    v = 0;
    while (!a[k] && v < 2) { v++; }
    c += v;
    if (w = !a[k]) c += 41;
  }
  return c;
}
function Box(v) { this.v = v; this.n = 3; }
Box.prototype.test = function (m) {
  var r = 0;
  if (this.v == m || this.n < m) r++;
  if (this.v != m && this.n >= m) r += 2; else r += 4;
  r += this.v == null ? 8 : 16;
  q = this.n > m || this.v;
  return r + (q ? 32 : 64);
};
function* walk(a) {
  var k;
  for (k = 0; k <= a.length; k++) { if (!a[k]) yield k; if (a[k] == 1 || !a[k + 1]) yield -k; }
}
function worker(a) {
  var m, c = 0;
  for (m = 0; m < 40; m++) {
    if (!a[m % 16] && !vals[m % 15]) c++;
    if (m % 7 == 3) wait;
    if (!a[m % 16] || a[m % 5] == 0) c += 2;
  }
  t = t + c;
  done++;
}
spawn(worker, vals);
spawn(worker, holes);
var boxes = [new Box(1), new Box(null), {v: 2, n: 0.5, test: Box.prototype.test}, new Box("1")];
for (i = 0; i < 60; i++) {
  s = (s + pick(vals, vals.length) * 3 + pick(holes, 10) + boxes[i % 4].test(i % 5)) % 1000003;
  var g = walk(i % 2 ? vals : holes), r;
  for (r = g.next(); !r.done; r = g.next()) s = (s + r.value + 50) % 1000003;
  if (i == 20) { vals = [0, 1, null, true]; holes = []; holes[2] = 3; }
  if (i == 30) { vals[20] = 5; delete holes[2]; }
  if (i == 40) boxes[1].v = 1;
  if (i % 9 == 0) wait;
}
for (i = 0; i < 100 && done < 2; i++) wait;
console.log("answers " @ s @ " " @ t @ " " @ w @ " " @ q);)",
    // Compound stores to members and elements that read the old value from
    // the cell they write: instances of two classes, literals small and
    // large, a member only the prototype holds (the store makes the own
    // one), members deleted and made again mid-loop, values turned float,
    // text and null, elements past the end, at negative keys, in holes and
    // in objects with integer keys, a sealed function, the arrays and
    // objects replaced from outer variables, in a generator and across
    // waits.
    R"(function P(v) { this.a = v; this.b = 1; }
P.prototype.c = 10;
function Q(v) { this.b = 2; this.a = v; this.pad = 0; }
Q.prototype.c = 20;
var objs = [new P(1), new Q(2), {a: 3, b: 4}, {a: 5, b: 6, c: 7, d: 8, e: 9, f: 10, g: 11, h: 12}, new P(0.5)];
var arr = [1, 2, 3, 4], keyed = {}, sealed = function () { return 0; }, s = 0, i, done = 0;
keyed[0] = 1; keyed[2] = 5; keyed[7] = 9;
function bump(o, k, r) {
  var j;
  for (j = 0; j < 6; j++) {
    o.a += j * k;
    o.b -= k & 3;
    o.c += 1;
    o.a *= 3;
    o.a %= 10007;
    arr[j] += k;
    arr[j - 2] -= 1;
    keyed[j] += 2;
    keyed[j * 2] *= 3;
    sealed.n += 1;
  }
  return o.a + o.b + o.c;
}
function* gen(o, a) {
  var m;
  for (m = 0; m < 30; m++) { o.a += m; a[m % 6] += o.a; yield o.a; if (m == 12) delete o.a; if (m == 13) o.a = 0; }
}
function worker(o) {
  var m;
  for (m = 0; m < 60; m++) {
    o.a += m;
    arr[m % 5] -= 1;
    if (m % 9 == 4) wait;
    o.b *= 2;
    o.b %= 101;
  }
  s = s + o.a + o.b;
  done++;
}
spawn(worker, objs[0]);
spawn(worker, objs[2]);
for (i = 0; i < 80; i++) {
  s = (s + bump(objs[i % 5], i, i % 3)) % 1000003;
  if (i % 11 == 3) delete objs[i % 5].a;
  if (i % 11 == 4) objs[i % 5].a = i;
  if (i % 13 == 5) delete objs[i % 5].c;
  if (i == 20) objs[1].b = 0.25;
  if (i == 30) objs[2].a = "t";
  if (i == 31) objs[2].a = null;
  if (i == 32) objs[2].a = 4;
  if (i == 40) { arr = [0]; arr[2] = 2; keyed = {x: 1}; }
  if (i == 50) { arr = [9, 9, 9, 9, 9, 9, 9]; keyed = {}; keyed[4] = 1; }
  if (i == 60) P.prototype.c = 0.5;
  if (i % 16 == 0) wait;
}
var g = gen({a: 1, b: 2}, [1, 2, 3]), v, gs = 0;
for (v = g.next(); !v.done; v = g.next()) gs = (gs + v.value) % 1000003;
for (i = 0; i < 100 && done < 2; i++) wait;
console.log("compound " @ s @ " " @ gs @ " " @ arr @ " " @ objs[0].c @ " " @ objs[4].a @ " " @ keyed[4] @ " " @ sealed.n);)",
    // Outer variables read through their noted cells by loop tests, element
    // tests and compares, from recursion, from closures of two makers (one
    // shadowing a global of the same name), with the globals given values
    // of other kinds and new arrays between calls, members of an outer
    // object deleted, collections in between (new scope epochs), between a
    // generator's steps and across waits.
    R"(var lim = 5, tab = [1, 0, 2, 0, 3, 0, 4], box = {n: 3, m: 1}, hits = 0, i, s = 0, done = 0;
function scan(d) {
  var k, c = 0;
  for (k = 0; k < lim; k++) {
    if (!tab[k] && k < box.n) c++;
    if (tab[k] == lim || box.m > k) c += 2;
    if (k == lim - 1 && d > 0) c += scan(d - 1);
  }
  hits++;
  return c;
}
function maker(lim) {
  return function (x) { var k, c = 0; for (k = 0; k < lim; k++) if (!tab[k + x]) c++; return c + lim; };
}
function maker2() {
  return function (x) { var k, c = 0; for (k = 0; k < lim; k++) if (!tab[k] || k == x) c += 3; return c; };
}
function* walk(n, lm, t, b) {
  var k;
  for (k = 0; k < n; k++) { if (k < lm && !t[k]) yield k; if (b.n > k) yield -k; }
}
function worker(w) {
  var m, c = 0;
  for (m = 0; m < 30; m++) { if (m < lim && !tab[m % 7]) c += w; if (m % 4 == 1) wait; }
  s = s + c;
  done++;
}
spawn(worker, 1);
spawn(worker, 10);
var f = maker(3), f2 = maker2(), junk, g, v;
for (i = 0; i < 40; i++) {
  s = (s + scan(2) + f(i % 3) * 5 + f2(i % 6) * 7) % 1000003;
  g = walk(6, lim, tab, box);
  for (v = g.next(); !v.done; v = g.next()) s = (s + v.value + 11) % 1000003;
  junk = [i, [i], {i: i}] @ "x" @ i;
  if (i == 8) lim = 7;
  if (i == 12) lim = 2.5;
  if (i == 14) lim = "4";
  if (i == 16) lim = null;
  if (i == 17) lim = 6;
  if (i == 20) tab = [0, 0, 1];
  if (i == 24) tab = "abc";
  if (i == 26) tab = [true, false, null, 1, 0, 2, 0, 5, 0];
  if (i == 28) delete box.n;
  if (i == 30) box.n = 4;
  if (i == 32) box = {m: 9};
  if (i == 33) f = maker(6);
  if (i % 10 == 0) wait;
}
for (i = 0; i < 100 && done < 2; i++) wait;
console.log("outer reads " @ s @ " " @ hits @ " " @ lim);)",
    // Ways through nops and jumps: if and else at the end of loop bodies
    // (the else's jump over the end of the if, then the loop's jump back),
    // else-if ladders, empty bodies, conditional values, break and continue
    // out of nested ifs, loops inside loops, and a function whose last if
    // falls off its end; the pump falls at every offset of the ways.
    R"(var i = 0, j, k, s = 0, t = 0, n = 7;
function tail(x) { if (x > 3) { if (x > 5) s++; else s += 2; } else { s += 3; } }
while (i < 2000) {
  if (i % 3 == 0) { s += i; } else { s -= 1; }
  j = 0;
  while (j < i % 5) { if (j == 2) { j++; continue; } else if (j == 3) { t++; } else { } j++; }
  for (k = 0; k < 3; k++) { if (k == 1) { if (i % 2) { } else { t += 2; } } else if (k == 2) { } }
  while (t > 100) { if (t > 150) t -= 100; else { t -= 50; } }
  if (i % 7 == 0) { } else if (i % 7 == 1) { s += 7; } else if (i % 7 == 2) { s += 14; } else { s++; }
  k = i % 2 == 0 ? (i % 4 == 0 ? 1 : 2) : 3;
  s += k;
  tail(i % n);
  for (;;) { if (i % 11 == 0) { break; } else { break; } }
  while (true) { if (i % 13 != 0) { } break; }
  i++;
  if (i % 100 == 0) { s = s % 100003; } else { }
}
console.log("ways " @ s @ " " @ t);)",
    // Counting loops whose step and test run as one: up and down, against
    // constants, locals and outer variables (a function's, a closure's),
    // with every comparison; a limit that the body moves, that is the
    // counter itself, that turns float or text; a counter the body turns
    // float, sets past the limit or brings near the 32-bit limits; continue
    // and break; the pump at every offset.
    R"(var s = 0, i, j, n = 50, m = 3, lim = 10, big = 2147483640, f;
function outer(k) {
  var q, t = 0;
  for (q = 0; q < n; q++) t += q;
  for (q = lim; q > m; q--) t++;
  for (q = 0; q < n; q++) { if (k % 5 == 0 && q == 3) n = 2.5; t++; }
  n = 50;
  for (q = 0; q < big; q++) { if (q == 6) big = "9"; t++; }
  big = 2147483640;
  return t;
}
function counter() { var cap = 4; return function () { var z, t = 0; for (z = 0; z < cap; z++) { t++; if (z == 2) cap++; } return t; }; }
var cnt = counter();
for (i = 0; i < 400; i++) {
  s += outer(i) + cnt();
  for (j = 0; j < n; j++) s += j;
  for (j = n; j > 0; j--) s += 2;
  for (j = 0; j <= m; j++) s++;
  for (j = m; j >= 0; j--) s--;
  for (j = 0; j != 7; j++) s += 3;
  for (j = 0; j < lim; j++) { if (j == 4) lim = 6; s++; }
  lim = 10;
  for (j = 0; j < j; j++) s += 1000;
  for (j = 0; j < i % 9; j++) { if (j % 2) continue; s += 5; }
  for (j = 0; j < 20; j++) { if (j == i % 13) break; s++; }
  f = i % 50 == 0 ? 2.5 : 5;
  for (j = 0; j < f; j++) s++;
  for (j = 0; j < 8; j++) { if (i % 70 == 0 && j == 3) j = 9.5; s++; }
  for (j = 0; j < 8; j++) { if (j == 2) j = 100; s++; }
  if (i % 100 == 0) { for (j = big; j > 0 && j < big + 5; j++) s++; }
  for (j = -3; j < m; j++) { m = i % 4; s += j; }
  s = s % 1000003;
}
for (j = 0; j < n; j++) { if (j == 5) n = "12"; s++; }
console.log("counts " @ s @ " " @ j);)",
    // Closures made on every turn: in a loop, by a function that returns
    // one, inside a catch block over the caught value, inside closures,
    // named; and locals pushed alone as arguments and stored from calls,
    // among them texts and values the cells change under.
    R"(var i, s = 0, t = "", f, g, fs = [], w, q = 2;
function adder(k) { return function (x) { return x + k; }; }
function twice(h) { return function (x) { return h(h(x)); }; }
function maker(n) { var base = n * 3; return function (m) { var inner = function (z) { return z + base + m; }; return inner(m); }; }
for (i = 0; i < 300; i++) {
  f = adder(i % 7);
  s = (s + f(i)) % 1000003;
  g = twice(f);
  w = g(i);
  s = (s + w) % 1000003;
  try { if (i % 9 == 0) throw i; } catch (e) { fs[i % 4] = function (y) { return y * 2 + e; }; }
  if (fs[i % 4]) s = (s + fs[i % 4](q)) % 1000003;
  f = maker(i);
  w = f(q);
  s = (s + w) % 1000003;
  f = function fact(n) { return n < 2 ? 1 : n * fact(n - 1); };
  w = f(i % 6);
  s = s + w;
  if (i % 50 == 0) { q = "t"; t = t @ adder(q)(i); q = 2; }
  if (i % 77 == 0) q = 2.5; else if (i % 77 == 1) q = 2;
}
console.log("closures " @ s @ " " @ t);)",
};

}  // namespace

// A function with more cells than the short call path notes a layout
// for, called in a loop beside one that has few.
std::string wideCells() {
  std::string s = "function wide(a, b) { var v0";
  for (int k = 1; k < 300; ++k) s += ", v" + std::to_string(k);
  s += "; v299 = a + b; v150 = v299 * 2; return v150 + v299; }\n";
  s += "function narrow(a) { return a + 1; }\n";
  s += "var i, s = 0;\nfor (i = 0; i < 3000; i++) s = (s + wide(i, narrow(i)) + narrow(wide(1, i))) % 1000003;\n";
  s += "console.log(\"wide \" @ s);";
  return s;
}

// A function of 201 cells (few enough for the short call path) recursing
// until the value area has no room for another frame of them, after calls
// that fit: the short entry declines the last and the general one fails.
std::string deepCells() {
  std::string s = "function big(n, a) { var v0";
  for (int k = 1; k < 200; ++k) s += ", v" + std::to_string(k);
  s += "; v199 = n + a; v100 = v199 * 2; if (n <= 0) return v100; return big(n - 1, v199) + 1; }\n";
  s += "var i, s = 0;\nfor (i = 0; i < 200; i++) s = (s + big(i % 5, i)) % 1000003;\n";
  s += "console.log(\"big \" @ s);\nconsole.log(\"too many cells \" @ big(8, 1));\nconsole.log(\"never\");";
  return s;
}

// Closures reading more of their maker's variables than a closure holds
// cells of its own for: they copy their maker's activation, so each runs on
// a chain of its own, and two of them called in turn read the same records
// through different chains.
std::string wideClosures() {
  std::string decl, terms;
  for (int k = 0; k < 260; ++k) {
    decl += (k ? ", v" : "v") + std::to_string(k) + " = b + " + std::to_string(k);
    terms += " + v" + std::to_string(k);
  }
  return "var g = 5, s = 0, i, c1, c2;\nfunction mk(b) { var " + decl +
         ";\n  return function (x) { v0 = v0 + x; return x" + terms +
         " + v7 * g; };\n}\n"
         "for (i = 0; i < 30; i++) { c1 = mk(i); c2 = mk(i * 3 + 1); s = (s + c1(1) * 3 + c2(2) + c1(3) + mk(i)(i)) % "
         "1000003; }\nconsole.log(\"wide closures \" @ s);";
}

TEST_P(FusedRecordsTest, RunAsTheRecordsOneByOne) {
  size_t pumps = 0;
  std::vector<std::string> sources(std::begin(kFusedPrograms), std::end(kFusedPrograms));
  sources.push_back(wideCells());
  sources.push_back(deepCells());
  sources.push_back(wideClosures());
  sources.push_back(kVarCalls);
  sources.push_back(kReturns);
  for (const std::string& text : sources) {
    const char* const source = text.c_str();
    SCOPED_TRACE(source);
    RunResult runs[2];
    for (bool fused : {false, true}) {
      TearDown();
      SetUp();
      kv::setRecordFusion(fused);
      kv::restartPumpCount();
      gPumpStops.clear();
      kv::setMessagePumpHook(&recordingPump);
      runs[fused].log = withoutFileNumbers(runScript(source, 300));
      runs[fused].pumps = gPumpStops;
      kv::setMessagePumpHook(nullptr);
      kv::setRecordFusion(true);
    }
    EXPECT_EQ(runs[1].log, runs[0].log);
    pumps += runs[0].pumps.size();
    EXPECT_EQ(runs[1].pumps, runs[0].pumps);
  }
  EXPECT_GT(pumps, 100u);
}

// Variables of enclosing scopes read from the cells noted on their records
// give what walking the scope chain at every read gave (the figures below),
// fused or not, interleaved with runs of other programs.
TEST_P(FusedRecordsTest, OuterVariablesAsTheChainGivesThem) {
  const std::string wide = wideClosures();
  const std::pair<const char*, const char*> cases[] = {
      {kOuterArrays, "outer arrays 13703 8 176"},
      {kOuterClosures, "closures 845155 9"},
      {wide.c_str(), "wide closures 998412"},
  };
  for (int round = 0; round < 2; ++round) {
    for (bool fused : {true, false}) {
      for (const auto& [source, last] : cases) {
        SCOPED_TRACE(source);
        const std::vector<std::string> log = freshRun(source, fused);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), last);
      }
    }
  }
}

// The call entries' program gives, fused or not, what the records gave
// before the loop entered calls and walked arrays itself.
TEST_P(FusedRecordsTest, CallEntriesAsTheRecordsGaveThem) {
  for (bool fused : {true, false}) {
    const std::vector<std::string> log = freshRun(kCallEntries, fused);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(),
              "entries 95438 4 function6 function6 function6 function6 function6 function6 function6 function6 "
              "[null][null] 22 017115221610421159320148219137118126017115221610 22 0 caught 19 1020 0810 0810 0810 "
              "0810 1020 1020 0810 0810");
  }
}

// The variable calls' program gives, fused or not, what the records gave
// before the callee's read joined the call's step.
TEST_P(FusedRecordsTest, VariableCallsAsTheRecordsGaveThem) {
  for (bool fused : {true, false}) {
    const std::vector<std::string> log = freshRun(kVarCalls, fused);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), "var calls 86755.000000 4724 -1,0.500000,1,2,3,4,5,7,7,17,14.000000,10, 2 2");
    EXPECT_EQ(log.front(), "0 integer0");
  }
}

// Returns give, fused or not and run repeatedly, what the records gave
// before the return took the caller's records and cells from its frame.
TEST_P(FusedRecordsTest, ReturnsAsTheRecordsGaveThem) {
  for (int round = 0; round < 2; ++round) {
    for (bool fused : {true, false}) {
      const std::vector<std::string> log = freshRun(kReturns, fused);
      ASSERT_FALSE(log.empty());
      EXPECT_EQ(log.back(), "returns 141302 59k 4 75,95,132,197,113,147,206,301,167,");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Collector, FusedRecordsTest, ::testing::Bool());

}  // namespace kvtest
