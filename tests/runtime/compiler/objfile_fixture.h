// Object-file tests: a fresh object system, the log and the working folder in
// a temporary directory, and a builder that crafts files section by section.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/compiler/objfile.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/code.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"

namespace kvtest {

using Bytes = std::vector<uint8_t>;

// What a test builds by hand lives until the test ends.
inline std::vector<std::shared_ptr<void>>& ownedByTest() {
  static std::vector<std::shared_ptr<void>> owned;
  return owned;
}
template <class T>
T* own(T* p) {
  ownedByTest().emplace_back(std::shared_ptr<T>(p));
  return p;
}

class ObjfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::initGcHeap();
    kv::closeLogFile();
    kv::resetWarningLimiter();
    char tmpl[] = "/tmp/kv-obj-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    ASSERT_TRUE(kv::openLogFile((dir_ + "/kvlog.txt").c_str()));
    kv::bootstrapObjectSystem();
    kv::resetObjAtomTable();
  }
  void TearDown() override {
    kv::releaseLoadedProgramsForTests();
    ownedByTest().clear();
    kv::initGcHeap();
    kv::closeLogFile();
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  // The log keeps to a size budget; long tests start it afresh.
  void freshLog() {
    kv::closeLogFile();
    std::filesystem::remove(dir_ + "/kvlog.txt");
    ASSERT_TRUE(kv::openLogFile((dir_ + "/kvlog.txt").c_str()));
  }
  std::string logText() const {
    std::ifstream in(dir_ + "/kvlog.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static Bytes fileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void writeBytes(const std::string& name, const Bytes& b) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }

  std::string dir_;
  std::filesystem::path old_;
};

// Hand-made programs.
inline kv::VariableRef* var(int32_t depth, int32_t index) { return own(new kv::VariableRef{0, 1, nullptr, depth, index}); }
inline kv::LabelSlot* at(int32_t position) { return own(new kv::LabelSlot{0, position}); }
inline kv::CodeNode* withFlags(kv::CodeNode* n, uint16_t flags) {
  n->flags = flags;
  return n;
}

inline kv::LoadedProgram programOf(kv::CodeVector* code, int32_t first, int32_t second) {
  return kv::LoadedProgram{own(new kv::Callable{nullptr, code, nullptr}), first, second};
}

// `var x = 5;` as the compiler makes it.
inline kv::LoadedProgram varX() {
  using namespace kv;
  return programOf(own(new CodeVector{withFlags(newNodeLoadVariable(var(0, 0)), kPushReference), newNodePushInt32(5),
                                      newNodeAssign(), newNodePop137(), newNodeEnd(own(new ExportList))}),
                   1, 1);
}

// `function add(a, b) { return a + b; }` as the compiler makes it.
inline kv::LoadedProgram addFunction() {
  using namespace kv;
  auto* body = own(new CodeVector{withFlags(newNodeLoadVariable(var(0, -1)), kPushValue),
                                  withFlags(newNodeLoadVariable(var(0, -2)), kPushValue), newNodeAdd(),
                                  newNodeReturn(nullptr), newNodePushUndefined()});
  auto* rec = own(new FunctionRecord{Callable{nullptr, body, nullptr}, NameVector(2, 0), NameVector{}, 0, 0});
  return programOf(own(new CodeVector{newNodeEnterScope(), withFlags(newNodeLoadVariable(var(0, 0)), kPushReference),
                                      newNodeMakeClosure(rec), newNodeAssign(), newNodePop137(),
                                      newNodeEnd(own(new ExportList))}),
                   1, 1);
}

// Bytes up to the end of the filler section's header; its body holds random words.
constexpr size_t kFillerBody = 16 + 8 + 128 + 8;


// Little-endian pieces.
inline void put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
  put16(b, v);
  put16(b, v >> 16);
}
inline void putText(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
}

// Packs up to four kinds into one code word, the first in the highest place.
inline uint32_t word(std::initializer_list<int32_t> kinds) {
  uint32_t w = 0;
  int places = 0;
  for (int32_t k : kinds) {
    w = w * 220 + static_cast<uint32_t>(k + 1);
    ++places;
  }
  for (; places < 4; ++places) w *= 220;
  return w;
}

// A file built section by section; every part can be replaced.
struct Craft {
  int16_t version[3] = {0, 1, 44};
  int32_t format = 105;
  uint16_t feature = 0;
  struct Section {
    int tag;
    Bytes body;
    int32_t length;  // the declared length
  };
  std::vector<Section> sections;
  std::vector<std::vector<uint32_t>> functions;

  // A complete valid file: the sections 20, 32, 126, 127 and 128, with main
  // given by its words.
  static Craft minimal(std::vector<uint32_t> mainWords = {word({kv::End})}) {
    Craft c;
    c.add(20, {0, 0});
    c.add(32, {0, 0});
    c.add(126, {1, 0, 0, 0, 1, 0, 0, 0});
    c.add(127, {});
    c.add(128, {10, 0, 0, 0, 0, 0, 0, 0});
    c.functions.push_back(std::move(mainWords));
    return c;
  }
  void add(int tag, Bytes body) { sections.push_back({tag, body, static_cast<int32_t>(body.size())}); }
  Section* find(int tag) {
    for (Section& s : sections)
      if (s.tag == tag) return &s;
    return nullptr;
  }
  void remove(int tag) { std::erase_if(sections, [tag](const Section& s) { return s.tag == tag; }); }
  // Replaces the stream section by the given sub-sections {kind, data}.
  void streams(std::initializer_list<std::pair<int32_t, Bytes>> subs) {
    Bytes b;
    for (const auto& [kind, data] : subs) {
      put32(b, static_cast<uint32_t>(kind));
      put32(b, static_cast<uint32_t>(kind == 3 ? std::count(data.begin(), data.end(), 0) : data.size()));
      b.insert(b.end(), data.begin(), data.end());
    }
    put32(b, 10);
    put32(b, 0);
    remove(128);
    add(128, b);
  }

  Bytes bytes() const {
    Bytes b = {'H', 'L', 'V', 'R', 'o', 'b', 'j', 0, 0, 0};
    for (int16_t v : version) put16(b, static_cast<uint16_t>(v));
    put32(b, 0);
    put32(b, 128);
    Bytes info(128, 0);
    info[0] = static_cast<uint8_t>(format);
    info[1] = static_cast<uint8_t>(format >> 8);
    info[16] = static_cast<uint8_t>(feature);
    info[17] = static_cast<uint8_t>(feature >> 8);
    b.insert(b.end(), info.begin(), info.end());
    for (const Section& s : sections) {
      put16(b, static_cast<uint16_t>(s.tag));
      put16(b, 0);
      put32(b, static_cast<uint32_t>(s.length));
      b.insert(b.end(), s.body.begin(), s.body.end());
    }
    put16(b, 255);
    put16(b, 4);
    put32(b, 0xFFFFFFFF);
    put32(b, static_cast<uint32_t>(functions.size()));
    for (const auto& f : functions) {
      put32(b, static_cast<uint32_t>(f.size() * 4));
      for (uint32_t w : f) put32(b, w);
    }
    return b;
  }
};

}  // namespace kvtest
