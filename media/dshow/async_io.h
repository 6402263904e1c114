// The I/O object of the asynchronous reader: queued read requests performed on one
// worker thread and handed back in completion order, synchronous reads that bypass the
// queue, and flushes that hand queued requests back unperformed.
#pragma once
#include <deque>

#include "media/dshow/async_stream.h"

namespace ZaDod {

class D_CAsyncIo;

// One queued read.
struct D_CAsyncRequest {
  D_CAsyncIo* io = nullptr;
  D_CAsyncStream* stream = nullptr;
  LONGLONG position = 0;
  bool aligned = false;
  LONG length = 0;
  BYTE* buffer = nullptr;
  void* context = nullptr;  // the sample the read fills, or null
  plat::dshow::DWORD_PTR user = 0;
  HRESULT result = plat::dshow::VFW_E_TIMEOUT;  // until performed

  // Performs the read under the stream's lock: S_OK, S_FALSE for a short read (the
  // length then says how much came), or the stream's failure.
  HRESULT Complete();
};

class D_CAsyncIo {
 public:
  explicit D_CAsyncIo(D_CAsyncStream* stream);
  ~D_CAsyncIo();
  D_CAsyncIo(const D_CAsyncIo&) = delete;
  D_CAsyncIo& operator=(const D_CAsyncIo&) = delete;

  HRESULT Request(LONGLONG position, LONG length, BOOL aligned, BYTE* buffer, void* context,
                  plat::dshow::DWORD_PTR user);
  HRESULT WaitForNext(DWORD milliseconds, void** context, plat::dshow::DWORD_PTR* user, LONG* actual);
  HRESULT SyncReadAligned(LONGLONG position, LONG length, BYTE* buffer, LONG* actual, void* context);
  HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer);
  HRESULT BeginFlush();
  HRESULT EndFlush();

  HRESULT Length(LONGLONG* total, LONGLONG* available);
  LONG Alignment() { return static_cast<LONG>(m_pStream->Alignment()); }
  bool IsAligned(LONGLONG value) { return (value & (Alignment() - 1)) == 0; }
  bool IsAligned(const void* pointer) { return IsAligned(static_cast<LONGLONG>(reinterpret_cast<std::uintptr_t>(pointer))); }

 private:
  static plat::win::DWORD threadMain(void* self);
  plat::win::DWORD workerLoop();
  bool startWorker();
  void putDone(D_CAsyncRequest* request);
  D_CAsyncRequest* takeDone();

  D_CCritSec m_csReader;  // serialises stream access
  D_CAsyncStream* m_pStream;
  D_CCritSec m_csLists;   // the lists, counters and flags
  bool m_bFlushing = false;
  std::deque<D_CAsyncRequest*> m_listWork;
  std::deque<D_CAsyncRequest*> m_listDone;
  plat::win::HANDLE m_evWork;
  plat::win::HANDLE m_evDone;
  LONG m_cItemsOut = 0;
  bool m_bWaiting = false;
  plat::win::HANDLE m_evAllDone;
  plat::win::HANDLE m_evStop;
  plat::win::HANDLE m_hThread = nullptr;
};

}  // namespace ZaDod
