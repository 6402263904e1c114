// A test-only assembler: builds instruction lists from text, one record per
// line, so the interpreter can be exercised before the compiler exists.
//
//   .func NAME PARAMS LOCALS [named] [generator]   opens a function (the
//   .end                                            first is the main program)
//   @L:                        a Label record placing slot L
//   Kind operands...           one record through its factory
//   .out / .print              push the print native / call it on one argument
//
// Operands: integers, doubles, "strings", @L (label slot), @A,@B (pair),
// @A,@B,@C (triple), member names for GetMember and DefineMember (then the
// flags), a function name for MakeClosure, "depth index" for variables,
// "case V @L" / "default @L" lists for Switch, and name:slot pairs for End.
// A trailing flags=N sets the record's flags.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "runtime/vm/code.h"

namespace kvtest {

// The global-area cell (area 0) that holds the print native.
constexpr int32_t kPrintGlobal = 250;

struct AsmFunction {
  kv::FunctionRecord* record = nullptr;
  kv::NodeList list;
  int32_t params = 0;
  int32_t locals = 0;
};

class Assembler {
 public:
  explicit Assembler(bool fold = true) : fold_(fold) {}
  // Parses and links every function; throws std::runtime_error naming the
  // line on bad input.
  void assemble(const std::string& text);
  AsmFunction& function(const std::string& name);
  AsmFunction& main() { return function(mainName_); }

 private:
  void parseLine(const std::string& line);
  kv::LabelSlot* label(const std::string& name);
  kv::CodeNode* record(const std::string& kind, std::deque<std::string>& args);

  bool fold_;
  std::map<std::string, AsmFunction> functions_;
  std::map<std::string, kv::LabelSlot*> labels_;
  // What the records point to, kept as long as the assembler.
  std::deque<std::string> texts_;
  std::deque<kv::FunctionRecord> records_;
  std::deque<std::unique_ptr<kv::CodeVector>> vectors_;
  std::deque<kv::VariableRef> variables_;
  std::deque<kv::CaseTable> tables_;
  std::deque<kv::ExportList> exports_;
  std::string current_;
  std::string mainName_;
  int32_t lineNo_ = 0;
};

}  // namespace kvtest
