// The object file's exact bytes for hand-made programs, and round trips of
// every operand the format carries.
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>
#include <string>

#include "runtime/vm/atoms.h"
#include "tests/runtime/compiler/objfile_fixture.h"
#include "tests/runtime/compiler/objfile_listing.h"

namespace kvtest {
namespace {

using namespace kv;

// Section header and body, as the format lays them out.
Bytes section(int tag, const Bytes& body) {
  Bytes b;
  put16(b, static_cast<uint32_t>(tag));
  put16(b, 0);
  put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

TEST_F(ObjfileTest, VarDeclarationWritesTheExactLayout) {
  writeObjFile(varX(), "game/main.kvj");
  Bytes file = fileBytes("main.obj");
  ASSERT_GT(file.size(), kFillerBody + 128);

  Bytes head = {'H', 'L', 'V', 'R', 'o', 'b', 'j', 0, 0, 0, 0, 0, 1, 0, 44, 0};
  Bytes info(128, 0);
  info[0] = 105;
  Bytes s = section(0, info);
  head.insert(head.end(), s.begin(), s.end());
  put32(head, 17);
  put32(head, 128);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + kFillerBody), head);
  for (size_t i = 0; i < 32; ++i) EXPECT_LT(file[kFillerBody + 4 * i + 3], 0x80) << "filler word " << i;

