#!/usr/bin/env python3
"""The code loop's values against a model of the language's value and member rules.

Generates programs of expressions over every value kind (integers at and across the
32-bit limits, floats, -0, infinities, floating NaN, texts, booleans, null, undefined,
NaN, objects and arrays): arithmetic, bit operations and shifts, comparisons, chains of
&&, || and !, member and element reads, stores and deletes, compound stores, ++ and --,
and counting loops, in functions (locals, the fused steps' usual operands) and at the
top level (globals). Each statement logs its value; every logged line is compared with
what the model below says, and the model is written from docs/values.md,
docs/script-language.md, docs/language-guide.md, docs/object-model.md and
docs/arrays-strings-views.md alone, never from another path of the interpreter.

    value_model.py SCRIPT_RUNNER [--unfused] [--programs N] [--seed S]

--unfused runs every record by its own handler (no fused step is chosen); the collector
stress mode is the same run with HALVORINE_GC_STRESS=1 in the environment.

Rules the docs leave open are not generated: unary minus on a value that is no number,
== and != with a floating NaN (its bits decide), ! straight before an integer constant
(how the compiler folds it depends on the constants beside it), member reads of values
that are no object, and array writes past the end (a warning each).

Planted mistakes, each made by hand, run in all modes and reverted, to see that this test
catches a fault in either path of the code loop:
- in a fused step: the straight-code integer expression's subtraction (apply<1> in
  runtime/vm/expr_shape.cpp) answering one more when the right operand is negative.
  The fused run failed on its first batch of programs (17 values, among them
  `z = ((p0 - p0) ^ 65535);` logging 65534); the unfused run passed.
- in the shared slow path: valueDiv (runtime/vm/value.cpp) giving 2147483647 for
  -2147483648 / -1. The fused and the unfused runs both failed on their first batch
  (`for (gi = 0; gi < 4; gi++) gx /= (ga[gi] | gy);` logging -2147483647).
"""
import argparse
import math
import os
import random
import struct
import subprocess
import sys
import tempfile

INT_MIN = -2147483648


def wrap(n):
    n &= 0xFFFFFFFF
    return n - 0x100000000 if n & 0x80000000 else n


# Values: (kind, payload). kinds: int float nan bool null undef str obj arr.
UNDEF = ("undef", None)
NULL = ("null", None)
NAN = ("nan", None)


def I(n):
    return ("int", wrap(n))


def F(f):
    return ("float", float(f))


def B(b):
    return ("bool", bool(b))


class Obj:
    """A script object: members by name or integer key (docs/script-language.md)."""
    count = 0

    def __init__(self, array=None):
        Obj.count += 1
        self.ident = Obj.count
        self.members = {}
        self.elements = array


def truth(v):
    k, p = v
    if k in ("int", "bool"):
        return p != 0
    if k == "float":
        return p != 0.0 and not math.isnan(p)
    if k in ("str", "obj", "arr"):
        return True
    return False


def text(v):
    k, p = v
    if k == "int":
        return str(p)
    if k == "float":
        if math.isnan(p):
            return "nan"
        if math.isinf(p):
            return "inf" if p > 0 else "-inf"
        return "%f" % p
    if k == "bool":
        return "true" if p else "false"
    if k == "str":
        return p
    return {"null": "[null]", "undef": "[undefined]", "nan": "[NaN]", "obj": "[object]", "arr": "[array]"}[k]


TYPEOF = {"int": "integer", "float": "float", "bool": "boolean", "str": "string", "obj": "object",
          "arr": "object", "null": "null", "undef": "undefined", "nan": "NaN"}


def as_int(v):
    k, p = v
    if k == "int":
        return p
    if k == "bool":
        return int(p)
    return 0


def as_float(v):
    k, p = v
    if k == "float":
        return p
    return float(as_int(v))


def to_bits(v):
    """A bit operation's operand: floats truncate, out of range or NaN is INT_MIN."""
    k, p = v
    if k == "float":
        if math.isnan(p) or math.isinf(p):
            return INT_MIN
        t = math.trunc(p)
        return t if INT_MIN <= t <= 2147483647 else INT_MIN
    return as_int(v)


def fdiv(a, b):
    if b == 0.0:
        if a == 0.0 or math.isnan(a):
            return math.nan
        return math.copysign(math.inf, a) * math.copysign(1.0, b)
    return a / b


