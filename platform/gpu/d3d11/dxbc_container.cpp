// Container reading: every read goes through `at`, which refuses a range outside the blob,
// so a hostile header can only be refused, never followed.
#include "platform/gpu/d3d11/dxbc_container.h"

#include <cstdio>
#include <cstring>

namespace plat::gpu::dxbc {

namespace {

struct Reader {
  const uint8_t* base;
  size_t size;
  std::string& reason;

  bool fail(size_t offset, const char* what) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "container byte offset %zu: %s", offset, what);
    reason = buf;
    return false;
  }
  // Whether [offset, offset + n) lies inside the blob, without overflow.
  bool inside(size_t offset, size_t n) const { return offset <= size && n <= size - offset; }
  uint32_t word(size_t offset) const {
    uint32_t v;
    std::memcpy(&v, base + offset, 4);
    return v;  // little-endian host, as the format is
  }
};

constexpr uint32_t fourcc(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

constexpr size_t kHeaderBytes = 32;  // magic, checksum, version, total size, chunk count
constexpr uint32_t kMaxChunks = 64;

// A signature chunk's elements. `stride` and `first` say where the fields of one element
// sit: the plain form has 24-byte elements, the stream form 28 (stream first), the
// precision form 32.
bool readSignature(Reader& r, size_t chunk, size_t len, size_t stride, size_t first,
                   std::vector<SignatureElement>& out) {
  if (len < 8) return r.fail(chunk, "signature shorter than its header");
  const uint32_t count = r.word(chunk), elemOffset = r.word(chunk + 4);
  if (count > 64) return r.fail(chunk, "signature with more than 64 elements");
  if (elemOffset < 8 || elemOffset > len || size_t(count) * stride > len - elemOffset)
    return r.fail(chunk + 4, "signature elements past the end of their chunk");
  out.clear();
  for (uint32_t k = 0; k < count; ++k) {
    const size_t e = chunk + elemOffset + size_t(k) * stride + first;
    SignatureElement el;
    const uint32_t nameOffset = r.word(e);
    el.index = r.word(e + 4);
    el.systemValue = r.word(e + 8);
    el.componentType = r.word(e + 12);
    el.reg = r.word(e + 16);
    el.mask = r.base[e + 20] & 15;
    el.rwMask = r.base[e + 21] & 15;
    if (nameOffset >= len) return r.fail(e, "signature name outside its chunk");
    const uint8_t* name = r.base + chunk + nameOffset;
    const void* nul = std::memchr(name, 0, len - nameOffset);
    if (nul == nullptr) return r.fail(e, "signature name runs past the end of its chunk");
    el.name.assign(reinterpret_cast<const char*>(name), static_cast<const uint8_t*>(nul) - name);
    if (el.reg > 31 && el.reg != 0xFFFFFFFFu) return r.fail(e + 16, "signature register above 31");
    out.push_back(std::move(el));
  }
  return true;
}

}  // namespace

bool looksLikeContainer(const void* data, size_t size) {
  return data != nullptr && size >= 4 && std::memcmp(data, "DXBC", 4) == 0;
}

bool parseContainer(const void* data, size_t size, Container& out, std::string& reason) {
  out = Container{};
  reason.clear();
  Reader r{static_cast<const uint8_t*>(data), data ? size : 0, reason};
  if (!r.inside(0, kHeaderBytes)) return r.fail(0, "shorter than a container header");
  if (std::memcmp(r.base, "DXBC", 4) != 0) return r.fail(0, "wrong magic");
  if (r.word(20) != 1) return r.fail(20, "container version other than 1");
  if (r.word(24) != size) return r.fail(24, "total size differs from the length given");
  const uint32_t chunks = r.word(28);
  if (chunks > kMaxChunks) return r.fail(28, "more chunks than a program has");
  if (!r.inside(kHeaderBytes, size_t(chunks) * 4)) return r.fail(28, "chunk table past the end");
  bool haveCode = false, haveIn = false, haveOut = false;
  for (uint32_t k = 0; k < chunks; ++k) {
    const size_t slot = kHeaderBytes + size_t(k) * 4;
    const uint32_t at = r.word(slot);
    if (at % 4 != 0) return r.fail(slot, "chunk offset not aligned");
    if (at < kHeaderBytes + size_t(chunks) * 4 || !r.inside(at, 8)) return r.fail(slot, "chunk offset past the end");
    const uint32_t tag = r.word(at), len = r.word(at + 4);
    if (!r.inside(at + 8, len)) return r.fail(at + 4, "chunk size past the end");
    const size_t body = at + 8;
    if (tag == fourcc('I', 'S', 'G', 'N') || tag == fourcc('I', 'S', 'G', '1')) {
      if (haveIn) return r.fail(at, "second input signature");
      haveIn = true;
      const bool wide = tag == fourcc('I', 'S', 'G', '1');
      if (!readSignature(r, body, len, wide ? 32 : 24, wide ? 4 : 0, out.inputs)) return false;
    } else if (tag == fourcc('O', 'S', 'G', 'N') || tag == fourcc('O', 'S', 'G', '1') ||
               tag == fourcc('O', 'S', 'G', '5')) {
      if (haveOut) return r.fail(at, "second output signature");
      haveOut = true;
      const size_t stride = tag == fourcc('O', 'S', 'G', 'N') ? 24 : tag == fourcc('O', 'S', 'G', '5') ? 28 : 32;
      if (!readSignature(r, body, len, stride, stride == 24 ? 0 : 4, out.outputs)) return false;
    } else if (tag == fourcc('S', 'H', 'D', 'R') || tag == fourcc('S', 'H', 'E', 'X')) {
      if (haveCode) return r.fail(at, "second program chunk");
      haveCode = true;
      if (len < 8 || len % 4 != 0) return r.fail(at + 4, "program chunk size not a whole number of tokens");
      if (r.word(body + 4) != len / 4) return r.fail(body + 4, "program length differs from its chunk");
      out.model5Chunk = tag == fourcc('S', 'H', 'E', 'X');
      out.code.resize(len / 4);
      std::memcpy(out.code.data(), r.base + body, len);
    }
  }
  if (!haveCode) return r.fail(0, "no program chunk");
  return true;
}

}  // namespace plat::gpu::dxbc
