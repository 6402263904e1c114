// Assembly and listing of shader-model 4 and 5 programs in their container, over the token
// table the Direct3D 11 face decodes with. Signatures come from directives of our own:
// `isgn TEXCOORD1 v1.xy` (name with its index, register and mask; `uint`/`sint` for integer
// elements, `used xy` when the program reads fewer components) and `osgn SV_Target0 o0.xyzw`.
#include "tools/shaderasm/dxbc_asm.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gpu/d3d11/dxbc_tokens.h"
#include "tools/shaderasm/asm_text.h"

namespace halvorine::shaderasm {

using namespace plat::gpu::dxbc;

namespace {

// Names of the declarations' system values, interpolation modes, resource kinds and
// return types, shared by the assembler and the lister.
const std::pair<const char*, uint32_t> kSv[] = {
    {"position", 1}, {"clip_distance", 2}, {"cull_distance", 3}, {"rendertarget_array_index", 4},
    {"viewport_array_index", 5}, {"vertex_id", 6}, {"primitive_id", 7}, {"instance_id", 8},
    {"is_front_face", 9}, {"sample_index", 10}};
const std::pair<const char*, uint32_t> kInterp[] = {
    {"constant", 1}, {"linear", 2}, {"linear centroid", 3}, {"linear noperspective", 4},
    {"linear noperspective centroid", 5}, {"linear sample", 6}, {"linear noperspective sample", 7}};
const std::pair<const char*, uint32_t> kDims[] = {
    {"buffer", 1}, {"texture1d", 2}, {"texture2d", 3}, {"texture2dms", 4}, {"texture3d", 5},
    {"texturecube", 6}, {"texture1darray", 7}, {"texture2darray", 8}, {"texture2dmsarray", 9},
    {"texturecubearray", 10}};
const std::pair<const char*, uint32_t> kRet[] = {
    {"unorm", 1}, {"snorm", 2}, {"sint", 3}, {"uint", 4}, {"float", 5}, {"mixed", 6}, {"double", 7}};

const char kXyzw[] = "xyzw";

int compLetter(char c) {
  const char* p = std::strchr(kXyzw, c);
  return c && p ? int(p - kXyzw) : -1;
}

// A number as its 32 bits: integers (decimal or 0x hex, signed) as themselves, anything with
// a point or exponent as a float.
bool numberBits(const std::string& s, uint32_t& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const bool isFloat = s.find_first_of(".eE") != std::string::npos && s.find("0x") == std::string::npos;
  if (isFloat || s == "inf" || s == "-inf") {
    const float f = std::strtof(s.c_str(), &end);
    if (*end) return false;
    std::memcpy(&out, &f, 4);
    return true;
  }
  const long long v = std::strtoll(s.c_str(), &end, 0);
  if (*end || v < -2147483648LL || v > 4294967295LL) return false;
  out = uint32_t(v);
  return true;
}

struct Sig {
  std::string name;
  uint32_t index, sv, type, reg;
  uint8_t mask, used;
};

struct Asm {
  std::vector<uint32_t> code;
  std::vector<Sig> isgn, osgn;
  uint32_t type = 0, major = 0, minor = 0;
  bool versioned = false;
  std::string err;

  bool fail(const std::string& e) {
    err = e;
    return false;
  }

  bool maskOf(const std::string& s, uint8_t& m) {
    m = 0;
    int last = -1;
    for (char c : s) {
      const int k = compLetter(c);
      if (k <= last) return false;
      last = k;
      m |= uint8_t(1u << k);
    }
    return m != 0;
  }

