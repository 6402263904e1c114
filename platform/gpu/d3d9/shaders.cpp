// Direct3D 9 face: shader objects from the bank's tokens or from model 2 and 3 programs,
// and vertex declarations. Shader creation gets no length, so the token's header is read
// word by word, stopping at the first word that does not fit, and only then is the end word
// looked for where the name length puts it: nothing past a token's own bytes is ever read.
// Code that is no token is decoded as a program, which reads word by word up to its end
// token in the same way.
#include <cstring>
#include <new>

#include "platform/gpu/d3d9/d3d9_internal.h"
#include "platform/gpu/d3d9/sm3_decode.h"
#include "platform/gpu/shaders/token.h"

namespace plat::gpu::d3d9 {

namespace {

template <class I, class Payload>
class FaceObject final : public Com<I> {
 public:
  explicit FaceObject(Payload p) : payload(std::move(p)) {}
  Payload payload;
};
// A shader object holds a bank entry or a decoded program.
struct ShaderPayload {
  const ShaderEntry* entry = nullptr;
  std::shared_ptr<const vm::Program> program;
};
using VertexShader9 = FaceObject<IDirect3DVertexShader9, ShaderPayload>;
using PixelShader9 = FaceObject<IDirect3DPixelShader9, ShaderPayload>;

thread_local std::string refusal;

// Decodes a program for `stage`; the words it may read end at its end token.
HRESULT programPayload(const DWORD* function, ShaderStage stage, ShaderPayload& out) {
  auto p = std::make_shared<vm::Program>();
  std::string reason;
  // No length comes with the code: the decoder's reads stop at the end token or at the
  // first word that cannot belong to a stream, which the caller's buffer must hold.
  if (!sm3::decode(function, size_t(1) << 24, *p, reason)) {
    refusal = reason;
    return D3DERR_INVALIDCALL;
  }
  if (p->pixel != (stage == ShaderStage::pixel)) {
    refusal = p->pixel ? "a pixel program given as a vertex shader" : "a vertex program given as a pixel shader";
    return D3DERR_INVALIDCALL;
  }
  out.program = std::move(p);
  return D3D_OK;
}

struct Declaration {
  VertexFormat format;
  std::vector<D3DVERTEXELEMENT9> elements;
};
using Declaration9 = FaceObject<IDirect3DVertexDeclaration9, Declaration>;

constexpr uint32_t kMagic = fourCC('S', 'T', 'N', 'D');

// The token at `function` for `stage`, or null. Each word is read only after every word
// before it matched, the name words included (name bytes non-zero, padding zero), so a read
// never passes the first word that cannot belong to a token.
const ShaderEntry* tokenEntry(const DWORD* function, ShaderStage stage) {
  if (!function) return nullptr;
  const bool pixel = stage == ShaderStage::pixel;
  if (function[0] != (pixel ? kTokenPixelVersion : kTokenVertexVersion)) return nullptr;
  if (function[1] != kMagic) return nullptr;
  if (function[2] != (pixel ? 1u : 0u)) return nullptr;
  const DWORD n = function[3];
  if (n == 0 || n > kTokenMaxName) return nullptr;
  const size_t nameWords = (n + 3) / 4;
  for (size_t w = 0; w < nameWords; ++w) {
    const DWORD word = function[4 + w];
    for (size_t b = 0; b < 4; ++b) {
      const bool inName = w * 4 + b < n;
      if (((word >> (8 * b)) & 0xFF) == 0 ? inName : !inName) return nullptr;
    }
  }
  if (function[4 + nameWords] != kTokenEnd) return nullptr;
  return findShader(function, (5 + nameWords) * 4);
}

}  // namespace

template <class Object, class I>
HRESULT makeShader(const DWORD* function, ShaderStage stage, I** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  refusal.clear();
  if (!function) {
    refusal = "no code";
    return D3DERR_INVALIDCALL;
  }
  ShaderPayload payload;
  payload.entry = tokenEntry(function, stage);
  if (!payload.entry) {
    const HRESULT hr = programPayload(function, stage, payload);
    if (hr != D3D_OK) return hr;
  }
  *out = new (std::nothrow) Object(std::move(payload));
  return *out ? D3D_OK : plat::win::E_OUTOFMEMORY;
}

HRESULT makeVertexShader(const DWORD* function, IDirect3DVertexShader9** out) {
  return makeShader<VertexShader9>(function, ShaderStage::vertex, out);
}

HRESULT makePixelShader(const DWORD* function, IDirect3DPixelShader9** out) {
  return makeShader<PixelShader9>(function, ShaderStage::pixel, out);
}

const char* shaderRefusal() { return refusal.c_str(); }

HRESULT makeDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  Declaration d;
  if (!formatOfDeclaration(elements, 65, d.format, d.elements)) return D3DERR_INVALIDCALL;
  *out = new (std::nothrow) Declaration9(std::move(d));
  return *out ? D3D_OK : plat::win::E_OUTOFMEMORY;
}

const ShaderEntry* entryOf(IDirect3DVertexShader9* s) {
  auto* o = s ? dynamic_cast<VertexShader9*>(s) : nullptr;
  return o ? o->payload.entry : nullptr;
}

const ShaderEntry* entryOf(IDirect3DPixelShader9* s) {
  auto* o = s ? dynamic_cast<PixelShader9*>(s) : nullptr;
  return o ? o->payload.entry : nullptr;
}

std::shared_ptr<const vm::Program> programOf(IDirect3DVertexShader9* s) {
  auto* o = s ? dynamic_cast<VertexShader9*>(s) : nullptr;
  return o ? o->payload.program : nullptr;
}

std::shared_ptr<const vm::Program> programOf(IDirect3DPixelShader9* s) {
  auto* o = s ? dynamic_cast<PixelShader9*>(s) : nullptr;
  return o ? o->payload.program : nullptr;
}

const VertexFormat* formatOf(IDirect3DVertexDeclaration9* d) {
  auto* o = d ? dynamic_cast<Declaration9*>(d) : nullptr;
  return o ? &o->payload.format : nullptr;
}

}  // namespace plat::gpu::d3d9

const char* plat::gpu::Direct3DShaderRefusal() { return plat::gpu::d3d9::shaderRefusal(); }
