// What both interface faces of the software GPU share: the COM scalar names and result
// codes they declare alike, the reference-counting object base, and the module-registry
// tables each face's library serves.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/win/com.h"
#include "platform/win/module_exports.h"

namespace plat::gpu {

using plat::win::BOOL;
using plat::win::BYTE;
using plat::win::GUID;
using plat::win::HRESULT;
using plat::win::IID;
using plat::win::IUnknown;
using plat::win::UINT;
using plat::win::ULONG;
using INT = std::int32_t;
using SIZE_T = std::size_t;
using FLOAT = float;

constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

// The COM objects of both faces alive now: a test reads it to see that releasing and
// making a device again leaves no object behind.
inline std::atomic<long> gLiveComObjects{0};
inline long LiveComObjectsForTest() { return gLiveComObjects.load(); }

// One COM object: counts references, answers QueryInterface for IUnknown and the ids
// `iface` accepts.
template <class I>
class Com : public I {
 public:
  Com() { gLiveComObjects.fetch_add(1); }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return plat::win::E_POINTER;
    void* found = iid == plat::win::IID_IUnknown ? static_cast<I*>(this) : iface(iid);
    *object = found;
    if (found == nullptr) return E_NOINTERFACE;
    AddRef();
    return plat::win::S_OK;
  }
  ULONG AddRef() override { return refs_.fetch_add(1) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
  }
  virtual ~Com() { gLiveComObjects.fetch_sub(1); }

 protected:
  virtual void* iface(const IID&) { return nullptr; }

 private:
  std::atomic<ULONG> refs_{1};
};

// A registry entry for a face function.
template <typename F>
plat::win::ModuleExport faceExport(const char* name, F* function) {
  return {name, reinterpret_cast<plat::win::FARPROC>(function)};
}

// The functions each face's library serves through the module registry; each table ends
// with a null name.
extern const plat::win::ModuleExport kD3D11Exports[];
extern const plat::win::ModuleExport kDxgiExports[];
extern const plat::win::ModuleExport kD3D9Exports[];

}  // namespace plat::gpu
