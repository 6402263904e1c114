// Turning the bytes of the current source file into queued tokens.
#include "runtime/compiler/scanner.h"

#include <charconv>
#include <cstring>

#include "runtime/compiler/source_files.h"
#include "runtime/compiler/source_io.h"
#include "runtime/compiler/symbol_text_pool.h"
#include "runtime/compiler/word_tables.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace kv {

namespace {

// Character classes of the state machine.
enum CharClass : uint8_t {
  kOther,        // no class: unknown bytes, controls, 128-255
  kSpace,        // blank, TAB, CR, LF
  kZero,
  kDigit,        // 1-9
  kWordStart,    // a-z A-Z $ _
  kSlash,
  kDoubleQuote,
  kQuote,
  kBangOrEq,     // ! =
  kPlusMinus,    // + -
  kDoubling,     // & | < >
  kOpEq,         // * % ^
  kSingleOp,     // . ~ ? : , @
  kBracket,
  kSemicolon,
  kHash,
};

struct ClassTable {
  CharClass c[256];
  constexpr void set(const char* chars, CharClass k) {
    for (; *chars; ++chars) c[static_cast<unsigned char>(*chars)] = k;
  }
  constexpr ClassTable() : c{} {
    for (int i = 0; i < 256; ++i) c[i] = kOther;
    set(" \t\r\n", kSpace);
    set("0", kZero);
    set("123456789", kDigit);
    set("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ$_", kWordStart);
    set("/", kSlash);
    set("\"", kDoubleQuote);
    set("'", kQuote);
    set("!=", kBangOrEq);
    set("+-", kPlusMinus);
    set("&|<>", kDoubling);
    set("*%^", kOpEq);
    set(".~?:,@", kSingleOp);
    set("()[]{}", kBracket);
    set(";", kSemicolon);
    set("#", kHash);
  }
};
constexpr ClassTable kClasses;

inline bool isDigit(int c) { return c >= '0' && c <= '9'; }
inline bool isWordPart(int c) {
  CharClass k = kClasses.c[c];
  return k == kWordStart || k == kZero || k == kDigit;
}
inline bool isHexDigit(int c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr size_t kMaxWordLength = 63;
constexpr size_t kMaxStringLength = 256;

// Scanner globals: one token is collected at a time.
std::string gText;
bool gTextTooLong = false;
bool gStringTooLong = false;

inline void append(int c) {
  gText.push_back(static_cast<char>(c));
  if (gText.size() > kMaxWordLength) gTextTooLong = true;
}

// The next byte, or -1 at the real end of the file. A read failure of the file
// layer ends the compilation instead of looking like the end.
int refill(SourceFile& f) {
  int64_t n = readSourceHandle(f.block.get(), kSourceBlockSize, f.handle);
  if (n < 0) throw CompileError(2, f.name.c_str());
  if (n == 0) return -1;
  f.blockLen = static_cast<size_t>(n);
  f.blockPos = 1;
  return f.block[0];
}

inline int nextChar(SourceFile& f) {
  if (f.pushback >= 0) {
    int c = f.pushback;
    f.pushback = -1;
    return c;
  }
  if (f.blockPos < f.blockLen) return f.block[f.blockPos++];
  return refill(f);
}

// A run of unknown bytes ends: one warning, and the bytes are dropped.
void dropBadRun(const SourceFile& f) {
  logBadTokenWarning(f.line + 1);
  gText.clear();
}

// Feeds one byte to the state machine. Returns the next state and sets kind when
// a token is complete.
int step(SourceFile& f, int state, int c, int32_t& kind) {
  auto giveBack = [&] { f.pushback = c; };
  switch (state) {
    case 0:
      switch (kClasses.c[c]) {
        case kZero: append(c); return 20;
        case kDigit: append(c); return 1;
        case kSlash: append(c); return 2;
        case kWordStart: append(c); return 3;
        case kDoubleQuote: return 4;
        case kQuote: return 5;
        case kBangOrEq: append(c); return 26;
        case kPlusMinus: append(c); return 22;
        case kDoubling: append(c); return 23;
        case kOpEq: append(c); return 25;
        case kSingleOp: append(c); kind = kKindOperator; return 0;
        case kBracket: append(c); return 7;
        case kSemicolon: append(c); return 8;
        case kHash: append(c); return 9;
        case kSpace: if (c == '\n') ++f.line; return 0;
        case kOther: append(c); return -1;
      }
      return 0;
    case -1:  // unknown bytes
      switch (kClasses.c[c]) {
        case kOther: append(c); return -1;
        case kSpace:
          dropBadRun(f);
          if (c == '\n') ++f.line;
          return 0;
        default:
          dropBadRun(f);
          giveBack();
          return 0;
      }
    case 1:
      if (isDigit(c)) { append(c); return 1; }
      if (c == '.') { append(c); return 11; }
      giveBack();
      return 14;
    case 2:
      if (c == '/' || c == '*') {
        gText.clear();
        gTextTooLong = gStringTooLong = false;
        return c == '/' ? 99 : 97;
      }
      if (c == '=') append(c); else giveBack();
      kind = kKindOperator;
      return 0;
    case 3:
      if (isWordPart(c)) { append(c); return 3; }
      giveBack();
      kind = gTextTooLong ? kKindBad : kKindWord;
      return 0;
    case 4:
    case 5:
      if (c == (state == 4 ? '"' : '\'')) {
        kind = gStringTooLong ? kKindBad : kKindString;
        return 0;
      }
      if (c == '\r' || c == '\n') {
        // An unterminated string is a run of unknown bytes; its line end is
        // still counted.
        giveBack();
        return -1;
      }
      if (gText.size() > kMaxStringLength - 1) gStringTooLong = true; else append(c);
      return state;
    case 7:
      giveBack();
      kind = kKindBracket;
      return 0;
    case 8:
      giveBack();
      kind = kKindSemicolon;
      return 0;
    case 9:
      if (c == '#') { append(c); kind = kKindOperator; return 0; }
      giveBack();
      kind = kKindHash;
      return 0;
    case 11:
      if (isDigit(c)) { append(c); return 11; }
      giveBack();
      return 14;
    case 14:
      giveBack();
      kind = gTextTooLong ? kKindBad : kKindNumber;
      return 0;
    case 20:
      if (c == 'x' || c == 'X') { append(c); return 21; }
      if (c == '.') { append(c); return 11; }
      if (isDigit(c)) { append(c); return 1; }
      giveBack();
      kind = kKindNumber;
      return 0;
    case 21:
      if (isHexDigit(c)) { append(c); return 21; }
      giveBack();
      kind = kKindNumber;
      return 0;
    case 22:
      if (c == gText.back() || c == '=') append(c); else giveBack();
      kind = kKindOperator;
      return 0;
    case 23:
      if (c == gText.back()) { append(c); return 24; }
      if (c == '=') append(c); else giveBack();
      kind = kKindOperator;
      return 0;
    case 24:
      if (c == '=') { append(c); kind = kKindOperator; return 0; }
      if (c == '>' && gText.back() == '>') { append(c); return 25; }
      giveBack();
      kind = kKindOperator;
      return 0;
    case 25:
    case 27:
      if (c == '=') append(c); else giveBack();
      kind = kKindOperator;
      return 0;
    case 26:
      if (c == '=') { append(c); return 27; }
      giveBack();
      kind = kKindOperator;
      return 0;
    case 97:
      if (c == '*') return 98;
      if (c == '\n') ++f.line;
      return 97;
    case 98:
      if (c == '/') return 0;
      if (c == '*') return 98;
      if (c == '\n') ++f.line;
      return 97;
    case 99:
      if (c == '\r') return 0;
      if (c == '\n') { ++f.line; return 0; }
      return 99;
    default:
      throw CompileError(31);
  }
}

[[noreturn]] void convertFailed() { throw CompileError(25); }

// Integer literal: decimal up to 2147483647, hexadecimal up to 0xFFFFFFFF (which
// wraps to a negative int), read without regard to the locale.
int32_t convertInteger(const std::string& text) {
  const char* p = text.data();
  const char* end = p + text.size();
  bool hex = text.find_first_of("xX") != std::string::npos;
  uint64_t v = 0;
  if (hex) {
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
    auto r = std::from_chars(p, end, v, 16);
    if (p == end || r.ec != std::errc() || r.ptr != end || v > 0xFFFFFFFFu) convertFailed();
    return static_cast<int32_t>(static_cast<uint32_t>(v));
  }
  auto r = std::from_chars(p, end, v, 10);
  if (r.ec != std::errc() || r.ptr != end || v > 2147483647u) convertFailed();
  return static_cast<int32_t>(v);
}

double convertDouble(const std::string& text) {
  double d = 0.0;
  const char* end = text.data() + text.size();
  auto r = std::from_chars(text.data(), end, d, std::chars_format::fixed);
  if (r.ec != std::errc() || r.ptr != end) convertFailed();
  return d;
}

}  // namespace

const std::string& scannedText() { return gText; }

void resetScanner() {
  gText.clear();
  gTextTooLong = gStringTooLong = false;
}

int32_t scanToken() {
  gText.clear();
  gTextTooLong = gStringTooLong = false;
  SourceFile& f = currentSourceFile();
  if (f.atEnd) {
    finishSourceFile();
    return 0;
  }
  int32_t kind = kKindNone;
  int state = 0;
  for (;;) {
    int c = nextChar(f);
    if (c < 0) break;
    state = step(f, state, c, kind);
    if (kind != kKindNone) return kind;
  }
  f.atEnd = true;
  // Past the end the input reads as line feeds, which complete any token and
  // leave every state but a block comment within three steps.
  if (state != 97 && state != 98) {
    while (state != 0 || f.pushback >= 0) {
      f.pushback = -1;
      state = step(f, state, '\n', kind);
      if (kind != kKindNone) return kind;
    }
  }
  finishSourceFile();
  return 0;
}

Token makeToken(int32_t code, const std::string& text, int32_t line) {
  Token t;
  t.line = line;
  t.code = code;
  t.value.kind = code;
  switch (code) {
    case kTokInt:
      t.value.intValue = convertInteger(text);
      break;
    case kTokFloat:
      t.value.doubleValue = convertDouble(text);
      break;
    case kTokIdent:
    case kTokString:
      t.value.text = internSymbolText(text.c_str(), text.size() + 1);
      break;
    case kTokBool:
      t.value.text = text[0] == 't' ? "true" : "false";
      break;
    case kTokKeyName:
      t.value.intValue = lookupKeyName(text.c_str() + 10);
      break;
    default:
      break;
  }
  return t;
}

void fillTokenBuffer() {
  TokenBuffer& b = currentTokenBuffer();
  if (b.atEnd || b.tokens.size() > 5) return;
  for (int i = 0; i < 20; ++i) {
    int32_t kind = scanToken();
    if (kind == 0) {
      b.atEnd = true;
      return;
    }
    int32_t line = currentSourceFile().line + 1;
    try {
      int32_t code = classifyToken(kind, gText.c_str(), gText.size());
      b.tokens.push_back(makeToken(code, gText, line));
    } catch (const CompileError&) {
      // Errors of a token report its own line, not the parser's.
      gCompilePosition.line = line;
      throw;
    }
  }
}

bool hasToken() {
  for (;;) {
    TokenBuffer& b = currentTokenBuffer();
    if (b.tokens.empty() && !b.atEnd) fillTokenBuffer();
    if (!b.tokens.empty()) return true;
    if (tokenBufferDepth() <= 1) return false;
    popTokenBuffer();
  }
}

Token takeFrontToken() {
  TokenBuffer& b = currentTokenBuffer();
  Token t = b.tokens.front();
  b.tokens.pop_front();
  b.frontLine = t.line;
  if (b.statementStart) {
    if (t.code == kTokFunction) t.code = t.value.kind = kTokFunctionStatement;
    if (t.code != kTokExport) b.statementStart = false;
  }
  return t;
}

}  // namespace kv
