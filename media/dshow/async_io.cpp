// The asynchronous reader's I/O object: request lists, the worker thread, flushes.
#include "media/dshow/async_io.h"

#include <new>

#include "media/dshow/media_sample.h"
#include "platform/win/win_thread.h"

namespace ZaDod {

using plat::win::E_FAIL;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;
namespace win = plat::win;

HRESULT D_CAsyncRequest::Complete() {
  stream->Lock();
  HRESULT hr = stream->SetPointer(position);
  if (hr == S_OK) {
    DWORD actual = 0;
    hr = stream->Read(buffer, static_cast<DWORD>(length), aligned ? win::TRUE : win::FALSE, &actual);
    if (hr == ds::OLE_S_FIRST) {
      if (context != nullptr) static_cast<D_IMediaSample*>(context)->SetDiscontinuity(win::TRUE);
      hr = S_OK;
    }
    if (hr >= 0 && static_cast<LONG>(actual) != length) {
      length = static_cast<LONG>(actual);
      hr = S_FALSE;
    }
  } else {
    // A position past the end: nothing read.
    length = 0;
    hr = S_FALSE;
  }
  stream->Unlock();
  return hr;
}

D_CAsyncIo::D_CAsyncIo(D_CAsyncStream* stream)
    : m_pStream(stream),
      m_evWork(win::CreateEventW(nullptr, win::TRUE, win::FALSE, nullptr)),
      m_evDone(win::CreateEventW(nullptr, win::TRUE, win::FALSE, nullptr)),
      m_evAllDone(win::CreateEventW(nullptr, win::FALSE, win::FALSE, nullptr)),
      m_evStop(win::CreateEventW(nullptr, win::TRUE, win::FALSE, nullptr)) {}

D_CAsyncIo::~D_CAsyncIo() {
  BeginFlush();
  win::SetEvent(m_evStop);
  if (m_hThread != nullptr) {
    win::WaitForSingleObject(m_hThread, win::INFINITE);
    win::CloseHandle(m_hThread);
  }
  for (D_CAsyncRequest* request : m_listDone) delete request;
  for (D_CAsyncRequest* request : m_listWork) delete request;
  for (win::HANDLE event : {m_evWork, m_evDone, m_evAllDone, m_evStop}) win::CloseHandle(event);
}

HRESULT D_CAsyncIo::Length(LONGLONG* total, LONGLONG* available) {
  if (total == nullptr || available == nullptr) return E_POINTER;
  *total = m_pStream->Size(available);
  return S_OK;
}

bool D_CAsyncIo::startWorker() {
  if (m_hThread != nullptr) return true;
  m_hThread = win::CreateThread(nullptr, 0, &D_CAsyncIo::threadMain, this, 0, nullptr);
  return m_hThread != nullptr;
}

win::DWORD D_CAsyncIo::threadMain(void* self) { return static_cast<D_CAsyncIo*>(self)->workerLoop(); }

win::DWORD D_CAsyncIo::workerLoop() {
  win::HANDLE events[2] = {m_evStop, m_evWork};
  for (;;) {
    if (win::WaitForMultipleObjects(2, events, win::FALSE, win::INFINITE) != win::WAIT_OBJECT_0 + 1) return 0;
    D_CAsyncRequest* request = nullptr;
    {
      D_CAutoLock hold(&m_csLists);
      if (!m_listWork.empty()) {
        request = m_listWork.front();
        m_listWork.pop_front();
        ++m_cItemsOut;
      }
      if (m_listWork.empty()) win::ResetEvent(m_evWork);
    }
    if (request == nullptr) continue;
    {
      D_CAutoLock reading(&m_csReader);
      request->result = request->Complete();
    }
    D_CAutoLock hold(&m_csLists);
    putDone(request);
    if (--m_cItemsOut == 0 && m_bWaiting) win::SetEvent(m_evAllDone);
  }
}

void D_CAsyncIo::putDone(D_CAsyncRequest* request) {
  m_listDone.push_back(request);
  win::SetEvent(m_evDone);
}

HRESULT D_CAsyncIo::Request(LONGLONG position, LONG length, BOOL aligned, BYTE* buffer, void* context,
                            ds::DWORD_PTR user) {
  if (length < 0 || position < 0) return plat::win::E_INVALIDARG;
  if (aligned && (!IsAligned(position) || !IsAligned(static_cast<LONGLONG>(length)) || !IsAligned(buffer)))
    return ds::VFW_E_BADALIGN;
  auto* request = new (std::nothrow) D_CAsyncRequest;
  if (request == nullptr) return E_OUTOFMEMORY;
  *request = {this, m_pStream, position, aligned != 0, length, buffer, context, user, ds::VFW_E_TIMEOUT};
  D_CAutoLock hold(&m_csLists);
  if (m_bFlushing) {
    delete request;
    return ds::VFW_E_WRONG_STATE;
  }
  try {
    m_listWork.push_back(request);
  } catch (const std::bad_alloc&) {
    delete request;
    return E_OUTOFMEMORY;
  }
  win::SetEvent(m_evWork);
  if (!startWorker()) {
    m_listWork.pop_back();
    delete request;
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

D_CAsyncRequest* D_CAsyncIo::takeDone() {
  D_CAutoLock hold(&m_csLists);
  D_CAsyncRequest* request = nullptr;
  if (!m_listDone.empty()) {
    request = m_listDone.front();
    m_listDone.pop_front();
  }
  // Keep the event set while a flush is under way, so nobody blocks in the meantime.
  if (m_listDone.empty() && (!m_bFlushing || m_bWaiting)) win::ResetEvent(m_evDone);
  return request;
}

HRESULT D_CAsyncIo::WaitForNext(DWORD milliseconds, void** context, ds::DWORD_PTR* user, LONG* actual) {
  if (context == nullptr || user == nullptr || actual == nullptr) return E_POINTER;
  *context = nullptr;
  for (;;) {
    if (win::WaitForSingleObject(m_evDone, milliseconds) == win::WAIT_TIMEOUT) return ds::VFW_E_TIMEOUT;
    D_CAsyncRequest* request = takeDone();
    if (request != nullptr) {
      HRESULT hr = request->result;
      if (hr == S_FALSE) {
        // Short only at the very end of the stream is a complete read.
        LONGLONG available = 0;
        hr = request->position + request->length == m_pStream->Size(&available) ? S_OK : E_FAIL;
      }
      *actual = request->length;
      *context = request->context;
      *user = request->user;
      delete request;
      return hr;
    }
    {
      D_CAutoLock hold(&m_csLists);
      if (m_bFlushing && !m_bWaiting) return ds::VFW_E_WRONG_STATE;
    }
  }
}

HRESULT D_CAsyncIo::SyncReadAligned(LONGLONG position, LONG length, BYTE* buffer, LONG* actual, void* context) {
  if (actual == nullptr) return E_POINTER;
  if (length < 0 || position < 0) return plat::win::E_INVALIDARG;
  if (!IsAligned(position) || !IsAligned(static_cast<LONGLONG>(length)) || !IsAligned(buffer))
    return ds::VFW_E_BADALIGN;
  D_CAsyncRequest request{this, m_pStream, position, true, length, buffer, context, 0, ds::VFW_E_TIMEOUT};
  D_CAutoLock reading(&m_csReader);
  const HRESULT hr = request.Complete();
  *actual = request.length;
  return hr;
}

HRESULT D_CAsyncIo::SyncRead(LONGLONG position, LONG length, BYTE* buffer) {
  if (length < 0 || position < 0) return plat::win::E_INVALIDARG;
  if (IsAligned(position) && IsAligned(static_cast<LONGLONG>(length)) && IsAligned(buffer)) {
    LONG actual = 0;
    return SyncReadAligned(position, length, buffer, &actual, nullptr);
  }
  D_CAsyncRequest request{this, m_pStream, position, false, length, buffer, nullptr, 0, ds::VFW_E_TIMEOUT};
  D_CAutoLock reading(&m_csReader);
  return request.Complete();
}

HRESULT D_CAsyncIo::BeginFlush() {
  {
    D_CAutoLock hold(&m_csLists);
    m_bFlushing = true;
    // Queued reads go back unperformed, their result still VFW_E_TIMEOUT.
    while (!m_listWork.empty()) {
      D_CAsyncRequest* request = m_listWork.front();
      m_listWork.pop_front();
      putDone(request);
    }
    win::ResetEvent(m_evWork);
    if (m_cItemsOut > 0) m_bWaiting = true;
  }
  for (;;) {
    {
      D_CAutoLock hold(&m_csLists);
      if (m_cItemsOut == 0) {
        m_bWaiting = false;
        break;
      }
    }
    win::WaitForSingleObject(m_evAllDone, win::INFINITE);
  }
  win::SetEvent(m_evDone);  // WaitForNext must not block while flushing
  return S_OK;
}

HRESULT D_CAsyncIo::EndFlush() {
  D_CAutoLock hold(&m_csLists);
  m_bFlushing = false;
  if (!m_listDone.empty())
    win::SetEvent(m_evDone);
  else
    win::ResetEvent(m_evDone);
  return S_OK;
}

}  // namespace ZaDod
