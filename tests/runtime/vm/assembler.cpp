// A test-only assembler: builds instruction lists from text.
#include "tests/runtime/vm/assembler.h"

#include <sstream>
#include <stdexcept>

#include "runtime/vm/atoms.h"
#include "runtime/vm/link.h"

namespace kvtest {
namespace {

using namespace kv;

const std::map<std::string, int32_t>& kindNames() {
  static const std::map<std::string, int32_t> names = {
      {"PushInt", PushInt}, {"PushDouble", PushDouble}, {"PushString", PushString}, {"PushBool", PushBool},
      {"PushNull", PushNull}, {"PushNaN", PushNaN}, {"PushUndefined", PushUndefined},
      {"PushFrameObject", PushFrameObject}, {"New", New}, {"Pop49", Pop49}, {"Assign", Assign},
      {"AssignThroughReference", AssignThroughReference}, {"CompoundAssign", CompoundAssign},
      {"JumpIfFalse53", JumpIfFalse53}, {"Jump54", Jump54}, {"Nop55", Nop55}, {"AndThen", AndThen},
      {"OrElse", OrElse}, {"ToBool58", ToBool58}, {"ToBool59", ToBool59}, {"BitAnd", BitAnd}, {"BitOr", BitOr},
      {"BitXor", BitXor}, {"Greater", Greater}, {"Less", Less}, {"Equal", Equal}, {"NotEqual", NotEqual},
      {"In", In}, {"InstanceOf", InstanceOf}, {"ShiftLeft", ShiftLeft}, {"ShiftRight", ShiftRight},
      {"Concat", Concat}, {"Add", Add}, {"Sub", Sub}, {"Mul", Mul}, {"Div", Div}, {"Mod", Mod},
      {"Negate", Negate}, {"ToInt", ToInt}, {"ToFloat", ToFloat}, {"Delete", Delete}, {"TypeOf", TypeOf},
      {"Increment", Increment}, {"Decrement", Decrement}, {"BitNot", BitNot}, {"Not", Not},
      {"IncrementInPlace", IncrementInPlace}, {"DecrementInPlace", DecrementInPlace},
      {"LoadVariable", LoadVariable}, {"LoadGlobal", LoadGlobal}, {"GetMember", GetMember},
      {"GetIndexed", GetIndexed}, {"BeginObject", BeginObject}, {"DefineMember", DefineMember},
      {"EndObject", EndObject}, {"JumpIfFalse107", JumpIfFalse107}, {"Jump108", Jump108},
      {"JumpIfFalse109", JumpIfFalse109}, {"Jump110", Jump110}, {"Nop111", Nop111}, {"Nop112", Nop112},
      {"Switch", Switch}, {"Nop114", Nop114}, {"Nop115", Nop115}, {"Nop116", Nop116}, {"Jump117", Jump117},
      {"Jump118", Jump118}, {"Return", Return}, {"ReturnUndefined", ReturnUndefined},
      {"JumpIfFalse121", JumpIfFalse121}, {"Jump122", Jump122}, {"Pop123", Pop123}, {"Branch", Branch},
      {"PopAndJump", PopAndJump}, {"Jump126", Jump126}, {"JumpPast", JumpPast},
      {"StoreCaught128", StoreCaught128}, {"StoreCaught129", StoreCaught129}, {"Nop130", Nop130},
      {"JumpIfThrown", JumpIfThrown}, {"Throw", Throw}, {"JumpToHandlerIfThrown", JumpToHandlerIfThrown},
      {"Import", Import}, {"ImportEnd", ImportEnd}, {"Pop137", Pop137}, {"PushInt138", PushInt138},
      {"Call", Call}, {"Wait", Wait}, {"BeginArray", BeginArray}, {"AppendElement", AppendElement},
      {"EndArray", EndArray}, {"ForOf", ForOf}, {"Yield", Yield}, {"GeneratorReturn", GeneratorReturn},
      {"EnterScope", EnterScope}, {"MakeClosure", MakeClosure},
      {"JumpIf", JumpIf}, {"CallIntrinsic", CallIntrinsic}, {"CallGuarded", CallGuarded},
      {"Jump165", Jump165}, {"End", End}};
  return names;
}

std::deque<std::string> tokens(const std::string& line) {
  std::deque<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    if (isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
    } else if (line[i] == '#') {
      break;
    } else if (line[i] == '"') {
      std::string s = "\"";
      for (++i; i < line.size() && line[i] != '"'; ++i) s += line[i];
      ++i;
      out.push_back(s);
    } else {
      size_t j = i;
      while (j < line.size() && !isspace(static_cast<unsigned char>(line[j]))) ++j;
      out.push_back(line.substr(i, j - i));
      i = j;
    }
  }
  return out;
}

}  // namespace

