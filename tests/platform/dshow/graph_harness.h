// A harness pass-through for graph tests: it pulls a stream through IAsyncReader on its
// own thread (Request / WaitForNext in 4-KB pieces), passes each piece on through
// IMemInputPin and sends end of stream after the last, recording every byte it delivered.
#pragma once
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dshow/filter_parts.h"

namespace harness {

namespace ds = plat::dshow;
using plat::win::HRESULT;
using plat::win::S_FALSE;
using plat::win::S_OK;

inline const plat::win::GUID kHarnessMajor = {0x48A17E57, 0, 0, {1, 1, 1, 1, 1, 1, 1, 1}};
inline const plat::win::GUID kSubA = {0x48A17E5A, 0, 0, {1, 1, 1, 1, 1, 1, 1, 1}};
inline const plat::win::GUID kSubB = {0x48A17E5B, 0, 0, {1, 1, 1, 1, 1, 1, 1, 1}};
inline const plat::win::CLSID kPullerClass = {0x48A17E50, 0, 0, {1, 1, 1, 1, 1, 1, 1, 1}};

// The face an object answers for `iid`, which it must have.
template <class Face>
Face* query(plat::win::IUnknown* object, const plat::win::IID& iid) {
  void* face = nullptr;
  EXPECT_EQ(object->QueryInterface(iid, &face), S_OK);
  return static_cast<Face*>(face);
}

inline ds::AM_MEDIA_TYPE harnessType(const plat::win::GUID& subtype) {
  ds::AM_MEDIA_TYPE type{};
  type.majortype = kHarnessMajor;
  type.subtype = subtype;
  type.formattype = kHarnessMajor;
  return type;
}

class Puller;

class PullInput final : public ds::StandInPin {
 public:
  explicit PullInput(ds::StandInFilter* filter) : StandInPin(filter, u"In", ds::PINDIR_INPUT) {}
  ~PullInput() override { breakConnect(); }
  ds::IAsyncReader* reader = nullptr;

 protected:
  HRESULT checkType(const ds::AM_MEDIA_TYPE& type) override {
    return type.majortype == ds::MEDIATYPE_Stream ? S_OK : S_FALSE;
  }
  HRESULT completeConnect(ds::IPin* peer) override {
    void* face = nullptr;
    if (peer->QueryInterface(ds::IID_IAsyncReader, &face) != S_OK) return plat::win::E_NOINTERFACE;
    reader = static_cast<ds::IAsyncReader*>(face);
    return S_OK;
  }
  void breakConnect() override {
    if (reader != nullptr) reader->Release();
    reader = nullptr;
  }
};

// An output pin that pushes through the downstream pin's IMemInputPin, with `buffers`
// buffers of `bytes` bytes agreed at connection.
class MemPushPin : public ds::StandInPin {
 public:
  MemPushPin(ds::StandInFilter* filter, long buffers, long bytes)
      : StandInPin(filter, u"Out", ds::PINDIR_OUTPUT), buffers_(buffers), bytes_(bytes) {}
  ~MemPushPin() override { MemPushPin::breakConnect(); }
  ds::IMemInputPin* input = nullptr;
  ds::IMemAllocator* allocator = nullptr;
  ds::IPin* peer() { return peer_; }

 protected:
  HRESULT completeConnect(ds::IPin* peer) override {
    void* face = nullptr;
    if (peer->QueryInterface(ds::IID_IMemInputPin, &face) != S_OK) return plat::win::E_NOINTERFACE;
    input = static_cast<ds::IMemInputPin*>(face);
    HRESULT hr = input->GetAllocator(&allocator);
    ds::ALLOCATOR_PROPERTIES want{buffers_, bytes_, 1, 0}, got{};
    if (hr == S_OK) hr = allocator->SetProperties(&want, &got);
    if (hr == S_OK) hr = input->NotifyAllocator(allocator, plat::win::FALSE);
    if (hr != S_OK) breakConnect();
    return hr;
  }
  void breakConnect() override {
    if (input != nullptr) input->Release();
    if (allocator != nullptr) allocator->Release();
    input = nullptr;
    allocator = nullptr;
  }

 private:
  const long buffers_;
  const long bytes_;
};

class PushOutput final : public MemPushPin {
 public:
  explicit PushOutput(ds::StandInFilter* filter) : MemPushPin(filter, 2, 4096) {}

 protected:
  HRESULT checkType(const ds::AM_MEDIA_TYPE& type) override {
    return type.majortype == kHarnessMajor && (type.subtype == kSubA || type.subtype == kSubB) ? S_OK : S_FALSE;
  }
  std::vector<ds::AM_MEDIA_TYPE> offeredTypes() override { return {harnessType(kSubA)}; }
};

class Puller final : public ds::StandInFilter {
 public:
  Puller() : StandInFilter(kPullerClass) {
    addPin(std::make_unique<PullInput>(this));
    addPin(std::make_unique<PushOutput>(this));
  }
  PullInput* in() { return static_cast<PullInput*>(pins_[0].get()); }
  PushOutput* out() { return static_cast<PushOutput*>(pins_[1].get()); }

