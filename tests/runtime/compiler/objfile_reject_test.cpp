// Crafted object files: each malformed or hostile file is refused with its
// numbered detail in the log, and never crashes the reader.
#include <string>

#include "runtime/compiler/source_files.h"
#include "runtime/vm/atoms.h"
#include "tests/runtime/compiler/objfile_fixture.h"

namespace kvtest {
namespace {

using namespace kv;

class ObjfileRejectTest : public ObjfileTest {
 protected:
  // Reads the bytes as a required file; answers the log lines it added.
  std::string readBack(const Bytes& b, bool expectLoaded = false) {
    writeBytes("c.obj", b);
    freshLog();
    size_t before = 0;
    std::optional<LoadedProgram> p = readObjFile("c.obj", true);
    EXPECT_EQ(p.has_value(), expectLoaded) << logText().substr(before);
    return logText().substr(before);
  }
  void expectDetail(const Craft& c, int32_t detail) {
    std::string log = readBack(c.bytes());
    std::string line = "ERROR: (Ex8001) obj-file corrupted(" + std::to_string(detail) + ")";
    EXPECT_NE(log.find(line), std::string::npos) << "expected " << line << " in:\n" << log;
    EXPECT_NE(log.find("System: error within the OBJ-file."), std::string::npos);
  }
};

Bytes i32s(std::initializer_list<int32_t> v) {
  Bytes b;
  for (int32_t x : v) put32(b, static_cast<uint32_t>(x));
  return b;
}
Bytes i16s(std::initializer_list<int32_t> v) {
  Bytes b;
  for (int32_t x : v) put16(b, static_cast<uint32_t>(x));
  return b;
}

TEST_F(ObjfileRejectTest, MinimalFileLoadsAndLogsItsVersion) {
  std::string log = readBack(Craft::minimal().bytes(), true);
  EXPECT_NE(log.find("System: reading OBJ-file 'c.obj'."), std::string::npos);
  EXPECT_NE(log.find("OBJ-file: OBJ-file version 0.1.44"), std::string::npos);
}

TEST_F(ObjfileRejectTest, VersionsFormatsAndFeatures) {
  Craft c = Craft::minimal();
  c.version[2] = 45;
  std::string log = readBack(c.bytes(), true);
  EXPECT_NE(log.find("(Wc0003)"), std::string::npos) << log;
  EXPECT_NE(log.find("processing a obj-file with newer version ()"), std::string::npos) << log;
  c = Craft::minimal();
  c.version[1] = 0;
  c.version[2] = 99;
  log = readBack(c.bytes(), true);
  EXPECT_EQ(log.find("(Wc0003)"), std::string::npos) << log;
  EXPECT_NE(log.find("OBJ-file version 0.0.99"), std::string::npos);

  c = Craft::minimal();
  c.format = 104;
  EXPECT_NE(readBack(c.bytes()).find("ERROR: (Ex8002) an imcompatible old obj-file"), std::string::npos);
  c.format = 106;
  EXPECT_NE(readBack(c.bytes()).find("ERROR: (Ex8003) an imcompatible newer obj-file"), std::string::npos);
  c.format = 105;
  c.feature = 1;
  EXPECT_NE(readBack(c.bytes()).find("ERROR: (Ex8004) system lacks some features; cannot process the obj-file(1000)"),
            std::string::npos);
}

TEST_F(ObjfileRejectTest, MissingFile) {
  size_t before = logText().size();
  EXPECT_FALSE(readObjFile("absent.obj", false));
  std::string log = logText().substr(before);
  EXPECT_NE(log.find("System: no OBJ-file found."), std::string::npos);
  EXPECT_EQ(log.find("ERROR"), std::string::npos);
  before = logText().size();
  EXPECT_FALSE(readObjFile("absent.obj", true));
  log = logText().substr(before);
  size_t a = log.find("System: no OBJ-file found."), b = log.find("ERROR: (Ex8000) obj-file cannot open"),
         c = log.find("System: error within the OBJ-file.");
  ASSERT_NE(c, std::string::npos) << log;
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
}

TEST_F(ObjfileRejectTest, OptionalAndRequiredSections) {
  Craft c = Craft::minimal();
  c.add(17, Bytes(128, 1));
  c.add(34, {1, 0, 7, 0, 0, 0, 'v', 0});
  readBack(c.bytes(), true);
  EXPECT_EQ(programNameTable().names.find("v"), 7);
  // Source names, read though never written.
  Bytes sources = {2, 0};
  putText(sources, "a.kvj");
  putText(sources, "b.kvj");
  c.add(16, sources);
  readBack(c.bytes(), true);
  EXPECT_EQ(sourceNameTable[1], "b.kvj");
  sources = {1, 0};
  putText(sources, std::string(300, 'a'));
  c.find(16)->body = sources;
  c.find(16)->length = static_cast<int32_t>(sources.size());
  expectDetail(c, 17);
  for (int tag : {20, 32, 126, 127, 128}) {
    c = Craft::minimal();
    c.remove(tag);
    SCOPED_TRACE(tag);
    expectDetail(c, 4);
  }
}

TEST_F(ObjfileRejectTest, LayoutDetails) {
  Bytes good = Craft::minimal().bytes();
  Bytes b = good;
  b[3] = 'x';
  EXPECT_NE(readBack(b).find("corrupted(1)"), std::string::npos);
  EXPECT_NE(readBack(Bytes(good.begin(), good.begin() + 15)).find("corrupted(1)"), std::string::npos);
  b = good;
  b[16] = 1;  // information header's tag
  EXPECT_NE(readBack(b).find("corrupted(2)"), std::string::npos);
  b = good;
  b[20] = 127;  // information length
  EXPECT_NE(readBack(b).find("corrupted(2)"), std::string::npos);
  EXPECT_NE(readBack(Bytes(good.begin(), good.begin() + 100)).find("corrupted(2)"), std::string::npos);
  EXPECT_NE(readBack(Bytes(good.begin(), good.begin() + 16 + 136 + 3)).find("corrupted(3)"), std::string::npos);

  Craft c = Craft::minimal();
  c.add(18, {});
  expectDetail(c, 4);
  c = Craft::minimal();
  c.find(126)->length = 12;  // declared longer than its content
  expectDetail(c, 4);
  c = Craft::minimal();
  c.find(20)->length = 6;
  expectDetail(c, 4);
  c = Craft::minimal();
  c.add(17, {});
  expectDetail(c, 7);
  c = Craft::minimal();
  c.add(17, Bytes(1028, 0));
  expectDetail(c, 7);
  c = Craft::minimal();
  c.find(126)->body = i32s({-1, 1});
  expectDetail(c, 4);
  c = Craft::minimal();
  c.find(126)->body = i32s({0, 0});
  expectDetail(c, 4);
  c = Craft::minimal();
  c.add(16, {0, 0});
  expectDetail(c, 4);
}

TEST_F(ObjfileRejectTest, RowsAndStreams) {
  Craft c = Craft::minimal();
  c.find(127)->body = i16s({40000, 0, 0, 0});
  c.find(127)->length = 8;
  expectDetail(c, 8);
  c.find(127)->body = i16s({0, 40000, 0, 0});
  expectDetail(c, 9);
  c.find(127)->body = i16s({0, 0, 0});
  c.find(127)->length = 6;
  expectDetail(c, 4);

  c = Craft::minimal();
  c.streams({{9, {}}});
  expectDetail(c, 11);
  c = Craft::minimal();
  c.streams({{1, {1, 2, 3}}});
  expectDetail(c, 4);
  // A sub-header cut by the end of the file.
  c = Craft::minimal();
  Bytes b = c.bytes();
  size_t streamsAt = b.size() - 8 - 8 - 4 - 4 - 8;
  Bytes cut(b.begin(), b.begin() + static_cast<long>(streamsAt) + 4);
  EXPECT_NE(readBack(cut).find("corrupted(10)"), std::string::npos);
  // A string longer than its place.
  c = Craft::minimal({word({PushString, End})});
  Bytes text(300, 'a');
  text.push_back(0);
  c.streams({{3, text}});
  expectDetail(c, 17);
}

TEST_F(ObjfileRejectTest, ExhaustedStreamsNameTheirElement) {
  struct Case {
    int32_t kind;
    int32_t detail;
  };
  for (Case k : {Case{PushInt, 12}, Case{PushDouble, 13}, Case{PushString, 17}, Case{PushBool, 15},
                 Case{Jump117, 14}, Case{GetIndexed, 15}}) {
    SCOPED_TRACE(k.kind);
    expectDetail(Craft::minimal({word({k.kind, End})}), k.detail);
  }
  Craft c = Craft::minimal({word({LoadVariable, End})});
  c.streams({{6, {1}}, {8, {0}}});
  expectDetail(c, 14);  // the slot is missing
  c.streams({{6, {1}}});
  expectDetail(c, 15);  // the depth is missing
}

TEST_F(ObjfileRejectTest, CodeDetails) {
  expectDetail(Craft::minimal({0x80000000u}), 20);
  expectDetail(Craft::minimal({word({Nop111}) + 202 * 48400}), 21);  // a second digit of 202
  for (int32_t kind : std::initializer_list<int32_t>{10, 31, 92, JumpIf, CallIntrinsic, WaitForbidden, Jump165}) {
    SCOPED_TRACE(kind);
    expectDetail(Craft::minimal({word({kind, End})}), 21);
  }
  expectDetail(Craft::minimal({word({Label, End})}), 1000);
  Craft c = Craft::minimal();
  c.functions.clear();
  expectDetail(c, 5);
  expectDetail(Craft::minimal({0}), 5);
  expectDetail(Craft::minimal({word({PushNull})}), 6);
  c = Craft::minimal();
  Bytes b = c.bytes();
  b[b.size() - 8] = 6;  // main's length is not a whole number of words
  EXPECT_NE(readBack(b).find("corrupted(4)"), std::string::npos);
}

TEST_F(ObjfileRejectTest, AtomReferences) {
  Craft c = Craft::minimal({word({GetMember, End})});
  c.streams({{1, i32s({-100})}, {6, {1}}});
  expectDetail(c, 18);
  Bytes names = {1, 0};
  putText(names, "zq");
  c.remove(32);
  c.add(32, names);
  readBack(c.bytes(), true);
  c.streams({{1, i32s({-101})}, {6, {1}}});
  expectDetail(c, 18);
  // Export atoms are resolved once every section is read.
  c = Craft::minimal();
  c.remove(20);
  c.add(32, names);
  c.sections.insert(c.sections.begin(), {20, Bytes{1, 0, 0x9C, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, 10});
  c.remove(32);
  c.add(32, names);
  readBack(c.bytes(), true);
  c.sections[0].body = Bytes{1, 0, 0x9B, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  expectDetail(c, 18);
  c.sections[0].body = Bytes{1, 0, 0x9C, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0};  // no local 5
  expectDetail(c, 4);
}

// Operands the interpreter trusts are checked against the code they are in.
TEST_F(ObjfileRejectTest, OperandsOutsideTheirFunction) {
  Craft c = Craft::minimal({word({Jump117, End})});
  c.streams({{5, i16s({3})}});
  expectDetail(c, 4);
  c.streams({{5, i16s({-1})}});
  expectDetail(c, 4);
  c.streams({{5, i16s({1})}});
  readBack(c.bytes(), true);
  c = Craft::minimal({word({JumpToHandlerIfThrown, End})});
  c.streams({{5, i16s({-1})}});
  readBack(c.bytes(), true);
  c.streams({{5, i16s({-3})}});
  expectDetail(c, 4);
  c = Craft::minimal({word({LoadGlobal, End})});
  c.streams({{1, i32s({8 << 16})}});
  expectDetail(c, 4);
  c.streams({{1, i32s({256})}});
  expectDetail(c, 4);
  c = Craft::minimal({word({LoadVariable, End})});
  c.streams({{6, {1}}, {7, i16s({1})}, {8, {0}}});  // one global: local 1 is none
  expectDetail(c, 4);
  c.streams({{6, {1}}, {7, i16s({-2})}, {8, {0}}});  // one built-in symbol
  expectDetail(c, 4);
  c.streams({{6, {1}}, {7, i16s({0})}, {8, {1}}});  // main has no enclosing scope
  expectDetail(c, 4);
  c.streams({{6, {1}}, {7, i16s({0})}, {8, {0xFF}}});
  expectDetail(c, 4);
  c = Craft::minimal({word({Switch, End})});
  c.streams({{1, i32s({1, 5})}, {4, {0}}, {5, i16s({1, 9})}});
  expectDetail(c, 4);
  c.streams({{1, i32s({0})}, {4, {10}}, {5, i16s({1})}});
  expectDetail(c, 4);
}

TEST_F(ObjfileRejectTest, ClosuresMatchFunctionsAndRows) {
  Craft c = Craft::minimal({word({MakeClosure, End})});
  c.functions.push_back({word({ReturnUndefined})});
  c.find(127)->body = i16s({0, 0, 0, 0});
  c.find(127)->length = 8;
  readBack(c.bytes(), true);
  c.functions.push_back({word({ReturnUndefined})});  // a function no closure makes
  expectDetail(c, 4);
  c.functions.pop_back();
  c.find(127)->body = {};
  c.find(127)->length = 0;  // no row for it
  expectDetail(c, 4);
  // Slot vectors far beyond what the file's size accounts for.
  c = Craft::minimal({word({MakeClosure, MakeClosure, MakeClosure, End})});
  c.find(127)->body.clear();
  for (int i = 0; i < 3; ++i) {
    c.functions.push_back({word({ReturnUndefined})});
    Bytes row = i16s({32768, 32768, 0, 0});
    c.find(127)->body.insert(c.find(127)->body.end(), row.begin(), row.end());
  }
  c.find(127)->length = 24;
  expectDetail(c, 4);
  // Nesting deeper than 15.
  c = Craft::minimal({word({MakeClosure, End})});
  Bytes rows;
  for (int i = 0; i < 16; ++i) {
    c.functions.push_back({word({MakeClosure, ReturnUndefined})});
    rows.insert(rows.end(), 8, 0);
  }
  c.functions.back() = {word({ReturnUndefined})};
  c.find(127)->body = rows;
  c.find(127)->length = static_cast<int32_t>(rows.size());
  expectDetail(c, 4);
  c.functions.pop_back();
  rows.resize(rows.size() - 8);
  c.functions.back() = {word({ReturnUndefined})};
  c.find(127)->body = rows;
  c.find(127)->length = static_cast<int32_t>(rows.size());
  readBack(c.bytes(), true);
}

TEST_F(ObjfileRejectTest, EveryCutOfAValidFileIsAnError) {
  Craft c = Craft::minimal({word({PushString, PushInt, Pop137, End})});
  c.streams({{1, i32s({4})}, {3, {'s', 0}}});
  c.add(17, Bytes(128, 3));
  Bytes whole = c.bytes();
  readBack(whole, true);
  for (size_t n = 0; n < whole.size(); ++n) {
    std::string log = readBack(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)));
    EXPECT_NE(log.find("ERROR: (Ex8001) obj-file corrupted("), std::string::npos) << "cut at " << n;
  }
}

}  // namespace
}  // namespace kvtest
