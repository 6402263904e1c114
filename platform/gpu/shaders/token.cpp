// Making and checking shader tokens. The check reads nothing outside the given length and
// accepts only the exact layout, so foreign bytecode never reaches the bank.
#include "platform/gpu/shaders/token.h"

#include <cstring>

namespace plat::gpu {

namespace {

constexpr char kMagic[4] = {'S', 'T', 'N', 'D'};
constexpr size_t kHeader = 16;  // version, magic, kind, name length

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

size_t padded(size_t n) { return (n + 3) & ~size_t{3}; }

}  // namespace

std::vector<uint8_t> makeToken(ShaderStage stage, std::string_view name) {
  std::vector<uint8_t> out;
  put32(out, stage == ShaderStage::vertex ? kTokenVertexVersion : kTokenPixelVersion);
  out.insert(out.end(), kMagic, kMagic + 4);
  put32(out, stage == ShaderStage::vertex ? 0u : 1u);
  put32(out, uint32_t(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  out.resize(kHeader + padded(name.size()), 0);
  put32(out, kTokenEnd);
  return out;
}

bool tokenHeader(const void* bytes, size_t size, size_t& length) {
  length = 0;
  if (!bytes || size < 8) return false;
  const auto* p = static_cast<const uint8_t*>(bytes);
  const uint32_t version = get32(p);
  if ((version != kTokenVertexVersion && version != kTokenPixelVersion) || std::memcmp(p + 4, kMagic, 4) != 0)
    return false;
  if (size < kHeader + 8) return true;
  const uint32_t n = get32(p + 12);
  if (n == 0 || n > kTokenMaxName) return true;
  const size_t whole = kHeader + padded(n) + 4;
  if (whole <= size && get32(p + whole - 4) == kTokenEnd) length = whole;
  return true;
}

const ShaderEntry* findShader(const void* bytes, size_t length) {
  if (!bytes || length < kHeader + 8) return nullptr;
  const auto* p = static_cast<const uint8_t*>(bytes);
  const uint32_t version = get32(p);
  ShaderStage stage;
  if (version == kTokenVertexVersion) stage = ShaderStage::vertex;
  else if (version == kTokenPixelVersion) stage = ShaderStage::pixel;
  else return nullptr;
  if (std::memcmp(p + 4, kMagic, 4) != 0) return nullptr;
  if (get32(p + 8) != (stage == ShaderStage::vertex ? 0u : 1u)) return nullptr;
  const uint32_t n = get32(p + 12);
  if (n == 0 || n > kTokenMaxName) return nullptr;
  if (length != kHeader + padded(n) + 4) return nullptr;
  for (size_t i = kHeader + n; i < kHeader + padded(n); ++i)
    if (p[i] != 0) return nullptr;
  if (get32(p + length - 4) != kTokenEnd) return nullptr;
  const std::string_view name(reinterpret_cast<const char*>(p + kHeader), n);
  if (name.find('\0') != std::string_view::npos) return nullptr;
  return findShaderByName(name, stage);
}

}  // namespace plat::gpu
