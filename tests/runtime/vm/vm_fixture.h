// A fresh object system for each test: heap, log in a temporary folder,
// bootstrap and type names, and helpers to call natives on a main context.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/library/library_hooks.h"
#include "runtime/vm/atoms.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/interpreter.h"
#include "runtime/vm/kvstring.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"
#include "runtime/vm/scheduler.h"

namespace kvtest {

class VmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::initGcHeap();
    kv::closeLogFile();
    kv::resetWarningLimiter();
    kv::resetThreadRegistry();
    // The test's own folder (tests/support/own_folder.cpp), removed with whatever the
    // test writes into it.
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    dir_ = here;
    logPath_ = dir_ + "/kvlog.txt";
    ASSERT_TRUE(kv::openLogFile(logPath_.c_str()));
    kv::installRuntimeLibrary();
    kv::bootstrapObjectSystem();
    kv::initRuntimeConstants();
  }
  void TearDown() override {
    kv::setGcStress(false);
    kv::Scheduler::reset();
    if (ctx_) kv::destroyContext(ctx_);
    kv::initGcHeap();  // owners still alive release what they hold
    kv::closeLogFile();
  }

  std::string logText() const {
    std::ifstream in(logPath_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The log's lines, without their line ends.
  std::vector<std::string> logLines() const {
    std::vector<std::string> out;
    std::string text = logText();
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      out.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    return out;
  }
  static size_t countOf(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
  }

  // The main context with an empty top-level program of the given cells.
  kv::KVContext* mainContext(int32_t globals = 0, int32_t locals = 0) {
    ctx_ = kv::createMainContext();
    kv::setupMainProgram(ctx_, &program_, globals, locals);
    kv::gCurrentContext = ctx_;
    return ctx_;
  }

  // Calls fn as the interpreter does: callee and arguments on the operand
  // stack, then the frame, the run, and the way back. Answers the result.
  kv::Value call(kv::KVfobj* fn, kv::KVobj* receiver, std::initializer_list<kv::Value> args) {
    return call(fn, receiver, args.begin(), args.size());
  }
  kv::Value call(kv::KVfobj* fn, kv::KVobj* receiver, const kv::Value* args, size_t n) {
    ctx_->pushObject(fn);
    for (size_t i = 0; i < n; ++i) ctx_->pushValue(args[i]);
    ctx_->argCount = static_cast<int32_t>(n);
    const kv::Callable* body = fn->callable;
    kv::callFunction(ctx_, fn, receiver);
    kv::runFunction(*body);
    kv::Value result = ctx_->operands[--ctx_->top];
    kv::leaveCallFrame(ctx_);
    return result;
  }

  // The function object a member of obj (or its prototypes) holds.
  static kv::KVfobj* method(kv::KVobj* obj, const char* name) {
    int32_t mode = 0;
    kv::Value* c = kv::getPropertyCell(obj, kv::internAtom(name), mode);
    return c && c->tag == kv::kObject ? static_cast<kv::KVfobj*>(c->obj) : nullptr;
  }
  // Calls obj.name(args...).
  kv::Value send(kv::KVobj* obj, const char* name, std::initializer_list<kv::Value> args) {
    kv::ObjectRoot root(obj);
    kv::KVfobj* fn = method(obj, name);
    EXPECT_NE(fn, nullptr) << name;
    return call(fn, root.get(), args);
  }
  // The object a global place holds (area, slot).
  static kv::KVfobj* global(int32_t area, int32_t slot) {
    const kv::Value& v = kv::gGlobalObject->areas[area][slot];
    return v.tag == kv::kObject ? static_cast<kv::KVfobj*>(v.obj) : nullptr;
  }
  static kv::Value I(int32_t v) { return kv::Value::makeInt(v); }
  static kv::Value D(double v) { return kv::Value::makeFloat(v); }
  static kv::Value S(const char* t) { return kv::Value::makeString(t); }
  static kv::Value O(kv::KVobj* o) { return kv::Value::makeObject(o); }

  static kv::KVfobj* nativeFunction(kv::NativeFunction native, int32_t params = 0) {
    return kv::newKVfobj(kv::permanentCallable(kv::Callable{nullptr, nullptr, native}),
                         kv::permanentNames(kv::NameVector(params, 0)), kv::emptyNames());
  }
  static kv::KVfobj* withCells(int32_t params, int32_t locals) {
    return kv::newKVfobj(kv::permanentCallable(kv::Callable{}), kv::permanentNames(kv::NameVector(params, 0)),
                         kv::permanentNames(kv::NameVector(locals, 0)));
  }
  // A plain object whose member "v" holds the integer.
  static kv::KVobj* tagged(int32_t v) {
    kv::KVobj* o = kv::newPlainObject();
    kv::ObjectRoot root(o);
    *kv::addKeyProperty(o, kv::internAtom("v")) = kv::Value::makeInt(v);
    return root.get();
  }
  static int32_t tagOf(kv::KVobj* o) {
    int32_t mode = 0;
    kv::Value* c = kv::getPropertyCell(o, kv::lookupAtom("v"), mode);
    return c && c->tag == kv::kInt ? c->i : -1;
  }

  kv::Callable program_;
  kv::KVContext* ctx_ = nullptr;
  std::string dir_;
  std::string logPath_;
};

}  // namespace kvtest
