// Direct3D 11 face: vertex and pixel shader objects made from the bank's name tokens or
// from shader-model 4 and 5 bytecode, and input layouts checked against the inputs of the
// vertex function or program they were made for.
#include <cctype>
#include <cstring>

#include "platform/gpu/d3d11/face_internal.h"
#include "platform/gpu/shaders/token.h"

namespace plat::gpu::d3d11 {

namespace {

using plat::win::E_INVALIDARG;

thread_local std::string refusal;

// A program from bytecode for `stage`, or E_INVALIDARG with the reason kept.
HRESULT programPayload(const void* code, SIZE_T length, ShaderStage stage, ShaderPayload& out) {
  auto shader = std::make_shared<dxbc::Shader>();
  std::string reason;
  if (!dxbc::decodeShader(code, length, *shader, reason)) {
    refusal = reason;
    return E_INVALIDARG;
  }
  if (shader->program.pixel != (stage == ShaderStage::pixel)) {
    refusal = shader->program.pixel ? "a pixel program given as a vertex shader" : "a vertex program given as a pixel shader";
    return E_INVALIDARG;
  }
  out.program = std::move(shader);
  return plat::win::S_OK;
}

template <class I>
HRESULT makeShader(ID3D11Device* device, const void* code, SIZE_T length, ShaderStage stage, const char* method,
                   I** out) {
  if (out) *out = nullptr;
  refusal.clear();
  if (code == nullptr) return E_INVALIDARG;
  if (injectedFailure(method)) return E_FAIL;
  ShaderPayload payload;
  if (dxbc::looksLikeContainer(code, length)) {
    const HRESULT hr = programPayload(code, length, stage, payload);
    if (hr != plat::win::S_OK) return hr;
  } else {
    payload.entry = findShader(code, length);
    if (payload.entry == nullptr || payload.entry->stage != stage) {
      // A container whose magic was damaged lands here too: say what the bytes lack.
      if (payload.entry != nullptr)
        refusal = stage == ShaderStage::pixel ? "a vertex token given as a pixel shader"
                                              : "a pixel token given as a vertex shader";
      else
        refusal = "neither a program (its first four bytes are not \"DXBC\") nor a whole shader token";
      return E_FAIL;
    }
  }
  if (out == nullptr) return plat::win::S_FALSE;
  auto* f = new (std::nothrow) FaceObject<I, ShaderPayload>(device, std::move(payload));
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
  refusal.clear();
  const bool program = dxbc::looksLikeContainer(code, length);
  dxbc::Container container;
  const ShaderEntry* vs = nullptr;
  if (program) {
    std::string reason;
    if (!dxbc::parseContainer(code, length, container, reason)) {
      refusal = reason;
      return E_INVALIDARG;
    }
    if (container.code.empty() || (container.code[0] >> 16) != 1) {
      refusal = "input layout for bytecode that is no vertex program";
      return E_INVALIDARG;
    }
  } else {
    vs = findShader(code, length);
    if (vs == nullptr || vs->stage != ShaderStage::vertex) return E_INVALIDARG;
  }
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
  if (program) {
    // Every element the program reads (system values come from the device, not the
    // layout) must be in the layout with a type that suits it: the layout's formats are
    // all unsigned-normalised or float, which only float elements take.
    for (const dxbc::SignatureElement& e : container.inputs) {
      if (e.rwMask == 0 || e.systemValue != dxbc::kSvUndefined) continue;
      bool found = false;
      for (UINT i = 0; i < count && !found; ++i) {
        const char* n = elements[i].SemanticName;
        bool same = std::strlen(n) == e.name.size();
        for (size_t c = 0; same && c < e.name.size(); ++c)
          same = std::toupper(static_cast<unsigned char>(n[c])) == std::toupper(static_cast<unsigned char>(e.name[c]));
        found = same && elements[i].SemanticIndex == e.index;
      }
      if (!found || e.componentType != dxbc::kCompFloat) {
        refusal = "input " + e.name + std::to_string(e.index) + (found ? " is not a float element" : " is not in the layout");
        return E_INVALIDARG;
      }
    }
  }
  // Every input the vertex function reads must be in the layout.
  for (const VertexInput& in : vs ? vs->inputs : std::vector<VertexInput>()) {
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

const char* shaderRefusal() { return refusal.c_str(); }

}  // namespace plat::gpu::d3d11

const char* plat::gpu::Direct3D11ShaderRefusal() { return plat::gpu::d3d11::shaderRefusal(); }