  // Holds the streaming thread before its first read until released.
  void hold() {
    std::lock_guard guard(gate_);
    held_ = true;
  }
  void release() {
    std::lock_guard guard(gate_);
    held_ = false;
    gateChanged_.notify_all();
  }
  std::vector<plat::win::BYTE> delivered() {
    std::lock_guard guard(gate_);
    return delivered_;
  }

 protected:
  ~Puller() override { stopStreaming(); }

  HRESULT stateChanged(ds::FILTER_STATE from, ds::FILTER_STATE to) override {
    if (from == ds::State_Stopped && to != ds::State_Stopped) return startStreaming();
    if (to == ds::State_Stopped) stopStreaming();
    return S_OK;
  }

 private:
  HRESULT startStreaming() {
    ds::IAsyncReader* reader = in()->reader;
    if (reader == nullptr || out()->input == nullptr) return S_OK;  // nothing to stream between
    ds::ALLOCATOR_PROPERTIES want{1, 4096, 1, 0};
    HRESULT hr = reader->RequestAllocator(nullptr, &want, &readAllocator_);
    if (hr == S_OK) hr = readAllocator_->Commit();
    if (hr == S_OK) hr = out()->allocator->Commit();
    if (hr != S_OK) return hr;
    {
      std::lock_guard guard(gate_);
      stopping_ = false;
      delivered_.clear();
    }
    thread_ = std::thread([this] { stream(); });
    return S_OK;
  }

  void stopStreaming() {
    {
      std::lock_guard guard(gate_);
      stopping_ = true;
      gateChanged_.notify_all();
    }
    if (in()->reader != nullptr) in()->reader->BeginFlush();
    if (out()->allocator != nullptr) out()->allocator->Decommit();
    if (readAllocator_ != nullptr) readAllocator_->Decommit();
    if (thread_.joinable()) thread_.join();
    if (in()->reader != nullptr) in()->reader->EndFlush();
    if (readAllocator_ != nullptr) readAllocator_->Release();
    readAllocator_ = nullptr;
  }

  void stream() {
    {
      std::unique_lock guard(gate_);
      gateChanged_.wait(guard, [this] { return !held_ || stopping_; });
      if (stopping_) return;
    }
    ds::IAsyncReader* reader = in()->reader;
    ds::LONGLONG total = 0, available = 0;
    reader->Length(&total, &available);
    for (ds::LONGLONG position = 0; position < total;) {
      ds::IMediaSample* piece = nullptr;
      if (readAllocator_->GetBuffer(&piece, nullptr, nullptr, 0) != S_OK) return;
      const ds::LONGLONG size = total - position < 4096 ? total - position : 4096;
      ds::REFERENCE_TIME start = position * 10000000, stop = (position + size) * 10000000;
      piece->SetTime(&start, &stop);
      ds::IMediaSample* done = nullptr;
      ds::DWORD_PTR user = 0;
      // The reference to the piece travels with the request and comes back as `done`.
      if (reader->Request(piece, 0) != S_OK) {
        piece->Release();
        return;
      }
      if (reader->WaitForNext(plat::win::INFINITE, &done, &user) != S_OK) {
        if (done != nullptr) done->Release();
        return;
      }
      plat::win::BYTE* bytes = nullptr;
      done->GetPointer(&bytes);
      const long got = done->GetActualDataLength();
      ds::IMediaSample* outSample = nullptr;
      if (out()->allocator->GetBuffer(&outSample, nullptr, nullptr, 0) != S_OK) {
        done->Release();
        return;
      }
      plat::win::BYTE* target = nullptr;
      outSample->GetPointer(&target);
      std::copy(bytes, bytes + got, target);
      outSample->SetActualDataLength(got);
      const HRESULT hr = out()->input->Receive(outSample);
      outSample->Release();
      if (hr == S_OK) {
        std::lock_guard guard(gate_);
        delivered_.insert(delivered_.end(), bytes, bytes + got);
      }
      done->Release();
      if (hr != S_OK) return;
      position += got;
    }
    out()->peer()->EndOfStream();
  }

  std::mutex gate_;
  std::condition_variable gateChanged_;
  bool held_ = false;
  bool stopping_ = false;
  std::vector<plat::win::BYTE> delivered_;
  ds::IMemAllocator* readAllocator_ = nullptr;
  std::thread thread_;
};

}  // namespace harness
