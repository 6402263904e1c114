// The memory stream: bounded positions, reads cut at the end, and the rate limit.
#include "media/dshow/async_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/system/winapi.h"
#include "platform/win/win_thread.h"

namespace ZaDod {

using plat::win::S_FALSE;
using plat::win::S_OK;

namespace {

DWORD nowMilliseconds() { return WinAPI.timeGetTimeFunc != nullptr ? WinAPI.timeGetTimeFunc() : 0; }

}  // namespace

D_CMemStream* D_CMemStream::Create(const BYTE* data, DWORD lengthLow, DWORD lengthHigh, DWORD rate) {
  const LONGLONG length = static_cast<LONGLONG>((static_cast<std::uint64_t>(lengthHigh) << 32) | lengthLow);
  if (length < 0 || (data == nullptr && length != 0)) return nullptr;
  return new (std::nothrow) D_CMemStream(data, length, rate);
}

D_CMemStream::D_CMemStream(const BYTE* data, LONGLONG length, DWORD rate)
    : m_pbData(data), m_llLength(length), m_dwKBPerSec(rate), m_dwTimeStart(nowMilliseconds()) {}

DWORD D_CMemStream::elapsedMilliseconds() const { return nowMilliseconds() - m_dwTimeStart; }

HRESULT D_CMemStream::SetPointer(LONGLONG position) {
  D_CAutoLock hold(&m_Lock);
  if (position < 0 || position > m_llLength) return S_FALSE;
  m_llPosition = position;
  return S_OK;
}

HRESULT D_CMemStream::Read(BYTE* buffer, DWORD bytes, BOOL, DWORD* bytesRead) {
  D_CAutoLock hold(&m_Lock);
  const DWORD count = static_cast<DWORD>(std::min<LONGLONG>(bytes, m_llLength - m_llPosition));
  if (m_dwKBPerSec != kUnlimited && m_dwKBPerSec != 0) {
    // The bytes are due once (position + count) / rate milliseconds have passed. The
    // wait follows the clock, so a held test clock releases it when stepped.
    const std::uint64_t due = static_cast<std::uint64_t>(m_llPosition + count) / m_dwKBPerSec;
    for (;;) {
      const DWORD elapsed = elapsedMilliseconds();
      if (elapsed >= due) break;
      plat::win::Sleep(static_cast<DWORD>(std::min<std::uint64_t>(due - elapsed, 10)));
    }
  }
  if (count > 0) std::memcpy(buffer, m_pbData + m_llPosition, count);
  m_llPosition += count;
  if (bytesRead != nullptr) *bytesRead = count;
  return S_OK;
}

LONGLONG D_CMemStream::Size(LONGLONG* available) {
  if (available != nullptr) {
    // The unlimited rate makes everything available at once, even at the first moment.
    const std::uint64_t allowed = m_dwKBPerSec == kUnlimited
                                      ? ~0ull
                                      : static_cast<std::uint64_t>(elapsedMilliseconds()) * m_dwKBPerSec;
    *available = static_cast<LONGLONG>(std::min<std::uint64_t>(static_cast<std::uint64_t>(m_llLength), allowed));
  }
  return m_llLength;
}

}  // namespace ZaDod
