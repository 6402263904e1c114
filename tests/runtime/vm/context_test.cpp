// Tests of runtime/vm/context: the state of one script thread.
#include <functional>
#include <memory>
#include <vector>

#include "vm_fixture.h"

using namespace kv;

namespace kvtest {
namespace {

using Contexts = VmTest;

int32_t codeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.code;
  }
  return -1;
}

void enter(KVContext* ctx, KVfobj* fn) {
  ctx->pushObject(fn);
  ctx->argCount = 0;
  callFunction(ctx, fn, nullptr);
}

TEST_F(Contexts, OperandStackHoldsThirtyTwo) {
  KVContext* ctx = mainContext();
  for (int i = 0; i < KVContext::kOperands; ++i) ctx->pushInt(i);
  EXPECT_EQ(codeOf([&] { ctx->pushNull(); }), kErrStackOverflow);
  EXPECT_EQ(ctx->top, KVContext::kOperands);
}

TEST_F(Contexts, FramesStopAtThirtyTwo) {
  KVContext* ctx = mainContext();
  KVfobj* fn = withCells(0, 0);
  ObjectRoot root(fn);
  for (int i = 1; i < KVContext::kFrames; ++i) enter(ctx, static_cast<KVfobj*>(root.get()));
  EXPECT_EQ(ctx->depth, KVContext::kFrames);
  EXPECT_EQ(codeOf([&] { enter(ctx, static_cast<KVfobj*>(root.get())); }), kErrStackOverflow);
}

TEST_F(Contexts, CellsStopAtTheEndOfTheValueArea) {
  KVContext* ctx = mainContext();
  ObjectRoot half(withCells(0, 512));
  ObjectRoot one(withCells(0, 1));
  ObjectRoot none(withCells(0, 0));
  enter(ctx, static_cast<KVfobj*>(half.get()));
  enter(ctx, static_cast<KVfobj*>(half.get()));
  EXPECT_EQ(codeOf([&] { enter(ctx, static_cast<KVfobj*>(one.get())); }), kErrStackOverflow);
  ctx->top = 0;
  enter(ctx, static_cast<KVfobj*>(none.get()));
  EXPECT_EQ(ctx->depth, 4);
}

TEST_F(Contexts, ReferenceRecordsConstructionsAndCallerPairsHaveLimits) {
  KVContext* ctx = mainContext();
  for (int i = 0; i < KVContext::kRefs; ++i) ctx->pushNoRef();
  EXPECT_EQ(codeOf([&] { ctx->pushNoRef(); }), 1);

  EXPECT_EQ(codeOf([&] { ctx->popConstructing(); }), 13);
  for (int i = 0; i < KVContext::kConstructing; ++i) ctx->pushConstructing(nullptr);
  EXPECT_EQ(codeOf([&] { ctx->pushConstructing(nullptr); }), 13);

  EXPECT_EQ(codeOf([] { popCallerPair(); }), 22);
  for (int i = 0; i < kCallerPairs; ++i) pushCallerPair(nullptr, nullptr);
  EXPECT_EQ(codeOf([] { pushCallerPair(nullptr, nullptr); }), 22);
  for (int i = 0; i < kCallerPairs; ++i) popCallerPair();
}

TEST_F(Contexts, GeneratorFramesSaveAtMostFourValuesAndFourReferences) {
  KVContext* ctx = mainContext();
  ObjectRoot fnRoot(withCells(1, 1));
  enter(ctx, static_cast<KVfobj*>(fnRoot.get()));
  for (int i = 0; i < 5; ++i) ctx->pushInt(i);
  SavedFrame saved;
  EXPECT_EQ(codeOf([&] { saveFrameState(ctx, saved, 5); }), 11);
  EXPECT_STREQ(systemErrorText(11), "");
  for (int i = 0; i < 5; ++i) ctx->pushNoRef();
  EXPECT_EQ(codeOf([&] { saveFrameState(ctx, saved, 4); }), 12);
  ctx->refDepth = 2;
  ctx->frame->activation->cells[0] = Value::makeInt(77);
  saveFrameState(ctx, saved, 4);
  EXPECT_EQ(saved.valueCount, 4);
  EXPECT_EQ(saved.values[3].i, 4);
  EXPECT_EQ(saved.refCount, 2);
  ASSERT_EQ(saved.cellCount, 2);
  EXPECT_EQ(saved.cells[0].i, 77);

  ctx->top = 0;
  ctx->refDepth = 0;
  leaveCallFrame(ctx);
  resumeSavedFrame(ctx, static_cast<KVfobj*>(fnRoot.get()), saved, Value::makeInt(99));
  EXPECT_EQ(ctx->depth, 2);
  EXPECT_EQ(ctx->frame->activation->cells[0].i, 77);
  EXPECT_EQ(ctx->top, 5);
  EXPECT_EQ(ctx->operands[4].i, 99);
  EXPECT_EQ(ctx->refDepth, 2);
  delete[] saved.cells;
}

