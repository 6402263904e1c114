// The filters the graph may insert while it builds: registered by the stand-ins that
// provide them (decoders, renderers, sources), tried in merit order, highest first, and
// in order of registration among equal merits.
#pragma once
#include <string>
#include <vector>

#include "platform/dshow/interfaces.h"

namespace plat::dshow {

constexpr DWORD MERIT_PREFERRED = 0x800000;
constexpr DWORD MERIT_NORMAL = 0x600000;
constexpr DWORD MERIT_UNLIKELY = 0x400000;
constexpr DWORD MERIT_DO_NOT_USE = 0x200000;

using FilterFactory = HRESULT (*)(IBaseFilter** filter);

// A media type a registered pin takes: GUID_NULL parts match any.
struct RegisteredPinType {
  bool output;
  GUID major, minor;
};

struct RegisteredFilter {
  CLSID clsid;
  std::u16string name;
  DWORD merit;
  FilterFactory create;  // null: made through COM by its class id
  std::vector<RegisteredPinType> types;
};

// Registering a class id again replaces its entry.
void RegisterFilter(const CLSID& clsid, const WCHAR* name, DWORD merit, FilterFactory create);
// With the media types its pins take (the filter mapper's registrations).
void RegisterFilterTypes(const CLSID& clsid, const WCHAR* name, DWORD merit, std::vector<RegisteredPinType> types);
void UnregisterFilter(const CLSID& clsid);
// A snapshot in the order the graph tries them; entries of MERIT_DO_NOT_USE or less are left out.
std::vector<RegisteredFilter> RegisteredFilters();

}  // namespace plat::dshow
