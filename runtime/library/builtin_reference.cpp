// Builds the built-in reference from the live tables after bootstrap.
#include "runtime/library/builtin_reference.h"

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "runtime/compiler/word_tables.h"
#include "runtime/library/builtin_members.h"
#include "runtime/library/builtin_table.h"
#include "runtime/vm/function.h"

namespace kv {
namespace {

struct Line {
  std::string name;  // argument, member or method name
  std::string text;
};

struct Method {
  std::string name;
  std::string params;  // as written between the brackets
  int32_t declared = -1;  // "{n}" after the brackets: the table declares n, of which the rest are not read
  std::string result;
  std::string text;
};

struct Entry {
  std::string purpose;
  std::vector<Line> args;
  int32_t declaredArgs = 0;  // the args not marked "arg+"
  std::string result;
  std::vector<Line> members;
  std::vector<Method> methods;
};

struct Descriptions {
  std::map<std::string, Entry> entries;
  std::vector<std::pair<std::string, std::string>> sections;  // "# Title" blocks, in order
};

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// "NAME: text" into the line; false without the colon.
bool splitNamed(const std::string& rest, Line& out) {
  size_t colon = rest.find(": ");
  if (colon == std::string::npos) return false;
  out.name = rest.substr(0, colon);
  out.text = rest.substr(colon + 2);
  return true;
}

// "NAME(a, b) -> result: text".
bool splitMethod(const std::string& rest, Method& out) {
  size_t open = rest.find('('), close = rest.find(')');
  size_t arrow = rest.find(" -> ", close == std::string::npos ? 0 : close);
  if (open == std::string::npos || close == std::string::npos || close < open || arrow == std::string::npos)
    return false;
  size_t colon = rest.find(": ", arrow);
  if (colon == std::string::npos) return false;
  out.name = rest.substr(0, open);
  out.params = rest.substr(open + 1, close - open - 1);
  size_t brace = rest.find(" {", close);
  if (brace != std::string::npos && brace < arrow) out.declared = std::atoi(rest.c_str() + brace + 2);
  out.result = rest.substr(arrow + 4, colon - arrow - 4);
  out.text = rest.substr(colon + 2);
  return true;
}

// "..." stands for any number of arguments the table does not declare.
int32_t countParams(const std::string& params) {
  if (params.empty() || params == "...") return 0;
  int32_t n = 1;
  for (char c : params) n += c == ',';
  return n;
}

void addEntryLine(Entry& e, const std::string& line) {
  Line l;
  Method m;
  if (startsWith(line, "arg+ ") && splitNamed(line.substr(5), l)) {
    e.args.push_back(l);
  } else if (startsWith(line, "arg ") && splitNamed(line.substr(4), l)) {
    e.args.push_back(l);
    ++e.declaredArgs;
  } else if (startsWith(line, "result: ")) {
    e.result = line.substr(8);
  } else if (startsWith(line, "member ") && splitNamed(line.substr(7), l)) {
    e.members.push_back(l);
  } else if (startsWith(line, "method ") && splitMethod(line.substr(7), m)) {
    e.methods.push_back(m);
  } else {
    e.purpose += (e.purpose.empty() ? "" : " ") + line;
  }
}

Descriptions parseDescriptions(const std::string& text) {
  Descriptions d;
  std::istringstream in(text);
  Entry* entry = nullptr;
  std::string* section = nullptr;
  for (std::string line; std::getline(in, line);) {
    if (startsWith(line, "== ")) {
      std::string name = line.substr(3);
      entry = nullptr;
      section = nullptr;
      if (startsWith(name, "# ")) {
        d.sections.emplace_back(name.substr(2), "");
        section = &d.sections.back().second;
      } else {
        entry = &d.entries[name];
      }
      continue;
    }
    if (section) {
      *section += line + "\n";
      continue;
    }
    if (line.empty() || line[0] == '#' || !entry) continue;
    addEntryLine(*entry, line);
  }
  for (auto& [title, body] : d.sections)
    while (body.size() >= 2 && body[body.size() - 1] == '\n' && body[body.size() - 2] == '\n') body.pop_back();
  return d;
}

int32_t parameters(const KVfobj* fn) { return fn && fn->firstCells() ? static_cast<int32_t>(fn->firstCells()->size()) : 0; }

const char* rowKind(int32_t kind) {
  switch (kind) {
    case kBuiltinObject: case kBuiltinClass: return "class";
    case kBuiltinNativeOnly: return "class (objects made by natives only)";
    case kBuiltinTypedArray: return "typed array class";
    case kBuiltinFunction: return "function";
    default: return "reserved name";
  }
}

// The functions an object holds as its own members, by name, with their
// declared parameter counts.
std::map<std::string, int32_t> ownFunctions(KVobj* obj) {
  std::map<std::string, int32_t> out;
  for (const auto& [name, fn] : ownFunctionMembers(obj)) out[name] = parameters(fn);
  return out;
}

std::string joinArgs(const Entry& e) {
  std::string s;
  for (const Line& a : e.args) s += (s.empty() ? "" : ", ") + a.name;
  return s;
}

class Writer {
 public:
  explicit Writer(const std::string& descriptions) : d_(parseDescriptions(descriptions)) {}

