// Automation stand-in: the dispatch interface id and the two type-library loaders.
#include "platform/win/oleaut.h"

namespace plat::win {

const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT LoadRegTypeLib(const GUID&, WORD, WORD, LCID, ITypeLib** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  return TYPE_E_LIBNOTREGISTERED;
}

HRESULT LoadTypeLib(const char16_t* file, ITypeLib** out) {
  if (out == nullptr || file == nullptr) return E_INVALIDARG;
  *out = nullptr;
  return TYPE_E_CANTLOADLIBRARY;
}

}  // namespace plat::win
