// The memory allocator of the DirectShow class library: every sample buffer lies in
// one block of page memory, each at an aligned stride after its prefix.
#pragma once
#include "media/dshow/allocator.h"

namespace ZaDod {

class D_CMemAllocator : public D_CBaseAllocator {
 public:
  D_CMemAllocator(const char16_t* name, D_IUnknown* outer, HRESULT* result);
  ~D_CMemAllocator() override;

  // The alignment must be a power of two that divides the allocation granularity; the
  // buffer size is rounded so that size + prefix is a multiple of it.
  HRESULT SetProperties(D_ALLOCATOR_PROPERTIES* request, D_ALLOCATOR_PROPERTIES* actual) override;

  HRESULT Alloc() override;
  void Free() override;

 protected:
  // Puts m_lCount samples of m_lSize bytes on the free list, sample i at
  // memory + prefix + i x stride; on failure frees them again (E_OUTOFMEMORY).
  HRESULT MakeSamples(BYTE* memory, long long stride, const char16_t* name);

  BYTE* m_pBuffer = nullptr;
};

}  // namespace ZaDod
