// Members with the inline cache, keys, calls and construction in assembled programs.
#include "vm_program.h"

namespace kvtest {
namespace {

using ObjectsRun = ProgramTest;

// local 0: the constructor C (this.a = its argument, this.b = 2); local 1:
// get(o) answering o.a through one GetMember record; local 2: an instance.
const char* kClassProgram = R"(
.func main 0 4
LoadVariable 0 0 flags=2
EnterScope
MakeClosure C
Assign
Pop137
LoadVariable 0 1 flags=2
EnterScope
MakeClosure get
Assign
Pop137
LoadVariable 0 2 flags=2
LoadVariable 0 0 flags=1
PushInt 7
PushInt138 1
New
Assign
Pop137
.out
LoadVariable 0 1 flags=1
LoadVariable 0 2 flags=1
PushInt138 1
Call 0
.print
.out
LoadVariable 0 1 flags=1
LoadVariable 0 0 flags=1
PushInt 8
PushInt138 1
New
PushInt138 1
Call 0
.print
.out
LoadVariable 0 1 flags=1
BeginObject
PushInt 3
DefineMember z
PushInt 4
DefineMember a
EndObject
PushInt138 1
Call 0
.print
.end
.func C 1 0
PushFrameObject
GetMember a flags=2
LoadVariable 0 -1 flags=1
Assign
Pop137
PushFrameObject
GetMember b flags=2
PushInt 2
Assign
Pop137
ReturnUndefined
.end
.func get 1 0
LoadVariable 0 -1 flags=1
GetMember a flags=1
Return
.end
)";

kv::MemberCache* getCache(Assembler& a) {
  for (kv::CodeNode* n : *a.function("get").record->body.code)
    if (n->kind == kv::GetMember) return n->second.cache;
  return nullptr;
}

TEST_P(ObjectsRun, MembersAreMadeOnWriteAndTheCacheServesOneClass) {
  run(kClassProgram);
  EXPECT_EQ(output(), (Lines{"7", "8", "4"}));
  kv::MemberCache* cache = getCache(*asm_);
  ASSERT_NE(cache, nullptr);
  // The first object seen fixed the cache; the class's layout has the member.
  auto* instance = ctx_->cells[2].obj;
  EXPECT_EQ(cache->classId, instance->classId);
  EXPECT_EQ(cache->slot, kv::slotIndexOf(instance->classId, kv::lookupAtom("a")));
  EXPECT_GE(cache->slot, 1);
}

TEST_P(ObjectsRun, AnObjectWithFewerSlotsThanTheCachedOneReadsCorrectly) {
  run(kClassProgram);
  kv::MemberCache* cache = getCache(*asm_);
  ASSERT_GE(cache->slot, 1);
  // An object of the class made before its layout existed: one slot only.
  kv::KVobj* early = kv::newPlainObject();
  early->classId = cache->classId;
  kv::ObjectRoot root(early);
  *kv::addKeyProperty(early, kv::lookupAtom("a")) = kv::Value::makeInt(11);
  auto* get = static_cast<kv::KVfobj*>(ctx_->cells[1].obj);
  ctx_->pushObject(get);
  ctx_->pushObject(root.get());
  ctx_->argCount = 1;
  kv::callAndRun(get, nullptr, ctx_);
  kv::Value got = ctx_->operands[--ctx_->top];
  EXPECT_EQ(got.tag, kv::kInt);
  EXPECT_EQ(got.i, 11);
}

TEST_P(ObjectsRun, StringAndIntegerKeys) {
  run(R"(
.func main 0 1
LoadVariable 0 0 flags=2
BeginObject
PushInt 1
DefineMember name
EndObject
Assign
Pop137
LoadVariable 0 0 flags=1
PushString "name"
GetIndexed flags=2
PushInt 2
Assign
Pop137
LoadVariable 0 0 flags=1
PushString "no such atom yet"
GetIndexed flags=2
PushInt 3
Assign
Pop137
LoadVariable 0 0 flags=1
PushInt 4
GetIndexed flags=2
PushInt 5
Assign
Pop137
.out
LoadVariable 0 0 flags=1
GetMember name flags=1
.print
.out
LoadVariable 0 0 flags=1
PushString "no such atom yet"
GetIndexed flags=1
.print
.out
LoadVariable 0 0 flags=1
PushInt 4
GetIndexed flags=1
.print
.out
LoadVariable 0 0 flags=1
PushInt -1
GetIndexed flags=1
.print
LoadVariable 0 0 flags=1
PushInt -5
GetIndexed flags=2
PushInt 9
Assign
Pop137
.out
LoadVariable 0 0 flags=1
PushDouble 1.5
GetIndexed flags=1
.print
.out
PushInt 3
PushInt 0
GetIndexed flags=1
.print
.end
)");
  EXPECT_EQ(shortOutput(), (Lines{"2", "3", "5", "Wr0012", "[undefined]", "Wr0012", "Wr0002", "[undefined]",
                                  "[undefined]"}));
}

TEST_P(ObjectsRun, InInstanceOfAndDelete) {
  run(R"(
.func main 0 3
LoadVariable 0 0 flags=2
EnterScope
MakeClosure K
Assign
Pop137
LoadVariable 0 1 flags=2
LoadVariable 0 0 flags=1
PushInt138 0
New
Assign
Pop137
LoadVariable 0 2 flags=2
BeginObject
PushInt 1
DefineMember m
PushUndefined
DefineMember u
EndObject
Assign
Pop137
.out
PushString "m"
LoadVariable 0 2 flags=1
In
.print
.out
PushString "u"
LoadVariable 0 2 flags=1
In
.print
.out
PushInt 1
LoadVariable 0 2 flags=1
In
.print
.out
LoadVariable 0 1 flags=1
LoadVariable 0 0 flags=1
InstanceOf
.print
.out
LoadVariable 0 2 flags=1
LoadVariable 0 0 flags=1
InstanceOf
.print
.out
LoadVariable 0 2 flags=1
GetMember m flags=2
Delete
.print
.out
PushString "m"
LoadVariable 0 2 flags=1
In
.print
.end
.func K 0 0
ReturnUndefined
.end
)");
  EXPECT_EQ(output(), (Lines{"true", "false", "false", "true", "false", "true", "false"}));
}

// depth 30 needs 31 nested calls, the most a context holds; 31 needs one more.
std::string recursion(int depth) {
  return R"(
.func main 0 1
LoadVariable 0 0 flags=2
EnterScope
MakeClosure rec
Assign
Pop137
LoadVariable 0 0 flags=1
PushInt )" + std::to_string(depth) + R"(
PushInt138 1
Call 0
Pop137
.out
PushString "done"
.print
.end
.func rec 1 1 named
LoadVariable 0 -1 flags=1
PushInt 0
Greater
JumpIfFalse121 @out
LoadVariable 0 0 flags=1
LoadVariable 0 -1 flags=1
PushInt 1
Sub
PushInt138 1
Call 0
Pop137
@out:
ReturnUndefined
.end
)";
}

