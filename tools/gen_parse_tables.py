#!/usr/bin/env python3
"""Turns bison's XML report of tools/script_grammar.y into the parse tables of the
script compiler (a C++ header).

Bison is run with lr.default-reduction=accepting, so the report lists every
reduction with its lookaheads. The rule applied here: a state reduces by default,
without reading a lookahead, exactly when after conflict resolution it has no
shift and one reduction rule; every other state reads a lookahead and treats a
missing entry as an error. States with a default reduction and no transitions
at all are folded into the shifts and gotos that reach them ("shift, then
reduce rule r", coded as state count + r), and so is the accept state.

Usage: gen_parse_tables.py report.xml output.h
"""
import sys
import xml.etree.ElementTree as ET

NO_ENTRY = -32766
ERROR_DEFAULT = 32767
MAX_TOKEN_CODE = 342


def main():
    report, output = sys.argv[1], sys.argv[2]
    root = ET.parse(report).getroot()
    grammar = root.find("grammar")

    terminals = {}          # name -> symbol number
    translate = {}          # token code -> symbol number
    for t in grammar.find("terminals"):
        number = int(t.get("symbol-number"))
        terminals[t.get("name")] = number
        translate[int(t.get("token-number"))] = number
    terminal_count = max(terminals.values()) + 1
    undefined = 2           # bison's own "undefined token" symbol
    assert undefined not in terminals.values()

    nonterminals = {}
    for n in grammar.find("nonterminals"):
        nonterminals[n.get("name")] = int(n.get("symbol-number")) - terminal_count
    nonterminal_count = len(nonterminals)

    rules = []              # (lhs index, rhs length)
    for r in grammar.find("rules"):
        assert int(r.get("number")) == len(rules)
        rhs = r.find("rhs")
        length = len([s for s in rhs if s.tag == "symbol"])
        rules.append((nonterminals[r.find("lhs").text], length))

    states = []
    for s in root.find("automaton"):
        actions = s.find("actions")
        shifts, gotos, reductions = {}, {}, {}
        for t in actions.find("transitions"):
            target = int(t.get("state"))
            if t.get("type") == "shift":
                shifts[terminals[t.get("symbol")]] = target
            else:
                gotos[nonterminals[t.get("symbol")]] = target
        accept = False
        for r in actions.find("reductions"):
            if r.get("rule") == "accept":
                accept = True
                continue
            if r.get("enabled") != "true":
                continue
            reductions[terminals[r.get("symbol")]] = int(r.get("rule"))
        states.append(dict(shifts=shifts, gotos=gotos, reductions=reductions, accept=accept))

    # Conflicts as bison counts them: each token of a state on which a
    # reduction lost to a shift, and each token with more than one reduction.
    sr = rr = 0
    for s in root.find("automaton"):
        shifted = {t.get("symbol") for t in s.find("actions").find("transitions")
                   if t.get("type") == "shift"}
        per_symbol = {}
        for r in s.find("actions").find("reductions"):
            per_symbol.setdefault(r.get("symbol"), []).append(r)
        for symbol, rs in per_symbol.items():
            if symbol in shifted:
                sr += 1
            elif len(rs) > 1:
                rr += 1

    def default_rule(s):
        rules_used = set(s["reductions"].values())
        if not s["shifts"] and len(rules_used) == 1:
            return rules_used.pop()
        return None

    merged = {}             # bison state -> rule it reduces right after the shift
    accept_state = None
    for number, s in enumerate(states):
        if s["accept"]:
            assert not s["shifts"] and not s["gotos"] and not s["reductions"]
            accept_state = number
            continue
        rule = default_rule(s)
        if rule is not None and not s["gotos"]:
            merged[number] = rule
    renumber = {}
    for number in range(len(states)):
        if number not in merged and number != accept_state:
            renumber[number] = len(renumber)
    state_count = len(renumber)
    assert renumber[0] == 0

    def target_code(target):
        if target == accept_state:
            return 0
        if target in merged:
            return state_count + merged[target]
        return renumber[target]

    action_rows, defaults, has_row = [], [], []
    goto_rows = []
    for number, s in enumerate(states):
        if number not in renumber:
            continue
        rule = default_rule(s)
        row = [NO_ENTRY] * terminal_count
        if rule is not None:
            defaults.append(rule)
            has_row.append(0)
        else:
            defaults.append(ERROR_DEFAULT)
            has_row.append(1)
            for symbol, r in s["reductions"].items():
                row[symbol] = -r
            for symbol, target in s["shifts"].items():
                row[symbol] = target_code(target)
        action_rows.append(row)
        g = [-1] * nonterminal_count
        for nt, target in s["gotos"].items():
            g[nt] = target_code(target)
        goto_rows.append(g)

    tr = [undefined] * MAX_TOKEN_CODE
    for code, symbol in translate.items():
        tr[code] = symbol

    out = []
    w = out.append
    w("// Generated at build time by tools/gen_parse_tables.py from bison's report")
    w("// of tools/script_grammar.y. Do not edit.")
    w("#pragma once")
    w("#include <cstdint>")
    w("")
    w("namespace parse_tables {")
    w("")
    w(f"inline constexpr int kStates = {state_count};")
    w(f"inline constexpr int kTerminals = {terminal_count};")
    w(f"inline constexpr int kNonterminals = {nonterminal_count};")
    w(f"inline constexpr int kRules = {len(rules)};")
    w(f"inline constexpr int kErrorTerminal = {terminals['error']};")
    w(f"inline constexpr int kUndefinedTerminal = {undefined};")
    w(f"inline constexpr int kMaxTokenCode = {MAX_TOKEN_CODE};")
    w(f"inline constexpr int kNoEntry = {NO_ENTRY};")
    w(f"inline constexpr int kErrorDefault = {ERROR_DEFAULT};")
    w("")
    w("// What bison reported, kept for the tests that pin the grammar down.")
    w(f"inline constexpr int kReportStates = {len(states)};")
    w(f"inline constexpr int kReportShiftReduce = {sr};")
    w(f"inline constexpr int kReportReduceReduce = {rr};")
    w(f"inline constexpr int kMergedStates = {len(merged)};")
    w("")

    def array(decl, values, per_line=20):
        w(decl + " = {")
        for i in range(0, len(values), per_line):
            w("  " + ", ".join(str(v) for v in values[i:i + per_line]) + ",")
        w("};")

    array(f"inline constexpr uint8_t kTranslate[{MAX_TOKEN_CODE}]", tr)
    array(f"inline constexpr uint8_t kRuleLength[{len(rules)}]", [r[1] for r in rules])
    array(f"inline constexpr uint8_t kRuleLhs[{len(rules)}]", [r[0] for r in rules])
    array(f"inline constexpr int16_t kDefault[{state_count}]", defaults)
    array(f"inline constexpr uint8_t kHasRow[{state_count}]", has_row)
    w(f"inline constexpr int16_t kAction[{state_count}][{terminal_count}] = {{")
    for row in action_rows:
        w("  {" + ", ".join(str(v) for v in row) + "},")
    w("};")
    w(f"inline constexpr int16_t kGoto[{state_count}][{nonterminal_count}] = {{")
    for row in goto_rows:
        w("  {" + ", ".join(str(v) for v in row) + "},")
    w("};")
    w("")
    w("}  // namespace parse_tables")
    with open(output, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
