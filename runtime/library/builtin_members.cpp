// The built-in functions a script reaches by name, and their names.
#include "runtime/library/builtin_members.h"

#include <set>

#include "runtime/compiler/word_tables.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

// Names outlive every start-up in the process: a second start-up names its
// natives afresh, and the texts are the same each time.
const char* keptName(const std::string& name) {
  static std::set<std::string> names;
  return names.insert(name).first->c_str();
}

// The first name given stands: a prototype several rows share keeps the
// first row's, and a native no table lists keeps none.
void giveName(const KVfobj* fn, const std::string& name) {
  if (fn && fn->callable && fn->callable->native && !fn->callable->name) nameCallable(fn->callable, keptName(name));
}

// An object several rows share (the typed arrays' prototype) is walked once.
void nameMembers(KVobj* obj, const std::string& owner, std::set<const KVobj*>& walked) {
  if (!obj || !walked.insert(obj).second) return;
  for (const auto& [name, fn] : ownFunctionMembers(obj)) giveName(fn, owner + "." + name);
}

}  // namespace

const std::vector<NamedNamespace>& namedNamespaces() {
  static const std::vector<NamedNamespace> kNamespaces = {{kNsMath, "Math"},       {kNsLayerBook, "LayerBook"},
                                                            {kNsSystem, "System"},   {kNsConsole, "console"},
                                                            {kNsSaveFile, "SaveFile"}, {kNsNumber, "Number"}};
  return kNamespaces;
}

KVfobj* functionIn(const Value* v) {
  return v && v->tag == kObject && v->obj && v->obj->isFunction() ? static_cast<KVfobj*>(v->obj) : nullptr;
}

KVobj* rowPrototype(const BuiltinClassEntry& row) {
  std::string name = row.name;
  if (name == "MicroThread") return gBuiltins.microThreadProto;
  if (name == "LiteIter") return gBuiltins.restarterProto;
  return row.function->constructorPrototype();
}

std::map<std::string, KVfobj*> ownFunctionMembers(KVobj* obj) {
  std::map<std::string, KVfobj*> out;
  if (!obj) return out;
  for (const auto& [name, id] : atomTable().names.entries()) {
    (void)id;
    if (name == "prototype" || name == "constructor") continue;
    if (KVfobj* fn = functionIn(findProperty(obj, name.c_str()))) out[name] = fn;
  }
  return out;
}

KVfobj* namespaceFunction(int32_t ns, const char* member) {
  int32_t slot = builtinMemberSlot(ns, member);
  return gGlobalObject && slot >= 0 ? functionIn(gGlobalObject->areaCell(slot)) : nullptr;
}

void nameBuiltinNatives() {
  std::set<const KVobj*> walked;
  for (const BuiltinClassEntry& row : builtinClassTable()) {
    if (!row.function) continue;
    if (row.kind == kBuiltinFunction) {
      giveName(row.function, row.name);
      continue;
    }
    if (row.kind != kBuiltinNativeOnly) giveName(row.function, std::string("new ") + row.name);
    nameMembers(rowPrototype(row), row.name, walked);
    nameMembers(row.function, row.name, walked);
  }
  for (const NamedNamespace& ns : namedNamespaces())
    for (const char* member : builtinMemberNames(ns.number))
      giveName(namespaceFunction(ns.number, member), std::string(ns.name) + "." + member);
}

}  // namespace kv