def fmod(a, b):
    if b == 0.0 or math.isinf(a) or math.isnan(a) or math.isnan(b):
        return math.nan
    if math.isinf(b):
        return a
    return math.fmod(a, b)


def arith(op, a, b):
    if a[0] == "nan" or b[0] == "nan":
        return NAN
    if op in ("&", "|", "^", "<<", ">>"):
        x, y = to_bits(a), to_bits(b)
        return I({"&": x & y, "|": x | y, "^": x ^ y, "<<": x << (y & 31), ">>": x >> (y & 31)}[op])
    if a[0] == "float" or b[0] == "float":
        x, y = as_float(a), as_float(b)
        return F({"+": x + y, "-": x - y, "*": x * y, "/": fdiv(x, y), "%": fmod(x, y)}[op])
    x, y = as_int(a), as_int(b)
    if op in ("+", "-", "*"):
        return I({"+": x + y, "-": x - y, "*": x * y}[op])
    if y == 0:
        return NAN
    if x == INT_MIN and y == -1:
        return I(INT_MIN) if op == "/" else I(0)
    q = abs(x) // abs(y)
    if (x < 0) != (y < 0):
        q = -q
    return I(q) if op == "/" else I(x - q * y)


def equal(a, b):
    if a[0] == "nan" or b[0] == "nan":
        return False
    if a[0] != b[0]:
        return False
    k = a[0]
    if k == "float":
        return struct.pack("<d", a[1]) == struct.pack("<d", b[1])
    if k in ("obj", "arr"):
        return a[1] is b[1]
    return a[1] == b[1]


def compare(op, a, b):
    if a[0] == "nan" or b[0] == "nan":
        return B(False)
    if op in ("==", "!=") and "nan" in (kind_nan(a), kind_nan(b)):
        raise Unmodelled()  # the bits of a floating NaN are no part of the rules
    if op == "==":
        return B(equal(a, b))
    if op == "!=":
        return B(not equal(a, b))
    if a[0] == "float" or b[0] == "float":
        x, y = as_float(a), as_float(b)
    else:
        x, y = as_int(a), as_int(b)
    return B({"<": x < y, "<=": x <= y, ">": x > y, ">=": x >= y}[op])


def binary(op, a, b):
    if op in ("==", "!=", "<", "<=", ">", ">="):
        return compare(op, a, b)
    if op == "&&":
        return B(truth(a) and truth(b))
    if op == "||":
        return B(truth(a) or truth(b))
    return arith(op, a, b)


class Unmodelled(Exception):
    """A value whose rule the docs leave open: the statement is not generated."""


def negate(v):
    if v[0] not in ("int", "float"):
        raise Unmodelled()
    if v[0] == "int":
        return I(-v[1])
    return F(-v[1])


def member_key(key):
    """A member key: a decimal text from 0 to 2147483647 is the integer key."""
    if key[0] == "str":
        s = key[1]
        if s.isdigit() and len(s) <= 11 and int(s) <= 2147483647 and s == str(int(s)):
            return int(s)
        return s
    return key[1]


def read_member(obj, key):
    o = obj[1]
    if obj[0] == "arr" and isinstance(key, int):
        return o.elements[key] if 0 <= key < len(o.elements) else UNDEF
    if obj[0] == "arr" and key == "length" and "length" not in o.members:
        return I(len(o.elements))
    return o.members.get(key, UNDEF)


def write_member(obj, key, v):
    o = obj[1]
    if obj[0] == "arr" and isinstance(key, int):
        o.elements[key] = v
    else:
        o.members[key] = v


# ----------------------------------------------------------------------------------------
# The generator: source text and model value side by side.

LITERALS = [
    ("0", I(0)), ("1", I(1)), ("2", I(2)), ("3", I(3)), ("7", I(7)), ("31", I(31)), ("32", I(32)),
    ("65535", I(65535)), ("2147483647", I(2147483647)), ("0x80000000", I(INT_MIN)), ("0xFFFFFFFF", I(-1)),
    ("0.0", F(0.0)), ("1.5", F(1.5)), ("0.1", F(0.1)), ("2147483648.0", F(2147483648.0)),
    ("true", B(True)), ("false", B(False)), ("null", NULL), ("undefined", UNDEF),
    ('"a"', ("str", "a")), ('""', ("str", "")), ('"12"', ("str", "12")),
]

