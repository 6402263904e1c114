// The script language's words: keywords, operators and brackets (classifyToken),
// the key names written after "KEY_INPUT_" (lookupKeyName), and the members of
// the six built-in namespaces (compileBuiltinMember). Comparisons are exact and
// case-sensitive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kv {

// Namespace numbers that the parser gives Math, LayerBook, System, console,
// SaveFile and Number.
enum BuiltinNamespace : int32_t {
  kNsMath = 1, kNsLayerBook, kNsSystem, kNsConsole, kNsSaveFile, kNsNumber,
};

// Token code of a scanned text of the given kind; raises CompileError 29 for an
// operator or bracket text that is not in the tables.
int32_t classifyToken(int32_t kind, const char* text, size_t length);

// DirectInput scan code of a key name ("ESCAPE" gives 1); CompileError 32 when
// there is no such name.
int32_t lookupKeyName(const char* name);

// Every key name with its scan code, in table order (for the reference).
std::vector<std::pair<const char*, int32_t>> keyNameTable();

// Global slot (namespace × 65536 + member number) of a built-in member, or -1.
int32_t builtinMemberSlot(int32_t ns, const char* name);

// The member names of a namespace, in table order (a name per slot it
// answers; two names may share a slot).
std::vector<const char*> builtinMemberNames(int32_t ns);

// The same, raising CompileError 17 when the member does not exist. Runs for
// every `Namespace.member` the parser meets, even after a syntax error.
int32_t compileBuiltinMember(int32_t ns, const char* name);

}  // namespace kv