  Bytes rest;
  s = section(20, {0, 0});
  rest.insert(rest.end(), s.begin(), s.end());
  Bytes names;
  std::vector<std::string> below;
  for (const auto& [name, id] : atomTable().names.entries())
    if (id < atomTable().lastItemId) below.push_back(name);
  put16(names, static_cast<uint32_t>(below.size()));
  for (const std::string& n : below) putText(names, n);
  for (const Bytes& b : {section(32, names), section(34, {0, 0}), section(126, {1, 0, 0, 0, 1, 0, 0, 0}),
                         section(127, {})})
    rest.insert(rest.end(), b.begin(), b.end());
  Bytes streams;
  for (uint32_t v : {1u, 4u, 5u}) put32(streams, v);
  for (uint32_t v : {6u, 1u}) put32(streams, v);
  streams.push_back(2);
  for (uint32_t v : {7u, 2u}) put32(streams, v);
  put16(streams, 0);
  for (uint32_t v : {8u, 1u}) put32(streams, v);
  streams.push_back(0);
  for (uint32_t v : {10u, 0u}) put32(streams, v);
  ASSERT_EQ(streams.size(), 48u);
  s = section(128, streams);
  rest.insert(rest.end(), s.begin(), s.end());
  for (uint32_t v : {0x000400FFu, 0xFFFFFFFFu, 1u, 8u, 949280558u, 2140248000u}) put32(rest, v);
  EXPECT_EQ(Bytes(file.begin() + kFillerBody + 128, file.end()), rest);
}

TEST_F(ObjfileTest, NestedFunctionPacksWordsRowsAndStreams) {
  writeObjFile(addFunction(), nullptr);
  Bytes file = fileBytes("main.obj");
  // The tail: rows, streams and code.
  Bytes tail = section(127, {2, 0, 0, 0, 0, 0, 0, 0});
  Bytes streams;
  for (uint32_t v : {6u, 3u}) put32(streams, v);
  streams.insert(streams.end(), {2, 1, 1});
  for (uint32_t v : {7u, 6u}) put32(streams, v);
  for (uint32_t v : {0u, 0xFFFFu, 0xFFFEu}) put16(streams, v);
  for (uint32_t v : {8u, 3u}) put32(streams, v);
  streams.insert(streams.end(), {0, 0, 0});
  for (uint32_t v : {10u, 0u}) put32(streams, v);
  ASSERT_EQ(streams.size(), 44u);
  Bytes s = section(128, streams);
  tail.insert(tail.end(), s.begin(), s.end());
  for (uint32_t v : {0x000400FFu, 0xFFFFFFFFu, 2u, 8u, 0x5ED3186Bu, 0x582A1310u, 8u, 0x38BE4D84u, 0x18C08C40u})
    put32(tail, v);
  ASSERT_GE(file.size(), tail.size());
  EXPECT_EQ(Bytes(file.end() - static_cast<long>(tail.size()), file.end()), tail);
}

TEST_F(ObjfileTest, ThreeRecordsFillOneWordAndFourTwo) {
  for (int n : {3, 4}) {
    auto* code = own(new CodeVector);
    for (int i = 1; i < n; ++i) code->push_back(newNodePushNull());
    code->push_back(newNodeEnd(nullptr));
    writeObjFile(programOf(code, 1, 0), "t.kvj");
    Bytes file = fileBytes("t.obj");
    size_t words = n == 3 ? 1 : 2;
    Bytes tail;
    put32(tail, 1);
    put32(tail, static_cast<uint32_t>(words * 4));
    if (n == 3) put32(tail, word({PushNull, PushNull, End}));
    else {
      put32(tail, word({PushNull, PushNull, PushNull, End}));
      put32(tail, 0);
    }
    EXPECT_EQ(Bytes(file.end() - static_cast<long>(tail.size()), file.end()), tail) << n << " records";
  }
}

TEST_F(ObjfileTest, ObjectFileIsNamedAfterItsSource) {
  EXPECT_EQ(objFileNameFor("game/stage1.kvj"), "stage1.obj");
  EXPECT_EQ(objFileNameFor("a\\b.c\\x.y.kvj"), "x.y.obj");
  EXPECT_EQ(objFileNameFor("plain"), "plain.obj");
  EXPECT_EQ(objFileNameFor("game/"), "main.obj");
  EXPECT_EQ(objFileNameFor(""), "main.obj");
}

// Every carried operand, read back in a table whose ids differ from the
// writer's, as in another process.
TEST_F(ObjfileTest, EveryOperandRoundTripsUnderOtherAtomIds) {
  int32_t zqa = internAtom("zqa"), zqb = internAtom("zqb");
  auto* cases = own(new CaseTable(at(10)));
  cases->addCase(at(7), 1);
  cases->addDefault(at(2));  // not last: never taken, left out
  cases->addCase(at(8), -2);
  cases->addDefault(at(9));
  auto* inner = own(new CodeVector{withFlags(newNodeLoadVariable(var(1, 0)), kPushValue),
                               withFlags(newNodeLoadVariable(var(0, -1)), kPushValue),
                               newNodeStoreCaught129(var(0, 0), nullptr), newNodeReturnUndefined(nullptr)});
  auto* rec = own(new FunctionRecord{Callable{nullptr, inner, nullptr}, NameVector(1, 0), NameVector(1, 0), 1, 0});
  CodeNode* jumpIfThrown = newNodeJumpIfThrown(nullptr, nullptr);
  jumpIfThrown->operand.i = -1;
  CodeNode* jump = newNodeJump117(nullptr);
  jump->operand.i = 3;
  auto* main = own(new CodeVector{newNodePushDouble(2.5),
                              newNodePushString("hi"),
                              newNodePushBool(1),
                              withFlags(newNodeGetMember(zqa), kPushValue),
                              newNodeDefineMember(zqb),
                              newNodeLoadGlobal(0x10001),
                              newNodeSwitch(cases),
                              newNodeBranch(newLabelTriple(nullptr, at(8), at(9))),
                              newNodeThrow(1, nullptr),
                              newNodeJumpToHandlerIfThrown(at(-1)),
                              newNodeImport("m.kvj", nullptr),
                              withFlags(newNodeImport("n.kvj", var(0, 2)), kPushReference),
                              jumpIfThrown,
                              jump,
                              newNodeMakeClosure(rec),
                              newNodeStoreCaught129(var(0, -2), nullptr),
                              newNodePushInt32(-7),
                              newNodeEnd(own(new ExportList{{zqa, 0}, {zqb, -1}}))});
  writeObjFile(programOf(main, 2, 3), "r.kvj");
  std::vector<std::string> written = carriedListing(*main);

  initAtomTables();
  internAtom("shifts");
  internAtom("every");
  internAtom("id");
  internAtom("here");
  std::optional<LoadedProgram> p = readObjFile("r.obj", true);
  ASSERT_TRUE(p) << logText();
  EXPECT_EQ(p->firstCount, 2);
  EXPECT_EQ(p->secondCount, 3);
  const CodeVector& loaded = *p->main->code;
  EXPECT_NE(lookupAtom("zqa"), zqa);
  EXPECT_EQ(loaded[3]->operand.i, lookupAtom("zqa"));
  EXPECT_EQ(loaded[4]->operand.i, lookupAtom("zqb"));
  EXPECT_EQ(loaded[3]->second.cache->classId, -1);
  EXPECT_EQ(loaded[3]->second.cache->slot, -1);
  const ExportList& exports = *loaded.back()->second.exports;
  ASSERT_EQ(exports.size(), 2u);
  EXPECT_EQ(exports[0].atom, lookupAtom("zqa"));
  EXPECT_EQ(exports[1].atom, lookupAtom("zqb"));
  EXPECT_EQ(carriedListing(loaded), written);
  EXPECT_EQ(loaded[10]->second.var, nullptr);  // the import without a variable stays without one
  EXPECT_EQ(loaded[8]->first.label, nullptr);  // no handler: the throw goes on
  ASSERT_NE(loaded[9]->first.label, nullptr);  // a handler at -1: leave the function
  EXPECT_EQ(loaded[9]->first.label->position, -1);
  EXPECT_EQ(loaded[0]->fileIndex, 0);
  EXPECT_EQ(loaded[0]->line, 0);
}

TEST_F(ObjfileTest, WidestCarriedProgramsRoundTripAndWiderOnesAreRefused) {
  auto longRun = [](size_t n) {
    auto* code = own(new CodeVector);
    for (size_t i = 1; i < n; ++i) code->push_back(newNodePushNull());
    code->push_back(newNodeEnd(nullptr));
    return code;
  };
  writeObjFile(programOf(longRun(8188), 1, 0), "long.kvj");
  std::optional<LoadedProgram> p = readObjFile("long.obj", true);
  ASSERT_TRUE(p) << logText();
  EXPECT_EQ(p->main->code->size(), 8188u);

  writeObjFile(programOf(longRun(32767), 1, 0), "widest.kvj");
  ASSERT_TRUE(readObjFile("widest.obj", true));

  try {
    writeObjFile(programOf(longRun(32768), 1, 0), "wide.kvj");
    ADD_FAILURE() << "a function of 32768 records was written";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, 23);
  }
  EXPECT_FALSE(std::filesystem::exists("wide.obj"));
  EXPECT_FALSE(std::filesystem::exists("wide.obj.tmp"));