  // One operand into `out`. `dst`: a destination (mask), else a source (swizzle or select).
  bool operand(std::string s, bool dst, std::vector<uint32_t>& out) {
    uint32_t mod = kOperandPlain;
    if (!s.empty() && s[0] == '-') {
      mod |= kOperandNeg;
      s = trimmed(s.substr(1));
    }
    if (s.size() >= 2 && s.front() == '|') {
      const size_t close = s.find('|', 1);
      if (close == std::string::npos) return fail("unclosed |");
      s = trimmed(s.substr(1, close - 1)) + s.substr(close + 1);
      mod |= kOperandAbs;
    }
    uint32_t tok = 0;
    std::vector<uint32_t> tail;
    if (s.rfind("l(", 0) == 0 || s.rfind("d(", 0) == 0) {
      const size_t close = s.rfind(')');
      if (close == std::string::npos || close != s.size() - 1) return fail("bad immediate " + s);
      const std::vector<std::string> vals = splitTop(s.substr(2, close - 2));
      if (vals.size() != 1 && vals.size() != 4) return fail("an immediate has 1 or 4 values");
      for (const std::string& v : vals) {
        uint32_t b;
        if (!numberBits(v, b)) return fail("bad number " + v);
        tail.push_back(b);
      }
      tok = (vals.size() == 1 ? kComp1 : kComp4 | kSelSwizzle << 2 | 0xE4u << 4) | otImm32 << 12;
      if (mod) return fail("modifiers on an immediate");
      out.push_back(tok);
      out.insert(out.end(), tail.begin(), tail.end());
      return true;
    }
    // Name, indices, components.
    std::string comps;
    const size_t dot = s.rfind('.');
    if (dot != std::string::npos && s.find(']', dot) == std::string::npos) {
      comps = s.substr(dot + 1);
      s = s.substr(0, dot);
    }
    size_t k = 0;
    while (k < s.size() && std::isalpha(static_cast<unsigned char>(s[k]))) ++k;
    const std::string letters = s.substr(0, k);
    std::string rest = s.substr(k);
    std::vector<std::string> idx;
    size_t digitsEnd = 0;
    while (digitsEnd < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digitsEnd]))) ++digitsEnd;
    if (digitsEnd) idx.push_back(rest.substr(0, digitsEnd));
    rest = rest.substr(digitsEnd);
    while (!rest.empty()) {
      if (rest[0] != '[') return fail("bad operand " + s);
      const size_t close = rest.find(']');
      if (close == std::string::npos) return fail("unclosed [");
      idx.push_back(trimmed(rest.substr(1, close - 1)));
      rest = rest.substr(close + 1);
    }
    struct Name {
      const char* text;
      uint32_t type;
      int dims;  // -1: any count of indices given
      int comps; // 0: none, 1: one, 4: four
    };
    static const Name names[] = {
        {"r", otTemp, 1, 4},        {"v", otInput, 1, 4},         {"o", otOutput, 1, 4},
        {"x", otIndexableTemp, 2, 4}, {"s", otSampler, 1, 0},     {"t", otResource, 1, 4},
        {"cb", otConstantBuffer, 2, 4}, {"icb", otImmConstantBuffer, 1, 4}, {"oDepth", otOutputDepth, 0, 1},
        {"null", otNull, 0, 0},     {"u", otUav, 1, 4},           {"vCoverage", otInputCoverage, 0, 1},
        {"vPrim", otPrimitiveId, 0, 1}, {"vThreadID", otInputThreadId, 0, 4}, {"g", otThreadGroupShared, 1, 4},
        {"fb", otFunctionBody, 1, 0}, {"this", otThisPointer, 1, 4},
    };
    const Name* n = nullptr;
    for (const Name& x : names)
      if (letters == x.text) n = &x;
    if (!n) return fail("unknown register " + s);
    if (int(idx.size()) != n->dims) return fail("wrong index count in " + s);
    uint32_t compBits = 0;
    const bool zeroComp = n->comps == 0 || (n->type == otResource && comps.empty()) ||
                          (n->type == otUav && comps.empty()) || (n->type == otConstantBuffer && comps.empty() && false);
    if (zeroComp) {
      if (!comps.empty() && n->comps == 0) return fail("components on " + s);
      compBits = kComp0;
    } else if (n->comps == 1) {
      compBits = kComp1;
    } else if (dst) {
      uint8_t m = 15;
      if (!comps.empty() && !maskOf(comps, m)) return fail("bad mask ." + comps);
      compBits = kComp4 | kSelMask << 2 | uint32_t(m) << 4;
    } else if (comps.size() == 1) {
      const int c = compLetter(comps[0]);
      if (c < 0) return fail("bad component ." + comps);
      compBits = kComp4 | kSelSelect1 << 2 | uint32_t(c) << 4;
    } else {
      uint32_t sw = 0xE4;
      if (!comps.empty()) {
        if (comps.size() != 4) return fail("a swizzle has 1 or 4 components: ." + comps);
        sw = 0;
        for (int c = 0; c < 4; ++c) {
          const int v = compLetter(comps[size_t(c)]);
          if (v < 0) return fail("bad swizzle ." + comps);
          sw |= uint32_t(v) << (2 * c);
        }
      }
      compBits = kComp4 | kSelSwizzle << 2 | sw << 4;
    }
    tok = compBits | n->type << 12 | uint32_t(idx.size()) << 20;
    for (size_t d = 0; d < idx.size(); ++d) {
      const std::string& e = idx[d];
      uint32_t rep = kIdxImm32;
      std::vector<uint32_t> rel;
      const size_t plus = e.find('+');
      std::string regPart = plus == std::string::npos ? e : trimmed(e.substr(0, plus));
      uint32_t imm = 0;
      if (!regPart.empty() && std::isalpha(static_cast<unsigned char>(regPart[0]))) {
        if (!operand(regPart, false, rel)) return false;
        rep = plus == std::string::npos ? kIdxRelative : kIdxImm32Relative;
        if (plus != std::string::npos && !numberBits(trimmed(e.substr(plus + 1)), imm)) return fail("bad index " + e);
      } else if (!numberBits(e, imm)) {
        return fail("bad index " + e);
      }
      tok |= rep << (22 + 3 * d);
      if (rep != kIdxRelative) tail.push_back(imm);
      tail.insert(tail.end(), rel.begin(), rel.end());
    }
    if (mod) tok |= 1u << 31;
    out.push_back(tok);
    if (mod) out.push_back(1u | mod << 6);
    out.insert(out.end(), tail.begin(), tail.end());
    return true;
  }

  void emit(uint32_t opcode, uint32_t controls, const std::vector<uint32_t>& body) {
    code.push_back(opcode | controls | uint32_t(body.size() + 1) << 24);
    code.insert(code.end(), body.begin(), body.end());
  }

  static bool lookup(const std::pair<const char*, uint32_t>* table, size_t n, const std::string& s, uint32_t& out) {
    for (size_t k = 0; k < n; ++k)
      if (s == table[k].first) {
        out = table[k].second;
        return true;
      }
    return false;
  }

  bool declaration(const std::string& name, const std::string& args) {
    static const std::pair<const char*, uint32_t> kFlags[] = {
        {"refactoringAllowed", 1u << 11}, {"enableDoublePrecisionFloatOps", 1u << 12},
        {"forceEarlyDepthStencil", 1u << 13}, {"enableRawAndStructuredBuffers", 1u << 14}};
    std::vector<uint32_t> body;
    const std::vector<std::string> ops = splitTop(args);
    if (name == "dcl_globalFlags") {
      uint32_t flags = 0;
      size_t at = 0;
      while (at < args.size()) {
        size_t bar = args.find('|', at);
        if (bar == std::string::npos) bar = args.size();
        uint32_t f;
        if (!lookup(kFlags, std::size(kFlags), trimmed(args.substr(at, bar - at)), f)) return fail("unknown flag");
        flags |= f;
        at = bar + 1;
      }
      emit(opDclGlobalFlags, flags, body);
      return true;
    }
    if (name == "dcl_temps") {
      uint32_t n;
      if (!numberBits(trimmed(args), n)) return fail("dcl_temps needs a count");
      emit(opDclTemps, 0, {n});
      return true;
    }
    if (name == "dcl_indexableTemp") {
      uint32_t reg, count, comps;
      if (ops.size() != 2 || ops[0][0] != 'x' || !numberBits(ops[1], comps)) return fail("dcl_indexableTemp xN[count], comps");
      const size_t open = ops[0].find('['), close = ops[0].find(']');
      if (open == std::string::npos || close == std::string::npos || !numberBits(ops[0].substr(1, open - 1), reg) ||
          !numberBits(ops[0].substr(open + 1, close - open - 1), count))
        return fail("dcl_indexableTemp xN[count], comps");
      emit(opDclIndexableTemp, 0, {reg, count, comps});
      return true;
    }
    if (name == "dcl_immediateConstantBuffer") {
      const size_t open = args.find('{'), close = args.rfind('}');
      if (open == std::string::npos || close == std::string::npos) return fail("dcl_immediateConstantBuffer { {..}, .. }");
      for (const std::string& v : splitTop(args.substr(open + 1, close - open - 1))) {
        if (v.size() < 2 || v.front() != '{' || v.back() != '}') return fail("constant buffer rows are { a, b, c, d }");
        const std::vector<std::string> xs = splitTop(v.substr(1, v.size() - 2));
        if (xs.size() != 4) return fail("constant buffer rows have four values");
        for (const std::string& x : xs) {
          uint32_t b;
          if (!numberBits(x, b)) return fail("bad number " + x);
          body.push_back(b);
        }
      }
      code.push_back(opCustomData | kCustomImmediateConstantBuffer << 11);
      code.push_back(uint32_t(body.size() + 2));
      code.insert(code.end(), body.begin(), body.end());
      return true;
    }
    if (name == "dcl_constantbuffer") {
      if (ops.size() != 2 || (ops[1] != "immediateIndexed" && ops[1] != "dynamicIndexed"))
        return fail("dcl_constantbuffer cbN[size], immediateIndexed|dynamicIndexed");
      if (!operand(ops[0], false, body)) return false;
      emit(opDclConstantBuffer, ops[1] == "dynamicIndexed" ? 1u << 11 : 0, body);
      return true;
    }
    if (name == "dcl_sampler") {
      static const std::pair<const char*, uint32_t> kModes[] = {
          {"mode_default", 0}, {"mode_comparison", 1}, {"mode_mono", 2}};
      uint32_t mode;
      if (ops.size() != 2 || !lookup(kModes, std::size(kModes), ops[1], mode)) return fail("dcl_sampler sN, mode_...");
      if (!operand(ops[0], false, body)) return false;
      emit(opDclSampler, mode << 11, body);
      return true;
    }
    const bool uav = name.rfind("dcl_uav_typed_", 0) == 0;
    if (name.rfind("dcl_resource_", 0) == 0 || uav) {
      uint32_t dim;
      if (!lookup(kDims, std::size(kDims), name.substr(uav ? 14 : 13), dim)) return fail("unknown resource kind");
      const size_t close = args.find(')');
      if (args.empty() || args[0] != '(' || close == std::string::npos) return fail("return types (a,b,c,d) first");
      const std::vector<std::string> rt = splitTop(args.substr(1, close - 1));
      if (rt.size() != 4) return fail("four return types");
      uint32_t ret = 0;
      for (size_t c = 0; c < 4; ++c) {
        uint32_t v;
        if (!lookup(kRet, std::size(kRet), rt[c], v)) return fail("unknown return type " + rt[c]);
        ret |= v << (4 * c);
      }
      if (!operand(trimmed(args.substr(close + 1)), false, body)) return false;
      body.push_back(ret);
      emit(uav ? opDclUavTyped : opDclResource, dim << 11, body);
      return true;
    }
    uint32_t opcode = 0;
    bool ps = false, named = false;
    static const std::pair<const char*, uint32_t> kIo[] = {
        {"dcl_input", opDclInput},         {"dcl_input_sgv", opDclInputSgv},       {"dcl_input_siv", opDclInputSiv},
        {"dcl_input_ps", opDclInputPs},    {"dcl_input_ps_sgv", opDclInputPsSgv}, {"dcl_input_ps_siv", opDclInputPsSiv},
        {"dcl_output", opDclOutput},       {"dcl_output_sgv", opDclOutputSgv},     {"dcl_output_siv", opDclOutputSiv}};
    if (!lookup(kIo, std::size(kIo), name, opcode)) return fail("unknown declaration " + name);
    ps = opcode >= opDclInputPs && opcode <= opDclInputPsSiv;
    named = opcode != opDclInput && opcode != opDclInputPs && opcode != opDclOutput;
    std::string reg = args;
    uint32_t controls = 0;
    if (ps) {
      const size_t comma = args.find(',');
      const size_t at = args.find_last_of(" \t", comma == std::string::npos ? std::string::npos : comma) + 1;
      if (at == 0) return fail("interpolation, then the register");
      uint32_t interp;
      if (!lookup(kInterp, std::size(kInterp), trimmed(args.substr(0, at)), interp)) return fail("unknown interpolation");
      controls = interp << 11;
      reg = args.substr(at);
    }
    const std::vector<std::string> parts = splitTop(reg);
    if (parts.size() != (named ? 2u : 1u)) return fail("wrong operand count for " + name);
    if (!operand(parts[0], true, body)) return false;
    if (named) {
      uint32_t sv;
      if (!lookup(kSv, std::size(kSv), parts[1], sv)) return fail("unknown system value " + parts[1]);
      body.push_back(sv);
    }
    emit(opcode, controls, body);
    return true;
  }

  bool signature(bool input, const std::string& args) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < args.size()) {
      while (at < args.size() && std::isspace(static_cast<unsigned char>(args[at]))) ++at;
      size_t e = at;
      while (e < args.size() && !std::isspace(static_cast<unsigned char>(args[e]))) ++e;
      if (e > at) words.push_back(args.substr(at, e - at));
      at = e;
    }
    if (words.size() < 2) return fail("signature: NAME<index> register.mask [uint|sint] [used mask]");
    Sig s;
    size_t d = words[0].size();
    while (d > 0 && std::isdigit(static_cast<unsigned char>(words[0][d - 1]))) --d;
    s.name = words[0].substr(0, d);
    s.index = d < words[0].size() ? uint32_t(std::strtoul(words[0].c_str() + d, nullptr, 10)) : 0;
    if (s.name.empty()) return fail("signature name");
    std::string upper;
    for (char c : s.name) upper += char(std::toupper(static_cast<unsigned char>(c)));
    s.sv = upper == "SV_POSITION" ? 1 : upper == "SV_VERTEXID" ? 6 : upper == "SV_ISFRONTFACE" ? 9
           : upper == "SV_TARGET" ? 64 : upper == "SV_DEPTH" ? 65 : 0;
    s.type = s.sv == 6 ? 1 : 3;
    if (words[1] == "oDepth") {
      s.reg = 0xFFFFFFFFu;
      s.mask = 1;
    } else {
      const size_t dot = words[1].find('.');
      const char want = input ? 'v' : 'o';
      if (words[1][0] != want || dot == std::string::npos || !maskOf(words[1].substr(dot + 1), s.mask))
        return fail("signature register " + words[1]);
      s.reg = uint32_t(std::strtoul(words[1].c_str() + 1, nullptr, 10));
    }
    s.used = input ? s.mask : 0;
    for (size_t k = 2; k < words.size(); ++k) {
      if (words[k] == "uint") s.type = 1;
      else if (words[k] == "sint") s.type = 2;
      else if (words[k] == "float") s.type = 3;
      else if (words[k] == "used" && k + 1 < words.size()) {
        if (words[k + 1] == "none") s.used = 0;
        else if (!maskOf(words[k + 1], s.used)) return fail("bad used mask");
        ++k;
      } else return fail("unknown signature word " + words[k]);
    }
    (input ? isgn : osgn).push_back(s);
    return true;
  }

  bool instruction(const std::string& mnemonic, const std::string& args) {
    std::string base = mnemonic;
    uint32_t controls = 0;
    const TokenOp* info = nullptr;
    for (;;) {
      info = opByName(base.data(), base.size());
      if (info) break;
      if (base.size() > 4 && base.compare(base.size() - 4, 4, "_sat") == 0) {
        controls |= kSaturateBit;
        base.resize(base.size() - 4);
      } else if (base.size() > 3 && base.compare(base.size() - 3, 3, "_nz") == 0) {
        controls |= kTestNonZeroBit;
        base.resize(base.size() - 3);
      } else if (base.size() > 2 && base.compare(base.size() - 2, 2, "_z") == 0) {
        base.resize(base.size() - 2);
      } else if (base.rfind("resinfo_", 0) == 0) {
        const std::string kind = base.substr(8);
        controls |= (kind == "rcpFloat" ? 1u : kind == "uint" ? 2u : 0u) << 11;
        if (kind != "rcpFloat" && kind != "uint") return fail("unknown resinfo kind " + kind);
        base = "resinfo";
      } else {
        return fail("unknown instruction " + mnemonic);
      }
    }
    const std::vector<std::string> ops = splitTop(args);
    std::vector<uint32_t> body;
    for (size_t k = 0; k < ops.size(); ++k)
      if (!operand(ops[k], k < info->dsts, body)) return false;
    emit(info->code, controls, body);
    return true;
  }

  bool line(const std::string& text) {
    const size_t sp = text.find_first_of(" \t");
    const std::string head = text.substr(0, sp);
    const std::string args = sp == std::string::npos ? std::string() : trimmed(text.substr(sp));
    if (!versioned) {
      static const std::pair<const char*, uint32_t> kKinds[] = {{"ps", kPixel}, {"vs", kVertex}, {"gs", kGeometry},
                                                                 {"hs", kHull},  {"ds", kDomain}, {"cs", kCompute}};
      if (head.size() != 6 || head[2] != '_' || head[4] != '_' || !args.empty()) return fail("version first (ps_4_0, ...)");
      if (!lookup(kKinds, std::size(kKinds), head.substr(0, 2), type)) return fail("unknown program kind");
      major = uint32_t(head[3] - '0');
      minor = uint32_t(head[5] - '0');
      if (major > 9 || minor > 9) return fail("bad version");
      versioned = true;
      return true;
    }
    if (head == "isgn" || head == "osgn") return signature(head == "isgn", args);
    if (head.rfind("dcl_", 0) == 0) return declaration(head, args);
    return instruction(head, args);
  }
};

