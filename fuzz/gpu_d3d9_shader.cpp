// The Direct3D 9 face's shader and declaration creation over arbitrary bytes, then one
// triangle drawn with whatever was accepted. The input is three parts, each preceded by a
// little-endian 16-bit length: a pixel-shader token, a vertex-shader token and vertex
// elements; the rest is the three vertices (FVF 0x1C4 when no declaration was accepted).
// Each part is handed over as an exact-size heap copy followed by one terminating word
// (for tokens 0xFFFFFF00, which fits no place of a token or of a program: no version, magic,
// kind, length, name, end, instruction or parameter word; for declarations the end
// element): these calls take no length, and the terminator stands for whatever ends a
// caller's buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "tests/platform/gpu/face_window.h"

using namespace plat::gpu;

namespace {

struct Harness {
  facesupport::FaceWindow window{u"FuzzD3D9", 16, 16};
  plat::win::HWND hwnd = window.hwnd;
  IDirect3DDevice9Ex* device = nullptr;
  Harness() {
    IDirect3D9Ex* d3d = nullptr;
    if (Direct3DCreate9Ex(D3D_SDK_VERSION, &d3d) != D3D_OK) return;
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = p.BackBufferHeight = 16;
    p.BackBufferFormat = D3DFMT_A8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = hwnd;
    p.Windowed = 1;
    d3d->CreateDeviceEx(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p, nullptr, &device);
    d3d->Release();
    if (!device) return;
    IDirect3DTexture9* t = nullptr;
    device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
    device->SetTexture(0, t);
    device->SetTexture(1, t);
    t->Release();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }
  ~Harness() {
    if (device) device->Release();
  }
};

// The next length-prefixed part, or an empty one past the end.
std::vector<uint8_t> part(const uint8_t*& p, const uint8_t* end) {
  if (end - p < 2) return {};
  const size_t n = size_t(p[0]) | size_t(p[1]) << 8;
  p += 2;
  const size_t take = n < size_t(end - p) ? n : size_t(end - p);
  std::vector<uint8_t> out(p, p + take);
  p += take;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness h;
  if (!h.device) return 0;
  const uint8_t* p = data;
  const uint8_t* end = data + size;
  const std::vector<uint8_t> psBytes = part(p, end), vsBytes = part(p, end), declBytes = part(p, end);

  // Code that is no token is decoded as a program, whose comments skip up to 32,767
  // words unread: the terminator is repeated that far so a skip lands on one.
  auto tokenCopy = [](const std::vector<uint8_t>& bytes) {
    const size_t words = bytes.size() / 4;
    constexpr size_t kTail = 32768;
    DWORD* copy = static_cast<DWORD*>(std::malloc((words + kTail) * 4));
    if (words) std::memcpy(copy, bytes.data(), words * 4);
    for (size_t k = 0; k < kTail; ++k) copy[words + k] = 0xFFFFFF00u;
    return copy;
  };
  IDirect3DPixelShader9* ps = nullptr;
  IDirect3DVertexShader9* vs = nullptr;
  IDirect3DVertexDeclaration9* decl = nullptr;
  DWORD* psCopy = tokenCopy(psBytes);
  DWORD* vsCopy = tokenCopy(vsBytes);
  h.device->CreatePixelShader(psCopy, &ps);
  h.device->CreateVertexShader(vsCopy, &vs);
  std::free(psCopy);
  std::free(vsCopy);
  const size_t elements = declBytes.size() / sizeof(D3DVERTEXELEMENT9);
  auto* declCopy = static_cast<D3DVERTEXELEMENT9*>(std::malloc((elements + 1) * sizeof(D3DVERTEXELEMENT9)));
  if (elements) std::memcpy(declCopy, declBytes.data(), elements * sizeof(D3DVERTEXELEMENT9));
  declCopy[elements] = D3DDECL_END();
  h.device->CreateVertexDeclaration(declCopy, &decl);
  std::free(declCopy);

  h.device->SetPixelShader(ps);
  h.device->SetVertexShader(vs);
  if (decl) h.device->SetVertexDeclaration(decl);
  else h.device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | fvfTexCount(1));
  // Three vertices of the widest stride either path reads.
  constexpr UINT kStride = 256;
  std::vector<uint8_t> vertices(size_t(end - p) < 3 * kStride ? size_t(end - p) : 3 * kStride);
  if (!vertices.empty()) std::memcpy(vertices.data(), p, vertices.size());
  vertices.resize(3 * kStride, 0);
  h.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices.data(), kStride);
  h.device->SetPixelShader(nullptr);
  h.device->SetVertexShader(nullptr);
  h.device->SetVertexDeclaration(nullptr);
  if (ps) ps->Release();
  if (vs) vs->Release();
  if (decl) decl->Release();
  return 0;
}
