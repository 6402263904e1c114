// COM stand-in: per-thread initialisation counts, task memory, and a class registry
// through which CoCreateInstance makes the objects of the other stand-ins.
#pragma once
#include <cstddef>

#include "platform/win/types.h"

namespace plat::win {

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using CLSID = GUID;
using IID = GUID;

bool operator==(const GUID& a, const GUID& b);

using ULONG = std::uint32_t;

extern const IID IID_IUnknown;

// The base every COM stand-in's interfaces derive from. Objects delete themselves when
// their last reference goes, so the destructor is not for callers.
struct IUnknown {
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);

constexpr DWORD COINIT_MULTITHREADED = 0;
constexpr DWORD COINIT_APARTMENTTHREADED = 2;
constexpr DWORD CLSCTX_INPROC_SERVER = 1;
constexpr DWORD CLSCTX_ALL = 0x17;

// Makes one object of a registered class and hands out the asked interface.
using ComClassFactory = HRESULT (*)(void* outer, const IID& iid, void** object);

// Registers a class. `missingName` is the stand-in's short name: when HALVORINE_MISSING
// lists it, creation answers REGDB_E_CLASSNOTREG as for an unknown class. Registering a
// class id again replaces its entry.
void RegisterComClass(const CLSID& clsid, const char* missingName, ComClassFactory factory);
void UnregisterComClass(const CLSID& clsid);

HRESULT CoInitializeEx(void* reserved, DWORD flags);
void CoUninitialize();
// How many CoInitializeEx calls of the calling thread are not yet undone.
int CoGetInitializeCount();
HRESULT CoCreateInstance(const CLSID& clsid, void* outer, DWORD context, const IID& iid, void** object);
void* CoTaskMemAlloc(size_t size);
void CoTaskMemFree(void* memory);
void CoFreeUnusedLibraries();

}  // namespace plat::win
