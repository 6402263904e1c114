// The language's keywords, operators, brackets and built-in member names.
#include "runtime/compiler/word_tables.h"

#include <cstring>
#include <string>
#include <vector>

#include "runtime/compiler/tokens.h"
#include "runtime/vm/errors.h"

namespace kv {

namespace {

struct Word {
  const char* text;
  int32_t code;
};

constexpr Word kKeywords[] = {
    {"var", 276},      {"const", 277},     {"function", 274}, {"return", 257},
    {"wait", 258},     {"if", 259},        {"else", 260},     {"switch", 261},
    {"case", 262},     {"default", 263},   {"for", 264},      {"do", 265},
    {"while", 266},    {"break", 267},     {"continue", 268}, {"throw", 273},
    {"try", 270},      {"catch", 271},     {"finally", 272},  {"new", 269},
    {"typeof", 287},   {"delete", 286},    {"in", 288},       {"instanceof", 289},
    {"null", 335},     {"true", 334},      {"false", 334},    {"int", 328},
    {"float", 329},    {"import", 338},    {"export", 339},   {"yield", 321},
    {"Math", 322},     {"LayerBook", 326}, {"console", 323},  {"System", 325},
    {"SaveFile", 324}, {"Number", 327},
};

constexpr Word kOperators1[] = {
    {"-", 278}, {"?", 63},  {":", 58},  {".", 46},  {",", 44},  {"~", 280}, {"!", 281},
    {"+", 282}, {"*", 283}, {"/", 284}, {"%", 285}, {"<", 290}, {">", 291}, {"^", 292},
    {"=", 293}, {"&", 294}, {"|", 295}, {"@", 320},
};
constexpr Word kOperators2[] = {
    {"++", 296}, {"--", 297}, {"==", 298}, {"!=", 299}, {"+=", 300}, {"-=", 301}, {"*=", 302},
    {"/=", 303}, {"%=", 304}, {"&=", 305}, {"|=", 306}, {"^=", 307}, {"<<", 308}, {">>", 309},
    {"&&", 310}, {"||", 311}, {"<=", 312}, {">=", 313}, {"##", 320},
};
constexpr Word kOperators3[] = {
    {"<<=", 314}, {">>=", 315}, {">>>", 316}, {"===", 317}, {"!==", 318},
};
constexpr Word kOperators4[] = {{">>>=", 319}};

constexpr Word kKeyNames[] = {
    {"BACK", 14},       {"TAB", 15},        {"RETURN", 28},      {"LSHIFT", 42},
    {"RSHIFT", 54},     {"LCONTROL", 29},   {"RCONTROL", 157},   {"ESCAPE", 1},
    {"SPACE", 57},      {"PGUP", 201},      {"PGDN", 209},       {"END", 207},
    {"HOME", 199},      {"LEFT", 203},      {"UP", 200},         {"RIGHT", 205},
    {"DOWN", 208},      {"INSERT", 210},    {"DELETE", 211},     {"MINUS", 12},
    {"YEN", 125},       {"PREVTRACK", 144}, {"PERIOD", 52},      {"SLASH", 53},
    {"LALT", 56},       {"RALT", 184},      {"SCROLL", 70},      {"SEMICOLON", 39},
    {"COLON", 146},     {"LBRACKET", 26},   {"RBRACKET", 27},    {"AT", 145},
    {"BACKSLASH", 43},  {"COMMA", 51},      {"CAPSLOCK", 58},    {"PAUSE", 197},
    {"NUMPAD0", 82},    {"NUMPAD1", 79},    {"NUMPAD2", 80},     {"NUMPAD3", 81},
    {"NUMPAD4", 75},    {"NUMPAD5", 76},    {"NUMPAD6", 77},     {"NUMPAD7", 71},
    {"NUMPAD8", 72},    {"NUMPAD9", 73},    {"MULTIPLY", 55},    {"ADD", 78},
    {"SUBTRACT", 74},   {"DECIMAL", 83},    {"DIVIDE", 181},     {"NUMPADENTER", 156},
    {"F1", 59},         {"F2", 60},         {"F3", 61},          {"F4", 62},
    {"F5", 63},         {"F6", 64},         {"F7", 65},          {"F8", 66},
    {"F9", 67},         {"F10", 68},        {"F11", 87},         {"F12", 88},
    {"A", 30},          {"B", 48},          {"C", 46},           {"D", 32},
    {"E", 18},          {"F", 33},          {"G", 34},           {"H", 35},
    {"I", 23},          {"J", 36},          {"K", 37},           {"L", 38},
    {"M", 50},          {"N", 49},          {"O", 24},           {"P", 25},
    {"Q", 16},          {"R", 19},          {"S", 31},           {"T", 20},
    {"U", 22},          {"V", 47},          {"W", 17},           {"X", 45},
    {"Y", 21},          {"Z", 44},          {"0", 11},           {"1", 2},
    {"2", 3},           {"3", 4},           {"4", 5},            {"5", 6},
    {"6", 7},           {"7", 8},           {"8", 9},            {"9", 10},
};
static_assert(sizeof kKeyNames / sizeof kKeyNames[0] == 100);

constexpr Word kMathMembers[] = {
    {"PI", 5},     {"abs", 16},   {"max", 17},   {"min", 18},         {"random", 19},
    {"randomFloat", 19},          {"randomInt", 20}, {"floor", 22},   {"ceil", 23},
    {"sin", 24},   {"cos", 25},   {"tan", 26},   {"asin", 27},        {"acos", 28},
    {"atan", 29},
};
constexpr Word kLayerBookMembers[] = {{"add", 0}};
constexpr Word kSystemMembers[] = {
    {"BetaTime", 1},                  {"laps", 3},
    {"keyPad1", 8},                   {"pad0", 8},
    {"pad1", 9},                      {"pad2", 10},
    {"mouseX", 16},                   {"mouseY", 17},
    {"mouseButton", 18},              {"mouseWheelRot", 20},
    {"setZdArchive", 32},             {"setDefaultLayerVisiblity", 33},
    {"getDefaultRandomGenerator", 36}, {"setDefaultRandomGenerator", 37},
    {"setRuntimeWarningLimit", 48},   {"setRuntimeWarningFuse", 49},
    {"getNowCount", 64},
};
constexpr Word kConsoleMembers[] = {{"log", 0}};
constexpr Word kSaveFileMembers[] = {
    {"open", 0}, {"read", 1}, {"getc", 2}, {"close", 3},
    {"write", 4}, {"putc", 5}, {"seek", 6}, {"tell", 7},
};
constexpr Word kNumberMembers[] = {{"EPSILON", 2}, {"toHex", 16}, {"isNaN", 17}};

template <size_t N>
int32_t find(const Word (&table)[N], const char* text) {
  for (const Word& w : table)
    if (std::strcmp(w.text, text) == 0) return w.code;
  return -1;
}

// Operators of one length, compared in full; -1 when absent.
template <size_t N>
int32_t findOperator(const Word (&table)[N], const char* text, size_t length) {
  for (const Word& w : table)
    if (std::memcmp(w.text, text, length) == 0) return w.code;
  return -1;
}

[[noreturn]] void unknownCharacter() { throw CompileError(29); }

}  // namespace

int32_t classifyToken(int32_t kind, const char* text, size_t length) {
  switch (kind) {
    case kKindWord: {
      int32_t code = find(kKeywords, text);
      if (code > 0) return code;
      if (length >= 10 && std::memcmp(text, "KEY_INPUT_", 10) == 0) return kTokKeyName;
      return kTokIdent;
    }
    case kKindNumber:
      return std::memchr(text, '.', length) ? kTokFloat : kTokInt;
    case kKindString:
      return kTokString;
    case kKindHash:
      return kTokHash;
    case kKindBad:
      return kTokBad;
    case kKindSemicolon:
      return ';';
    case kKindBracket:
      switch (text[0]) {
        case '(': case ')': case '[': case ']': case '{': case '}':
          return static_cast<unsigned char>(text[0]);
        default:
          unknownCharacter();
      }
    case kKindOperator: {
      int32_t code = -1;
      switch (length) {
        case 1: code = findOperator(kOperators1, text, 1); break;
        case 2: code = findOperator(kOperators2, text, 2); break;
        case 3: code = findOperator(kOperators3, text, 3); break;
        case 4: code = findOperator(kOperators4, text, 4); break;
        default: break;
      }
      if (code < 0) unknownCharacter();
      return code;
    }
    default:
      unknownCharacter();
  }
}

int32_t lookupKeyName(const char* name) {
  int32_t code = find(kKeyNames, name);
  if (code < 0) throw CompileError(32, (std::string("KEY_INPUT_") + name).c_str());
  return code;
}

std::vector<std::pair<const char*, int32_t>> keyNameTable() {
  std::vector<std::pair<const char*, int32_t>> out;
  for (const Word& w : kKeyNames) out.emplace_back(w.text, w.code);
  return out;
}

int32_t builtinMemberSlot(int32_t ns, const char* name) {
  int32_t member = -1;
  switch (ns) {
    case kNsMath: member = find(kMathMembers, name); break;
    case kNsLayerBook: member = find(kLayerBookMembers, name); break;
    case kNsSystem: member = find(kSystemMembers, name); break;
    case kNsConsole: member = find(kConsoleMembers, name); break;
    case kNsSaveFile: member = find(kSaveFileMembers, name); break;
    case kNsNumber: member = find(kNumberMembers, name); break;
    default: break;
  }
  return member < 0 ? -1 : ns * 65536 + member;
}

std::vector<const char*> builtinMemberNames(int32_t ns) {
  std::vector<const char*> out;
  auto add = [&out](const auto& table) {
    for (const Word& w : table) out.push_back(w.text);
  };
  switch (ns) {
    case kNsMath: add(kMathMembers); break;
    case kNsLayerBook: add(kLayerBookMembers); break;
    case kNsSystem: add(kSystemMembers); break;
    case kNsConsole: add(kConsoleMembers); break;
    case kNsSaveFile: add(kSaveFileMembers); break;
    case kNsNumber: add(kNumberMembers); break;
    default: break;
  }
  return out;
}

int32_t compileBuiltinMember(int32_t ns, const char* name) {
  int32_t slot = builtinMemberSlot(ns, name);
  if (slot < 0) throw CompileError(17);
  return slot;
}

}  // namespace kv
