// Automation stand-in ("oleaut32"): the dispatch and type-library interfaces and the two
// type-library loaders. No type library exists on this machine, so both loaders fail
// the way the system's do for a library that is not there.
#pragma once
#include "platform/win/com.h"

namespace plat::win {

using LCID = DWORD;
using DISPID = LONG;
using MEMBERID = LONG;
using BSTR = char16_t*;
using LPOLESTR = char16_t*;

struct VARIANT;
struct DISPPARAMS;
struct EXCEPINFO;
struct TYPEATTR;
struct ITypeComp;

constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = static_cast<HRESULT>(0x8002802Bu);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = static_cast<HRESULT>(0x8002801Du);
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = static_cast<HRESULT>(0x80029C4Au);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);

extern const IID IID_IDispatch;

// Only the slots up to Invoke are declared: nothing here calls the later ones.
struct ITypeInfo : IUnknown {
  virtual HRESULT GetTypeAttr(TYPEATTR** attributes) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
  virtual HRESULT GetFuncDesc(UINT index, void** description) = 0;
  virtual HRESULT GetVarDesc(UINT index, void** description) = 0;
  virtual HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) = 0;
  virtual HRESULT GetRefTypeOfImplType(UINT index, DWORD* type) = 0;
  virtual HRESULT GetImplTypeFlags(UINT index, int* flags) = 0;
  virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) = 0;
  virtual HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argumentError) = 0;

 protected:
  ~ITypeInfo() = default;
};

struct ITypeLib : IUnknown {
  virtual UINT GetTypeInfoCount() = 0;
  virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** info) = 0;
  virtual HRESULT GetTypeInfoType(UINT index, int* kind) = 0;
  virtual HRESULT GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** info) = 0;

 protected:
  ~ITypeLib() = default;
};

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(const IID& iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, const IID& iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argumentError) = 0;

 protected:
  ~IDispatch() = default;
};

// No type library is registered here: TYPE_E_LIBNOTREGISTERED, with the out pointer null.
HRESULT LoadRegTypeLib(const GUID& library, WORD major, WORD minor, LCID locale, ITypeLib** out);
// No type-library file can be loaded here: TYPE_E_CANTLOADLIBRARY, with the out pointer null.
HRESULT LoadTypeLib(const char16_t* file, ITypeLib** out);

}  // namespace plat::win