  std::string name63(63, 'n');
  int32_t id = internAtom(name63.c_str());
  writeObjFile(programOf(own(new CodeVector{newNodeGetMember(id), newNodeEnd(nullptr)}), 1, 0), "name.kvj");
  initAtomTables();
  p = readObjFile("name.obj", true);
  ASSERT_TRUE(p) << logText();
  EXPECT_EQ((*p->main->code)[0]->operand.i, lookupAtom(name63.c_str()));

  internAtom(std::string(64, 'n').c_str());
  EXPECT_THROW(writeObjFile(programOf(longRun(2), 1, 0), "toolong.kvj"), RuntimeError);
  EXPECT_FALSE(std::filesystem::exists("toolong.obj"));
}

TEST_F(ObjfileTest, FailedWriteKeepsTheEarlierFile) {
  writeObjFile(varX(), nullptr);
  Bytes earlier = fileBytes("main.obj");

  std::filesystem::create_directory("main.obj.tmp");  // the temporary file cannot be made
  try {
    writeObjFile(varX(), nullptr);
    ADD_FAILURE() << "the write reported success";
  } catch (const ObjfileError& e) {
    EXPECT_EQ(e.kind, 0);
    EXPECT_EQ(e.detail, -1);
  }
  EXPECT_NE(logText().find("ERROR: (Ex8000) obj-file cannot open"), std::string::npos);
  EXPECT_EQ(fileBytes("main.obj"), earlier);
  std::filesystem::remove("main.obj.tmp");

  // A write that fails part-way: the file-size limit is far below the file.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    bool refused = false;
    try {
      writeObjFile(varX(), nullptr);
    } catch (const ObjfileError& e) {
      refused = e.kind == 0;
    }
    _exit(refused && fileBytes("main.obj") == earlier && !std::filesystem::exists("main.obj.tmp") ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace kvtest
