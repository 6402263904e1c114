// The filter mapper (COM class CLSID_FilterMapper2, missing name "dshow"): registers a
// filter with the media types of its pins in the graph's filter registry, where Render
// finds it by merit and makes it by its class id, and lists the filters that take a type.
#include <algorithm>
#include <atomic>

#include "platform/dshow/filter_parts.h"
#include "platform/dshow/filter_registry.h"

namespace plat::dshow {

const CLSID CLSID_FilterMapper2 = {0xCDA42200, 0xBD88, 0x11D0, {0xBD, 0x4E, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const IID IID_IFilterMapper2 = {0xB79BB0B0, 0x33C1, 0x11D1, {0xAB, 0xE1, 0x00, 0xA0, 0xC9, 0x05, 0xF3, 0x75}};

namespace {

using win::E_INVALIDARG;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

bool matches(const GUID& registered, const GUID& wanted) {
  return registered == GUID_NULL || wanted == GUID_NULL || registered == wanted;
}

class FilterMapper final : public IFilterMapper2 {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    return AnswerInterface<IFilterMapper2>(this, iid, IID_IFilterMapper2, object);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT RegisterFilter(const CLSID& filter, const WCHAR* name, void** moniker, const CLSID*, const WCHAR*,
                         const REGFILTER2* data) override {
    if (moniker != nullptr) *moniker = nullptr;
    if (data == nullptr || data->dwVersion != 2 || (data->cPins2 > 0 && data->rgPins2 == nullptr))
      return E_INVALIDARG;
    std::vector<RegisteredPinType> types;
    for (ULONG p = 0; p < data->cPins2; ++p) {
      const REGFILTERPINS2& pin = data->rgPins2[p];
      if (pin.nMediaTypes > 0 && pin.lpMediaType == nullptr) return E_INVALIDARG;
      const bool output = (pin.dwFlags & REG_PINFLAG_B_OUTPUT) != 0;
      for (DWORD t = 0; t < pin.nMediaTypes; ++t) {
        const REGPINTYPES& type = pin.lpMediaType[t];
        types.push_back({output, type.clsMajorType != nullptr ? *type.clsMajorType : GUID_NULL,
                         type.clsMinorType != nullptr ? *type.clsMinorType : GUID_NULL});
      }
    }
    RegisterFilterTypes(filter, name, data->dwMerit, std::move(types));
    return S_OK;
  }

  HRESULT UnregisterFilter(const CLSID*, const WCHAR*, const CLSID& filter) override {
    const std::vector<RegisteredFilter> before = RegisteredFilters();
    dshow::UnregisterFilter(filter);
    return std::any_of(before.begin(), before.end(), [&](const RegisteredFilter& e) { return e.clsid == filter; })
               ? S_OK
               : S_FALSE;
  }

  HRESULT EnumMatchingFilters(std::vector<CLSID>* found, DWORD minMerit, BOOL wantOutput, const GUID& major,
                              const GUID& minor) override {
    if (found == nullptr) return E_POINTER;
    found->clear();
    for (const RegisteredFilter& e : RegisteredFilters()) {
      if (e.merit < minMerit) continue;
      const bool takes = std::any_of(e.types.begin(), e.types.end(), [&](const RegisteredPinType& t) {
        return t.output == (wantOutput != 0) && matches(t.major, major) && matches(t.minor, minor);
      });
      if (takes) found->push_back(e.clsid);
    }
    return found->empty() ? S_FALSE : S_OK;
  }

 private:
  ~FilterMapper() = default;
  std::atomic<ULONG> refs_{1};
};

HRESULT create(void* outer, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  auto* mapper = new FilterMapper;
  const HRESULT hr = mapper->QueryInterface(iid, object);
  mapper->Release();
  return hr;
}

const bool registered = (win::RegisterComClass(CLSID_FilterMapper2, "dshow", &create), true);

}  // namespace

}  // namespace plat::dshow