  BuiltinReference run();

 private:
  const Entry* describe(const std::string& name) {
    auto it = d_.entries.find(name);
    if (it == d_.entries.end()) {
      r_.undescribed.push_back(name);
      return nullptr;
    }
    used_.insert(name);
    return &it->second;
  }
  void checkArgs(const std::string& name, const Entry& e, int32_t declared) {
    if (e.declaredArgs != declared)
      r_.mismatched.push_back(name + ": documented " + std::to_string(e.declaredArgs) + ", declared " +
                              std::to_string(declared));
  }
  void writeArgs(const Entry& e);
  void writeMembersAndMethods(const std::string& owner, const Entry& e, const std::map<std::string, int32_t>& methods);
  void writeRow(const BuiltinClassEntry& row);
  void writeNamespace(const NamedNamespace& ns);
  void writeKeys();

  Descriptions d_;
  BuiltinReference r_;
  std::set<std::string> used_;
  std::map<const KVobj*, std::string> seenPrototypes_;
  std::ostringstream md_;
};

void Writer::writeArgs(const Entry& e) {
  if (e.args.empty()) return;
  md_ << "\n| argument | kind, range and meaning |\n|---|---|\n";
  for (const Line& a : e.args) md_ << "| `" << a.name << "` | " << a.text << " |\n";
}

void Writer::writeMembersAndMethods(const std::string& owner, const Entry& e,
                                    const std::map<std::string, int32_t>& methods) {
  if (!e.members.empty()) {
    md_ << "\n| member | can be written | holds |\n|---|---|---|\n";
    for (const Line& m : e.members) {
      bool rw = startsWith(m.text, "rw ");
      bool ro = startsWith(m.text, "ro ");
      md_ << "| `" << m.name << "` | " << (rw ? "yes" : ro ? "no" : "?") << " | "
          << (rw || ro ? m.text.substr(3) : m.text) << " |\n";
    }
  }
  std::set<std::string> documented;
  if (!e.methods.empty()) md_ << "\n| method | result | what it does |\n|---|---|---|\n";
  for (const Method& m : e.methods) {
    documented.insert(m.name);
    md_ << "| `" << m.name << "(" << m.params << ")` | " << m.result << " | " << m.text << " |\n";
    auto it = methods.find(m.name);
    if (it == methods.end()) {
      r_.unknown.push_back(owner + "." + m.name);
    } else if ((m.declared >= 0 ? m.declared : countParams(m.params)) != it->second) {
      int32_t documented = m.declared >= 0 ? m.declared : countParams(m.params);
      r_.mismatched.push_back(owner + "." + m.name + ": documented " + std::to_string(documented) + ", declared " +
                              std::to_string(it->second));
    }
  }
  for (const auto& [name, count] : methods)
    if (!documented.count(name)) r_.undescribed.push_back(owner + "." + name);
}

void Writer::writeRow(const BuiltinClassEntry& row) {
  const Entry* e = describe(row.name);
  const bool described = e != nullptr;
  static const Entry kEmpty;
  if (!e) e = &kEmpty;
  const bool function = row.kind == kBuiltinFunction;
  const bool reserved = row.function == nullptr;
  md_ << "\n### `" << row.name << (function ? "(" + joinArgs(*e) + ")" : "") << "`\n\n";
  md_ << "*" << rowKind(row.kind) << "*. " << e->purpose << "\n";
  if (reserved) return;
  if (described) checkArgs(row.name, *e, parameters(row.function));
  if (function) {
    writeArgs(*e);
    md_ << "\nResult: " << (e->result.empty() ? "undefined." : e->result) << "\n";
    return;
  }
  if (row.kind != kBuiltinNativeOnly) {
    md_ << "\n`new " << row.name << "(" << joinArgs(*e) << ")`\n";
    writeArgs(*e);
  }
  KVobj* proto = rowPrototype(row);
  std::map<std::string, int32_t> methods = ownFunctions(proto);
  for (const auto& [name, count] : ownFunctions(row.function)) methods[row.name + std::string(".") + name] = count;
  auto seen = seenPrototypes_.find(proto);
  if (proto && seen != seenPrototypes_.end() && e->methods.empty() && e->members.empty()) {
    md_ << "\nMembers and methods: those of `" << seen->second << "`.\n";
    return;
  }
  if (proto) seenPrototypes_.emplace(proto, row.name);
  writeMembersAndMethods(row.name, *e, methods);
}

void Writer::writeNamespace(const NamedNamespace& ns) {
  md_ << "\n### " << ns.name << "\n";
  for (const char* member : builtinMemberNames(ns.number)) {
    std::string name = std::string(ns.name) + "." + member;
    const Entry* e = describe(name);
    const bool described = e != nullptr;
    static const Entry kEmpty;
    if (!e) e = &kEmpty;
    const KVfobj* fn = namespaceFunction(ns.number, member);
    if (!fn) {
      md_ << "\n#### `" << name << "`\n\n*value*. " << e->purpose << "\n";
      continue;
    }
    if (described) checkArgs(name, *e, parameters(fn));
    md_ << "\n#### `" << name << "(" << joinArgs(*e) << ")`\n\n*function*. " << e->purpose << "\n";
    writeArgs(*e);
    md_ << "\nResult: " << (e->result.empty() ? "undefined." : e->result) << "\n";
  }
}

void Writer::writeKeys() {
  md_ << "\n## Key names\n\n"
         "`check_hit_key` takes a key's scan code. Write it as `KEY_INPUT_` followed by one of\n"
         "these names (`KEY_INPUT_SPACE`); the compiler turns the name into the code shown, and\n"
         "any other name after `KEY_INPUT_` is the compile error \"unknown token\", followed by a line\n"
         "naming it.\n\n"
         "| name | code | name | code | name | code | name | code |\n|---|---|---|---|---|---|---|---|\n";
  std::vector<std::pair<const char*, int32_t>> keys = keyNameTable();
  for (size_t i = 0; i < keys.size(); i += 4) {
    md_ << "|";
    for (size_t j = i; j < i + 4; ++j) {
      if (j < keys.size()) md_ << " `KEY_INPUT_" << keys[j].first << "` | " << keys[j].second << " |";
      else md_ << " | |";
    }
    md_ << "\n";
  }
}

BuiltinReference Writer::run() {
  md_ << "# Built-in reference\n\n"
         "Every built-in class, global function, namespace member and key name a script can\n"
         "use. This file is generated at build time from the runtime's built-in tables and the\n"
         "descriptions in runtime/library/builtin_descriptions.txt; a test fails when the two\n"
         "disagree. Arguments are listed in order; a missing argument reads as undefined, and\n"
         "\"warning 4\" is the runtime warning \"wrong argument\" written to kvlog.txt. A constructor\n"
         "that refuses its arguments gives warning 4 and a plain object, which is no instance of\n"
         "the class and has none of its methods.\n\n"
         "## Classes\n";
  for (const BuiltinClassEntry& e : builtinClassTable())
    if (e.kind != kBuiltinFunction) writeRow(e);
  md_ << "\n## Global functions\n";
  for (const BuiltinClassEntry& e : builtinClassTable())
    if (e.kind == kBuiltinFunction) writeRow(e);
  md_ << "\n## Built-in objects\n";
  for (const NamedNamespace& ns : namedNamespaces()) writeNamespace(ns);
  writeKeys();
  for (const auto& [title, body] : d_.sections) md_ << "\n## " << title << "\n\n" << body;
  for (const auto& [name, entry] : d_.entries)
    if (!used_.count(name)) r_.unknown.push_back(name);
  r_.markdown = md_.str();
  return r_;
}

}  // namespace

BuiltinReference makeBuiltinReference(const std::string& descriptions) { return Writer(descriptions).run(); }

}  // namespace kv