TEST_F(Contexts, MissingParametersReadUndefinedAndTextsArriveAsStringObjects) {
  KVContext* ctx = mainContext();
  KVfobj* fn = withCells(3, 1);
  // Stale values above the arguments must not leak into the parameters.
  ctx->pushInt(1);
  ctx->pushInt(2);
  ctx->pushInt(3);
  ctx->top = 0;
  ctx->pushObject(fn);
  ctx->pushString("text");
  ctx->argCount = 1;
  callFunction(ctx, fn, nullptr);
  EXPECT_EQ(ctx->top, 0);
  const Value* cells = ctx->frame->activation->cells;
  ASSERT_EQ(cells[0].tag, kObject);
  EXPECT_TRUE(cells[0].obj->isString());
  EXPECT_STREQ(static_cast<KVstring*>(cells[0].obj)->text, "text");
  EXPECT_STREQ(static_cast<KVstring*>(valueTypeOf(&cells[0]))->text, "string");
  EXPECT_EQ(cells[1].tag, kUndefined);
  EXPECT_EQ(cells[2].tag, kUndefined);
  EXPECT_EQ(cells[3].tag, kUndefined);
  EXPECT_EQ(ctx->arg(1), &gUndefinedCell);
}

TEST_F(Contexts, FrameActivationsAndTheGlobalFrame) {
  KVContext* ctx = mainContext(2, 1);
  EXPECT_EQ(ctx->frames[0].activation, gGlobalObject);
  EXPECT_EQ(gGlobalObject->cells, ctx->cells);
  EXPECT_EQ(gGlobalObject->cellCount, 3);
  EXPECT_EQ(ctx->frameActivation(0), gGlobalObject);

  Value outer[1];
  ActivationObject act;
  act.cells = outer;
  act.cellCount = 1;
  FunctionRecord rec;
  KVfobj* fn = newClosure(&rec, chainWith(&act, nullptr));
  enter(ctx, fn);
  EXPECT_EQ(ctx->frameActivation(0), ctx->frames[1].activation);
  EXPECT_NE(ctx->frameActivation(1), nullptr);
  EXPECT_NE(ctx->frameActivation(1), &act);
  EXPECT_EQ(ctx->frameActivation(1)->cellCount, 1);

  KVContext* spawned = new KVContext;
  EXPECT_NE(spawned->frames[0].activation, gGlobalObject);
  EXPECT_EQ(spawned->number, -1);
  destroyContext(spawned);
}

TEST_F(Contexts, TheMainContextRegistersOnce) {
  KVContext* ctx = mainContext();
  int32_t index = ctx->number;
  ASSERT_GE(index, 0);
  EXPECT_EQ(registerThread(ctx), index);
  EXPECT_EQ(registeredContext(index), ctx);
  KVContext* other = new KVContext;
  EXPECT_NE(registerThread(other), index);
  destroyContext(other);
}

TEST_F(Contexts, TheTableOfLiveContextsHoldsOneThousandTwentyFour) {
  std::vector<std::unique_ptr<KVContext>> all;
  for (int i = 0; i < kMaxThreads; ++i) {
    all.push_back(std::make_unique<KVContext>());
    EXPECT_EQ(registerThread(all.back().get()), i);
  }
  KVContext extra;
  EXPECT_EQ(codeOf([&] { registerThread(&extra); }), 5);
  // A destroyed context frees its slot, whose generation moves on so that
  // old handles to it go stale.
  uint32_t before = threadGeneration(7);
  unregisterContext(all[7].get());
  EXPECT_EQ(registeredContext(7), nullptr);
  EXPECT_NE(threadGeneration(7), before);
  EXPECT_EQ(registerThread(&extra), 7);
  unregisterContext(&extra);
  for (auto& c : all) unregisterContext(c.get());
}

TEST_F(Contexts, IncrementAndDeleteThroughReferences) {
  KVContext* ctx = mainContext();
  KVobj* obj = tagged(5);
  ObjectRoot root(obj);
  int32_t v = lookupAtom("v");
  ctx->pushMemberRef(root.get(), v);
  EXPECT_EQ(ctx->incrementThroughRef()->i, 6);
  ctx->pushMemberRef(root.get(), v);
  EXPECT_EQ(ctx->decrementThroughRef()->i, 5);
  ctx->pushNoRef();
  EXPECT_EQ(ctx->incrementThroughRef(), nullptr);
  root.get()->sealed = 1;
  ctx->pushMemberRef(root.get(), v);
  EXPECT_EQ(ctx->incrementThroughRef(), nullptr);
  ctx->pushMemberRef(root.get(), v);
  EXPECT_FALSE(ctx->deleteThroughRef());
  root.get()->sealed = 0;
  ctx->pushMemberRef(root.get(), v);
  EXPECT_TRUE(ctx->deleteThroughRef());
  EXPECT_EQ(tagOf(root.get()), -1);
  Value cells[2];
  ctx->pushCellRef(cells, 1);
  EXPECT_EQ(ctx->resolveForWrite(), &cells[1]);
  ctx->pushCellRef(cells, 1);
  EXPECT_FALSE(ctx->deleteThroughRef());
}

TEST_F(Contexts, CallAndRunReturnsToTheCaller) {
  KVContext* ctx = mainContext();
  KVfobj* fn = nativeFunction([](KVContext* c) { c->pushInt(c->arg(0)->i * 2); }, 1);
  ctx->pc = 7;
  ctx->pushObject(fn);
  ctx->pushInt(21);
  ctx->argCount = 1;
  callAndRun(fn, nullptr, ctx);
  EXPECT_EQ(ctx->depth, 1);
  EXPECT_EQ(ctx->pc, 7);
  EXPECT_EQ(ctx->program, &program_);
  ASSERT_EQ(ctx->top, 1);
  EXPECT_EQ(ctx->operands[0].i, 42);
}

}  // namespace
}  // namespace kvtest
