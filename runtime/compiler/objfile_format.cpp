// Numbers, tags and texts in the byte layout of object files.
#include "runtime/compiler/objfile_format.h"

#include <array>

namespace kv::objfile {
namespace {

constexpr std::array<bool, kLastKind + 1> carriedKinds() {
  std::array<bool, kLastKind + 1> t{};
  const int32_t kinds[] = {
      PushInt, PushDouble, PushString, PushBool, PushNull, PushNaN, PushUndefined, PushFrameObject, New, Pop49,
      Assign, AssignThroughReference, CompoundAssign, JumpIfFalse53, Jump54, Nop55, AndThen, OrElse, ToBool58,
      ToBool59, BitAnd, BitOr, BitXor, Greater, Less, Equal, NotEqual, In, InstanceOf, ShiftLeft, ShiftRight,
      Concat, Add, Sub, Mul, Div, Mod, Negate, ToInt, ToFloat, Delete, TypeOf, Increment, Decrement, BitNot, Not,
      IncrementInPlace, DecrementInPlace, LoadVariable, LoadGlobal, GetMember, GetIndexed, BeginObject,
      BeginArray, DefineMember, AppendElement, EndObject, EndArray, JumpIfFalse107, Jump108, JumpIfFalse109,
      Jump110, Nop111, Nop112, Switch, Nop114, Nop115, Nop116, Jump117, Jump118, Return, ReturnUndefined,
      JumpIfFalse121, Jump122, Pop123, Branch, PopAndJump, Jump126, JumpPast, StoreCaught128, StoreCaught129,
      Nop130, JumpIfThrown, Throw, JumpToHandlerIfThrown, ForOf, Import, ImportEnd, Pop137, PushInt138, Call,
      Wait, Yield, GeneratorReturn, Nop143, EnterScope, MakeClosure, CallGuarded, End};
  for (int32_t k : kinds) t[static_cast<size_t>(k)] = true;
  return t;
}
constexpr std::array<bool, kLastKind + 1> kCarried = carriedKinds();

}  // namespace

bool isCarriedKind(int32_t kind) { return kind >= 0 && kind <= kLastKind && kCarried[static_cast<size_t>(kind)]; }

bool isJumpKind(int32_t kind) {
  switch (kind) {
    case JumpIfFalse53: case Jump54: case AndThen: case OrElse: case JumpIfFalse107: case Jump108:
    case JumpIfFalse109: case Jump110: case Jump117: case Jump118: case JumpIfFalse121: case Jump122:
    case PopAndJump: case Jump126: case JumpPast: case JumpIfThrown:
      return true;
    default:
      return false;
  }
}

}  // namespace kv::objfile