# Values a variable starts with: the literals above and values the script computes.
STARTS = LITERALS + [
    ("-0.0", F(-0.0)), ("(1.0 / 0.0)", F(math.inf)), ("(-1.0 / 0.0)", F(-math.inf)),
    ("((1.0 / 0.0) - (1.0 / 0.0))", F(math.nan)), ("(0 / 0)", NAN), ("-2.5", F(-2.5)),
    ("2147483646", I(2147483646)), ("0x7FFFFFFE + 2", I(INT_MIN)), ("-7", I(-7)),
    ("4294967296.5", F(4294967296.5)), ("-2147483649.0", F(-2147483649.0)), ('"-3"', ("str", "-3")),
]

ARITH = ["+", "-", "*", "/", "%", "&", "|", "^", "<<", ">>"]
COMPARE = ["==", "!=", "<", "<=", ">", ">="]
LOGIC = ["&&", "||"]
COMPOUND = ["+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="]


class Gen:
    def __init__(self, rnd):
        self.r = rnd
        self.lines = []      # statements
        self.expect = []     # expected log lines, in order
        self.where = []      # the statement each expected line comes from

    def log(self, src, v, stmt):
        n = len(self.expect)
        self.lines.append('console.log("V%d=" @ typeof %s @ ":" @ %s);' % (n, src, src))
        self.expect.append("V%d=%s:%s" % (n, TYPEOF[v[0]], text(v)))
        self.where.append((stmt, len(self.lines)))

    def operand(self, env):
        r = self.r
        if r.random() < 0.75:
            names = sorted(n for n, v in env.items() if v[0] not in ("obj", "arr") or r.random() < 0.1)
            name = r.choice(names)
            return name, env[name]
        return r.choice(LITERALS)

    def expr(self, env, depth):
        r = self.r
        if depth == 0 or r.random() < 0.3:
            return self.operand(env)
        pick = r.random()
        if pick < 0.08:
            s, v = self.expr(env, depth - 1)
            if s in INT_LITERALS:
                # How ! folds with an integer constant depends on the constants
                # beside it (docs/script-language.md); variables keep it at run time.
                s, v = self.operand(env)
            return "!" + wrap_src(s), logical_not(s, v)
        if pick < 0.13:
            s, v = self.expr(env, depth - 1)
            if v[0] in ("int", "float"):
                return "-" + wrap_src(s), negate(v)
            return s, v
        a, av = self.expr(env, depth - 1)
        b, bv = self.expr(env, depth - 1)
        group = r.random()
        if group < 0.5:
            op = r.choice(ARITH)
        elif group < 0.8:
            op = r.choice(COMPARE)
            if op in ("==", "!=") and "nan" in (kind_nan(av), kind_nan(bv)):
                op = "<"  # the bits of a floating NaN are no part of the rules
        else:
            op = r.choice(LOGIC)
        return "(%s %s %s)" % (a, op, b), binary(op, av, bv)

    # Statements; each updates env (the model's variables) and logs.
    def stmt_store(self, env, target):
        s, v = self.expr(env, 3)
        env[target] = v
        st = "%s = %s;" % (target, s)
        self.lines.append(st)
        self.log(target, v, st)

    def stmt_branch(self, env, target):
        s, v = self.expr(env, 3)
        st = "if (%s) %s = 1; else %s = 0;" % (s, target, target)
        self.lines.append(st)
        env[target] = I(1 if truth(v) else 0)
        self.log(target, env[target], st)

    def stmt_compound(self, env, target):
        op = self.r.choice(COMPOUND)
        s, v = self.expr(env, 2)
        env[target] = arith(op[:-1], env[target], v)
        st = "%s %s %s;" % (target, op, s)
        self.lines.append(st)
        self.log(target, env[target], st)

    def stmt_incdec(self, env, target):
        if env[target][0] != "int":
            return self.stmt_compound(env, target)
        op = self.r.choice(["++", "--"])
        env[target] = I(env[target][1] + (1 if op == "++" else -1))
        st = "%s%s;" % (target, op)
        self.lines.append(st)
        self.log(target, env[target], st)

    def stmt_loop(self, env, target, counter):
        r = self.r
        n = r.randint(0, 6)
        op = r.choice(COMPOUND + ["="])
        before = dict(env)
        env[counter] = I(0)
        s, _ = self.expr(env, 2)
        body = "%s %s %s;" % (target, op, s)
        if r.random() < 0.5:
            st = "for (%s = 0; %s < %d; %s++) %s" % (counter, counter, n, counter, body)
        else:
            st = "%s = 0; while (%s < %d) { %s %s++; }" % (counter, counter, n, body, counter)
        try:
            for i in range(n):
                env[counter] = I(i)
                v = evaluate(s, env)
                env[target] = v if op == "=" else arith(op[:-1], env[target], v)
        except Unmodelled:
            env.clear()
            env.update(before)
            return
        env[counter] = I(n)
        self.lines.append(st)
        self.log(target, env[target], st)

    def stmt_member(self, env, objs, target):
        r = self.r
        oname = r.choice(sorted(objs))
        ov = env[oname]
        pick = r.random()
        names = ["m", "n", "length"] if ov[0] == "arr" else ["m", "n", "k"]
        if ov[0] == "arr":
            idx_src, idx = r.choice([("0", 0), ("1", 1), ("2", 2), ("5", 5)])
        else:
            idx_src, idx = r.choice([("0", 0), ("12", 12), ('"12"', 12), ('"-3"', "-3"), ('"m"', "m")])
        if r.random() < 0.3:
            # An index computed from a variable: bits 0..3 of its value.
            name = r.choice(sorted(n for n, v in env.items() if v[0] not in ("obj", "arr", "nan")))
            idx_src, idx = "%s & 3" % name, to_bits(env[name]) & 3
        if r.random() < 0.5:
            key = r.choice(names)
            ref = "%s.%s" % (oname, key)
        else:
            ref, key = "%s[%s]" % (oname, idx_src), idx
        in_range = not (ov[0] == "arr" and isinstance(key, int) and key >= len(ov[1].elements))
        if pick < 0.3 and in_range:
            s, v = self.expr(env, 2)
            write_member(ov, key, v)
            st = "%s = %s;" % (ref, s)
            self.lines.append(st)
            self.log(ref, v, st)
        elif pick < 0.5 and in_range:
            op = r.choice(COMPOUND)
            s, v = self.expr(env, 2)
            nv = arith(op[:-1], read_member(ov, key), v)
            write_member(ov, key, nv)
            st = "%s %s %s;" % (ref, op, s)
            self.lines.append(st)
            self.log(ref, nv, st)
        elif pick < 0.75:
            s, v = self.expr(env, 1)
            op = r.choice(ARITH + COMPARE + LOGIC)
            mv = read_member(ov, key)
            if op in ("==", "!=") and "nan" in (kind_nan(mv), kind_nan(v)):
                op = "+"
            env[target] = binary(op, mv, v)
            st = "%s = (%s %s %s);" % (target, ref, op, s)
            self.lines.append(st)
            self.log(target, env[target], st)
        elif pick < 0.88 and ov[0] == "obj":
            name = r.choice(["m", "n", "k"])
            # `in` finds a member only while its value is not undefined.
            env[target] = B(ov[1].members.get(name, UNDEF) != UNDEF)
            st = '%s = ("%s" in %s);' % (target, name, oname)
            self.lines.append(st)
            self.log(target, env[target], st)
        elif ov[0] == "obj":
            # Members of a plain object are deletable; a missing one answers true too.
            ov[1].members.pop(key, None)
            env[target] = B(True)
            st = "%s = delete %s;" % (target, ref)
            self.lines.append(st)
            self.log(target, env[target], st)
            self.log(ref, UNDEF, st)
        else:
            self.log(ref, read_member(ov, key), ref)

    def stmt_int_expr(self, env, target, counter):
        """Integer expressions of the shapes the code loop evaluates as straight code:
        a OP b, (a OP b) OP c, a OP (b OP c), (a OP (b OP c)) OP d, over locals that
        hold integers and integer constants; stored, or run as a loop's whole body."""
        r = self.r
        ints = sorted(n for n, v in env.items() if v[0] == "int" and n not in (target, counter))

        def leaf():
            if ints and r.random() < 0.7:
                return r.choice(ints)
            return r.choice(["0", "1", "3", "7", "2147483647", "0x80000000", "0xFFFFFFFF", "65535"])

        ops = ["+", "-", "*", "%", "&", "|", "^"]
        a, b, c, d = leaf(), leaf(), leaf(), leaf()
        o = [r.choice(ops) for _ in range(3)]
        shape = r.randint(0, 3)
        if shape == 0:
            src = "(%s %s %s)" % (a, o[0], b)
        elif shape == 1:
            src = "((%s %s %s) %s %s)" % (a, o[0], b, o[1], c)
        elif shape == 2:
            src = "(%s %s (%s %s %s))" % (a, o[0], b, o[1], c)
        else:
            src = "((%s %s (%s %s %s)) %s %s)" % (a, o[0], b, o[1], c, o[2], d)
        if r.random() < 0.5 or env[target][0] != "int":
            env[target] = evaluate(src, env)
            st = "%s = %s;" % (target, src)
        else:
            # A counting loop whose body stores an expression of its own target.
            n = r.randint(0, 5)
            body = src.replace(a, target, 1) if a in ints else "(%s + %s)" % (target, src)
            for _ in range(n):
                env[target] = evaluate(body, env)
            env[counter] = I(n)
            st = "for (%s = 0; %s < %d; %s++) %s = %s;" % (counter, counter, n, counter, target, body)
        self.lines.append(st)
        self.log(target, env[target], st)

    def stmt_array_loop(self, env, target, counter, arr):
        """The classic walk: a running value over the elements (and one past the end)."""
        r = self.r
        av = env[arr]
        n = r.randint(0, len(av[1].elements) + 1)
        op = r.choice(COMPOUND)
        op2 = r.choice(ARITH + COMPARE)
        s, v = self.operand(env)
        if s in (target, counter):
            s, v = "7", I(7)
        try:
            acc = env[target]
            for i in range(n):
                acc = arith(op[:-1], acc, binary(op2, read_member(av, i), v))
        except Unmodelled:
            return
        env[target] = acc
        env[counter] = I(n)
        st = "for (%s = 0; %s < %d; %s++) %s %s (%s[%s] %s %s);" % (
            counter, counter, n, counter, target, op, arr, counter, op2, s)
        self.lines.append(st)
        self.log(target, acc, st)

    def block(self, env, objs, scalars, count):
        r = self.r
        for _ in range(count):
            target = r.choice(scalars[:3])
            pick = r.random()
            if pick < 0.1:
                self.stmt_int_expr(env, target, scalars[3])
            elif pick < 0.25:
                self.stmt_store(env, target)
            elif pick < 0.4:
                self.stmt_branch(env, target)
            elif pick < 0.55:
                self.stmt_compound(env, target)
            elif pick < 0.62:
                self.stmt_incdec(env, target)
            elif pick < 0.72:
                self.stmt_loop(env, target, scalars[3])
            elif pick < 0.77:
                self.stmt_array_loop(env, target, scalars[3], objs[1])
            else:
                self.stmt_member(env, objs, target)

    def start_values(self, names):
        out = []
        for n in names:
            out.append((n,) + self.r.choice(STARTS))
        return out

    def array_start(self):
        items = [self.r.choice(LITERALS) for _ in range(3)]
        return "[%s]" % ", ".join(s for s, _ in items), ("arr", Obj([v for _, v in items]))

    def function(self, fid, statements):
        """A function whose parameters and locals carry the values (locals)."""
        params = self.start_values(["p0", "p1", "p2"])
        env = {n: v for n, _, v in params}
        self.lines.append("function t%d(p0, p1, p2) {" % fid)
        self.lines.append("  var x, y, z, i, o = {}, a;")
        for n in ("x", "y", "z"):
            s, v = self.r.choice(STARTS)
            self.lines.append("  %s = %s;" % (n, s))
            env[n] = v
        env["i"] = UNDEF
        env["o"] = ("obj", Obj())
        asrc, av = self.array_start()
        self.lines.append("  a = %s;" % asrc)
        env["a"] = av
        self.block(env, ["o", "a"], ["x", "y", "z", "i"], statements)
        self.lines.append("}")
        self.lines.append("t%d(%s);" % (fid, ", ".join(s for _, s, _ in params)))

    def top_level(self, statements):
        """The same over top-level variables (globals)."""
        env = {}
        for n in ("gx", "gy", "gz"):
            s, v = self.r.choice(STARTS)
            self.lines.append("%s = %s;" % (n, s))
            env[n] = v
        env["gi"] = UNDEF
        self.lines.append("gi = undefined; go = {};")
        env["go"] = ("obj", Obj())
        asrc, av = self.array_start()
        self.lines.append("ga = %s;" % asrc)
        env["ga"] = av
        self.block(env, ["go", "ga"], ["gx", "gy", "gz", "gi"], statements)