void putWord(std::vector<uint8_t>& b, uint32_t v) {
  for (int k = 0; k < 4; ++k) b.push_back(uint8_t(v >> (8 * k)));
}

std::vector<uint8_t> signatureChunk(const std::vector<Sig>& sigs) {
  std::vector<uint8_t> b;
  putWord(b, uint32_t(sigs.size()));
  putWord(b, 8);
  std::string names;
  const size_t namesAt = 8 + 24 * sigs.size();
  std::vector<uint32_t> offsets;
  for (const Sig& s : sigs) {
    size_t found = std::string::npos;
    for (size_t k = 0; k < offsets.size(); ++k)
      if (sigs[k].name == s.name) found = offsets[k];
    if (found == std::string::npos) {
      found = namesAt + names.size();
      names += s.name;
      names += '\0';
    }
    offsets.push_back(uint32_t(found));
  }
  for (size_t k = 0; k < sigs.size(); ++k) {
    const Sig& s = sigs[k];
    putWord(b, offsets[k]);
    putWord(b, s.index);
    putWord(b, s.sv);
    putWord(b, s.type);
    putWord(b, s.reg);
    b.push_back(s.mask);
    b.push_back(s.used);
    b.push_back(0);
    b.push_back(0);
  }
  b.insert(b.end(), names.begin(), names.end());
  while (b.size() % 4) b.push_back(0xAB);
  return b;
}

}  // namespace

