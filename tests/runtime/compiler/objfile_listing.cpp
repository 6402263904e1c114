// Test support: a program as text with exactly what an object file carries.
#include "tests/runtime/compiler/objfile_listing.h"

#include "runtime/vm/atoms.h"

namespace kvtest {
namespace {

using namespace kv;

std::string nameOf(int32_t id) {
  for (const auto& [name, atom] : atomTable().names.entries())
    if (atom == id) return name;
  return "#" + std::to_string(id);
}

std::string position(const LabelSlot* l) { return l ? std::to_string(l->position) : std::string("none"); }

std::string variable(const VariableRef* r) {
  return r ? " v" + std::to_string(r->depth) + "," + std::to_string(r->index) : std::string(" novar");
}

void list(const CodeVector& code, const std::string& indent, std::vector<std::string>& out) {
  for (const CodeNode* n : code) {
    out.push_back(indent + carriedRecord(n));
    if (n->kind == MakeClosure) list(*n->second.function->body.code, indent + "  ", out);
  }
}

}  // namespace

std::string carriedRecord(const CodeNode* n) {
  std::string s = std::to_string(n->kind);
  // Only these kinds carry their flags' low byte.
  if (n->kind == LoadVariable || n->kind == GetMember || n->kind == GetIndexed || n->kind == Import)
    s += " f" + std::to_string(n->flags & 0xFF);
  switch (n->kind) {
    case PushDouble: return s + " " + std::to_string(n->operand.d);
    case PushString: return s + " '" + n->first.text + "'";
    case GetMember: case DefineMember: return s + " " + nameOf(n->operand.i);
    case LoadVariable: case StoreCaught129: return s + variable(n->second.var);
    case Import: return s + " '" + n->first.text + "'" + variable(n->second.var);
    case Throw: return s + " " + std::to_string(n->operand.i) + " @" + position(n->first.label);
    case JumpToHandlerIfThrown: return s + " @" + position(n->first.label);
    case Branch: return s + " @" + position(n->second.triple->second) + "/" + position(n->second.triple->third);
    case Switch: {
      const CaseTable& t = *n->second.cases;
      s += " end@" + position(t.endLabel);
      for (size_t i = 0; i < t.entries.size(); ++i) {
        const CaseEntry& e = t.entries[i];
        if (e.isDefault && i + 1 != t.entries.size()) continue;  // never taken, not carried
        s += e.isDefault ? " default@" + position(e.target) : " " + std::to_string(e.value) + "@" + position(e.target);
      }
      return s;
    }
    case MakeClosure: {
      const FunctionRecord& r = *n->second.function;
      return s + " {" + std::to_string(r.params.size()) + "," + std::to_string(r.locals.size()) + "," +
             std::to_string(r.hasName) + "," + std::to_string(r.generator) + "}";
    }
    case End:
      if (n->second.exports)
        for (const ExportEntry& e : *n->second.exports) s += " export " + nameOf(e.atom) + " " + std::to_string(e.slot);
      return s;
    default: return s + " " + std::to_string(n->operand.i);
  }
}

std::vector<std::string> carriedListing(const CodeVector& code) {
  std::vector<std::string> out;
  list(code, "", out);
  return out;
}

}  // namespace kvtest