def kind_nan(v):
    return "nan" if v[0] == "float" and math.isnan(v[1]) else v[0]


INT_LITERALS = {s for s, v in LITERALS if v[0] == "int"}


def logical_not(src, v):
    """! answers a boolean, but the compiler folds it before an integer constant."""
    if v[0] == "int" and any(src == s for s, _ in LITERALS):
        return I(0 if truth(v) else 1)
    return B(not truth(v))


def wrap_src(s):
    return s if s.startswith("(") else "(" + s + ")"


def evaluate(src, env):
    """The model's value of a generated expression (for loop bodies, re-read each round)."""
    toks = tokenize(src)
    pos = [0]

    def peek():
        return toks[pos[0]] if pos[0] < len(toks) else None

    def take():
        pos[0] += 1
        return toks[pos[0] - 1]

    def unary():
        t = take()
        if t == "!":
            lit = toks[pos[0] + 1] if peek() == "(" and pos[0] + 2 < len(toks) and toks[pos[0] + 2] == ")" else None
            return logical_not(lit, unary())
        if t == "-":
            return negate(unary())
        if t == "(":
            a = unary()
            if peek() == ")":
                take()
                return a
            op = take()
            b = unary()
            take()  # ")"
            return binary(op, a, b)
        for s, v in LITERALS:
            if s == t:
                return v
        return env[t]

    return unary()