bool assembleDxbc(std::string_view text, std::vector<uint32_t>& out, std::string& error) {
  out.clear();
  Asm a;
  size_t lineNo = 0, at = 0;
  std::string pending;
  while (at <= text.size()) {
    size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) nl = text.size();
    std::string line(text.substr(at, nl - at));
    at = nl + 1;
    ++lineNo;
    const size_t comment = line.find("//");
    if (comment != std::string::npos) line.resize(comment);
    line = trimmed(line);
    if (line.empty() && pending.empty()) continue;
    // An immediate constant buffer may run over several lines, to its closing brace.
    pending += pending.empty() ? line : " " + line;
    int depth = 0;
    for (char c : pending) depth += c == '{' ? 1 : c == '}' ? -1 : 0;
    if (depth > 0 && at <= text.size()) continue;
    const std::string whole = pending;
    pending.clear();
    if (!a.line(whole)) {
      error = "line " + std::to_string(lineNo) + ": " + a.err;
      return false;
    }
  }
  if (!a.versioned) {
    error = "no version line";
    return false;
  }
  std::vector<uint32_t> program;
  program.push_back(a.minor | a.major << 4 | a.type << 16);
  program.push_back(0);
  program.insert(program.end(), a.code.begin(), a.code.end());
  program[1] = uint32_t(program.size());
  std::vector<std::vector<uint8_t>> chunks;
  std::vector<uint32_t> tags;
  auto tag = [](const char* t) { return uint32_t(uint8_t(t[0])) | uint32_t(uint8_t(t[1])) << 8 |
                                        uint32_t(uint8_t(t[2])) << 16 | uint32_t(uint8_t(t[3])) << 24; };
  chunks.push_back(signatureChunk(a.isgn));
  tags.push_back(tag("ISGN"));
  chunks.push_back(signatureChunk(a.osgn));
  tags.push_back(tag("OSGN"));
  std::vector<uint8_t> code;
  for (uint32_t w : program) putWord(code, w);
  chunks.push_back(code);
  tags.push_back(tag(a.major >= 5 ? "SHEX" : "SHDR"));
  std::vector<uint8_t> blob;
  blob.insert(blob.end(), {'D', 'X', 'B', 'C'});
  blob.resize(20, 0);  // the checksum is left zero: readers check the structure instead
  putWord(blob, 1);
  putWord(blob, 0);
  putWord(blob, uint32_t(chunks.size()));
  size_t offset = 32 + 4 * chunks.size();
  for (const auto& c : chunks) {
    putWord(blob, uint32_t(offset));
    offset += 8 + c.size();
  }
  for (size_t k = 0; k < chunks.size(); ++k) {
    putWord(blob, tags[k]);
    putWord(blob, uint32_t(chunks[k].size()));
    blob.insert(blob.end(), chunks[k].begin(), chunks[k].end());
  }
  const uint32_t total = uint32_t(blob.size());
  std::memcpy(blob.data() + 24, &total, 4);
  out.resize(blob.size() / 4);
  std::memcpy(out.data(), blob.data(), blob.size());
  return true;
}

}  // namespace halvorine::shaderasm

