// The registry of platform filters by merit.
#include "platform/dshow/filter_registry.h"

#include <algorithm>
#include <mutex>

#include "platform/dshow/system_filters.h"

namespace plat::dshow {
namespace {

std::mutex& registryLock() {
  static std::mutex lock;
  return lock;
}

std::vector<RegisteredFilter>& entries() {
  static std::vector<RegisteredFilter> list;
  return list;
}

// The platform's own filters are in the registry before anything reads it.
void registerBuiltIns() {
  static const bool done = [] {
    std::lock_guard guard(registryLock());
    entries().push_back({CLSID_MpegAudioDecoderStandIn, u"MPEG Audio Decoder", MERIT_NORMAL, &CreateMpegAudioDecoder});
    entries().push_back({CLSID_MovieSourceStandIn, u"Movie Source", MERIT_NORMAL, &CreateMovieSource});
    entries().push_back({CLSID_AudioRendererStandIn, u"Audio Renderer", MERIT_UNLIKELY, &CreateAudioRenderer});
    return true;
  }();
  (void)done;
}

void store(RegisteredFilter entry) {
  registerBuiltIns();
  std::lock_guard guard(registryLock());
  for (RegisteredFilter& existing : entries()) {
    if (existing.clsid == entry.clsid) {
      existing = std::move(entry);
      return;
    }
  }
  entries().push_back(std::move(entry));
}

}  // namespace

void RegisterFilter(const CLSID& clsid, const WCHAR* name, DWORD merit, FilterFactory create) {
  store(RegisteredFilter{clsid, name != nullptr ? name : u"", merit, create, {}});
}

void RegisterFilterTypes(const CLSID& clsid, const WCHAR* name, DWORD merit, std::vector<RegisteredPinType> types) {
  store(RegisteredFilter{clsid, name != nullptr ? name : u"", merit, nullptr, std::move(types)});
}

void UnregisterFilter(const CLSID& clsid) {
  registerBuiltIns();
  std::lock_guard guard(registryLock());
  std::erase_if(entries(), [&](const RegisteredFilter& e) { return e.clsid == clsid; });
}

std::vector<RegisteredFilter> RegisteredFilters() {
  registerBuiltIns();
  std::vector<RegisteredFilter> list;
  {
    std::lock_guard guard(registryLock());
    for (const RegisteredFilter& e : entries())
      if (e.merit > MERIT_DO_NOT_USE) list.push_back(e);
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const RegisteredFilter& a, const RegisteredFilter& b) { return a.merit > b.merit; });
  return list;
}

}  // namespace plat::dshow