def tokenize(src):
    out, i = [], 0
    two = ("==", "!=", "<=", ">=", "&&", "||", "<<", ">>")
    while i < len(src):
        c = src[i]
        if c == " ":
            i += 1
        elif src[i:i + 2] in two:
            out.append(src[i:i + 2])
            i += 2
        elif c == '"':
            j = src.index('"', i + 1)
            out.append(src[i:j + 1])
            i = j + 1
        elif c.isalnum() or c in "._":
            j = i
            while j < len(src) and (src[j].isalnum() or src[j] in "._"):
                j += 1
            out.append(src[i:j])
            i = j
        else:
            out.append(c)
            i += 1
    return out


def run_batch(runner, unfused, folder, gen):
    path = os.path.join(folder, "main.kvj")
    with open(path, "w") as f:
        f.write("\n".join(gen.lines) + "\n")
    out = os.path.join(folder, "out")
    cmd = [runner] + (["--unfused"] if unfused else []) + [path, out]
    # Standard output carries every log line; the log file stops at its size budget.
    done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    log = done.stdout.decode(errors="replace").splitlines()
    got = [l for l in log if l.startswith("V")]
    stray = [l for l in log if not l.startswith("V") and not l.startswith("System: ")
             and "(Wc0000)" not in l]
    return got, stray


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("runner")
    ap.add_argument("--unfused", action="store_true")
    ap.add_argument("--programs", type=int, default=3000)
    ap.add_argument("--per-run", type=int, default=150)
    ap.add_argument("--seed", type=int, default=20261211)
    args = ap.parse_args()
    rnd = random.Random(args.seed)
    failures = 0
    checked = 0
    made = 0
    with tempfile.TemporaryDirectory(prefix="kv-value-model-") as folder:
        while made < args.programs:
            gen = Gen(rnd)
            gen.lines.append("var gx, gy, gz, gi, go, ga;")
            batch = min(args.per_run, args.programs - made)
            for k in range(batch):
                if k % 4 == 3:
                    gen.top_level(rnd.randint(4, 10))
                else:
                    gen.function(k, rnd.randint(4, 10))
            made += batch
            got, stray = run_batch(args.runner, args.unfused, folder, gen)
            for line in stray[:5]:
                print("unexpected log line: %s" % line)
                failures += 1
            first = None
            for k, want in enumerate(gen.expect):
                have = got[k] if k < len(got) else "(nothing logged)"
                checked += 1
                if have != want:
                    failures += 1
                    first = k if first is None else first
                    if failures <= 20:
                        print("statement: %s\n  model:   %s\n  program: %s" % (gen.where[k][0], want, have))
            if len(got) > len(gen.expect):
                failures += 1
                print("more lines logged than expected: %s" % got[len(gen.expect)])
            if first is not None:
                end = gen.where[first][1]
                print("--- the program up to the first disagreement ---")
                print("\n".join(gen.lines[max(0, end - 80):end]))
            if failures:
                break
    print("%d values checked over %d programs%s" % (checked, made, " (unfused)" if args.unfused else ""))
    print("%d passed, %d failed" % (checked - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
