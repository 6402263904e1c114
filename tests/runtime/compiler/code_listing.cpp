// Test support: instruction records as text, one line per record.
#include "tests/runtime/compiler/code_listing.h"

#include "runtime/vm/atoms.h"

namespace kv::test {

namespace {

// The text of a member key: '#' and an integer key, or an atom's name.
std::string keyText(int32_t key) {
  if (key >= 0) return "#" + std::to_string(key);
  for (const auto& [name, id] : atomTable().names.entries())
    if (id == key) return name;
  return "atom" + std::to_string(key);
}

}  // namespace

std::string kindName(int32_t kind) {
  switch (kind) {
    case PushInt: return "PushInt";
    case PushDouble: return "PushDouble";
    case PushString: return "PushString";
    case PushBool: return "PushBool";
    case PushNull: return "PushNull";
    case PushNaN: return "PushNaN";
    case PushUndefined: return "PushUndefined";
    case PushFrameObject: return "PushFrameObject";
    case New: return "New";
    case Pop49: return "Pop49";
    case Assign: return "Assign";
    case AssignThroughReference: return "AssignThroughReference";
    case CompoundAssign: return "CompoundAssign";
    case JumpIfFalse53: return "JumpIfFalse53";
    case Jump54: return "Jump54";
    case Nop55: return "Nop55";
    case AndThen: return "AndThen";
    case OrElse: return "OrElse";
    case ToBool58: return "ToBool58";
    case ToBool59: return "ToBool59";
    case BitAnd: return "BitAnd";
    case BitOr: return "BitOr";
    case BitXor: return "BitXor";
    case Greater: return "Greater";
    case Less: return "Less";
    case Equal: return "Equal";
    case NotEqual: return "NotEqual";
    case In: return "In";
    case InstanceOf: return "InstanceOf";
    case ShiftLeft: return "ShiftLeft";
    case ShiftRight: return "ShiftRight";
    case Concat: return "Concat";
    case Add: return "Add";
    case Sub: return "Sub";
    case Mul: return "Mul";
    case Div: return "Div";
    case Mod: return "Mod";
    case Negate: return "Negate";
    case ToInt: return "ToInt";
    case ToFloat: return "ToFloat";
    case Delete: return "Delete";
    case TypeOf: return "TypeOf";
    case Increment: return "Increment";
    case Decrement: return "Decrement";
    case BitNot: return "BitNot";
    case Not: return "Not";
    case IncrementInPlace: return "IncrementInPlace";
    case DecrementInPlace: return "DecrementInPlace";
    case LoadVariable: return "LoadVariable";
    case LoadGlobal: return "LoadGlobal";
    case GetMember: return "GetMember";
    case GetIndexed: return "GetIndexed";
    case BeginObject: return "BeginObject";
    case BeginArray: return "BeginArray";
    case DefineMember: return "DefineMember";
    case AppendElement: return "AppendElement";
    case EndObject: return "EndObject";
    case EndArray: return "EndArray";
    case Label: return "Label";
    case JumpIfFalse107: return "JumpIfFalse107";
    case Jump108: return "Jump108";
    case JumpIfFalse109: return "JumpIfFalse109";
    case Jump110: return "Jump110";
    case Nop111: return "Nop111";
    case Nop112: return "Nop112";
    case Switch: return "Switch";
    case Nop114: return "Nop114";
    case Nop115: return "Nop115";
    case Nop116: return "Nop116";
    case Jump117: return "Jump117";
    case Jump118: return "Jump118";
    case Return: return "Return";
    case ReturnUndefined: return "ReturnUndefined";
    case JumpIfFalse121: return "JumpIfFalse121";
    case Jump122: return "Jump122";
    case Pop123: return "Pop123";
    case Branch: return "Branch";
    case PopAndJump: return "PopAndJump";
    case Jump126: return "Jump126";
    case JumpPast: return "JumpPast";
    case StoreCaught128: return "StoreCaught128";
    case StoreCaught129: return "StoreCaught129";
    case Nop130: return "Nop130";
    case JumpIfThrown: return "JumpIfThrown";
    case Throw: return "Throw";
    case JumpToHandlerIfThrown: return "JumpToHandlerIfThrown";
    case ForOf: return "ForOf";
    case Import: return "Import";
    case ImportEnd: return "ImportEnd";
    case Pop137: return "Pop137";
    case PushInt138: return "PushInt138";
    case Call: return "Call";
    case Wait: return "Wait";
    case Yield: return "Yield";
    case GeneratorReturn: return "GeneratorReturn";
    case Nop143: return "Nop143";
    case EnterScope: return "EnterScope";
    case MakeClosure: return "MakeClosure";
    case JumpIf: return "JumpIf";
    case CallIntrinsic: return "CallIntrinsic";
    case WaitForbidden: return "WaitForbidden";
    case CallGuarded: return "CallGuarded";
    case Jump165: return "Jump165";
    case End: return "End";
    default: return "Kind" + std::to_string(kind);
  }
}

std::string listRecord(const CodeNode* n) {
  std::string s = kindName(n->kind);
  switch (n->kind) {
    case PushInt: case PushInt138:
      return s + " " + std::to_string(n->operand.i);
    case PushString:
      return s + " \"" + n->first.text + "\"";
    case LoadVariable: {
      const VariableRef* v = n->second.var;
      return s + " " + v->name + " depth=" + std::to_string(v->depth) + " slot=" + std::to_string(v->index) +
             " flags=" + std::to_string(n->flags);
    }
    case GetMember:
      return s + " " + keyText(n->operand.i) + " flags=" + std::to_string(n->flags);
    case DefineMember:
      return s + " " + keyText(n->operand.i);
    case GetIndexed: case MakeClosure:
      return s + " flags=" + std::to_string(n->flags);
    case PushDouble:
      return s + " " + std::to_string(n->operand.d);
    case LoadGlobal: case Call: case New: case Equal: case Less: case Greater: case CompoundAssign:
    case Throw: case Increment: case Decrement: case IncrementInPlace: case DecrementInPlace:
    case PushBool:
      return s + " " + std::to_string(n->operand.i);
    default:
      return s;
  }
}

std::vector<std::string> listCode(const CodeVector* code) {
  std::vector<std::string> out;
  for (const CodeNode* n : *code) out.push_back(listRecord(n));
  return out;
}

const FunctionRecord* nestedFunction(const CodeVector* code, int n) {
  for (const CodeNode* node : *code)
    if (node->kind == MakeClosure && n-- == 0) return node->second.function;
  return nullptr;
}

}  // namespace kv::test
