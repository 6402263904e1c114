// Assembly and listing of shader-model 2 and 3 streams over the shared token tables.
#include "tools/shaderasm/shader_asm.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gpu/d3d9/sm3_tokens.h"
#include "tools/shaderasm/asm_text.h"
#include "tools/shaderasm/dxbc_asm.h"

namespace halvorine::shaderasm {

using namespace plat::gpu::sm3;

namespace {

struct Model {
  bool pixel = false;
  int major = 0, minor = 0;
};

struct RegName {
  uint32_t type;
  uint32_t number;
};

// A register name (`r3`, `oC0`, `vPos`, `aL`, ...) as its token type and number.
bool registerOf(const Model& m, const std::string& name, RegName& out) {
  size_t k = 0;
  while (k < name.size() && std::isalpha(static_cast<unsigned char>(name[k]))) ++k;
  const std::string letters = name.substr(0, k), digits = name.substr(k);
  for (char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  const uint32_t n = digits.empty() ? 0 : uint32_t(std::strtoul(digits.c_str(), nullptr, 10));
  struct Name {
    const char* text;
    uint32_t type;
    int fixed;  // -1: numbered
  };
  static const Name names[] = {
      {"r", rTemp, -1},      {"v", rInput, -1},      {"c", rConst, -1},       {"i", rConstInt, -1},
      {"b", rConstBool, -1}, {"s", rSampler, -1},    {"oC", rColorOut, -1},   {"oDepth", rDepthOut, 0},
      {"oPos", rRastOut, 0}, {"oFog", rRastOut, 1},  {"oPts", rRastOut, 2},   {"oD", rAttrOut, -1},
      {"oT", rTexCrdOut, -1}, {"o", rOutput, -1},    {"aL", rLoop, 0},        {"p", rPredicate, -1},
      {"vPos", rMisc, 0},    {"vFace", rMisc, 1},    {"l", rLabel, -1},       {"a", rAddr, -1},
      {"t", rTexture, -1},
  };
  for (const Name& x : names)
    if (letters == x.text) {
      if (x.fixed >= 0 && !digits.empty()) return false;
      if (x.fixed < 0 && digits.empty()) return false;
      out.type = x.type;
      out.number = x.fixed >= 0 ? uint32_t(x.fixed) : n;
      if ((letters == "a" && m.pixel) || (letters == "t" && !m.pixel)) return false;
      return n < 2048;
    }
  return false;
}

int componentOf(char c) {
  switch (c) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
  }
  return -1;
}

struct Parsed {
  std::vector<uint32_t> words;  // the parameter token and its relative token
};

// `-r0_abs.xy`, `c[a0.x + 4]`, `c2[aL]`, `!p0.x`: a source (or, with dst, a destination).
bool operand(const Model& m, std::string s, bool dst, std::vector<uint32_t>& out, std::string& err) {
  uint32_t mod = kModNone;
  bool neg = false, notMod = false;
  if (!s.empty() && s[0] == '-') {
    neg = true;
    s = trimmed(s.substr(1));
  }
  if (!s.empty() && s[0] == '!') {
    notMod = true;
    s = trimmed(s.substr(1));
  }
  // Split off the swizzle or mask after the last '.' outside brackets.
  std::string sel;
  const size_t close = s.rfind(']');
  const size_t dot = s.rfind('.');
  if (dot != std::string::npos && (close == std::string::npos || dot > close)) {
    sel = s.substr(dot + 1);
    s = s.substr(0, dot);
  }
  bool abs = false;
  if (s.size() > 4 && s.compare(s.size() - 4, 4, "_abs") == 0) {
    abs = true;
    s = s.substr(0, s.size() - 4);
  }
  std::string rel;
  const size_t open = s.find('[');
  uint32_t offset = 0;
  if (open != std::string::npos) {
    if (s.back() != ']') return err = "bad relative address", false;
    std::string inside = s.substr(open + 1, s.size() - open - 2);
    s = s.substr(0, open);
    const size_t plus = inside.find('+');
    rel = trimmed(inside.substr(0, plus));
    if (plus != std::string::npos) offset = uint32_t(std::strtoul(trimmed(inside.substr(plus + 1)).c_str(), nullptr, 10));
  }
  // `c[a0.x + 4]` names register 4 of c, as `c4[a0.x]` does.
  if (!rel.empty() && !s.empty() && !std::isdigit(static_cast<unsigned char>(s.back()))) s += '0';
  RegName r;
  if (!registerOf(m, s, r)) return err = "unknown register '" + s + "'", false;
  uint32_t t = kParamBit | typeBits(r.type) | ((r.number + offset) & 0x7FF);
  if (dst) {
    uint32_t mask = 15;
    if (!sel.empty()) {
      mask = 0;
      int last = -1;
      for (char c : sel) {
        const int k = componentOf(c);
        if (k <= last) return err = "bad write mask", false;
        mask |= 1u << k;
        last = k;
      }
    }
    t |= mask << 16;
    if (neg || notMod || abs) return err = "modifier on a destination", false;
  } else {
    uint32_t sw = 0xE4;
    if (!sel.empty()) {
      if (sel.size() > 4) return err = "bad swizzle", false;
      sw = 0;
      for (size_t c = 0; c < 4; ++c) {
        const int k = componentOf(sel[c < sel.size() ? c : sel.size() - 1]);
        if (k < 0) return err = "bad swizzle", false;
        sw |= uint32_t(k) << (2 * c);
      }
    }
    t |= sw << 16;
    mod = notMod ? 13 : abs ? (neg ? kModAbsNeg : kModAbs) : neg ? kModNeg : kModNone;
    t |= mod << 24;
  }
  if (!rel.empty()) {
    t |= kRelativeBit;
    std::string comp;
    const size_t d = rel.find('.');
    if (d != std::string::npos) {
      comp = rel.substr(d + 1);
      rel = rel.substr(0, d);
    }
    RegName a;
    if (!registerOf(m, rel, a) || (a.type != rAddr && a.type != rLoop)) return err = "bad relative address", false;
    const int k = comp.empty() ? 0 : componentOf(comp[0]);
    if (k < 0) return err = "bad relative address", false;
    out.push_back(t);
    out.push_back(kParamBit | typeBits(a.type) | a.number | (uint32_t(k) * 0x55u) << 16);
    return true;
  }
  out.push_back(t);
  return true;
}

bool parseFloatBits(const std::string& s, uint32_t& bits) {
  char* end = nullptr;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {  // raw bits, as the lister writes odd values
    bits = uint32_t(std::strtoul(s.c_str(), &end, 16));
    return *end == 0;
  }
  const float f = std::strtof(s.c_str(), &end);
  if (end == s.c_str() || *end != 0) return false;
  std::memcpy(&bits, &f, 4);
  return true;
}

struct CtabEntry {
  std::string name;
  uint32_t set, index, count;
};

const char* const kSetNames[] = {"bool", "int4", "float4", "sampler"};

std::vector<uint32_t> ctabBlock(const Model& m, uint32_t version, const std::vector<CtabEntry>& entries) {
  std::vector<uint8_t> d;
  auto put16 = [&](size_t at, uint32_t v) {
    d[at] = uint8_t(v);
    d[at + 1] = uint8_t(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) d[at + size_t(k)] = uint8_t(v >> (8 * k));
  };
  auto addText = [&](const std::string& s) {
    const size_t at = d.size();
    d.insert(d.end(), s.begin(), s.end());
    d.push_back(0);
    while (d.size() % 4) d.push_back(0);
    return uint32_t(at);
  };
  const size_t n = entries.size();
  d.resize(28 + 20 * n + 16 * n);
  put32(0, 28);
  put32(8, version);
  put32(12, uint32_t(n));
  put32(16, 28);
  for (size_t k = 0; k < n; ++k) {
    const size_t info = 28 + 20 * k, type = 28 + 20 * n + 16 * k;
    put32(info, addText(entries[k].name));
    put16(info + 4, entries[k].set);
    put16(info + 6, entries[k].index);
    put16(info + 8, entries[k].count);
    put32(info + 12, uint32_t(type));
    const bool object = entries[k].set == 3;
    put16(type, object ? 4 : 1);                                   // class: object or vector
    put16(type + 2, object ? 12 : entries[k].set == 0 ? 1 : entries[k].set == 1 ? 2 : 3);  // type
    put16(type + 4, 1);
    put16(type + 6, object ? 1 : 4);
    put16(type + 8, 1);
  }
  put32(4, addText("halvorine shaderasm"));
  char target[16];
  std::snprintf(target, sizeof target, "%s_%d_%s", m.pixel ? "ps" : "vs", m.major, m.minor == 1 ? "x" : "0");
  if (m.major == 3) std::snprintf(target, sizeof target, "%s_3_0", m.pixel ? "ps" : "vs");
  put32(24, addText(target));
  std::vector<uint32_t> words;
  words.push_back(kCommentOpcode | uint32_t(1 + d.size() / 4) << 16);
  words.push_back(uint32_t('C') | uint32_t('T') << 8 | uint32_t('A') << 16 | uint32_t('B') << 24);
  for (size_t k = 0; k < d.size(); k += 4)
    words.push_back(uint32_t(d[k]) | uint32_t(d[k + 1]) << 8 | uint32_t(d[k + 2]) << 16 | uint32_t(d[k + 3]) << 24);
  return words;
}

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool assembleLine(Model& m, const std::string& lineIn, std::vector<uint32_t>& out, std::vector<CtabEntry>& ctab,
                  std::string& err) {
  std::string line = lineIn;
  uint32_t predicated = 0;
  std::vector<uint32_t> predWords;
  if (line[0] == '(') {
    const size_t close = line.find(')');
    if (close == std::string::npos) return err = "unclosed predicate", false;
    if (!operand(m, trimmed(line.substr(1, close - 1)), false, predWords, err)) return false;
    predicated = kPredicatedBit;
    line = trimmed(line.substr(close + 1));
  }
  const size_t sp = line.find_first_of(" \t");
  const std::string mnemonic = lower(line.substr(0, sp));
  const std::vector<std::string> ops = sp == std::string::npos ? std::vector<std::string>{} : splitTop(line.substr(sp));

  if (mnemonic == "ctab") {
    if (ops.size() != 4) return err = "ctab takes name, set, register, count", false;
    CtabEntry e{ops[0], 4, uint32_t(std::strtoul(ops[2].c_str(), nullptr, 10)),
                uint32_t(std::strtoul(ops[3].c_str(), nullptr, 10))};
    for (uint32_t k = 0; k < 4; ++k)
      if (ops[1] == kSetNames[k]) e.set = k;
    if (e.set == 4) return err = "unknown register set", false;
    ctab.push_back(e);
    return true;
  }

  // Mnemonic and suffixes.
  std::vector<std::string> parts;
  {
    size_t a = 0;
    for (;;) {
      const size_t u = mnemonic.find('_', a);
      parts.push_back(mnemonic.substr(a, u == std::string::npos ? std::string::npos : u - a));
      if (u == std::string::npos) break;
      a = u + 1;
    }
  }
  const std::string base = parts[0];
  std::vector<uint32_t> words;
  uint32_t opcode = 0, control = 0, resMod = 0;

  if (base == "dcl") {
    uint32_t usage = kParamBit;
    if (parts.size() > 2) return err = "bad declaration", false;
    if (parts.size() == 2) {
      const std::string& u = parts[1];
      if (u == "2d") usage |= kSampler2D << 27;
      else if (u == "cube") usage |= kSamplerCube << 27;
      else if (u == "volume") usage |= kSamplerVolume << 27;
      else {
        size_t k = u.size();
        while (k > 0 && std::isdigit(static_cast<unsigned char>(u[k - 1]))) --k;
        const std::string name = u.substr(0, k);
        bool found = false;
        for (uint32_t x = 0; x < std::size(kUsageNames); ++x)
          if (name == kUsageNames[x]) {
            usage |= x;
            found = true;
          }
        if (!found) return err = "unknown usage '" + name + "'", false;
        if (k < u.size()) usage |= (uint32_t(std::strtoul(u.c_str() + k, nullptr, 10)) & 15) << 16;
      }
    }
    if (ops.size() != 1) return err = "dcl takes one register", false;
    words.push_back(usage);
    if (!operand(m, ops[0], true, words, err)) return false;
    opcode = oDcl;
  } else if (base == "def" || base == "defi" || base == "defb") {
    opcode = base == "def" ? oDef : base == "defi" ? oDefi : oDefb;
    if (ops.size() != (opcode == oDefb ? 2u : 5u)) return err = "wrong number of values", false;
    if (!operand(m, ops[0], true, words, err)) return false;
    for (size_t k = 1; k < ops.size(); ++k) {
      uint32_t v = 0;
      if (opcode == oDef) {
        if (!parseFloatBits(ops[k], v)) return err = "bad number '" + ops[k] + "'", false;
      } else if (opcode == oDefb) {
        if (ops[k] != "true" && ops[k] != "false") return err = "defb takes true or false", false;
        v = ops[k] == "true";
      } else {
        char* end = nullptr;
        v = uint32_t(int32_t(std::strtol(ops[k].c_str(), &end, 10)));
        if (*end) return err = "bad integer '" + ops[k] + "'", false;
      }
      words.push_back(v);
    }
  } else {
    std::string name = base;
    if (name == "texldp") name = "texld", control = 1;
    else if (name == "texldb") name = "texld", control = 2;
    const OpInfo* info = nullptr;
    size_t k = 1;
    for (const OpInfo& o : kOps)
      if (o.name == name) {
        info = &o;
        break;
      }
    if (!info) return err = "unknown instruction '" + base + "'", false;
    opcode = info->opcode;
    for (; k < parts.size(); ++k) {
      const std::string& s = parts[k];
      if (s == "sat") resMod |= kResSaturate;
      else if (s == "pp") resMod |= kResPartial;
      else if (s == "centroid") resMod |= kResCentroid;
      else {
        bool cmp = false;
        for (uint32_t c = 1; c < std::size(kCompareNames); ++c)
          if (s == kCompareNames[c]) {
            control = c;
            cmp = true;
          }
        if (!cmp) return err = "unknown suffix '" + s + "'", false;
        if (opcode == oIf) opcode = oIfc;
        else if (opcode == oBreak) opcode = oBreakc;
        else if (opcode != oSetp) return err = "comparison on this instruction", false;
      }
    }
    if (opcode == oSetp && control == 0) return err = "setp needs a comparison", false;
    size_t first = 0;
    if (info->dst && !ops.empty()) {
      if (!operand(m, ops[0], true, words, err)) return false;
      words[0] |= resMod << 20;
      first = 1;
    } else if (resMod) {
      return err = "result modifier without a destination", false;
    }
    if (predicated) words.insert(words.begin() + ptrdiff_t(first ? (words.size()) : 0), predWords.begin(), predWords.end());
    for (size_t k2 = first; k2 < ops.size(); ++k2)
      if (!operand(m, ops[k2], false, words, err)) return false;
  }
  if (words.size() > 15) return err = "instruction too long", false;
  out.push_back(opcode | control << 16 | uint32_t(words.size()) << 24 | predicated);
  out.insert(out.end(), words.begin(), words.end());
  return true;
}

}  // namespace

// Whether the text's first line names a shader-model 4 or 5 program.
static bool modelFourOrFive(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) nl = text.size();
    std::string line = trimmed(text.substr(at, nl - at));
    at = nl + 1;
    const size_t comment = line.find_first_of("/;");
    if (comment != std::string::npos) line = trimmed(line.substr(0, comment));
    if (line.empty()) continue;
    return line.size() == 6 && line[1] == 's' && line[2] == '_' && (line[3] == '4' || line[3] == '5');
  }
  return false;
}