AsmFunction& Assembler::function(const std::string& name) {
  AsmFunction& f = functions_[name];
  if (!f.record) f.record = &records_.emplace_back();
  return f;
}

LabelSlot* Assembler::label(const std::string& name) {
  if (name.empty() || name[0] != '@') throw std::runtime_error("label expected at line " + std::to_string(lineNo_));
  LabelSlot*& s = labels_[current_ + name];
  if (!s) s = newLabelSlot();
  return s;
}

void Assembler::assemble(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    ++lineNo_;
    parseLine(line);
  }
}

void Assembler::parseLine(const std::string& line) {
  std::deque<std::string> t = tokens(line);
  if (t.empty()) return;
  std::string head = t.front();
  t.pop_front();
  auto bad = [&](const char* what) {
    throw std::runtime_error(std::string(what) + " at line " + std::to_string(lineNo_) + ": " + line);
  };
  if (head == ".func") {
    if (t.size() < 3) bad("function header");
    current_ = t[0];
    if (mainName_.empty()) mainName_ = current_;
    AsmFunction& f = function(current_);
    f.params = std::stoi(t[1]);
    f.locals = std::stoi(t[2]);
    f.record->params.assign(f.params, 0);
    f.record->locals.assign(f.locals, 0);
    for (size_t i = 3; i < t.size(); ++i) {
      if (t[i] == "named") f.record->hasName = 1;
      if (t[i] == "generator") f.record->generator = 1;
    }
    return;
  }
  if (current_.empty()) bad("record outside a function");
  AsmFunction& f = function(current_);
  if (head == ".end") {
    f.record->body.code = vectors_.emplace_back(linkCode(f.list, fold_)).get();
    current_.clear();
    return;
  }
  if (head == ".out") {
    f.list.push_back(newNodeLoadGlobal(kPrintGlobal));
    return;
  }
  if (head == ".print") {
    f.list.push_back(newNodePushInt138(1));
    f.list.push_back(newNodeCall(0));
    f.list.push_back(newNodePop137());
    return;
  }
  if (head.size() > 1 && head[0] == '@' && head.back() == ':') {
    f.list.push_back(newNodeLabel(label(head.substr(0, head.size() - 1))));
    return;
  }
  uint16_t flags = 0;
  if (!t.empty() && t.back().rfind("flags=", 0) == 0) {
    flags = static_cast<uint16_t>(std::stoi(t.back().substr(6)));
    t.pop_back();
  }
  gCompilePosition.line = lineNo_;
  CodeNode* n = record(head, t);
  if (!n) bad("unknown record");
  n->flags = flags;
  f.list.push_back(n);
}

