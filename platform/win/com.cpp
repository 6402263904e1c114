// COM stand-in: per-thread initialisation counts, task memory and a class registry.
#include "platform/win/com.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/missing.h"

namespace plat::win {

namespace {

struct ComClass {
  CLSID clsid;
  std::string missingName;
  ComClassFactory factory;
};

std::mutex& registryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<ComClass>& registry() {
  static std::vector<ComClass> classes;
  return classes;
}

thread_local int initializeCount = 0;

}  // namespace

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

void RegisterComClass(const CLSID& clsid, const char* missingName, ComClassFactory factory) {
  std::lock_guard<std::mutex> lock(registryMutex());
  for (ComClass& entry : registry()) {
    if (entry.clsid == clsid) {
      entry.missingName = missingName ? missingName : "";
      entry.factory = factory;
      return;
    }
  }
  registry().push_back({clsid, missingName ? missingName : "", factory});
}

void UnregisterComClass(const CLSID& clsid) {
  std::lock_guard<std::mutex> lock(registryMutex());
  auto& classes = registry();
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (it->clsid == clsid) {
      classes.erase(it);
      return;
    }
  }
}

HRESULT CoInitializeEx(void*, DWORD) {
  // The first call of a thread succeeds with S_OK, later ones with S_FALSE; each one
  // needs its own CoUninitialize.
  return initializeCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (initializeCount > 0) --initializeCount;
}

int CoGetInitializeCount() { return initializeCount; }

HRESULT CoCreateInstance(const CLSID& clsid, void* outer, DWORD, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComClassFactory factory = nullptr;
  {
    std::lock_guard<std::mutex> lock(registryMutex());
    for (const ComClass& entry : registry()) {
      if (entry.clsid == clsid) {
        if (!entry.missingName.empty() && IsStandInMissing(entry.missingName.c_str())) break;
        factory = entry.factory;
        break;
      }
    }
  }
  if (factory == nullptr) return REGDB_E_CLASSNOTREG;
  // The factory runs outside the registry lock: it may create further objects.
  return factory(outer, iid, object);
}

void* CoTaskMemAlloc(size_t size) { return std::malloc(size ? size : 1); }

void CoTaskMemFree(void* memory) { std::free(memory); }

void CoFreeUnusedLibraries() {}

}  // namespace plat::win
