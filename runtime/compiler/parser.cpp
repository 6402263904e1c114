// The LALR(1) parse loop over the generated tables, with its error recovery.
#include "runtime/compiler/parser.h"

#include <cstring>

#include "runtime/compiler/codegen.h"
#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/grammar_actions.h"
#include "runtime/compiler/parse_tables.h"
#include "runtime/compiler/scanner.h"
#include "runtime/compiler/source_files.h"
#include "runtime/compiler/tokens.h"
#include "runtime/compiler/word_tables.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace kv {

namespace pt = parse_tables;

namespace {

ParserState gState;
SemanticValue gLookaheadValue;
GrammarActions* gActions = &codeGenerator();

// Rules whose reduction does nothing beyond the parser's bookkeeping.
constexpr bool isPlainRule(int r) {
  switch (r) {
    case 1: case 5: case 6: case 10: case 13: case 14: case 15: case 16: case 18: case 22:
    case 24: case 25: case 30: case 36: case 37: case 42: case 43: case 45: case 48: case 50:
    case 51: case 52: case 53: case 54: case 60: case 62: case 64: case 66: case 67: case 69:
    case 76: case 78: case 82: case 85: case 86: case 87: case 88: case 92: case 93: case 104:
    case 117: case 118: case 136: case 137: case 138: case 140: case 141: case 143: case 155:
    case 159: case 164: case 168: case 172: case 179: case 183: case 186: case 190: case 193:
    case 201: case 204: case 205: case 206: case 207: case 216: case 218: case 219: case 240:
    case 241:
    // Rules the parser handles entirely.
    case 4: case 9: case 11: case 46: case 108: case 109: case 110: case 111: case 112: case 113:
    case 114: case 115: case 116: case 129: case 134: case 230:
      return true;
    default:
      return false;
  }
}

struct ActionTable {
  bool generates[pt::kRules];
  constexpr ActionTable() : generates{} {
    for (int r = 0; r < pt::kRules; ++r) generates[r] = r > 0 && !isPlainRule(r);
  }
};
constexpr ActionTable kActions;

void setStatementStart() {
  if (hasTokenBuffer()) currentTokenBuffer().statementStart = true;
}

constexpr int kTokStar = 283;

// A statement such as an `if` without `else` or a `try` without `finally`
// ends only when the token after it has been read, so that token was
// scanned before the statement list took the statement and missed the
// statement-start reading of `function`. `function` followed by a name is
// then a declaration, as at any other statement start; an anonymous
// function expression keeps its reading.
bool startsDeclaration(int lookahead) {
  if (lookahead != kTokFunction || !hasTokenBuffer()) return false;
  const TokenBuffer& b = currentTokenBuffer();
  if (b.tokens.empty()) return false;
  int32_t next = b.tokens.front().code;
  return next == kTokIdent || next == kTokStar;
}

void errorRule(const char* message) {
  logCompiler(message, gCompilePosition.file, gCompilePosition.line);
  gState.codegenFlag = false;
}

void saveArgumentCount() {
  gState.savedArgumentCounts.push_back(gState.argumentCount);
  gState.argumentCount = 0;
}

void restoreArgumentCount() {
  if (gState.savedArgumentCounts.empty()) {
    gState.argumentCount = 0;
    return;
  }
  gState.argumentCount = gState.savedArgumentCounts.back();
  gState.savedArgumentCounts.pop_back();
}

void generate(int rule, const SemanticValue* rhs, int length, SemanticValue& result) {
  if (gState.codegenFlag && kActions.generates[rule]) gActions->reduce(rule, rhs, length, result);
}

// The action of rule r; rhs points at its length right-hand values.
void runAction(int r, const SemanticValue* rhs, int length, SemanticValue& result) {
  switch (r) {
    case 2: case 7: case 12:
      setStatementStart();
      break;
    case 3: case 8:
      gState.recoveryCount = 0;
      setStatementStart();
      break;
    case 4: case 9:
      gState.codegenFlag = false;
      return;
    case 11:
      if (gState.codegenFlag) gState.pendingLabel = rhs[0].text;
      return;
    case 44: case 106: case 107:
      generate(r, rhs, length, result);
      gState.recoveryCount = 0;
      return;
    case 46: errorRule("error at if-test"); return;
    case 108: errorRule("error at parameters"); return;
    case 129: case 134: errorRule("error at JSON"); return;
    case 230: errorRule("error at arguments"); return;
    case 94:
      generate(r, rhs, length, result);
      if (std::strcmp(rhs[-2].text, "this") == 0) throw CompileError(14);
      return;
    case 105: case 127: case 128: case 132: case 133:
      gState.recoveryCount = 0;
      break;
    case 109:
      includeDirective(rhs[1].text, rhs[2].text);
      return;
    case 110:
      scopeDirective(rhs[1].text, rhs[2].text);
      return;
    case 111: case 112: case 113: case 114: case 115: case 116:
      result.intValue = r - 110;
      return;
    case 213:
      compileBuiltinMember(rhs[0].intValue, rhs[2].text);
      break;
    case 225: case 227: case 229:
      saveArgumentCount();
      break;
    case 226: case 228:
      generate(r, rhs, length, result);
      restoreArgumentCount();
      gState.recoveryCount = 0;
      return;
    case 231:
      gState.argumentCount = 1;
      break;
    case 232:
      ++gState.argumentCount;
      break;
    default:
      break;
  }
  generate(r, rhs, length, result);
}

}  // namespace