bool assemble(std::string_view text, std::vector<uint32_t>& out, std::string& error) {
  if (modelFourOrFive(text)) return assembleDxbc(text, out, error);
  out.clear();
  Model m;
  bool versioned = false;
  std::vector<CtabEntry> ctab;
  std::vector<uint32_t> body;
  size_t lineNo = 0, at = 0;
  while (at <= text.size()) {
    size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) nl = text.size();
    std::string line(text.substr(at, nl - at));
    at = nl + 1;
    ++lineNo;
    const size_t c1 = line.find("//"), c2 = line.find(';');
    line = trimmed(line.substr(0, std::min(c1, c2)));
    if (line.empty()) continue;
    std::string err;
    if (!versioned) {
      const std::string v = lower(line);
      if (v.size() != 6 || (v.compare(0, 3, "vs_") && v.compare(0, 3, "ps_")) || v[4] != '_')
        return error = "line " + std::to_string(lineNo) + ": version expected", false;
      m.pixel = v[0] == 'p';
      m.major = v[3] - '0';
      m.minor = v[5] == 'x' ? 1 : v[5] - '0';
      if (m.major < 1 || m.major > 3 || m.minor < 0 || m.minor > 4)
        return error = "line " + std::to_string(lineNo) + ": version expected", false;
      versioned = true;
      continue;
    }
    if (!assembleLine(m, line, body, ctab, err)) return error = "line " + std::to_string(lineNo) + ": " + err, false;
  }
  if (!versioned) return error = "no version", false;
  const uint32_t version = (m.pixel ? kPixelVersion : kVertexVersion) | uint32_t(m.major) << 8 | uint32_t(m.minor);
  out.push_back(version);
  if (!ctab.empty()) {
    const std::vector<uint32_t> block = ctabBlock(m, version, ctab);
    out.insert(out.end(), block.begin(), block.end());
  }
  out.insert(out.end(), body.begin(), body.end());
  out.push_back(kEndToken);
  return true;
}