TEST_P(ObjectsRun, ThirtyOneNestedCallsAndNoMore) {
  run(recursion(30));
  EXPECT_EQ(output(), (Lines{"done"}));
  try {
    run(recursion(31));
    FAIL() << "no overflow";
  } catch (const kv::RuntimeError& e) {
    EXPECT_EQ(e.code, kv::kErrStackOverflow);
  }
}

TEST_P(ObjectsRun, CallingWhatIsNoFunction) {
  run(R"(
.func main 0 0
.out
PushInt 5
PushInt 1
PushInt138 1
Call 0
.print
.out
PushInt 5
GetMember f flags=1
PushInt138 0
Call 1
.print
.out
PushInt 5
PushInt138 0
New
.print
.end
)");
  EXPECT_EQ(shortOutput(), (Lines{"Wr0006", "[undefined]", "Wr0007", "[undefined]", "Wr0008", "[undefined]"}));
}

void nativeConstructor(kv::KVContext* ctx) {
  kv::KVobj* self = ctx->receiver();
  kv::ObjectRoot root(self);
  *kv::addKeyProperty(self, kv::internAtom("made")) = *ctx->arg(0);
  ctx->pushUndefined();
}

TEST_P(ObjectsRun, NewWithNativeAndObjectReturningConstructors) {
  kv::gGlobalObject->areas[0][kPrintGlobal + 1] = kv::Value::makeObject(nativeFunction(&nativeConstructor, 1));
  run(R"(
.func main 0 0
.out
LoadGlobal 251
PushInt 6
PushInt138 1
New
GetMember made flags=1
.print
.out
EnterScope
MakeClosure R
PushInt138 0
New
GetMember k flags=1
.print
.out
PushFrameObject
.print
.end
.func R 0 0
BeginObject
PushString "other"
DefineMember k
EndObject
Return
.end
)");
  EXPECT_EQ(output(), (Lines{"6", "other", "[null]"}));
}

TEST_P(ObjectsRun, AConstructorThatWaitsFinishesOnResume) {
  run(R"(
.func main 0 0
.out
EnterScope
MakeClosure W
PushInt138 0
New
GetMember k flags=1
.print
.end
.func W 0 0
PushFrameObject
GetMember k flags=2
PushInt 1
Assign
Pop137
Wait
PushFrameObject
Return
.end
)");
  EXPECT_TRUE(ctx_->state & kv::KVContext::kSuspended);
  EXPECT_EQ(ctx_->constructingDepth, 0);
  resume();
  EXPECT_FALSE(ctx_->state & kv::KVContext::kSuspended);
  EXPECT_EQ(output(), (Lines{"1"}));
}

TEST_P(ObjectsRun, MethodCallsSeeTheirObject) {
  run(R"(
.func main 0 1
LoadVariable 0 0 flags=2
BeginObject
PushInt 41
DefineMember v
EnterScope
MakeClosure m
DefineMember m
EndObject
Assign
Pop137
.out
LoadVariable 0 0 flags=1
GetMember m flags=1
PushInt138 0
Call 1
.print
.end
.func m 0 0
PushFrameObject
GetMember v flags=1
PushInt 1
Add
Return
.end
)");
  EXPECT_EQ(output(), (Lines{"42"}));
}

INSTANTIATE_TEST_SUITE_P(Stress, ObjectsRun, ::testing::Bool());

}  // namespace
}  // namespace kvtest
