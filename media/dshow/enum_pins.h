// Enumerator of a filter's pins. It falls out of step when the filter's pin set changes
// (the pin version moves); Reset brings it back.
#pragma once
#include <atomic>
#include <vector>

#include "media/dshow/base_object.h"

namespace ZaDod {

class D_CBaseFilter;

class D_CEnumPins final : public D_CSelfCounted<D_IEnumPins, plat::dshow::IID_IEnumPins> {
 public:
  // A new enumerator with one reference, copying `from` when given; null without memory.
  static D_CEnumPins* Create(D_CBaseFilter* filter, const D_CEnumPins* from);

  HRESULT Next(ULONG count, D_IPin** pins, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(D_IEnumPins** copy) override;

 private:
  D_CEnumPins(D_CBaseFilter* filter, const D_CEnumPins* from);
  ~D_CEnumPins() override;
  bool outOfSync() const;

  int m_Position = 0;
  int m_PinCount = 0;
  D_CBaseFilter* m_pFilter;
  LONG m_Version = 0;
  std::vector<D_IPin*> m_PinCache;  // pins already returned, no references
};

}  // namespace ZaDod
