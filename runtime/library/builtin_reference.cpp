// Builds the built-in reference from the live tables after bootstrap.
#include "runtime/library/builtin_reference.h"

#include <map>
#include <sstream>

#include "runtime/compiler/word_tables.h"
#include "runtime/library/builtin_table.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/function.h"

namespace kv {
namespace {

struct Namespace {
  int32_t number;
  const char* name;
};
constexpr Namespace kNamespaces[] = {{kNsMath, "Math"},     {kNsLayerBook, "LayerBook"}, {kNsSystem, "System"},
                                     {kNsConsole, "console"}, {kNsSaveFile, "SaveFile"},   {kNsNumber, "Number"}};

std::map<std::string, std::string> parseDescriptions(const std::string& text) {
  std::map<std::string, std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    out[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return out;
}

const KVfobj* functionIn(const Value& v) {
  return v.tag == kObject && v.obj && v.obj->isFunction() ? static_cast<const KVfobj*>(v.obj) : nullptr;
}

int32_t parameters(const KVfobj* fn) { return fn && fn->firstCells ? static_cast<int32_t>(fn->firstCells->size()) : 0; }

const char* rowKind(int32_t kind) {
  switch (kind) {
    case kBuiltinObject: case kBuiltinClass: return "class";
    case kBuiltinNativeOnly: return "class (objects made by natives only)";
    case kBuiltinTypedArray: return "typed array class";
    case kBuiltinFunction: return "function";
    default: return "reserved name";
  }
}

}  // namespace

BuiltinReference makeBuiltinReference(const std::string& descriptions) {
  std::map<std::string, std::string> text = parseDescriptions(descriptions);
  std::map<std::string, bool> used;
  BuiltinReference r;
  auto describe = [&](const std::string& name) -> std::string {
    auto it = text.find(name);
    if (it == text.end()) {
      r.undescribed.push_back(name);
      return "";
    }
    used[name] = true;
    return it->second;
  };
  std::ostringstream md;
  md << "# Built-in reference\n\n"
        "Every built-in class, global function and namespace member a script can name today.\n"
        "This file is generated at build time from the built-in table and the namespace tables,\n"
        "with the descriptions in docs/builtin-descriptions.txt; a test fails when the two differ.\n\n"
        "## Classes and global functions\n\n"
        "| name | what | arguments | description |\n|---|---|---|---|\n";
  for (const BuiltinClassEntry& e : builtinClassTable()) {
    std::string args = e.function ? std::to_string(parameters(e.function)) : "-";
    md << "| `" << e.name << "` | " << rowKind(e.kind) << " | " << args << " | " << describe(e.name) << " |\n";
  }
  md << "\n## Namespaces\n";
  for (const Namespace& ns : kNamespaces) {
    md << "\n### " << ns.name << "\n\n| member | what | description |\n|---|---|---|\n";
    for (const char* member : builtinMemberNames(ns.number)) {
      std::string name = std::string(ns.name) + "." + member;
      int32_t slot = builtinMemberSlot(ns.number, member);
      const Value* cell = gGlobalObject && slot >= 0 ? gGlobalObject->areaCell(slot) : nullptr;
      const KVfobj* fn = cell ? functionIn(*cell) : nullptr;
      md << "| `" << name << "` | " << (fn ? "function" : "value") << " | " << describe(name) << " |\n";
    }
  }
  for (const auto& [name, line] : text)
    if (!used.count(name)) r.unknown.push_back(name);
  r.markdown = md.str();
  return r;
}

}  // namespace kv
