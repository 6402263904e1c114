// Token codes shared by the scanner, the word tables and the parser, and the
// records that carry a token's value from the scanner to the parser.
#pragma once

#include <cstdint>

namespace kv {

// Codes of the parser's vocabulary. Single characters use their own byte.
enum TokenCode : int32_t {
  kTokEnd = 0,
  kTokReturn = 257, kTokWait, kTokIf, kTokElse, kTokSwitch, kTokCase, kTokDefault, kTokFor,
  kTokDo, kTokWhile, kTokBreak, kTokContinue, kTokNew, kTokTry, kTokCatch, kTokFinally,
  kTokThrow,
  kTokFunction = 274,           // in an expression
  kTokFunctionStatement = 275,  // starting a statement
  kTokVar = 276, kTokConst = 277,
  kTokInt = 330, kTokFloat = 331, kTokIdent = 332, kTokString = 333, kTokBool = 334,
  kTokNull = 335, kTokKeyName = 336, kTokHash = 337, kTokImport = 338, kTokExport = 339,
  kTokBad = 340,
};

// What the scanner's state machine hands to the classifier.
enum TokenKind : int32_t {
  kKindNone = 0x7fffffff,
  kKindBad = -1,
  kKindOperator = 258,
  kKindBracket = 259,
  kKindSemicolon = 260,
  kKindWord = 269,
  kKindNumber = 270,
  kKindString = 272,
  kKindHash = 273,
};

// The semantic value of a token or of a reduced rule.
struct SemanticValue {
  int32_t kind = 0;             // token code that produced it
  const char* text = nullptr;   // identifier or string text in the text pool, or "true"/"false"
  int32_t intValue = 0;         // integer literal, key code, or namespace number
  double doubleValue = 0.0;     // number literal with a point
};

struct Token {
  int32_t line = 0;   // 1-based line of the token's last character
  int32_t code = 0;
  SemanticValue value;
};

}  // namespace kv