ParserState& parserState() { return gState; }
const SemanticValue& lookaheadValue() { return gLookaheadValue; }

void setGrammarActions(GrammarActions* actions) { gActions = actions ? actions : &codeGenerator(); }
GrammarActions& grammarActions() { return *gActions; }

void resetParserState() {
  gState.codegenFlag = true;
  gState.recoveryCount = 0;
  gState.pendingLabel = nullptr;
  gState.argumentCount = 0;
  gState.savedArgumentCounts.clear();
  gLookaheadValue = SemanticValue{};
}

void reportSyntaxError() {
  gState.codegenFlag = false;
  logCompileError(CompileError(23));
}

int32_t yylex() {
  if (!hasTokenBuffer() || !hasToken()) return 0;
  gCompilePosition.file = currentTokenBuffer().fileIndex;
  Token t = takeFrontToken();
  fillTokenBuffer();
  gLookaheadValue = t.value;
  gLookaheadValue.kind = t.code;
  gCompilePosition.line = t.line;
  return t.code;
}

int32_t yyparse() {
  int16_t states[kParseStackLimit + 1];
  SemanticValue values[kParseStackLimit + 1];
  int top = 0;
  states[0] = 0;
  values[0] = SemanticValue{};
  int state = 0;
  int lookahead = -1;  // token code, -1 when none was read
  int terminal = 0;
  gState.recoveryCount = 0;

  // Pushes a state; false when the stack is full (the error is reported).
  auto push = [&](int s, const SemanticValue& v) {
    if (top >= kParseStackLimit) {
      reportSyntaxError();
      return false;
    }
    ++top;
    states[top] = static_cast<int16_t>(s);
    values[top] = v;
    return true;
  };

  // Reduces rule r and follows the goto; returns the next state, or -1 when
  // the stack overflowed. Reductions that come with a shift-then-reduce goto
  // run one after another.
  auto reduce = [&](int r) {
    for (;;) {
      int length = pt::kRuleLength[r];
      SemanticValue result = length > 0 ? values[top - length + 1] : SemanticValue{};
      runAction(r, &values[top - length + 1], length, result);
      if ((r == 2 || r == 3 || r == 7 || r == 8) && startsDeclaration(lookahead)) {
        lookahead = kTokFunctionStatement;
        terminal = pt::kTranslate[lookahead];
        gLookaheadValue.kind = lookahead;
      }
      top -= length;
      int next = pt::kGoto[states[top]][pt::kRuleLhs[r]];
      if (!push(next, result)) return -1;
      if (next < pt::kStates) return next;
      r = next - pt::kStates;
    }
  };

  for (;;) {
    int action;
    if (!pt::kHasRow[state]) {
      action = -pt::kDefault[state];
    } else {
      if (lookahead < 0) {
        lookahead = yylex();
        if (lookahead < 0) lookahead = 0;
        terminal = lookahead >= pt::kMaxTokenCode ? pt::kUndefinedTerminal : pt::kTranslate[lookahead];
      }
      action = pt::kAction[state][terminal];
    }

    if (action == 0) return 0;  // accept
    if (action > 0) {
      if (!push(action, gLookaheadValue)) return 1;
      lookahead = -1;
      if (gState.recoveryCount > 0) --gState.recoveryCount;
      state = action < pt::kStates ? action : reduce(action - pt::kStates);
      if (state < 0) return 1;
      continue;
    }
    if (action < 0 && action != pt::kNoEntry) {
      state = reduce(-action);
      if (state < 0) return 1;
      continue;
    }

    // Syntax error.
    if (gState.recoveryCount == kRecoveryShifts) {
      if (lookahead == 0) return 1;
      lookahead = -1;  // discard the token and retry this state
      continue;
    }
    if (gState.recoveryCount == 0) reportSyntaxError();
    gState.recoveryCount = kRecoveryShifts;
    int errorAction;
    for (;;) {
      int s = states[top];
      errorAction = pt::kHasRow[s] ? pt::kAction[s][pt::kErrorTerminal] : pt::kNoEntry;
      if (errorAction > 0) break;
      if (top == 0) return 1;
      --top;
    }
    if (!push(errorAction, SemanticValue{})) return 1;
    state = errorAction < pt::kStates ? errorAction : reduce(errorAction - pt::kStates);
    if (state < 0) return 1;
  }
}

}  // namespace kv
