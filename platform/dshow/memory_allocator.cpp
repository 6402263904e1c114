// The platform's memory allocator: samples over one heap block, a free list guarded by
// a mutex, and waiters woken by a condition variable. While committed the allocator
// holds a reference on itself, so it outlives every sample handed out.
#include "platform/dshow/memory_allocator.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace plat::dshow {

const CLSID CLSID_MemoryAllocator = {0x1E651CC0, 0xB199, 0x11D0, {0x82, 0x12, 0x00, 0xC0, 0x4F, 0xC3, 0x2C, 0x45}};

namespace {

std::atomic<int> liveAllocators{0};
constexpr LONG kGranularity = 65536;

class Allocator;

class Sample final : public SampleOverBytes {
 public:
  Sample(Allocator* owner, BYTE* buffer, LONG size) : SampleOverBytes(buffer, size), owner_(owner) {}
  ~Sample() override = default;

 private:
  void lastReleased() override;
  Allocator* owner_;
};

// A sample over bytes held elsewhere: deleted, and the hold dropped, with its last reference.
class HeldSample final : public SampleOverBytes {
 public:
  HeldSample(std::shared_ptr<const std::uint8_t> bytes, LONG size)
      : SampleOverBytes(const_cast<BYTE*>(bytes.get()), size), bytes_(std::move(bytes)) {}

 private:
  void lastReleased() override { delete this; }
  std::shared_ptr<const std::uint8_t> bytes_;
};

class Allocator final : public IMemAllocator {
 public:
  Allocator() { ++liveAllocators; }
  ~Allocator() { --liveAllocators; }

  HRESULT QueryInterface(const IID& iid, void** out) override {
    return QueryOneInterface<IMemAllocator>(this, IID_IMemAllocator, iid, out);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override {
    if (request == nullptr || actual == nullptr) return win::E_POINTER;
    const LONG align = request->cbAlign;
    if (align <= 0 || (align & (align - 1)) != 0 || kGranularity % align != 0) return VFW_E_BADALIGN;
    if (request->cBuffers < 0 || request->cbBuffer < 0 || request->cbPrefix < 0) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> hold(mutex_);
    if (committed_) return VFW_E_ALREADY_COMMITTED;
    if (free_.size() != samples_.size()) return VFW_E_BUFFERS_OUTSTANDING;
    const long long whole = (static_cast<long long>(request->cbBuffer) + request->cbPrefix + align - 1) / align * align;
    if (whole - request->cbPrefix > 0x7FFFFFFF) return win::E_INVALIDARG;
    props_ = *request;
    props_.cbBuffer = static_cast<LONG>(whole - request->cbPrefix);
    *actual = props_;
    return win::S_OK;
  }
  HRESULT GetProperties(ALLOCATOR_PROPERTIES* props) override {
    if (props == nullptr) return win::E_POINTER;
    std::lock_guard<std::mutex> hold(mutex_);
    *props = props_;
    return win::S_OK;
  }
  HRESULT Commit() override {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (committed_) return win::S_OK;
      if (decommitPending_) {  // the block is still there, and so is the reference
        decommitPending_ = false;
        committed_ = true;
        return win::S_OK;
      }
      const HRESULT hr = allocate();
      if (hr != win::S_OK) return hr;
      committed_ = true;
    }
    AddRef();
    return win::S_OK;
  }
  HRESULT Decommit() override {
    bool freed = false;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (!committed_) return win::S_OK;
      committed_ = false;
      if (free_.size() == samples_.size()) {
        release();
        freed = true;
      } else {
        decommitPending_ = true;
      }
    }
    wake_.notify_all();
    if (freed) Release();
    return win::S_OK;
  }
  HRESULT GetBuffer(IMediaSample** out, REFERENCE_TIME*, REFERENCE_TIME*, DWORD flags) override {
    if (out == nullptr) return win::E_POINTER;
    *out = nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (!committed_) return VFW_E_NOT_COMMITTED;
      if (!free_.empty()) break;
      if (flags & AM_GBF_NOWAIT) return VFW_E_TIMEOUT;
      wake_.wait(lock);
    }
    Sample* sample = free_.back();
    free_.pop_back();
    lock.unlock();
    sample->AddRef();
    *out = sample;
    return win::S_OK;
  }
  HRESULT ReleaseBuffer(IMediaSample* sample) override {
    if (sample == nullptr) return win::E_POINTER;
    bool freed = false;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      auto* own = static_cast<Sample*>(sample);
      own->clear();
      free_.push_back(own);
      if (decommitPending_ && free_.size() == samples_.size()) {
        decommitPending_ = false;
        release();
        freed = true;
      }
    }
    wake_.notify_one();
    if (freed) Release();
    return win::S_OK;
  }

 private:
  HRESULT allocate() {
    if (props_.cBuffers <= 0 || props_.cbBuffer <= 0 || props_.cbAlign <= 0) return VFW_E_SIZENOTSET;
    const long long stride =
        (static_cast<long long>(props_.cbBuffer) + props_.cbPrefix + props_.cbAlign - 1) / props_.cbAlign * props_.cbAlign;
    const long long total = stride * props_.cBuffers;
    block_.reset(new (std::nothrow) BYTE[static_cast<size_t>(total) + props_.cbAlign]);
    if (!block_) return win::E_OUTOFMEMORY;
    auto base = reinterpret_cast<std::uintptr_t>(block_.get());
    base = (base + props_.cbAlign - 1) / props_.cbAlign * props_.cbAlign;
    for (LONG i = 0; i < props_.cBuffers; ++i) {
      auto* buffer = reinterpret_cast<BYTE*>(base + stride * i + props_.cbPrefix);
      samples_.push_back(std::make_unique<Sample>(this, buffer, props_.cbBuffer));
      free_.push_back(samples_.back().get());
    }
    return win::S_OK;
  }
  void release() {
    free_.clear();
    samples_.clear();
    block_.reset();
  }

  std::atomic<ULONG> refs_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  ALLOCATOR_PROPERTIES props_{};
  std::unique_ptr<BYTE[]> block_;
  std::vector<std::unique_ptr<Sample>> samples_;
  std::vector<Sample*> free_;
  bool committed_ = false;
  bool decommitPending_ = false;
};

void Sample::lastReleased() { owner_->ReleaseBuffer(this); }  // the sample may be gone after this

HRESULT createAllocator(void* outer, const IID& iid, void** object) {
  if (object == nullptr) return win::E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  auto* made = new (std::nothrow) Allocator();
  if (made == nullptr) return win::E_OUTOFMEMORY;
  made->AddRef();
  const HRESULT hr = made->QueryInterface(iid, object);
  made->Release();
  return hr;
}

const bool allocatorRegistered = (win::RegisterComClass(CLSID_MemoryAllocator, "dshow", &createAllocator), true);

}  // namespace

int LiveMemoryAllocatorCount() { return liveAllocators.load(); }

IMediaSample* NewHeldSample(std::shared_ptr<const std::uint8_t> bytes, LONG size) {
  if (bytes == nullptr || size < 0) return nullptr;
  auto* made = new (std::nothrow) HeldSample(std::move(bytes), size);
  if (made != nullptr) made->AddRef();
  return made;
}

}  // namespace plat::dshow
