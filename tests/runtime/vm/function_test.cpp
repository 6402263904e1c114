// Tests of runtime/vm/function: function objects.
#include <cstring>
#include <string>
#include <vector>

#include "vm_fixture.h"

using namespace kv;

namespace kvtest {
namespace {

using FunctionObjects = VmTest;

TEST_F(FunctionObjects, ClosuresOfOneRecordGetTheirOwnInstanceClasses) {
  FunctionRecord rec;
  rec.params = {0};
  KVfobj* a = newClosure(&rec, nullptr);
  ObjectRoot keep(a);
  KVfobj* b = newClosure(&rec, nullptr);
  a = static_cast<KVfobj*>(keep.get());
  EXPECT_GE(a->instanceClassId, kFirstScriptClassId);
  EXPECT_GE(b->instanceClassId, kFirstScriptClassId);
  EXPECT_NE(a->instanceClassId, b->instanceClassId);
  EXPECT_EQ(a->callable, &rec.body);
  EXPECT_EQ(a->firstCells(), &rec.params);
  EXPECT_EQ(a->secondCells(), &rec.locals);
}

TEST_F(FunctionObjects, InstancesTakeTheFreshPrototypeAndTheInstanceClass) {
  KVfobj* fn = nativeFunction(nullptr);
  KVobj* proto = fn->constructorPrototype();
  ASSERT_NE(proto, nullptr);
  EXPECT_EQ(prototypeOf(proto), gCore.objectProto);
  // Making the instance may move the young function and its prototype.
  ObjectRoot fnRoot(fn);
  ObjectRoot protoRoot(proto);
  KVobj* obj = newObjectFrom(fn);
  fn = static_cast<KVfobj*>(fnRoot.get());
  proto = protoRoot.get();
  EXPECT_EQ(prototypeOf(obj), proto);
  EXPECT_EQ(obj->classId, fn->instanceClassId);
  // The "prototype" slot of a native is locked.
  int32_t mode = kAttrWritable;
  EXPECT_EQ(getPropertyCell(fn, lookupAtom("prototype"), mode), nullptr);
  EXPECT_EQ(mode, kAccessDenied);
}

TEST_F(FunctionObjects, CoreConstructorsAndStaticNatives) {
  EXPECT_EQ(gCore.functionF->instanceClassId, 1);
  EXPECT_EQ(gCore.objectF->instanceClassId, 1);
  EXPECT_EQ(gCore.functionF->constructorPrototype(), gCore.functionProto);
  EXPECT_EQ(gCore.objectF->constructorPrototype(), gCore.objectProto);
  KVfobj* s = newStaticNative(permanentCallable(Callable{"fromCharCode", nullptr, nullptr}));
  EXPECT_TRUE(s->staticNative());
  EXPECT_GE(s->instanceClassId, kFirstScriptClassId);
  EXPECT_EQ(s->props.count, 2);
  KVfobj* c = newClassConstructor(permanentCallable(Callable{}), emptyNames(), 7000, 3);
  EXPECT_EQ(c->props.count, 5);
  EXPECT_EQ(c->classId, 7000);
  EXPECT_EQ(scopeChainAt(c->environment, 1), gGlobalObject);
}

TEST_F(FunctionObjects, ClosuresSeeTheCapturedValuesOfTheirMoment) {
  Value cells[2];
  cells[0] = Value::makeInt(10);
  ActivationObject act;
  act.cells = cells;
  act.cellCount = 2;
  FunctionRecord rec;
  KVfobj* fn = newClosure(&rec, chainWith(&act, globalScopeChain()));
  cells[0] = Value::makeInt(20);
  ActivationObject* captured = scopeChainAt(fn->environment, 1);
  EXPECT_NE(captured, &act);
  EXPECT_EQ(captured->cells[0].i, 10);
  EXPECT_EQ(scopeChainAt(fn->environment, 2), gGlobalObject);
  EXPECT_THROW(scopeChainAt(fn->environment, 3), RuntimeError);
}

// An object's body bytes, leaving out its table's address and the
// collector's mark of the last collection that moved it.
std::string bodyImage(KVobj* obj, size_t bytes) {
  Value* table = obj->props.cells.base;
  uint32_t epoch = obj->epoch;
  obj->props.cells.base = nullptr;
  obj->epoch = 0;
  std::string image(reinterpret_cast<const char*>(obj), bytes);
  obj->props.cells.base = table;
  obj->epoch = epoch;
  return image;
}

TEST_F(FunctionObjects, AClosuresObjectsAreLaidOutAsTheGeneralPlacementLaysThem) {
  // A closure is one block, its table of one slot after its fields, and
  // makes its "prototype" object when first asked for, in the old space;
  // apart from where the table lies, both must come out as the general
  // placement makes them, and the function must survive collections
  // before and after.
  mainContext();
  FunctionRecord rec;
  rec.hasName = 1;
  for (int round = 0; round < 2; ++round) {
    setGcStress(round == 1);
    ObjectRoot fast(newClosure(&rec, nullptr));
    reserveNursery(objectBytes<KVfobj>(1) + objectBytes<KVobj>(1));
    ObjectRoot proto(placeYoungObject<KVobj>(1, gCore.objectProto, gCore.objectF->instanceClassId));
    ObjectRoot general(placeYoungObject<KVfobj>(1, gCore.objectProto, kFunctionClassId));
    minorCollect();
    auto* fn = static_cast<KVfobj*>(fast.get());
    auto* g = static_cast<KVfobj*>(general.get());
    for (auto* f : {fn, g}) {
      f->instanceClassId = 0;
      f->callable = nullptr;
      f->environment = nullptr;
      f->callFlags &= static_cast<uint8_t>(~KVfobj::kHasName);
    }
    EXPECT_EQ(blockPayloadSize(fn), kClosureBodyBytes);
    EXPECT_EQ(fn->props.cells.base, fn->tableAfterFields());
    EXPECT_EQ(fn->tableInline, kTableAfterFields);
    g->tableInline = kTableAfterFields;
    EXPECT_EQ(bodyImage(fn, sizeof(KVfobj)), bodyImage(g, sizeof(KVfobj))) << round;
    EXPECT_EQ(std::memcmp(fn->props.cells.base, g->props.cells.base, sizeof(Value)), 0);
    g->tableInline = 0;
    EXPECT_EQ(fn->props.count, 1);
    // Asking for it makes the prototype, once, and gives the function the
    // slot a native's table has from the start, in a block of its own.
    KVobj* fastProto = fn->constructorPrototype();
    ASSERT_NE(fastProto, nullptr);
    EXPECT_FALSE(isYoung(fastProto));
    EXPECT_EQ(fn->constructorPrototype(), fastProto);
    EXPECT_EQ(fn->props.count, 2);
    EXPECT_EQ(fn->tableInline, 0);
    EXPECT_EQ(fn->props.cells[0]->obj, gCore.objectProto);
    EXPECT_EQ(slotAttrs(fn->props, 1), 7u);
    KVobj* p = proto.get();
    EXPECT_EQ(blockPayloadSize(fastProto), blockPayloadSize(p));
    EXPECT_EQ(fastProto->props.cells.base, fastProto->inlineTable());
    EXPECT_EQ(bodyImage(fastProto, blockPayloadSize(p)), bodyImage(p, blockPayloadSize(p))) << round;
    minorCollect();
    fn = static_cast<KVfobj*>(fast.get());
    EXPECT_EQ(fn->constructorPrototype(), fastProto);
    EXPECT_EQ(fn->props.cells[0]->obj, gCore.objectProto);
    EXPECT_EQ(verifyHeap(), "");
  }
  setGcStress(false);
}

// Fills the old space with blocks nothing holds, down to the last byte a
// block can take.
void fillOldSpaceWithGarbage() {
  for (size_t size = 4096; size >= 8; size /= 2)
    while (void* p = gcTryAllocOld(size)) std::memset(p, 0, size);
}

TEST_F(FunctionObjects, AClosuresPrototypeIsMadeInAFullOldSpaceAfterAFullCollection) {
  // The prototype is made in the old space, which never collects to make
  // room; when it is full, a full collection frees what nobody holds and
  // the prototype is made, the function kept, even when a full collection
  // ran before the garbage was taken. Only when the last full collection is
  // fresh (nothing taken since) is the old space really out of room, and
  // system error 8 is raised.
  mainContext();
  FunctionRecord rec;
  for (int round = 0; round < 3; ++round) {
    ObjectRoot fn(newClosure(&rec, nullptr));
    ObjectRoot other(newClosure(&rec, nullptr));
    minorCollect();
    if (round == 1) fullCollect();
    fillOldSpaceWithGarbage();
    ASSERT_EQ(gcTryAllocOld(sizeof(KVobj) + sizeof(Value)), nullptr);
    if (round == 2) {
      // As if the garbage were live data a full collection had just kept.
      gHeap.fullDone = true;
      gHeap.promotedSinceFull = 0;
      gHeap.nurseryAtFull = gHeap.nurseryCursor;
      ASSERT_TRUE(fullCollectionFresh());
      EXPECT_THROW(static_cast<KVfobj*>(fn.get())->constructorPrototype(), RuntimeError);
      EXPECT_EQ(static_cast<KVfobj*>(fn.get())->props.count, 1);
      gHeap.fullDone = false;
      fullCollect();
    }
    KVobj* proto = static_cast<KVfobj*>(fn.get())->constructorPrototype();
    ASSERT_NE(proto, nullptr);
    EXPECT_EQ(prototypeOf(proto), gCore.objectProto);
    EXPECT_EQ(static_cast<KVfobj*>(fn.get())->constructorPrototype(), proto);
    EXPECT_EQ(static_cast<KVfobj*>(other.get())->props.count, 1);
    EXPECT_EQ(verifyHeap(), "");
  }
}

TEST_F(FunctionObjects, AStringObjectIsLaidOutAsTheGeneralPlacementLaysIt) {
  mainContext();
  for (int round = 0; round < 2; ++round) {
    setGcStress(round == 1);
    ObjectRoot fast(newKVstring(stringToHeapText("text")));
    reserveNursery(objectBytes<KVstring>(1));
    auto* general = placeYoungObject<KVstring>(1, gCore.stringProto, kStringClassId);
    auto* s = static_cast<KVstring*>(fast.get());
    general->text = s->text;
    EXPECT_EQ(blockPayloadSize(s), blockPayloadSize(general));
    EXPECT_EQ(blockPayloadSize(s->props.cells.base), blockPayloadSize(general->props.cells.base));
    EXPECT_EQ(bodyImage(s, sizeof(KVstring)), bodyImage(general, sizeof(KVstring))) << round;
    EXPECT_EQ(std::memcmp(s->props.cells.base, general->props.cells.base, sizeof(Value)), 0);
  }
  setGcStress(false);
}

TEST_F(FunctionObjects, ClosuresMadeAndDroppedInThousandsKeepTheirOwnCells) {
  // Closures die together at collections, the blocks of their copies are
  // reused by the next ones, and the nursery is not cleared in between:
  // every closure still held must see exactly the values it captured, and
  // objects made among them must read as fresh.
  KVContext* ctx = mainContext(16, 0);
  constexpr int32_t kMaxCells = 12;  // past the counts whose blocks are kept
  FunctionRecord rec;
  Value cells[kMaxCells];
  ActivationObject act;
  act.cells = cells;
  int32_t heldFrom[16];
  std::fill(std::begin(heldFrom), std::end(heldFrom), -1);
  auto checkHeld = [&](int32_t at) {
    for (int32_t slot = 0; slot < 16; ++slot) {
      int32_t i = heldFrom[slot];
      if (i < 0) continue;
      auto* fn = static_cast<KVfobj*>(ctx->cells[slot].obj);
      ActivationObject* copy = scopeChainAt(fn->environment, 1);
      ASSERT_EQ(copy->cellCount, i % kMaxCells) << at;
      for (int32_t k = 0; k < copy->cellCount; ++k) ASSERT_EQ(copy->cells[k].i, i * 16 + k) << at;
      ASSERT_EQ(scopeChainAt(fn->environment, 2), gGlobalObject) << at;
    }
  };
  for (int32_t i = 0; i < 6000; ++i) {
    act.cellCount = i % kMaxCells;
    for (int32_t k = 0; k < act.cellCount; ++k) cells[k] = Value::makeInt(i * 16 + k);
    KVfobj* fn = newClosure(&rec, chainWith(&act, globalScopeChain()));
    if (i % 3 == 0) {
      int32_t slot = (i / 3 * 7) % 16;
      ctx->cells[slot] = Value::makeObject(fn);
      heldFrom[slot] = i;
    }
    KVobj* obj = newPlainObject();
    ASSERT_EQ(obj->list, nullptr);
    ASSERT_EQ(obj->inlineUsed, 0);
    ASSERT_EQ(obj->props.count, 1);
    if (i % 500 == 499) minorCollect();
    if (i % 2000 == 1999) fullCollect();
    if (i % 100 == 0) checkHeld(i);
  }
  minorCollect();
  fullCollect();
  checkHeld(-1);
  EXPECT_EQ(verifyHeap(), "");
}

TEST_F(FunctionObjects, CapturedCellsLieInTheClosuresBlockUpToTheLimitAndApartBeyondIt) {
  // Closures of 0 to 6 captured variables of every kind of value: up to the
  // limit the cells lie in the closure's own young block (no block outside
  // the heap, no owner to settle), beyond it in a block of their own. Either
  // way the cells follow the closure as minor collections move it, into
  // the old space at last, keep their young objects alive, and a cell
  // reference into them follows the closure too.
  KVContext* ctx = mainContext(16, 0);
  constexpr int32_t kMost = 6;
  for (int32_t stress = 0; stress < 2; ++stress) {
    setGcStress(stress == 1);
    for (int32_t n = 0; n <= kMost; ++n) {
      SCOPED_TRACE(testing::Message() << "stress " << stress << " cells " << n);
      // A record reading the making frame's cells 0..n-1.
      std::vector<VariableRef> vars(static_cast<size_t>(n));
      CodeVector code;
      for (int32_t k = 0; k < n; ++k) {
        vars[static_cast<size_t>(k)].depth = 1;
        vars[static_cast<size_t>(k)].index = -1 - k;
        code.push_back(newNodeLoadVariable(&vars[static_cast<size_t>(k)]));
      }
      FunctionRecord rec;
      rec.body.code = &code;
      ActivationObject act;
      act.cells = ctx->cells;
      act.argCount = kMost;
      act.cellCount = kMost;
      // One value of each kind: integer, float, text object, plain
      // object, null, boolean.
      ctx->cells[0] = Value::makeInt(40 + n);
      ctx->cells[1] = Value::makeFloat(0.5 + n);
      ctx->cells[2] = Value::makeObject(newKVstringFromText("text"));
      ctx->cells[3] = Value::makeObject(newPlainObject());
      ctx->cells[4] = Value::makeNull();
      ctx->cells[5] = Value::makeBool(n % 2 == 0);
      const Value want[kMost] = {ctx->cells[0], ctx->cells[1], ctx->cells[2],
                                 ctx->cells[3], ctx->cells[4], ctx->cells[5]};
      const size_t copyBefore = closureCopyBytes(), ownersBefore = ownerCount();
      KVfobj* fn = newClosureOver(&rec, &act, globalScopeChain());
      ASSERT_TRUE(fn->ownCaptures());
      ASSERT_EQ(fn->capturedCount(), n);
      const bool inlineCells = n <= KVfobj::kInlineCaptureLimit;
      EXPECT_EQ(fn->inlineCaptures(), inlineCells);
      EXPECT_EQ(closureCopyBytes() - copyBefore, inlineCells ? 0 : n * sizeof(Value));
      EXPECT_EQ(ownerCount() - ownersBefore, inlineCells ? 0u : 1u);
      EXPECT_EQ(blockPayloadSize(fn), roundUp8(closureBodyBytes(inlineCells ? n : -1)));
      // The frame's cells change and its objects are held by the closure
      // alone; a cell reference names the last captured cell.
      ctx->cells[8] = Value::makeObject(fn);
      for (int32_t k = 0; k < kMost; ++k) ctx->cells[k] = Value();
      // A frame runs the closure and its code has a cell reference pending
      // into its last captured cell.
      const int32_t refsBefore = ctx->refDepth;
      KVobj* const calleeBefore = ctx->frame->callee;
      ctx->frame->callee = fn;
      if (n > 0) ctx->pushCellRef(fn->captureCells() + (n - 1), 0);
      auto checkCells = [&](const char* when) {
        fn = static_cast<KVfobj*>(ctx->cells[8].obj);
        // Cells in the body start at its last field, and its table follows them.
        if (inlineCells) {
          ASSERT_EQ(fn->captureCells(), fn->inlineCaptureCells()) << when;
          ASSERT_EQ(reinterpret_cast<char*>(fn->inlineCaptureCells()), reinterpret_cast<char*>(&fn->captures))
              << when;
          ASSERT_EQ(fn->props.cells.base, fn->inlineCaptureCells() + n) << when;
        }
        for (int32_t k = 0; k < n; ++k) {
          const Value& got = fn->captureCells()[k];
          ASSERT_EQ(got.tag, want[k].tag) << when << " " << k;
          if (k == 2) {
            ASSERT_STREQ(static_cast<KVstring*>(got.obj)->text, "text") << when;
          }
          if (k == 3) {
            ASSERT_EQ(prototypeOf(got.obj), gCore.objectProto) << when;
          }
          if (k == 0 || k == 5) {
            ASSERT_EQ(got.i, want[k].i) << when;
          }
          if (k == 1) {
            ASSERT_EQ(got.d, want[k].d) << when;
          }
        }
        if (n > 0) {
          const RefRecord& r = ctx->refs[ctx->refDepth - 1];
          ASSERT_EQ(static_cast<Value*>(r.container) + r.key, fn->captureCells() + (n - 1)) << when;
        }
        // The table lies past the cells.
        ASSERT_EQ(prototypeOf(fn), gCore.objectProto) << when;
      };
      checkCells("made");
      minorCollect();
      checkCells("after a minor collection");
      for (int32_t i = 0; i < kPromotionAge + 1; ++i) minorCollect();
      EXPECT_FALSE(isYoung(ctx->cells[8].obj));
      checkCells("in the old space");
      fullCollect();
      checkCells("after a full collection");
      ctx->refDepth = refsBefore;
      ctx->frame->callee = calleeBefore;
      ctx->cells[8] = Value();
      minorCollect();
      fullCollect();
      EXPECT_EQ(closureCopyBytes(), copyBefore);
      EXPECT_EQ(ownerCount(), ownersBefore);
    }
  }
  setGcStress(false);
  EXPECT_EQ(verifyHeap(), "");
}

TEST_F(FunctionObjects, AClosureWithCellsInItsBlockMakesItsPrototypeAndMovesWithIt) {
  // The prototype made later moves the table out of the block; the cells
  // stay in it and still move with the closure.
  KVContext* ctx = mainContext(8, 0);
  VariableRef a{0, 1, nullptr, 1, -1}, b{0, 1, nullptr, 1, -2};
  CodeVector code = {newNodeLoadVariable(&a), newNodeLoadVariable(&b)};
  FunctionRecord rec;
  rec.body.code = &code;
  ActivationObject act;
  act.cells = ctx->cells;
  act.argCount = 2;
  act.cellCount = 2;
  ctx->cells[0] = Value::makeInt(7);
  ctx->cells[1] = Value::makeObject(newPlainObject());
  KVfobj* fn = newClosureOver(&rec, &act, globalScopeChain());
  ASSERT_TRUE(fn->inlineCaptures());
  ctx->cells[4] = Value::makeObject(fn);
  KVobj* proto = fn->constructorPrototype();
  ASSERT_NE(proto, nullptr);
  EXPECT_EQ(fn->tableInline, 0);
  EXPECT_EQ(fn->byteSize(), KVfobj::kInlineCellsAt + 2 * sizeof(Value));
  ctx->cells[1] = Value();
  minorCollect();
  fn = static_cast<KVfobj*>(ctx->cells[4].obj);
  EXPECT_EQ(fn->captureCells(), fn->inlineCaptureCells());
  EXPECT_EQ(fn->captureCells()[0].i, 7);
  ASSERT_EQ(fn->captureCells()[1].tag, kObject);
  EXPECT_EQ(prototypeOf(fn->captureCells()[1].obj), gCore.objectProto);
  EXPECT_EQ(fn->constructorPrototype(), proto);
  EXPECT_EQ(verifyHeap(), "");
}

TEST_F(FunctionObjects, ChainsOfSeveralCopiesFollowTheirObjectsAndAreFreedWithTheirClosures) {
  // A closure made over a closure's own chain copies its copies again, one
  // block per closure; the copies' cells hold young objects that move, and
  // the blocks' bytes go back when the closures die, each once.
  KVContext* ctx = mainContext(8, 0);
  const size_t before = closureCopyBytes();
  FunctionRecord rec;
  Value cells[2];
  ActivationObject act;
  act.cells = cells;
  act.cellCount = 2;
  for (int32_t round = 0; round < 3; ++round) {
    setGcStress(round == 2);
    for (int32_t depth = 0; depth < 4; ++depth) {
      cells[0] = Value::makeInt(round * 10 + depth);
      cells[1] = Value::makeObject(newPlainObject());
      ValueRoot inner(cells[1]);
      ScopeChain* outer = depth == 0 ? globalScopeChain() : static_cast<KVfobj*>(ctx->cells[depth - 1].obj)->environment;
      KVfobj* fn = newClosureOver(&rec, &act, outer);
      ASSERT_TRUE(ownedScopeChain(fn->environment));
      ASSERT_EQ(fn->environment->count, depth + 2);
      ctx->cells[depth] = Value::makeObject(fn);
      cells[1] = inner.get();
    }
    for (int32_t i = 0; i < 3; ++i) minorCollect();
    fullCollect();
    for (int32_t depth = 0; depth < 4; ++depth) {
      auto* fn = static_cast<KVfobj*>(ctx->cells[depth].obj);
      for (int32_t k = 1; k <= depth + 1; ++k) {
        ActivationObject* copy = scopeChainAt(fn->environment, k);
        ASSERT_EQ(copy->cells[0].i, round * 10 + depth + 1 - k) << depth << " " << k;
        ASSERT_EQ(copy->cells[1].tag, kObject);
        ASSERT_EQ(prototypeOf(copy->cells[1].obj), gCore.objectProto);
      }
      ASSERT_EQ(scopeChainAt(fn->environment, depth + 2), gGlobalObject);
    }
    // Each block: the chain's count and epoch and its entries, then a copy
    // (16 bytes and two cells) per entry that is not the global object.
    size_t held = 0;
    for (size_t depth = 0; depth < 4; ++depth) held += 8 + 8 * (depth + 2) + (depth + 1) * (16 + 2 * sizeof(Value));
    EXPECT_EQ(closureCopyBytes() - before, held);
    for (int32_t depth = 0; depth < 4; ++depth) ctx->cells[depth] = Value();
    minorCollect();
    fullCollect();
    EXPECT_EQ(closureCopyBytes(), before);
  }
  setGcStress(false);
  EXPECT_EQ(verifyHeap(), "");
}

TEST_F(FunctionObjects, AClosureIsNotedForTheShortCallAsItsFirstCallWouldNoteIt) {
  // A closure comes out with the call kind and frame layout the first call
  // would note (markPlainCallee on the same object); records the short
  // call declines (generators, natives, no records, too many cells) leave
  // it unnoted.
  CodeVector code;
  struct Case {
    const char* name;
    bool withCode, native, generator;
    size_t params, locals;
  };
  const Case cases[] = {
      {"no cells", true, false, false, 0, 0},
      {"parameters and locals", true, false, false, 2, 3},
      {"255 cells", true, false, false, 200, 55},
      {"256 cells", true, false, false, 200, 56},
      {"generator", true, false, true, 1, 1},
      {"no records", false, false, false, 1, 0},
      {"native", true, true, false, 1, 0},
  };
  for (const Case& c : cases) {
    FunctionRecord rec;
    rec.body.code = c.withCode ? &code : nullptr;
    rec.body.native = c.native ? +[](KVContext*) {} : nullptr;
    rec.generator = c.generator ? 1 : 0;
    rec.params.assign(c.params, 0);
    rec.locals.assign(c.locals, 0);
    KVfobj* fn = newClosure(&rec, nullptr);
    const uint8_t kind = fn->callKind, params = fn->frameParams, cells = fn->frameCells;
    fn->callKind = 0;
    fn->frameParams = fn->frameCells = 0;
    const bool plain = markPlainCallee(fn, false);
    EXPECT_EQ(kind, plain ? kPlainScript : 0) << c.name;
    EXPECT_EQ(kind, fn->callKind) << c.name;
    EXPECT_EQ(params, fn->frameParams) << c.name;
    EXPECT_EQ(cells, fn->frameCells) << c.name;
  }
}

TEST_F(FunctionObjects, ClosuresHoldJustTheOuterVariablesTheirCodeReads) {
  // A record whose code reads two variables of the making frame, one of
  // the global object and, through a function made inside it, one more
  // of the making frame: its closures hold three cells, taken when made,
  // and run on the shared chain; the inner record takes its cells from
  // the outer closure's. A closure made over a scope of another shape
  // copies activations instead.
  // The making frame's cells are the context's, which collections visit.
  KVContext* ctx = mainContext(8, 0);
  VariableRef a{0, 1, nullptr, 1, -1}, b{0, 1, nullptr, 1, 0}, g{0, 1, nullptr, 2, 0}, own{0, 1, nullptr, 0, 0};
  VariableRef innerA{0, 1, nullptr, 2, -1}, innerC{0, 1, nullptr, 2, 1}, innerB{0, 1, nullptr, 2, 0};
  FunctionRecord inner;
  CodeVector innerCode = {newNodeLoadVariable(&innerA), newNodeLoadVariable(&innerC), newNodeLoadVariable(&innerB)};
  inner.body.code = &innerCode;
  FunctionRecord outer;
  CodeVector outerCode = {newNodeLoadVariable(&a), newNodeLoadVariable(&own), newNodeLoadVariable(&b),
                          newNodeLoadVariable(&g), newNodeMakeClosure(&inner)};
  outer.body.code = &outerCode;
  outer.locals = {0};
  Value* cells = ctx->cells;
  ActivationObject act;
  act.cells = cells;
  act.argCount = 1;
  act.cellCount = 3;
  for (int32_t round = 0; round < 2; ++round) {
    setGcStress(round == 1);
    minorCollect();
    fullCollect();
    const size_t before = closureCopyBytes();
    cells[0] = Value::makeInt(10 + round);
    cells[1] = Value::makeObject(newPlainObject());
    cells[2] = Value::makeInt(30 + round);
    KVfobj* fn = newClosureOver(&outer, &act, globalScopeChain());
    ObjectRoot keep(fn);
    ASSERT_TRUE(fn->ownCaptures());
    // The making frame's parameter, its local 0 and its local 1 (read by
    // the inner function only), in that order; the global object's
    // variable stays in the chain.
    ASSERT_EQ(outer.captureSources.size(), 3u);
    // Three cells lie in the closure's own block, none outside the heap.
    EXPECT_EQ(closureCopyBytes(), before);
    EXPECT_EQ(fn->captureCells(), fn->inlineCaptureCells());
    EXPECT_EQ(blockPayloadSize(fn), roundUp8(closureBodyBytes(3)));
    EXPECT_EQ(a.captured, 0);
    EXPECT_EQ(b.captured, 1);
    EXPECT_EQ(g.captured, -1);
    EXPECT_EQ(own.captured, -1);
    EXPECT_EQ(fn->callScope()->count, 2);
    EXPECT_EQ(scopeChainAt(fn->callScope(), 2), gGlobalObject);
    EXPECT_EQ(scopeChainAt(fn->callScope(), 1)->cellCount, 0);
    // Later writes to the frame are not seen; the object moves with
    // collections and the cell follows it.
    cells[0] = Value::makeInt(99);
    minorCollect();
    fn = static_cast<KVfobj*>(keep.get());
    EXPECT_EQ(fn->captureCells()[0].i, 10 + round);
    ASSERT_EQ(fn->captureCells()[1].tag, kObject);
    EXPECT_EQ(fn->captureCells()[1].obj, cells[1].obj);
    EXPECT_EQ(fn->captureCells()[2].i, 30 + round);
    // The inner function, made in a call of fn, takes its outer cells from fn.
    ActivationObject innerAct;
    innerAct.cells = ctx->cells + 4;
    innerAct.cellCount = 1;
    KVfobj* in = newClosureOver(&inner, &innerAct, fn->callScope(), fn);
    fn = static_cast<KVfobj*>(keep.get());
    ASSERT_TRUE(in->ownCaptures());
    ASSERT_EQ(inner.captureSources.size(), 3u);
    EXPECT_EQ(innerA.captured, 0);
    EXPECT_EQ(innerC.captured, 1);
    EXPECT_EQ(innerB.captured, 2);
    EXPECT_EQ(in->captureCells()[0].i, 10 + round);
    EXPECT_EQ(in->captureCells()[1].i, 30 + round);
    EXPECT_EQ(in->captureCells()[2].obj, fn->captureCells()[1].obj);
    // Another shape (one more activation before the global object):
    // activations are copied.
    ActivationObject extra;
    extra.cells = ctx->cells + 5;
    extra.cellCount = 1;
    ScopeChain* other = chainWith(&extra, globalScopeChain());
    KVfobj* copying = newClosureOver(&outer, &act, other);
    EXPECT_FALSE(copying->ownCaptures());
    EXPECT_TRUE(ownedScopeChain(copying->environment));
    cells[1] = Value();
    minorCollect();
    fullCollect();
    EXPECT_EQ(verifyHeap(), "");
  }
  setGcStress(false);
  // The last round's closures outlive their records (a program's code can
  // go before its heap does): they give back their cells without them.
}

}  // namespace
}  // namespace kvtest