namespace {

std::string registerName(const Model& m, uint32_t type, uint32_t n) {
  auto num = [&](const char* p) { return std::string(p) + std::to_string(n); };
  switch (type) {
    case rTemp: return num("r");
    case rInput: return num("v");
    case rConst: return num("c");
    case rAddr: return m.pixel ? num("t") : num("a");
    case rRastOut: return n == 0 ? "oPos" : n == 1 ? "oFog" : n == 2 ? "oPts" : "";
    case rAttrOut: return num("oD");
    case rTexCrdOut: return m.major == 3 ? num("o") : num("oT");
    case rConstInt: return num("i");
    case rColorOut: return num("oC");
    case rDepthOut: return n == 0 ? "oDepth" : "";
    case rSampler: return num("s");
    case rConstBool: return num("b");
    case rLoop: return n == 0 ? "aL" : "";
    case rMisc: return n == 0 ? "vPos" : n == 1 ? "vFace" : "";
    case rLabel: return num("l");
    case rPredicate: return num("p");
  }
  return "";
}

const char kComp[] = "xyzw";

bool listParam(const Model& m, const uint32_t* w, size_t end, size_t& pos, bool dst, std::string& s) {
  if (pos >= end) return false;
  const uint32_t t = w[pos++];
  std::string name = registerName(m, regType(t), regNumber(t));
  if (name.empty()) return false;
  if (t & kRelativeBit) {
    if (pos >= end) return false;
    const uint32_t a = w[pos++];
    const std::string an = registerName(m, regType(a), regNumber(a));
    if (an.empty()) return false;
    size_t k = 0;
    while (k < name.size() && std::isalpha(static_cast<unsigned char>(name[k]))) ++k;
    std::string idx = "[" + an + (regType(a) == rLoop ? "" : std::string(".") + kComp[(a >> 16) & 3]);
    if (regNumber(t)) idx += " + " + std::to_string(regNumber(t));
    name = name.substr(0, k) + idx + "]";
  }
  if (dst) {
    const uint32_t mask = (t >> 16) & 15;
    if (mask != 15) {
      name += '.';
      for (int c = 0; c < 4; ++c)
        if (mask >> c & 1) name += kComp[c];
    }
  } else {
    const uint32_t mod = (t >> 24) & 15;
    if (mod == 13) name = "!" + name;
    else if (mod == kModAbs) name += "_abs";
    else if (mod == kModAbsNeg) name = "-" + name + "_abs";
    else if (mod == kModNeg) name = "-" + name;
    else if (mod != kModNone) return false;
    const uint32_t sw = (t >> 16) & 0xFF;
    if (sw != 0xE4) {
      name += '.';
      const uint32_t c0 = sw & 3;
      if (sw == c0 * 0x55u) name += kComp[c0];
      else
        for (int c = 0; c < 4; ++c) name += kComp[(sw >> (2 * c)) & 3];
    }
  }
  s += name;
  return true;
}

std::string number(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  char buf[32];
  if (std::isfinite(f)) {
    std::snprintf(buf, sizeof buf, "%.9g", double(f));
    uint32_t back = 0;
    if (parseFloatBits(buf, back) && back == bits) return buf;
  }
  std::snprintf(buf, sizeof buf, "0x%08x", bits);
  return buf;
}

uint32_t readLE(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int k = 0; k < n; ++k) v |= uint32_t(p[k]) << (8 * k);
  return v;
}