// Listing.
namespace halvorine::shaderasm {

namespace {

struct Lister {
  const uint32_t* w;
  size_t end;
  size_t pos = 0;
  std::string out;

  bool word(uint32_t& v) {
    if (pos >= end) return false;
    v = w[pos++];
    return true;
  }

  static std::string number(uint32_t bits, bool asFloat) {
    char buf[48];
    float f;
    std::memcpy(&f, &bits, 4);
    // Small integers stored as bits read as denormals: they are written as integers.
    if (asFloat && (bits & 0x7F800000u) == 0 && (bits & 0x7FFFFFFFu) != 0) asFloat = false;
    if (asFloat && std::isfinite(f)) {
      std::snprintf(buf, sizeof buf, "%.9g", double(f));
      std::string s = buf;
      if (s.find_first_of(".e") == std::string::npos) s += ".0";
      return s;
    }
    if (asFloat) std::snprintf(buf, sizeof buf, "0x%08x", bits);
    else std::snprintf(buf, sizeof buf, "%d", int32_t(bits));
    return buf;
  }

  bool operand(bool dst, bool floats, std::string& s) {
    uint32_t t;
    if (!word(t)) return false;
    uint32_t mod = 0;
    if (opExtended(t)) {
      uint32_t e;
      if (!word(e) || (e & 0x3F) != 1) return false;
      mod = (e >> 6) & 0xFF;
    }
    const uint32_t type = operandType(t), comps = operandComponents(t);
    if (type == otImm32) {
      const int n = comps == kComp1 ? 1 : comps == kComp4 ? 4 : 0;
      if (!n) return false;
      s = "l(";
      for (int k = 0; k < n; ++k) {
        uint32_t v;
        if (!word(v)) return false;
        s += (k ? ", " : "") + number(v, floats);
      }
      s += ")";
      return true;
    }
    struct Name {
      uint32_t type;
      const char* text;
      bool numbered;
    };
    static const Name names[] = {
        {otTemp, "r", true},   {otInput, "v", true},      {otOutput, "o", true},  {otIndexableTemp, "x", true},
        {otSampler, "s", true}, {otResource, "t", true},  {otConstantBuffer, "cb", true},
        {otImmConstantBuffer, "icb", false}, {otOutputDepth, "oDepth", false}, {otNull, "null", false},
        {otUav, "u", true},     {otInputCoverage, "vCoverage", false}, {otPrimitiveId, "vPrim", false},
        {otInputThreadId, "vThreadID", false}, {otThreadGroupShared, "g", true}, {otFunctionBody, "fb", true},
        {otThisPointer, "this", true},
    };
    const Name* n = nullptr;
    for (const Name& x : names)
      if (x.type == type) n = &x;
    if (!n) return false;
    s = n->text;
    const uint32_t dims = operandDims(t);
    for (uint32_t d = 0; d < dims; ++d) {
      const uint32_t rep = operandIndexRep(t, int(d));
      std::string idx;
      uint32_t imm = 0;
      if (rep == kIdxImm32 || rep == kIdxImm32Relative)
        if (!word(imm)) return false;
      if (rep == kIdxRelative || rep == kIdxImm32Relative) {
        std::string r;
        if (!operand(false, false, r)) return false;
        idx = r + (rep == kIdxImm32Relative ? " + " + std::to_string(imm) : "");
      } else if (rep == kIdxImm32) {
        idx = std::to_string(imm);
      } else {
        return false;
      }
      s += d == 0 && n->numbered && rep == kIdxImm32 ? idx : "[" + idx + "]";
    }
    if (comps == kComp4) {
      const uint32_t sel = operandSelection(t);
      s += ".";
      if (sel == kSelMask) {
        const uint32_t m = (t >> 4) & 15;
        for (int c = 0; c < 4; ++c)
          if (m >> c & 1) s += kXyzw[c];
        if (!dst || m == 0) return false;
      } else if (sel == kSelSwizzle) {
        for (int c = 0; c < 4; ++c) s += kXyzw[(t >> (4 + 2 * c)) & 3];
      } else if (sel == kSelSelect1) {
        s += kXyzw[(t >> 4) & 3];
      } else {
        return false;
      }
      if (dst != (sel == kSelMask)) return false;
    }
    if (mod & kOperandAbs) s = "|" + s + "|";
    if (mod & kOperandNeg) s = "-" + s;
    return true;
  }

