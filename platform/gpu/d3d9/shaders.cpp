// Direct3D 9 face: shader objects from the bank's tokens and vertex declarations. Shader
// creation gets no length, so the token's header is read word by word, stopping at the
// first word that does not fit, and only then is the end word looked for where the name
// length puts it: nothing past a token's own bytes is ever read.
#include <cstring>
#include <new>

#include "platform/gpu/d3d9/d3d9_internal.h"
#include "platform/gpu/shaders/token.h"

namespace plat::gpu::d3d9 {

namespace {

template <class I, class Payload>
class FaceObject final : public Com<I> {
 public:
  explicit FaceObject(Payload p) : payload(std::move(p)) {}
  Payload payload;
};
using VertexShader9 = FaceObject<IDirect3DVertexShader9, const ShaderEntry*>;
using PixelShader9 = FaceObject<IDirect3DPixelShader9, const ShaderEntry*>;

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

HRESULT makeVertexShader(const DWORD* function, IDirect3DVertexShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const ShaderEntry* e = tokenEntry(function, ShaderStage::vertex);
  if (!e) return E_FAIL;
  *out = new (std::nothrow) VertexShader9(e);
  return *out ? D3D_OK : plat::win::E_OUTOFMEMORY;
}

HRESULT makePixelShader(const DWORD* function, IDirect3DPixelShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const ShaderEntry* e = tokenEntry(function, ShaderStage::pixel);
  if (!e) return E_FAIL;
  *out = new (std::nothrow) PixelShader9(e);
  return *out ? D3D_OK : plat::win::E_OUTOFMEMORY;
}

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
  return o ? o->payload : nullptr;
}

const ShaderEntry* entryOf(IDirect3DPixelShader9* s) {
  auto* o = s ? dynamic_cast<PixelShader9*>(s) : nullptr;
  return o ? o->payload : nullptr;
}

const VertexFormat* formatOf(IDirect3DVertexDeclaration9* d) {
  auto* o = d ? dynamic_cast<Declaration9*>(d) : nullptr;
  return o ? &o->payload.format : nullptr;
}

}  // namespace plat::gpu::d3d9