CodeNode* Assembler::record(const std::string& kind, std::deque<std::string>& a) {
  auto it = kindNames().find(kind);
  if (it == kindNames().end()) return nullptr;
  auto next = [&]() {
    if (a.empty()) throw std::runtime_error("missing operand at line " + std::to_string(lineNo_));
    std::string s = a.front();
    a.pop_front();
    return s;
  };
  auto num = [&]() { return static_cast<int32_t>(std::stol(next())); };
  auto optNum = [&](int32_t dflt) { return a.empty() ? dflt : num(); };
  auto lab = [&]() { return label(next()); };
  auto parts = [&]() {
    std::vector<LabelSlot*> out;
    std::stringstream s(next());
    for (std::string p; std::getline(s, p, ',');) out.push_back(label(p));
    return out;
  };
  auto pair = [&]() {
    auto p = parts();
    if (p.size() != 2) throw std::runtime_error("label pair expected at line " + std::to_string(lineNo_));
    return newLabelPair(p[0], p[1]);
  };
  auto triple = [&]() {
    auto p = parts();
    if (p.size() != 3) throw std::runtime_error("label triple expected at line " + std::to_string(lineNo_));
    return newLabelTriple(p[0], p[1], p[2]);
  };
  auto text = [&]() -> const char* {
    std::string s = next();
    if (s.empty() || s[0] != '"') throw std::runtime_error("string expected at line " + std::to_string(lineNo_));
    return texts_.emplace_back(s.substr(1)).c_str();
  };
  auto variable = [&]() {
    VariableRef* v = &variables_.emplace_back();
    v->resolved = 1;
    v->depth = num();
    v->index = num();
    return v;
  };
  switch (it->second) {
    case PushInt: return newNodePushInt32(num());
    case PushDouble: return newNodePushDouble(std::stod(next()));
    case PushString: return newNodePushString(text());
    case PushBool: return newNodePushBool(num());
    case PushNull: return newNodePushNull();
    case PushNaN: return newNodePushNaN();
    case PushUndefined: return newNodePushUndefined();
    case PushFrameObject: return newNodePushFrameObject();
    case New: return newNodeNew(optNum(0));
    case Pop49: return newNodePop49();
    case Assign: return newNodeAssign();
    case AssignThroughReference: return newNodeAssignThroughReference();
    case CompoundAssign: return newNodeCompoundAssign(num());
    case JumpIfFalse53: { LabelSlot* l = lab(); return newNodeJumpIfFalse53(l, optNum(0)); }
    case Jump54: { LabelPair* p = pair(); return newNodeJump54(p, optNum(0)); }
    case Nop55: { LabelSlot* l = lab(); return newNodeNop55(l, optNum(0)); }
    case AndThen: { LabelSlot* l = lab(); return newNodeAndThen(optNum(0), l); }
    case OrElse: { LabelSlot* l = lab(); return newNodeOrElse(optNum(0), l); }
    case ToBool58: { LabelSlot* l = lab(); return newNodeToBool58(optNum(0), l); }
    case ToBool59: { LabelSlot* l = lab(); return newNodeToBool59(optNum(0), l); }
    case BitAnd: return newNodeBitAnd();
    case BitOr: return newNodeBitOr();
    case BitXor: return newNodeBitXor();
    case Greater: return newNodeGreater(optNum(0));
    case Less: return newNodeLess(optNum(0));
    case Equal: return newNodeEqual(optNum(0));
    case NotEqual: return newNodeNotEqual();
    case In: return newNodeIn();
    case InstanceOf: return newNodeInstanceOf();
    case ShiftLeft: return newNodeShiftLeft();
    case ShiftRight: return newNodeShiftRight();
    case Concat: return newNodeConcat();
    case Add: return newNodeAdd();
    case Sub: return newNodeSub();
    case Mul: return newNodeMul();
    case Div: return newNodeDiv();
    case Mod: return newNodeMod();
    case Negate: return newNodeNegate();
    case ToInt: return newNodeToInt();
    case ToFloat: return newNodeToFloat();
    case Delete: return newNodeDelete();
    case TypeOf: return newNodeTypeOf();
    case Increment: return newNodeIncrement(optNum(0));
    case Decrement: return newNodeDecrement(optNum(0));
    case BitNot: return newNodeBitNot();
    case Not: return newNodeNot();
    case IncrementInPlace: return newNodeIncrementInPlace(optNum(0));
    case DecrementInPlace: return newNodeDecrementInPlace(optNum(0));
    case LoadVariable: return newNodeLoadVariable(variable());
    case LoadGlobal: return newNodeLoadGlobal(num());
    case GetMember: return newNodeGetMember(internAtom(next().c_str()));
    case GetIndexed: return newNodeGetIndexed();
    case BeginObject: return newNodeBeginObject();
    case DefineMember: return newNodeDefineMember(internAtom(next().c_str()));
    case EndObject: return newNodeEndObject();
    case JumpIfFalse107: return newNodeJumpIfFalse107(pair());
    case Jump108: return newNodeJump108(pair());
    case JumpIfFalse109: return newNodeJumpIfFalse109(lab());
    case Jump110: return newNodeJump110(pair());
    case Nop111: return newNodeNop111(pair());
    case Nop112: return newNodeNop112(lab());
    case Switch: {
      CaseTable* table = &tables_.emplace_back(lab());
      while (!a.empty()) {
        std::string word = next();
        if (word == "default") {
          table->addDefault(lab());
        } else {
          int32_t v = num();
          table->addCase(lab(), v);
        }
      }
      return newNodeSwitch(table);
    }
    case Nop114: return newNodeNop114(lab());
    case Nop115: return newNodeNop115(lab());
    case Nop116: return newNodeNop116(lab());
    case Jump117: return newNodeJump117(lab());
    case Jump118: return newNodeJump118(lab());
    case Return: return newNodeReturn(a.empty() ? nullptr : lab());
    case ReturnUndefined: return newNodeReturnUndefined(a.empty() ? nullptr : lab());
    case JumpIfFalse121: return newNodeJumpIfFalse121(lab());
    case Jump122: return newNodeJump122(pair());
    case Pop123: return newNodePop123(lab());
    case Branch: return newNodeBranch(triple());
    case PopAndJump: return newNodePopAndJump(pair());
    case Jump126: return newNodeJump126(pair());
    case JumpPast: return newNodeJumpPast(lab());
    case StoreCaught128: return newNodeStoreCaught128(lab());
    case StoreCaught129: { VariableRef* v = variable(); return newNodeStoreCaught129(v, lab()); }
    case Nop130: return newNodeNop130(pair());
    case JumpIfThrown: { LabelTriple* tr = triple(); return newNodeJumpIfThrown(tr, lab()); }
    case Throw: { int32_t flag = num(); return newNodeThrow(flag, a.empty() ? nullptr : lab()); }
    case JumpToHandlerIfThrown: return newNodeJumpToHandlerIfThrown(a.empty() ? nullptr : lab());
    case Import: { const char* m = text(); return newNodeImport(m, a.empty() ? nullptr : variable()); }
    case ImportEnd: return newNodeImportEnd();
    case Pop137: return newNodePop137();
    case PushInt138: return newNodePushInt138(num());
    case Call: return newNodeCall(optNum(0));
    case Wait: return newNodeWait();
    case BeginArray: return newNodeBeginArray();
    case AppendElement: return newNodeAppendElement();
    case EndArray: return newNodeEndArray();
    case ForOf: return newNodeForOf(num());
    case Yield: return newNodeYield(optNum(0));
    case GeneratorReturn: return newNodeGeneratorReturn();
    case EnterScope: return newNodeEnterScope();
    case MakeClosure: return newNodeMakeClosure(function(next()).record);
    case JumpIf: { LabelSlot* l = lab(); return newNodeJumpIf(l, num()); }
    case CallIntrinsic: return newNodeCallIntrinsic(num());
    case CallGuarded: return newNodeCallGuarded();
    case Jump165: return newNodeJump165(lab());
    case End: {
      ExportList* exports = &exports_.emplace_back();
      while (!a.empty()) {
        std::string e = next();
        size_t colon = e.find(':');
        exports->push_back({internAtom(e.substr(0, colon).c_str()), std::stoi(e.substr(colon + 1))});
      }
      return newNodeEnd(exports);
    }
    default: return nullptr;
  }
}

}  // namespace kvtest
