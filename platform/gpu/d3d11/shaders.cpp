// Direct3D 11 face: vertex and pixel shader objects made from the bank's name tokens, and
// input layouts checked against the inputs of the vertex function they were made for.
#include <cstring>

#include "platform/gpu/d3d11/face_internal.h"
#include "platform/gpu/shaders/token.h"

namespace plat::gpu::d3d11 {

namespace {

using plat::win::E_INVALIDARG;

template <class I>
HRESULT makeShader(ID3D11Device* device, const void* code, SIZE_T length, ShaderStage stage, const char* method,
                   I** out) {
  if (out) *out = nullptr;
  if (code == nullptr) return E_INVALIDARG;
  if (injectedFailure(method)) return E_FAIL;
  const ShaderEntry* e = findShader(code, length);
  if (e == nullptr || e->stage != stage) return E_FAIL;
  if (out == nullptr) return plat::win::S_FALSE;
  auto* f = new (std::nothrow) FaceObject<I, const ShaderEntry*>(device, e);
  if (f == nullptr) return plat::win::E_OUTOFMEMORY;
  *out = f;
  return plat::win::S_OK;
}

bool toSemantic(const char* name, Semantic& out) {
  static const struct {
    const char* name;
    Semantic s;
  } kNames[] = {{"POSITION", Semantic::position}, {"NORMAL", Semantic::normal},     {"COLOR", Semantic::colour},
                {"TEXCOORD", Semantic::texcoord}, {"TANGENT", Semantic::tangent}, {"BINORMAL", Semantic::binormal}};
  if (name == nullptr) return false;
  for (const auto& n : kNames)
    if (std::strcmp(n.name, name) == 0) {
      out = n.s;
      return true;
    }
  return false;
}

}  // namespace

HRESULT makeVertexShader(ID3D11Device* device, const void* code, SIZE_T length, ID3D11VertexShader** out) {
  return makeShader(device, code, length, ShaderStage::vertex, "d3d11.CreateVertexShader", out);
}

HRESULT makePixelShader(ID3D11Device* device, const void* code, SIZE_T length, ID3D11PixelShader** out) {
  return makeShader(device, code, length, ShaderStage::pixel, "d3d11.CreatePixelShader", out);
}

HRESULT makeInputLayout(ID3D11Device* device, const D3D11_INPUT_ELEMENT_DESC* elements, UINT count,
                        const void* code, SIZE_T length, ID3D11InputLayout** out) {
  if (out) *out = nullptr;
  if (elements == nullptr || count == 0 || count > 32 || code == nullptr) return E_INVALIDARG;
  if (injectedFailure("d3d11.CreateInputLayout")) return E_FAIL;
  const ShaderEntry* vs = findShader(code, length);
  if (vs == nullptr || vs->stage != ShaderStage::vertex) return E_INVALIDARG;
  std::vector<InputElement> layout;
  uint32_t next = 0;
  for (UINT i = 0; i < count; ++i) {
    const D3D11_INPUT_ELEMENT_DESC& e = elements[i];
    InputElement el;
    const Format f = toFormat(e.Format);
    if (!toSemantic(e.SemanticName, el.semantic) || e.InputSlot != 0 ||
        e.InputSlotClass != D3D11_INPUT_PER_VERTEX_DATA || f == Format::Unknown ||
        !(formatInfo(f).kind == FormatKind::Unorm || formatInfo(f).kind == FormatKind::Float) ||
        e.SemanticIndex > 15)
      return E_INVALIDARG;
    el.index = int(e.SemanticIndex);
    el.format = f;
    el.offset = e.AlignedByteOffset == D3D11_APPEND_ALIGNED_ELEMENT ? next : e.AlignedByteOffset;
    if (el.offset > 2048) return E_INVALIDARG;
    next = el.offset + uint32_t(formatInfo(f).bytes);
    for (const InputElement& o : layout)
      if (o.semantic == el.semantic && o.index == el.index) return E_INVALIDARG;
    layout.push_back(el);
  }
  // Every input the vertex function reads must be in the layout.
  for (const VertexInput& in : vs->inputs) {
    bool found = false;
    for (const InputElement& el : layout) found = found || (el.semantic == in.semantic && el.index == in.index);
    if (!found) return E_INVALIDARG;
  }
  if (out == nullptr) return plat::win::S_FALSE;
  auto* f = new (std::nothrow) FaceLayout(device, std::move(layout));
  if (f == nullptr) return plat::win::E_OUTOFMEMORY;
  *out = f;
  return plat::win::S_OK;
}

}  // namespace plat::gpu::d3d11