  static const char* find(const std::pair<const char*, uint32_t>* t, size_t n, uint32_t v) {
    for (size_t k = 0; k < n; ++k)
      if (t[k].second == v) return t[k].first;
    return nullptr;
  }

  bool instruction() {
    const size_t start = pos;
    uint32_t t;
    if (!word(t)) return false;
    const uint32_t op = opType(t);
    if (op == opCustomData) {
      uint32_t len;
      if (((t >> 11) & 0x1FFFFF) != kCustomImmediateConstantBuffer || !word(len) || len < 2 || (len - 2) % 4 ||
          len > end - start)
        return false;
      out += "dcl_immediateConstantBuffer {";
      for (uint32_t k = 0; k < (len - 2) / 4; ++k) {
        out += k ? ",\n  { " : " { ";
        for (int c = 0; c < 4; ++c) out += (c ? ", " : "") + number(w[pos++], true);
        out += " }";
      }
      out += " }\n";
      return true;
    }
    const uint32_t len = opLength(t);
    if (len == 0 || len > end - start || opExtended(t)) return false;
    const size_t stop = start + len;
    const size_t saved = end;
    end = stop;
    std::string line;
    std::vector<std::string> ops;
    auto operands = [&](size_t dsts, bool floats) {
      std::string s;
      size_t k = 0;
      while (pos < end) {
        if (!operand(k < dsts, floats, s)) return false;
        ops.push_back(s);
        ++k;
      }
      return true;
    };
    bool ok = true;
    const uint32_t controls = opControls(t);
    static const std::pair<const char*, uint32_t> kIo[] = {
        {"dcl_input", opDclInput},      {"dcl_input_sgv", opDclInputSgv},       {"dcl_input_siv", opDclInputSiv},
        {"dcl_input_ps", opDclInputPs}, {"dcl_input_ps_sgv", opDclInputPsSgv}, {"dcl_input_ps_siv", opDclInputPsSiv},
        {"dcl_output", opDclOutput},    {"dcl_output_sgv", opDclOutputSgv},     {"dcl_output_siv", opDclOutputSiv}};
    if (op == opDclGlobalFlags) {
      static const char* kFlags[] = {"refactoringAllowed", "enableDoublePrecisionFloatOps", "forceEarlyDepthStencil",
                                     "enableRawAndStructuredBuffers"};
      line = "dcl_globalFlags ";
      bool first = true;
      for (int k = 0; k < 4; ++k)
        if (controls >> k & 1) {
          line += (first ? "" : " | ") + std::string(kFlags[k]);
          first = false;
        }
      ok = !first && (controls >> 4) == 0 && len == 1;
    } else if (op == opDclTemps) {
      uint32_t n = 0;
      ok = word(n) && len == 2;
      line = "dcl_temps " + std::to_string(n);
    } else if (op == opDclIndexableTemp) {
      uint32_t r = 0, c = 0, k = 0;
      ok = word(r) && word(c) && word(k) && len == 4;
      line = "dcl_indexableTemp x" + std::to_string(r) + "[" + std::to_string(c) + "], " + std::to_string(k);
    } else if (op == opDclConstantBuffer) {
      ok = operands(0, false) && ops.size() == 1 && controls <= 1;
      if (ok && ops[0].size() > 5 && ops[0].compare(ops[0].size() - 5, 5, ".xyzw") == 0) ops[0].resize(ops[0].size() - 5);
      line = "dcl_constantbuffer " + (ok ? ops[0] : "") + (controls ? ", dynamicIndexed" : ", immediateIndexed");
      ops.clear();
    } else if (op == opDclSampler) {
      static const char* kModes[] = {"mode_default", "mode_comparison", "mode_mono"};
      ok = operands(0, false) && ops.size() == 1 && controls <= 2;
      line = "dcl_sampler " + (ok ? ops[0] + ", " + kModes[controls] : "");
      ops.clear();
    } else if (op == opDclResource || op == opDclUavTyped) {
      const char* dim = find(kDims, std::size(kDims), controls & 0x1F);
      std::string reg;
      uint32_t ret = 0;
      ok = dim && operand(false, false, reg) && word(ret) && pos == end;
      line = std::string(op == opDclUavTyped ? "dcl_uav_typed_" : "dcl_resource_") + (dim ? dim : "") + " (";
      for (int c = 0; c < 4 && ok; ++c) {
        const char* r = find(kRet, std::size(kRet), (ret >> (4 * c)) & 15);
        ok = r != nullptr;
        line += (c ? "," : "") + std::string(r ? r : "");
      }
      line += ") " + reg;
    } else if (const char* io = find(kIo, std::size(kIo), op)) {
      const bool ps = op >= opDclInputPs && op <= opDclInputPsSiv;
      const bool named = op != opDclInput && op != opDclInputPs && op != opDclOutput;
      std::string reg;
      ok = operand(true, false, reg) || (pos = start + 1, operand(false, false, reg));
      line = std::string(io) + " ";
      if (ps) {
        const char* interp = find(kInterp, std::size(kInterp), controls & 15);
        ok = ok && interp;
        line += std::string(interp ? interp : "") + " ";
      }
      line += reg;
      if (named) {
        uint32_t sv = 0;
        ok = ok && word(sv);
        const char* name = find(kSv, std::size(kSv), sv);
        ok = ok && name;
        line += std::string(", ") + (name ? name : "");
      }
      ok = ok && pos == end;
    } else if (const TokenOp* info = opByCode(op)) {
      line = info->name;
      if (op == opResinfo) line += (controls & 3) == 1 ? "_rcpFloat" : (controls & 3) == 2 ? "_uint" : "";
      if (op == opIf || op == opBreakc || op == opContinuec || op == opRetc || op == opDiscard)
        line += t & kTestNonZeroBit ? "_nz" : "_z";
      if (t & kSaturateBit) line += "_sat";
      ok = operands(info->dsts, info->cls == OpClass::floatAlu || info->cls == OpClass::anyAlu ||
                                    (info->cls == OpClass::sample && op != opLd && op != opResinfo));
    } else {
      ok = false;
    }
    end = saved;
    if (!ok || pos != stop) return false;
    for (size_t k = 0; k < ops.size(); ++k) line += (k ? ", " : " ") + ops[k];
    out += line + "\n";
    return true;
  }
};

}  // namespace

bool listDxbc(const uint32_t* words, size_t count, std::string& out) {
  out.clear();
  const auto* b = reinterpret_cast<const uint8_t*>(words);
  const size_t size = count * 4;
  auto rd = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, b + at, 4);
    return v;
  };
  if (size < 32 || std::memcmp(b, "DXBC", 4) != 0 || rd(24) != size) return false;
  const uint32_t chunks = rd(28);
  if (chunks > 64 || 32 + size_t(chunks) * 4 > size) return false;
  const uint32_t* code = nullptr;
  size_t codeWords = 0;
  std::string sigs;
  for (uint32_t k = 0; k < chunks; ++k) {
    const size_t at = rd(32 + 4 * k);
    if (at % 4 || at > size - 8) return false;
    const size_t len = rd(at + 4), body = at + 8;
    if (len > size - body) return false;
    const std::string tag(reinterpret_cast<const char*>(b + at), 4);
    if (tag == "SHDR" || tag == "SHEX") {
      code = words + body / 4;
      codeWords = len / 4;
    } else if (tag == "ISGN" || tag == "OSGN") {
      if (len < 8) return false;
      const uint32_t n = rd(body), first = rd(body + 4);
      if (first > len || size_t(n) * 24 > len - first) return false;
      for (uint32_t e = 0; e < n; ++e) {
        const size_t el = body + first + 24 * e;
        const uint32_t nameAt = rd(el), index = rd(el + 4), type = rd(el + 12), reg = rd(el + 16);
        const uint8_t mask = b[el + 20], used = b[el + 21];
        if (nameAt >= len) return false;
        const char* name = reinterpret_cast<const char*>(b + body + nameAt);
        const size_t nameLen = strnlen(name, len - nameAt);
        if (nameLen == len - nameAt) return false;
        std::string line = std::string(tag == "ISGN" ? "isgn " : "osgn ") + std::string(name, nameLen) +
                           std::to_string(index) + " ";
        std::string m;
        for (int c = 0; c < 4; ++c)
          if (mask >> c & 1) m += kXyzw[c];
        line += reg == 0xFFFFFFFFu ? std::string("oDepth") : (tag == "ISGN" ? "v" : "o") + std::to_string(reg) + "." + m;
        if (type == 1 && std::string(name, nameLen) != "SV_VertexID") line += " uint";
        if (type == 2) line += " sint";
        if (tag == "ISGN" && used != mask) {
          std::string u;
          for (int c = 0; c < 4; ++c)
            if (used >> c & 1) u += kXyzw[c];
          line += " used " + (u.empty() ? std::string("none") : u);
        }
        sigs += line + "\n";
      }
    }
  }
  if (!code || codeWords < 2 || code[1] != codeWords) return false;
  static const char* kKinds[] = {"ps", "vs", "gs", "hs", "ds", "cs"};
  const uint32_t v = code[0];
  if ((v >> 16) > 5) return false;
  out = std::string(kKinds[v >> 16]) + "_" + std::to_string((v >> 4) & 15) + "_" + std::to_string(v & 15) + "\n" + sigs;
  Lister l{code, codeWords, 2, {}};
  while (l.pos < codeWords)
    if (!l.instruction()) return false;
  out += l.out;
  return true;
}

}  // namespace halvorine::shaderasm
