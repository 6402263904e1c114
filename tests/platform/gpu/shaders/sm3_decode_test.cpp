// The model 2 and 3 decoder: every test shader assembles, decodes, lists and re-assembles to
// the same words; damaged and unsupported streams are refused with a reason, reading only
// the words they were given (each stream sits in an allocation of exactly its size).
#include <memory>

#include "shader_vm_fixture.h"

namespace vmtest {
namespace {

bool decodeExact(const std::vector<uint32_t>& w, size_t count, std::string& reason) {
  std::unique_ptr<uint32_t[]> exact(new uint32_t[count ? count : 1]);
  std::copy(w.begin(), w.begin() + ptrdiff_t(count), exact.get());
  vm::Program p;
  return sm3::decode(exact.get(), count, p, reason);
}

TEST(Sm3Decode, TestShadersRoundTrip) {
  const auto shaders = testShaders();
  ASSERT_GE(shaders.size(), 7u);
  for (const auto& [name, text] : shaders) {
    SCOPED_TRACE(name);
    const std::vector<uint32_t> words = assembled(text);
    std::string reason, listed, again;
    size_t used = 0;
    vm::Program p;
    ASSERT_TRUE(sm3::decode(words.data(), words.size(), p, reason, &used)) << reason;
    EXPECT_EQ(used, words.size());
    ASSERT_TRUE(halvorine::shaderasm::list(words.data(), words.size(), listed));
    EXPECT_EQ(assembled(listed), words) << listed;
    // The decoder stops at the end token: words after it are never its concern.
    std::vector<uint32_t> longer = words;
    longer.push_back(0xDEADBEEF);
    EXPECT_TRUE(sm3::decode(longer.data(), longer.size(), p, reason, &used)) << reason;
    EXPECT_EQ(used, words.size());
    // Every cut of the stream is refused without reading past the cut.
    for (size_t n = 0; n < words.size(); ++n) EXPECT_FALSE(decodeExact(words, n, reason)) << n;
  }
}

TEST(Sm3Decode, Refusals) {
  struct Refusal {
    const char* name;
    std::vector<uint32_t> words;
    const char* reason;  // part of the reason text
  };
  auto edit = [](const std::string& text, auto change) {
    std::vector<uint32_t> w = assembled(text);
    change(w);
    return w;
  };
  const std::string plain = "ps_3_0\ndcl_texcoord0 v0\nmov r0, v0\nmov oC0, r0\n";
  const Refusal cases[] = {
      {"ps_1_4", {0xFFFF0104u, 0x0000FFFFu}, "model 1"},
      {"vs_1_1", {0xFFFE0101u, 0x0000FFFFu}, "model 1"},
      {"vs_4_0", {0xFFFE0400u, 0x0000FFFFu}, "version"},
      {"texldl in vs_3_0", assembled("vs_3_0\ndcl_position v0\ndcl_2d s0\ntexldl r0, v0, s0\nmov o0, r0\n"), "vertex"},
      {"dcl_volume", assembled("ps_3_0\ndcl_texcoord0 v0\ndcl_volume s0\ntexld r0, v0, s0\nmov oC0, r0\n"), "volume"},
      {"unknown opcode", edit(plain, [](auto& w) { w[4] = (w[4] & 0xFFFF0000u) | 70u; }), "opcode 70"},
      {"register past its file", assembled("ps_3_0\nmov r40, c0\nmov oC0, r40\n"), "past its file"},
      {"constant past the pixel file", assembled("ps_3_0\nmov oC0, c224\n"), "past its file"},
      {"no end token", edit(plain, [](auto& w) { w.pop_back(); }), "end token"},
      {"comment past the end", edit(plain, [](auto& w) { w.insert(w.end() - 1, 0x0064FFFEu); }), "comment runs past"},
      {"instruction past the end", edit(plain, [](auto& w) { w[w.size() - 4] |= 0x0F000000u; }), "past the end"},
      {"length and parameters differ", edit(plain, [](auto& w) { w[w.size() - 4] = (w[w.size() - 4] & ~0x0F000000u) | 0x01000000u; }), "operands"},
      {"parameter without its marker bit", edit(plain, [](auto& w) { w[w.size() - 2] &= 0x7FFFFFFFu; }), "parameter"},
      {"model-1 source modifier", edit(plain, [](auto& w) { w[w.size() - 2] |= 7u << 24; }), "modifier"},
      {"else without if", assembled("ps_3_0\nelse\nmov oC0, c0\n"), "else without if"},
      {"loop left open", assembled("ps_3_0\nrep i0\nmov oC0, c0\n"), "left open"},
      {"break outside a loop", assembled("ps_3_0\nbreak\nmov oC0, c0\n"), "outside a loop"},
      {"call of a missing label", assembled("ps_3_0\ncall l3\nmov oC0, c0\n"), "undefined label"},
      {"sampler not declared", assembled("ps_3_0\ndcl_texcoord0 v0\ntexld r0, v0, s1\nmov oC0, r0\n"), "not declared"},
      {"undeclared model-3 input", assembled("ps_3_0\nmov oC0, v2\n"), "declaration"},
      {"predication in model 2.0", assembled("ps_2_0\n(p0.x) mov oC0, c0\n"), "predicat"},
      {"not a version token", {0x12345678u, 0x0000FFFFu}, "version"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    std::string reason;
    EXPECT_FALSE(decodeExact(c.words, c.words.size(), reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_NE(reason.find("byte offset"), std::string::npos) << reason;
  }
}

// Deep nesting is refused at decode, so the interpreter's stack never fills.
TEST(Sm3Decode, NestingLimit) {
  std::string text = "ps_3_0\n";
  for (int k = 0; k < 25; ++k) text += "if b0\n";
  for (int k = 0; k < 25; ++k) text += "endif\n";
  text += "mov oC0, c0\n";
  const std::vector<uint32_t> w = assembled(text);
  vm::Program p;
  std::string reason;
  EXPECT_FALSE(sm3::decode(w.data(), w.size(), p, reason));
  EXPECT_NE(reason.find("nested"), std::string::npos) << reason;
}

}  // namespace
}  // namespace vmtest
