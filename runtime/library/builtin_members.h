// The built-in functions a script reaches by name, walked alike by the
// reference generator and by the naming of natives: the rows of the built-in
// table, the methods on their objects' prototypes, the static members of
// their function objects, and the functions of the namespace objects.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/library/builtin_table.h"

namespace kv {

// A namespace object a script names (Math, System, ...): its number in the
// compiler's member tables and its name.
struct NamedNamespace {
  int32_t number;
  const char* name;
};
const std::vector<NamedNamespace>& namedNamespaces();

// The function object in a value, or null.
KVfobj* functionIn(const Value* v);

// The prototype of a row's objects: natives make MicroThread and generator
// objects from prototypes of their own.
KVobj* rowPrototype(const BuiltinClassEntry& row);

// The function objects an object holds as its own members, by name;
// "prototype" and "constructor" are no methods.
std::map<std::string, KVfobj*> ownFunctionMembers(KVobj* obj);

// The function in a namespace member's cell, or null for a value.
KVfobj* namespaceFunction(int32_t ns, const char* member);

// Gives every built-in native the name a script calls it by, so that a
// warning raised while it runs can name it: a global function by its name, a
// constructor as "new Class", a method as "Class.method" (on a prototype
// several classes share, the first class's name), a namespace member as
// "Math.abs". Runs once the built-in table and the namespaces are set up.
void nameBuiltinNatives();

}  // namespace kv
