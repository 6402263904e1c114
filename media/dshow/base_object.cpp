// The library's object base, unknown and the automation-library handle they share.
#include "media/dshow/base_object.h"

namespace ZaDod {

namespace {

std::atomic<LONG> objectsActive{0};
std::atomic<plat::win::HMODULE> oleAut32{nullptr};

}  // namespace

D_CBaseObject::D_CBaseObject(const char16_t* name) : m_pName(name) { objectsActive.fetch_add(1); }

D_CBaseObject::~D_CBaseObject() {
  if (objectsActive.fetch_sub(1) == 1) {
    // The last object is gone: nothing can still hold type information.
    plat::win::HMODULE module = oleAut32.exchange(nullptr);
    if (module != nullptr) plat::win::FreeLibrary(module);
  }
}

LONG D_CBaseObject::ObjectsActive() { return objectsActive.load(); }

plat::win::HMODULE D_LoadOleAut32() {
  plat::win::HMODULE module = oleAut32.load();
  if (module != nullptr) return module;
  module = plat::win::LoadLibraryW(u"OleAut32.dll");
  if (module == nullptr) return nullptr;
  plat::win::HMODULE expected = nullptr;
  if (!oleAut32.compare_exchange_strong(expected, module)) {
    plat::win::FreeLibrary(module);  // another thread was first
    return expected;
  }
  return module;
}

D_CUnknown::D_CUnknown(const char16_t* name, D_IUnknown* outer)
    : D_CBaseObject(name), m_pUnknown(outer != nullptr ? outer : &m_inner) {}

HRESULT D_CUnknown::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (out == nullptr) return plat::win::E_POINTER;
  if (iid == plat::win::IID_IUnknown) {
    *out = &m_inner;
    NonDelegatingAddRef();
    return plat::win::S_OK;
  }
  *out = nullptr;
  return plat::win::E_NOINTERFACE;
}

ULONG D_CUnknown::NonDelegatingAddRef() {
  const LONG count = m_cRef.fetch_add(1) + 1;
  return static_cast<ULONG>(count < 1 ? 1 : count);
}

ULONG D_CUnknown::NonDelegatingRelease() {
  const LONG count = m_cRef.fetch_sub(1) - 1;
  if (count == 0) {
    // Held at 1 while the destructor runs, so a destructor that takes and drops a
    // reference does not come back here.
    m_cRef.store(1);
    delete this;
    return 0;
  }
  return static_cast<ULONG>(count < 1 ? 1 : count);
}

HRESULT D_CUnknown::GetInterface(D_IUnknown* face, void** out) {
  if (out == nullptr) return plat::win::E_POINTER;
  *out = face;
  face->AddRef();
  return plat::win::S_OK;
}

}  // namespace ZaDod
