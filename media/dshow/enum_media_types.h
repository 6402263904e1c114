// Enumerator of the media types a pin offers. It falls out of step when the pin's type
// version moves; Reset brings it back.
#pragma once
#include <atomic>

#include "media/dshow/base_object.h"

namespace ZaDod {

class D_CBasePin;

class D_CEnumMediaTypes final : public D_CSelfCounted<D_IEnumMediaTypes, plat::dshow::IID_IEnumMediaTypes> {
 public:
  // A new enumerator with one reference, copying `from` when given; null without memory.
  static D_CEnumMediaTypes* Create(D_CBasePin* pin, const D_CEnumMediaTypes* from);

  HRESULT Next(ULONG count, D_AM_MEDIA_TYPE** types, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(D_IEnumMediaTypes** copy) override;

 private:
  D_CEnumMediaTypes(D_CBasePin* pin, const D_CEnumMediaTypes* from);
  ~D_CEnumMediaTypes() override;
  bool outOfSync() const;

  int m_Position = 0;
  D_CBasePin* m_pPin;
  LONG m_Version = 0;
};

}  // namespace ZaDod
