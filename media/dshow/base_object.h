// Root of the DirectShow class library: the live-object count, the reference-counted
// COM object with a non-delegating unknown (so it can be aggregated), and the lock.
#pragma once
#include <atomic>

#include "media/dshow/aliases.h"
#include "platform/win/module.h"
#include "platform/win/sync.h"

namespace ZaDod {

// Counts every live object of the library. When the count returns to 0 the automation
// library is freed, when it was loaded.
class D_CBaseObject {
 public:
  explicit D_CBaseObject(const char16_t* name);
  D_CBaseObject(const D_CBaseObject&) = delete;
  D_CBaseObject& operator=(const D_CBaseObject&) = delete;
  virtual ~D_CBaseObject();

  static LONG ObjectsActive();

 protected:
  const char16_t* m_pName;  // a static text, for debugging
};

class D_CUnknown : public D_INonDelegatingUnknown, public D_CBaseObject {
 public:
  // A null outer unknown makes the object its own owner.
  D_CUnknown(const char16_t* name, D_IUnknown* outer);
  ~D_CUnknown() override = default;

  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;
  ULONG NonDelegatingAddRef() override;
  ULONG NonDelegatingRelease() override;

  // The unknown that the delegating QueryInterface, AddRef and Release reach.
  D_IUnknown* GetOwner() const { return m_pUnknown; }

 protected:
  // Hands out one interface of this object with a reference on the owner.
  HRESULT GetInterface(D_IUnknown* face, void** out);

  std::atomic<LONG> m_cRef{0};

 private:
  // The non-delegating face as a plain unknown: what an outer object holds, and what
  // QueryInterface for IUnknown gives.
  struct Inner final : D_IUnknown {
    D_CUnknown* self;
    explicit Inner(D_CUnknown* owner) : self(owner) {}
    HRESULT QueryInterface(const IID& iid, void** out) override { return self->NonDelegatingQueryInterface(iid, out); }
    ULONG AddRef() override { return self->NonDelegatingAddRef(); }
    ULONG Release() override { return self->NonDelegatingRelease(); }
  };
  Inner m_inner{this};
  D_IUnknown* const m_pUnknown;

 public:
  D_IUnknown* NonDelegatingUnknown() { return &m_inner; }
};

// The delegating IUnknown of every interface a class implements: all go to the owner.
#define D_DECLARE_IUNKNOWN                                                                       \
  HRESULT QueryInterface(const IID& iid, void** out) override { return GetOwner()->QueryInterface(iid, out); } \
  ULONG AddRef() override { return GetOwner()->AddRef(); }                                       \
  ULONG Release() override { return GetOwner()->Release(); }

class D_CCritSec {
 public:
  D_CCritSec() { plat::win::InitializeCriticalSection(&m_CritSec); }
  ~D_CCritSec() { plat::win::DeleteCriticalSection(&m_CritSec); }
  D_CCritSec(const D_CCritSec&) = delete;
  D_CCritSec& operator=(const D_CCritSec&) = delete;
  void Lock() { plat::win::EnterCriticalSection(&m_CritSec); }
  void Unlock() { plat::win::LeaveCriticalSection(&m_CritSec); }

 private:
  plat::win::CRITICAL_SECTION m_CritSec;
};

class D_CAutoLock {
 public:
  explicit D_CAutoLock(D_CCritSec* lock) : m_pLock(lock) { m_pLock->Lock(); }
  ~D_CAutoLock() { m_pLock->Unlock(); }
  D_CAutoLock(const D_CAutoLock&) = delete;
  D_CAutoLock& operator=(const D_CAutoLock&) = delete;

 private:
  D_CCritSec* m_pLock;
};

// An object that counts its own references and answers IUnknown and its one
// interface (the enumerators); it starts with one reference and the last Release
// deletes it.
template <class Face, const IID& kIid>
class D_CSelfCounted : public Face {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out == nullptr) return plat::win::E_POINTER;
    if (iid == kIid || iid == plat::win::IID_IUnknown) {
      *out = static_cast<Face*>(this);
      AddRef();
      return plat::win::S_OK;
    }
    *out = nullptr;
    return plat::win::E_NOINTERFACE;
  }
  ULONG AddRef() override { return static_cast<ULONG>(m_cRef.fetch_add(1) + 1); }
  ULONG Release() override {
    const LONG count = m_cRef.fetch_sub(1) - 1;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

 protected:
  virtual ~D_CSelfCounted() = default;

 private:
  std::atomic<LONG> m_cRef{1};
};

// The automation library the position pass-through loads on first use; it stays loaded
// until the library's live-object count returns to 0. Returns null and leaves the
// failure for GetLastError when it cannot be loaded.
plat::win::HMODULE D_LoadOleAut32();

}  // namespace ZaDod
