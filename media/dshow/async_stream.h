// Byte streams behind the asynchronous reader: the abstract stream and the memory
// stream over a block the caller keeps, with an optional rate limit in bytes per
// millisecond measured on the multimedia timer.
#pragma once
#include <cstdint>

#include "media/dshow/base_object.h"

namespace ZaDod {

using plat::dshow::LONGLONG;

class D_CAsyncStream {
 public:
  virtual ~D_CAsyncStream() = default;
  // S_OK, or S_FALSE for a position before the start or past the end.
  virtual HRESULT SetPointer(LONGLONG position) = 0;
  virtual HRESULT Read(BYTE* buffer, DWORD bytes, BOOL aligned, DWORD* bytesRead) = 0;
  // The total length; `available` (when asked) what can be read now.
  virtual LONGLONG Size(LONGLONG* available = nullptr) = 0;
  virtual DWORD Alignment() { return 1; }
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class D_CMemStream final : public D_CAsyncStream {
 public:
  static constexpr DWORD kUnlimited = 0xFFFFFFFFu;

  // A stream over `data` (not copied, not owned); null without memory.
  static D_CMemStream* Create(const BYTE* data, DWORD lengthLow, DWORD lengthHigh, DWORD rate);

  HRESULT SetPointer(LONGLONG position) override;
  // Cuts the read at the end; a limited rate waits until the bytes are due.
  HRESULT Read(BYTE* buffer, DWORD bytes, BOOL aligned, DWORD* bytesRead) override;
  LONGLONG Size(LONGLONG* available = nullptr) override;
  void Lock() override { m_Lock.Lock(); }
  void Unlock() override { m_Lock.Unlock(); }

 private:
  D_CMemStream(const BYTE* data, LONGLONG length, DWORD rate);
  DWORD elapsedMilliseconds() const;

  D_CCritSec m_Lock;
  const BYTE* m_pbData;
  LONGLONG m_llLength;
  LONGLONG m_llPosition = 0;
  DWORD m_dwKBPerSec;  // bytes per millisecond
  DWORD m_dwTimeStart;
};

}  // namespace ZaDod
