// The seeking pass-through (COM class CLSID_SeekingPassThru, missing name "dshow"): an
// aggregatable object that a filter's output pin holds so that seeking asked of it goes
// to the upstream peer of the pin given to ISeekingPassThru::Init.
#include <atomic>

#include "platform/dshow/seeking_forward.h"

namespace plat::dshow {

const CLSID CLSID_SeekingPassThru = {0x060AF76C, 0x68DD, 0x11D0, {0x8F, 0xC1, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};

namespace {

using win::E_POINTER;
using win::S_OK;

class SeekingPassThru final : public ISeekingPassThru, public SeekingForwarder {
 public:
  explicit SeekingPassThru(IUnknown* outer) : outer_(outer != nullptr ? outer : static_cast<IUnknown*>(&inner_)) {}

  // The delegating face: everything goes to the owner.
  HRESULT QueryInterface(const IID& iid, void** out) override { return outer_->QueryInterface(iid, out); }
  ULONG AddRef() override { return outer_->AddRef(); }
  ULONG Release() override { return outer_->Release(); }

  HRESULT Init(BOOL, IPin* pin) override {
    if (pin == nullptr) return E_POINTER;
    // No reference: the pin's filter owns the object that owns us.
    pin_.store(pin);
    return S_OK;
  }

  IUnknown* inner() { return &inner_; }

 protected:
  IPin* seekingPin() override { return pin_.load(); }

 private:
  struct Inner final : IUnknown {
    explicit Inner(SeekingPassThru* owner) : owner(owner) {}
    SeekingPassThru* self() { return owner; }
    SeekingPassThru* const owner;
    HRESULT QueryInterface(const IID& iid, void** out) override {
      if (out == nullptr) return E_POINTER;
      SeekingPassThru* s = self();
      if (iid == win::IID_IUnknown) {
        *out = static_cast<IUnknown*>(this);
      } else if (iid == IID_ISeekingPassThru) {
        *out = static_cast<ISeekingPassThru*>(s);
      } else if (iid == IID_IMediaSeeking) {
        *out = static_cast<IMediaSeeking*>(s);
      } else {
        *out = nullptr;
        return win::E_NOINTERFACE;
      }
      static_cast<IUnknown*>(*out)->AddRef();
      return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
      const ULONG left = --refs;
      if (left == 0) delete self();
      return left;
    }
    std::atomic<ULONG> refs{1};
  };
  ~SeekingPassThru() = default;

  Inner inner_{this};
  IUnknown* const outer_;
  std::atomic<IPin*> pin_{nullptr};
};

HRESULT createPassThru(void* outer, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  // An aggregating owner must ask for the inner unknown.
  if (outer != nullptr && !(iid == win::IID_IUnknown)) return win::E_INVALIDARG;
  auto* made = new SeekingPassThru(static_cast<IUnknown*>(outer));
  IUnknown* inner = made->inner();
  const HRESULT hr = inner->QueryInterface(iid, object);
  inner->Release();
  return hr;
}

const bool passThruRegistered = (win::RegisterComClass(CLSID_SeekingPassThru, "dshow", &createPassThru), true);

}  // namespace

}  // namespace plat::dshow