// The `ctab` lines of a constant-table comment, or false when it is not one we can name.
bool listCtab(const uint32_t* w, size_t n, std::string& out) {
  if (n < 8 || w[0] != (uint32_t('C') | uint32_t('T') << 8 | uint32_t('A') << 16 | uint32_t('B') << 24)) return false;
  const auto* d = reinterpret_cast<const uint8_t*>(w + 1);
  const size_t size = (n - 1) * 4;
  const uint32_t count = readLE(d + 12, 4), infoAt = readLE(d + 16, 4);
  if (infoAt > size || count > (size - infoAt) / 20) return false;
  for (uint32_t k = 0; k < count; ++k) {
    const uint8_t* info = d + infoAt + 20 * k;
    const uint32_t nameAt = readLE(info, 4), set = readLE(info + 4, 2);
    if (nameAt >= size || set > 3) return false;
    const char* name = reinterpret_cast<const char*>(d + nameAt);
    const size_t len = strnlen(name, size - nameAt);
    if (len == size - nameAt) return false;
    out += "ctab " + std::string(name, len) + ", " + kSetNames[set] + ", " + std::to_string(readLE(info + 6, 2)) + ", " +
           std::to_string(readLE(info + 8, 2)) + "\n";
  }
  return true;
}

}  // namespace

