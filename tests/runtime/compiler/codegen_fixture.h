// Compiles sources with code generation on and reads back the program.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/compiler/compile_scope.h"
#include "runtime/vm/atoms.h"
#include "tests/runtime/compiler/code_listing.h"
#include "tests/runtime/compiler/front_end_fixture.h"

namespace kv::test {

class CodeGenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gGenerateCode = true;
    initAtomTables();
  }
  void TearDown() override { gGenerateCode = false; }

  // The log lines other than the opening line.
  std::vector<std::string> errors(const std::string& text) { return messages(compileText(text)); }

  // Compiles text that must compile and lists its top-level code.
  std::vector<std::string> listing(const std::string& text) {
    CompileRun run = compileText(text);
    EXPECT_EQ(run.errorCode, -1) << text;
    EXPECT_TRUE(run.codegen) << text;
    return program() ? listCode(program()) : std::vector<std::string>{};
  }
  static const CodeVector* program() {
    const FunctionRecord* p = compileResults().program;
    return p ? p->body.code : nullptr;
  }
};

using Lines = std::vector<std::string>;

}  // namespace kv::test
