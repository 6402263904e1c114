// Media-type helpers: task-memory copies, partial matching and name copies.
#include "media/dshow/media_type.h"

#include <cstring>

#include "media/system/winapi.h"

namespace ZaDod {

using plat::dshow::GUID_NULL;

void* D_TaskMemAlloc(size_t size) {
  return WinAPI.CoTaskMemAllocFunc != nullptr ? WinAPI.CoTaskMemAllocFunc(size) : nullptr;
}

void D_TaskMemFree(void* memory) {
  if (memory != nullptr && WinAPI.CoTaskMemFreeFunc != nullptr) WinAPI.CoTaskMemFreeFunc(memory);
}

HRESULT D_CopyMediaType(D_AM_MEDIA_TYPE* target, const D_AM_MEDIA_TYPE* source) {
  if (target == nullptr || source == nullptr) return plat::win::E_POINTER;
  *target = *source;
  if (source->cbFormat != 0 && source->pbFormat != nullptr) {
    target->pbFormat = static_cast<BYTE*>(D_TaskMemAlloc(source->cbFormat));
    if (target->pbFormat == nullptr) {
      target->cbFormat = 0;
      target->pUnk = nullptr;
      return plat::win::E_OUTOFMEMORY;
    }
    std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
  } else {
    target->pbFormat = nullptr;
    target->cbFormat = 0;
  }
  if (target->pUnk != nullptr) target->pUnk->AddRef();
  return plat::win::S_OK;
}

void D_FreeMediaType(D_AM_MEDIA_TYPE& type) {
  if (type.cbFormat != 0 || type.pbFormat != nullptr) {
    D_TaskMemFree(type.pbFormat);
    type.cbFormat = 0;
    type.pbFormat = nullptr;
  }
  if (type.pUnk != nullptr) {
    type.pUnk->Release();
    type.pUnk = nullptr;
  }
}

D_AM_MEDIA_TYPE* D_CreateMediaType(const D_AM_MEDIA_TYPE* source) {
  auto* made = static_cast<D_AM_MEDIA_TYPE*>(D_TaskMemAlloc(sizeof(D_AM_MEDIA_TYPE)));
  if (made == nullptr) return nullptr;
  if (D_CopyMediaType(made, source) != plat::win::S_OK) {
    D_TaskMemFree(made);
    return nullptr;
  }
  return made;
}

void D_DeleteMediaType(D_AM_MEDIA_TYPE* type) {
  if (type == nullptr) return;
  D_FreeMediaType(*type);
  D_TaskMemFree(type);
}

bool D_IsPartiallySpecified(const D_AM_MEDIA_TYPE* type) {
  return type->majortype == GUID_NULL || type->formattype == GUID_NULL;
}

bool D_MatchesPartial(const D_AM_MEDIA_TYPE* type, const D_AM_MEDIA_TYPE* partial) {
  if (!(partial->majortype == GUID_NULL) && !(type->majortype == partial->majortype)) return false;
  if (!(partial->subtype == GUID_NULL) && !(type->subtype == partial->subtype)) return false;
  if (!(partial->formattype == GUID_NULL)) {
    if (!(type->formattype == partial->formattype)) return false;
    if (type->cbFormat != partial->cbFormat) return false;
    if (type->cbFormat != 0 && std::memcmp(type->pbFormat, partial->pbFormat, type->cbFormat) != 0) return false;
  }
  return true;
}

bool D_SameMediaType(const D_AM_MEDIA_TYPE& a, const D_AM_MEDIA_TYPE& b) {
  return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
         a.cbFormat == b.cbFormat && (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

void D_CopyName(WCHAR* target, size_t capacity, const WCHAR* name) {
  size_t i = 0;
  if (name != nullptr)
    for (; i + 1 < capacity && name[i] != u'\0'; ++i) target[i] = name[i];
  target[i] = u'\0';
}

WCHAR* D_DuplicateName(const WCHAR* name) {
  if (name == nullptr) return nullptr;
  size_t length = 0;
  while (name[length] != u'\0') ++length;
  auto* copy = new WCHAR[length + 1];
  std::memcpy(copy, name, (length + 1) * sizeof(WCHAR));
  return copy;
}

}  // namespace ZaDod