bool list(const uint32_t* w, size_t count, std::string& out) {
  if (w && count >= 8 && std::memcmp(w, "DXBC", 4) == 0) return listDxbc(w, count, out);
  out.clear();
  if (!w || count == 0) return false;
  Model m;
  const uint32_t v = w[0];
  m.pixel = (v & 0xFFFF0000u) == kPixelVersion;
  m.major = int((v >> 8) & 0xFF);
  m.minor = int(v & 0xFF);
  if (!m.pixel && (v & 0xFFFF0000u) != kVertexVersion) return false;
  out += std::string(m.pixel ? "ps_" : "vs_") + std::to_string(m.major) + "_" +
         (m.minor == 1 && m.major == 2 ? "x" : std::to_string(m.minor)) + "\n";
  size_t pos = 1;
  while (pos < count) {
    const uint32_t t = w[pos++];
    if (t == kEndToken) return true;
    const uint32_t op = opcodeOf(t);
    if (op == kCommentOpcode) {
      const size_t n = commentWords(t);
      if (n > count - pos || !listCtab(w + pos, n, out)) return false;
      pos += n;
      continue;
    }
    const size_t end = pos + lengthOf(t);
    if (end > count) return false;
    std::string line;
    const uint32_t control = controlOf(t);
    if (op == oDcl) {
      if (pos + 2 != end) return false;
      const uint32_t u = w[pos++];
      const uint32_t type = regType(w[pos]);
      line = "dcl";
      if (type == rSampler) {
        const uint32_t kind = (u >> 27) & 15;
        line += kind == kSampler2D ? "_2d" : kind == kSamplerCube ? "_cube" : kind == kSamplerVolume ? "_volume" : "";
      } else if ((!(m.pixel && m.major < 3) && type != rMisc) || (u & 0x7FFFFFFF)) {
        if ((u & 31) >= std::size(kUsageNames)) return false;
        line += "_" + std::string(kUsageNames[u & 31]);
        if ((u >> 16) & 15) line += std::to_string((u >> 16) & 15);
      }
      line += " ";
      if (!listParam(m, w, end, pos, true, line)) return false;
    } else if (op == oDef || op == oDefi || op == oDefb) {
      line = op == oDef ? "def " : op == oDefi ? "defi " : "defb ";
      if (!listParam(m, w, end, pos, true, line)) return false;
      while (pos < end) {
        const uint32_t x = w[pos++];
        line += ", " + (op == oDef ? number(x) : op == oDefi ? std::to_string(int32_t(x)) : x ? "true" : "false");
      }
    } else {
      const OpInfo* info = opInfo(op);
      if (!info) return false;
      std::string name(info->name);
      if (op == oTex) name = control == 1 ? "texldp" : control == 2 ? "texldb" : "texld";
      if ((op == oIfc || op == oBreakc || op == oSetp) && control >= 1 && control <= 6)
        name += "_" + std::string(kCompareNames[control]);
      std::vector<std::string> params;
      size_t p = pos;
      if (info->dst) {
        if (p >= end) return false;
        const uint32_t res = (w[p] >> 20) & 15;
        if (res & kResSaturate) name += "_sat";
        if (res & kResPartial) name += "_pp";
        if (res & kResCentroid) name += "_centroid";
        std::string s;
        if (!listParam(m, w, end, p, true, s)) return false;
        params.push_back(s);
      }
      if (t & kPredicatedBit) {
        std::string s;
        if (!listParam(m, w, end, p, false, s)) return false;
        line = "(" + s + ") ";
      }
      while (p < end) {
        std::string s;
        if (!listParam(m, w, end, p, false, s)) return false;
        params.push_back(s);
      }
      pos = end;
      line += name;
      for (size_t k = 0; k < params.size(); ++k) line += (k ? ", " : " ") + params[k];
    }
    if (pos != end) return false;
    out += line + "\n";
  }
  return false;
}

}  // namespace halvorine::shaderasm
