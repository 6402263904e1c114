// The asynchronous file source: one output pin serving IAsyncReader over a file opened
// through the file stand-in. Requests are read at once, on the caller's thread, and
// wait in a done list for WaitForNext, so a puller sees the platform's order of calls.
#include <condition_variable>
#include <deque>

#include "platform/dshow/filter_parts.h"
#include "platform/dshow/system_filters.h"
#include "platform/win/file.h"
#include "platform/win/win_handle.h"
#include "platform/win/sync.h"

namespace plat::dshow {

const CLSID CLSID_AsyncReader = {0xE436EBB5, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

GUID ProbeStreamSubtype(const BYTE* data, size_t size) {
  if (size >= 3 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') return MEDIASUBTYPE_MPEG1Audio;
  if (size >= 4 && data[0] == 0xFF && (data[1] & 0xE0) == 0xE0) {
    const int version = (data[1] >> 3) & 3;  // 1 is reserved
    const int layer = (data[1] >> 1) & 3;    // 0 is reserved
    const int bitrate = data[2] >> 4;        // 15 is not allowed
    const int rate = (data[2] >> 2) & 3;     // 3 is reserved
    if (version != 1 && layer != 0 && bitrate != 15 && rate != 3) return MEDIASUBTYPE_MPEG1Audio;
  }
  return MEDIASUBTYPE_GenericStream;
}

namespace {

using win::E_INVALIDARG;
using win::E_NOTIMPL;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

constexpr REFERENCE_TIME kUnitsPerByte = 10000000;

struct Done {
  IMediaSample* sample;
  DWORD_PTR user;
  HRESULT result;
};

class FileOutput final : public StandInPin, public IAsyncReader {
 public:
  FileOutput(StandInFilter* filter, HANDLE file, LONGLONG size, const GUID& subtype)
      : StandInPin(filter, u"Output", PINDIR_OUTPUT), file_(file), size_(size) {
    type_offered_.majortype = MEDIATYPE_Stream;
    type_offered_.subtype = subtype;
    type_offered_.bFixedSizeSamples = 1;
    type_offered_.lSampleSize = 1;
    type_offered_.formattype = GUID_NULL;
  }
  ~FileOutput() override {
    for (Done& d : done_) d.sample->Release();
    win::CloseHandle(file_);
  }

  HRESULT QueryInterface(const IID& iid, void** out) override { return StandInPin::QueryInterface(iid, out); }
  ULONG AddRef() override { return StandInPin::AddRef(); }
  ULONG Release() override { return StandInPin::Release(); }

  HRESULT RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* props, IMemAllocator** actual) override {
    if (props == nullptr || actual == nullptr) return E_POINTER;
    *actual = nullptr;
    ALLOCATOR_PROPERTIES wanted = *props;
    if (wanted.cbAlign == 0) wanted.cbAlign = 1;
    ALLOCATOR_PROPERTIES got{};
    if (preferred != nullptr && preferred->SetProperties(&wanted, &got) == S_OK) {
      preferred->AddRef();
      *actual = preferred;
      return S_OK;
    }
    void* made = nullptr;
    HRESULT hr = win::CoCreateInstance(CLSID_MemoryAllocator, nullptr, win::CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                       &made);
    if (hr != S_OK) return hr;
    auto* allocator = static_cast<IMemAllocator*>(made);
    hr = allocator->SetProperties(&wanted, &got);
    if (hr != S_OK) {
      allocator->Release();
      return hr;
    }
    *actual = allocator;
    return S_OK;
  }

  HRESULT Request(IMediaSample* sample, DWORD_PTR user) override {
    if (sample == nullptr) return E_POINTER;
    {
      std::lock_guard guard(queueLock_);
      if (flushing_) return VFW_E_WRONG_STATE;
    }
    const HRESULT result = readInto(sample);
    if (result < 0 && result != win::E_FAIL) return result;
    std::lock_guard guard(queueLock_);
    done_.push_back(Done{sample, user, result});
    arrived_.notify_all();
    return S_OK;
  }

  HRESULT WaitForNext(DWORD milliseconds, IMediaSample** sample, DWORD_PTR* user) override {
    if (sample == nullptr || user == nullptr) return E_POINTER;
    *sample = nullptr;
    *user = 0;
    std::unique_lock guard(queueLock_);
    win::waitUntilReady(arrived_, guard, milliseconds, [this] { return !done_.empty() || flushing_; });
    if (done_.empty()) return flushing_ ? VFW_E_WRONG_STATE : VFW_E_TIMEOUT;
    Done next = done_.front();
    done_.pop_front();
    *sample = next.sample;  // the caller's own reference, which travelled with the request
    *user = next.user;
    return next.result;
  }

  HRESULT SyncReadAligned(IMediaSample* sample) override {
    if (sample == nullptr) return E_POINTER;
    return readInto(sample);
  }

  HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) override {
    if (buffer == nullptr) return E_POINTER;
    if (position < 0 || length < 0) return E_INVALIDARG;
    LONG got = 0;
    const HRESULT hr = read(position, length, buffer, &got);
    if (hr != S_OK) return hr;
    return got == length ? S_OK : S_FALSE;
  }

  HRESULT Length(LONGLONG* total, LONGLONG* available) override {
    if (total == nullptr || available == nullptr) return E_POINTER;
    *total = *available = size_;
    return S_OK;
  }

  HRESULT BeginFlush() override {
    std::lock_guard guard(queueLock_);
    flushing_ = true;
    arrived_.notify_all();
    return S_OK;
  }
  HRESULT EndFlush() override {
    std::lock_guard guard(queueLock_);
    flushing_ = false;
    return S_OK;
  }

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override {
    if (!(type.majortype == MEDIATYPE_Stream)) return S_FALSE;
    return type.subtype == type_offered_.subtype || type.subtype == GUID_NULL ? S_OK : S_FALSE;
  }
  std::vector<AM_MEDIA_TYPE> offeredTypes() override { return {type_offered_}; }
  HRESULT queryOther(const IID& iid, void** out) override {
    if (iid == IID_IAsyncReader) {
      AddRef();
      *out = static_cast<IAsyncReader*>(this);
      return S_OK;
    }
    return StandInPin::queryOther(iid, out);
  }

 private:
  // Reads the bytes the sample's times name into it. A read that the end of the file cuts
  // short is S_OK; one that finds nothing to read at all, E_FAIL.
  HRESULT readInto(IMediaSample* sample) {
    REFERENCE_TIME start = 0, stop = 0;
    BYTE* buffer = nullptr;
    if (sample->GetTime(&start, &stop) < 0 || sample->GetPointer(&buffer) != S_OK) return E_INVALIDARG;
    // A stop before the start would make a negative size.
    if (start < 0 || stop < start) return E_INVALIDARG;
    const LONGLONG position = start / kUnitsPerByte;
    const LONGLONG length = (stop - start) / kUnitsPerByte;
    if (length > sample->GetSize()) return VFW_E_BUFFER_OVERFLOW;
    LONG got = 0;
    const HRESULT hr = read(position, static_cast<LONG>(length), buffer, &got);
    if (hr != S_OK) return hr;
    sample->SetActualDataLength(got);
    return got > 0 || length == 0 ? S_OK : win::E_FAIL;
  }

  HRESULT read(LONGLONG position, LONG length, BYTE* buffer, LONG* got) {
    *got = 0;
    if (position >= size_) return S_OK;
    if (length > size_ - position) length = static_cast<LONG>(size_ - position);
    std::lock_guard guard(fileLock_);
    LONG high = static_cast<LONG>(position >> 32);
    if (win::SetFilePointer(file_, static_cast<LONG>(position & 0xFFFFFFFF), &high, win::FILE_BEGIN) ==
            win::INVALID_SET_FILE_POINTER &&
        high == -1)
      return win::E_FAIL;
    DWORD done = 0;
    if (!win::ReadFile(file_, buffer, static_cast<DWORD>(length), &done, nullptr)) return win::E_FAIL;
    *got = static_cast<LONG>(done);
    return S_OK;
  }

  const HANDLE file_;
  const LONGLONG size_;
  AM_MEDIA_TYPE type_offered_{};
  std::mutex fileLock_;
  std::mutex queueLock_;
  std::condition_variable arrived_;
  std::deque<Done> done_;
  bool flushing_ = false;
};

class FileSource final : public StandInFilter {
 public:
  FileSource(HANDLE file, LONGLONG size, const GUID& subtype) : StandInFilter(CLSID_AsyncReader) {
    addPin(std::make_unique<FileOutput>(this, file, size, subtype));
  }
};

}  // namespace

HRESULT CreateAsyncFileSource(const WCHAR* path, IBaseFilter** filter) {
  if (path == nullptr || filter == nullptr) return E_POINTER;
  *filter = nullptr;
  HANDLE file = win::CreateFileW(path, win::GENERIC_READ, win::FILE_SHARE_READ, nullptr, win::OPEN_EXISTING, 0,
                                 nullptr);
  if (file == win::INVALID_HANDLE_VALUE || file == nullptr) return VFW_E_FILE_NOT_FOUND;
  win::LARGE_INTEGER size{};
  BYTE head[4] = {};
  DWORD got = 0;
  if (!win::GetFileSizeEx(file, &size) || !win::ReadFile(file, head, sizeof head, &got, nullptr)) {
    win::CloseHandle(file);
    return VFW_E_FILE_NOT_FOUND;
  }
  *filter = new FileSource(file, size.QuadPart, ProbeStreamSubtype(head, got));
  return S_OK;
}

}  // namespace plat::dshow
